#include "platform/Pictures.h"

#include <QFile>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return; it
// jumps back to the decoder, which then gives up. Warnings about corrupt or
// missing data jump back too, so a damaged file never shows half decoded.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void OnJpegMessage(j_common_ptr cinfo, int level) {
    if (level < 0) std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void OnJpegOutput(j_common_ptr) {}

void ConvertCmykLine(const JSAMPLE* in, QRgb* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x, in += 4) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (inverted) {  // Adobe writes CMYK inverted
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        out[x] = qRgb((255 - c) * (255 - k) / 255, (255 - m) * (255 - k) / 255,
                      (255 - y) * (255 - k) / 255);
    }
}

// Only plain C objects live in this frame, so the jump back skips no
// destructor; the picture lives in the caller.
bool DecodeInto(const unsigned char* data, unsigned long size, QImage* image) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnJpegError;
    err.pub.emit_message = OnJpegMessage;
    err.pub.output_message = OnJpegOutput;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_calc_output_dimensions(&cinfo);
    const qint64 pixels = qint64(cinfo.output_width) * cinfo.output_height;
    if (pixels <= 0 || pixels > MaxPicturePixels) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    *image = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (image->isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_start_decompress(&cinfo);
    const int width = int(cinfo.output_width);
    const int channels = cinfo.output_components;
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                JDIMENSION(width * channels), 1);
    const bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = int(cinfo.output_scanline);
        jpeg_read_scanlines(&cinfo, row, 1);
        auto* out = reinterpret_cast<QRgb*>(image->scanLine(y));
        if (channels == 4) {
            ConvertCmykLine(row[0], out, width, inverted);
        } else {
            const JSAMPLE* in = row[0];
            for (int x = 0; x < width; ++x, in += channels)
                out[x] = channels >= 3 ? qRgb(in[0], in[1], in[2]) : qRgb(in[0], in[0], in[0]);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool LooksLikeJpeg(const QByteArray& data) {
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 &&
           uchar(data[2]) == 0xFF;
}

bool IsReadablePictureFile(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_size <= MaxPictureFileSize;
}

// Reads up to size bytes; a file that grew meanwhile is refused, as one too
// large from the start.
std::optional<QByteArray> ReadOpenFile(int fd, qint64 size) {
    QByteArray data(qsizetype(size) + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += n;
    }
    if (got > size) return std::nullopt;
    data.truncate(qsizetype(got));
    return data;
}

// Only a regular file of bounded size is read: a device such as /dev/zero
// never ends and a pipe may never deliver, so both are refused by their type
// before anything is opened. The type is checked again on the open file in
// case the name was swapped in between; O_NONBLOCK keeps that open from
// waiting on a pipe put there.
std::optional<QByteArray> ReadPictureFile(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !IsReadablePictureFile(st)) return std::nullopt;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::optional<QByteArray> data;
    if (::fstat(fd, &st) == 0 && IsReadablePictureFile(st)) data = ReadOpenFile(fd, st.st_size);
    ::close(fd);
    return data;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& data) {
    if (!LooksLikeJpeg(data)) return {};
    QImage image;
    if (!DecodeInto(reinterpret_cast<const unsigned char*>(data.constData()),
                    static_cast<unsigned long>(data.size()), &image))
        return {};
    return image;
}

QImage DecodePicture(const QByteArray& data) {
    // Decided by content, not by name: a renamed file still reads.
    if (LooksLikeJpeg(data)) return DecodeJpeg(data);
    QImage image;
    if (!image.loadFromData(data)) return {};
    if (qint64(image.width()) * image.height() > MaxPicturePixels) return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage LoadPicture(const QString& fileName) {
    if (fileName.isEmpty()) return {};
    const std::optional<QByteArray> data = ReadPictureFile(QFile::encodeName(fileName));
    return data ? DecodePicture(*data) : QImage();
}
