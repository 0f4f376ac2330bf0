// Reading the pictures the calendar can show behind its cells: JPEG through
// libjpeg, BMP (and anything else Qt reads) through QImage. A file that cannot
// be read, or is corrupt or cut short, gives no picture (a null image).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Pictures larger than this many pixels are refused rather than allocated.
constexpr qint64 MaxPicturePixels = 100'000'000;

QImage LoadPicture(const QString& fileName);
QImage DecodeJpeg(const QByteArray& data);
