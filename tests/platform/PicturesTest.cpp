// Reading wallpaper pictures: good files load, broken ones give no picture.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "platform/Pictures.h"
#include "support/TestSupport.h"

namespace {

// A small JPEG made with libjpeg itself: left half red, right half blue.
QByteArray MakeJpeg(int width, int height) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * 3);
    for (int x = 0; x < width; ++x) {
        const bool left = x < width / 2;
        row[x * 3] = left ? 255 : 0;
        row[x * 3 + 1] = 0;
        row[x * 3 + 2] = left ? 0 : 255;
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray data(reinterpret_cast<const char*>(buffer), int(size));
    std::free(buffer);
    return data;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& data) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    return path;
}

}  // namespace

TEST(Pictures, JpegDecodesWithItsColours) {
    const QImage image = DecodeJpeg(MakeJpeg(64, 32));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(64, 32));
    EXPECT_GT(qRed(image.pixel(5, 5)), 200);
    EXPECT_LT(qBlue(image.pixel(5, 5)), 60);
    EXPECT_GT(qBlue(image.pixel(60, 5)), 200);
}

TEST(Pictures, EveryTruncationGivesNoPictureAndNoCrash) {
    const QByteArray jpeg = MakeJpeg(40, 24);
    for (int n = 0; n < jpeg.size() - 2; ++n)
        EXPECT_TRUE(DecodeJpeg(jpeg.left(n)).isNull()) << "first " << n << " bytes";
}

TEST(Pictures, CorruptHeadersGiveNoPicture) {
    QByteArray jpeg = MakeJpeg(40, 24);
    for (int i = 4; i < 200 && i < jpeg.size(); ++i) {
        QByteArray bad = jpeg;
        bad[i] = char(bad[i] ^ 0x5A);
        DecodeJpeg(bad);  // must return, picture or not
    }
    QByteArray noise(5000, '\xFF');
    noise[1] = '\xD8';
    EXPECT_TRUE(DecodeJpeg(noise).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
}

TEST(Pictures, LoadPictureByContent) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage bmp(8, 6, QImage::Format_RGB32);
    bmp.fill(qRgb(10, 200, 30));
    ASSERT_TRUE(bmp.save(dir.filePath("wall.bmp"), "BMP"));
    const QImage loaded = LoadPicture(dir.filePath("wall.bmp"));
    ASSERT_FALSE(loaded.isNull());
    EXPECT_SAME_PIXEL(loaded.pixel(3, 3) | 0xFF000000u, qRgb(10, 200, 30) | 0xFF000000u);

    EXPECT_FALSE(LoadPicture(WriteFile(dir, "photo.jpeg", MakeJpeg(16, 16))).isNull());
    EXPECT_FALSE(LoadPicture(WriteFile(dir, "renamed.bmp", MakeJpeg(16, 16))).isNull());
    EXPECT_TRUE(LoadPicture(WriteFile(dir, "cut.jpg", MakeJpeg(16, 16).left(100))).isNull());
    EXPECT_TRUE(LoadPicture(WriteFile(dir, "text.jpg", "not a picture")).isNull());
    EXPECT_TRUE(LoadPicture(WriteFile(dir, "empty.bmp", QByteArray())).isNull());
    EXPECT_TRUE(LoadPicture(dir.filePath("missing.jpg")).isNull());
    EXPECT_TRUE(LoadPicture(QString()).isNull());
}

// Devices and pipes are refused by their type, at once: /dev/zero would never
// end and a pipe without a writer would block for ever.
TEST(Pictures, OnlyRegularFilesAreRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray fifo = QFile::encodeName(dir.filePath("pipe.jpg"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(LoadPicture("/dev/zero").isNull());
    EXPECT_TRUE(LoadPicture(QFile::decodeName(fifo)).isNull());
    EXPECT_TRUE(LoadPicture(dir.path()).isNull());
    EXPECT_LT(clock.elapsed(), 2000);
}

// A good picture padded past the size limit is refused unread, while the same
// picture padded up to the limit still loads.
TEST(Pictures, FilesOverTheSizeLimitAreNotRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage bmp(8, 6, QImage::Format_RGB32);
    bmp.fill(qRgb(10, 200, 30));
    for (const qint64 size : {MaxPictureFileSize, MaxPictureFileSize + 1}) {
        const QString path = dir.filePath(QString("padded%1.bmp").arg(size));
        ASSERT_TRUE(bmp.save(path, "BMP"));
        ASSERT_TRUE(QFile::resize(path, size));  // sparse: nothing written
        EXPECT_EQ(LoadPicture(path).isNull(), size > MaxPictureFileSize) << size;
    }
}
