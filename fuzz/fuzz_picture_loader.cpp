// Feeds arbitrary bytes to the wallpaper decoder: JPEG through libjpeg and
// its error manager, anything else through QImage. Every input must give a
// picture within the pixel limit or no picture, never a crash.
// Build with clang (see fuzz_profile_and_date_readers.cpp):
//   cmake --build build-fuzz --target fuzz_picture_loader
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "platform/Pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QImage image = DecodePicture(bytes);
    if (!image.isNull() && qint64(image.width()) * image.height() > MaxPicturePixels)
        __builtin_trap();
    return 0;
}
