// The calendar's colour values (platform/ColorValues.h) as Qt colours.
#pragma once

#include <QColor>

#include "platform/ColorValues.h"

// The colour a value stands for: a system colour through the application's
// palette (an unknown index gives black); any other value by its low three
// bytes.
QColor ColorToQColor(TColor color);
// The same as a 0xAARRGGBB value with full opacity (the pixel value of an
// RGB32 picture).
QRgb ColorToRgb(TColor color);
// A plain colour value (never a system colour) of a Qt colour.
TColor ColorFromQColor(const QColor& color);
