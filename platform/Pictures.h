// Reading the pictures the calendar can show behind its cells: JPEG through
// libjpeg, BMP (and anything else Qt reads) through QImage. A file that cannot
// be read, is not a regular file, is too large, or is corrupt or cut short,
// gives no picture (a null image).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Pictures larger than this many pixels are refused rather than allocated.
constexpr qint64 MaxPicturePixels = 100'000'000;
// Only regular files up to this many bytes are read; anything else (larger
// files, devices, pipes, folders) gives no picture without being read.
constexpr qint64 MaxPictureFileSize = 64 * 1024 * 1024;

QImage LoadPicture(const QString& fileName);
// The picture in a file's bytes, whatever its name: JPEG or any format Qt reads.
QImage DecodePicture(const QByteArray& data);
QImage DecodeJpeg(const QByteArray& data);
