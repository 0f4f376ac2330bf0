// Colour values as the calendar stores them: 0x00BBGGRR, or 0x80000000 | index
// for a colour of the desktop's palette. Qt Core only; platform/Colors.h turns
// them into Qt colours.
#pragma once

#include <cstdint>

using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor SystemColorFlag = 0x80000000u;
constexpr TColor clBtnFace = SystemColorFlag | 15;
constexpr TColor clWindow = SystemColorFlag | 5;
constexpr TColor clWindowText = SystemColorFlag | 8;
constexpr TColor clHighlight = SystemColorFlag | 13;
constexpr TColor clHighlightText = SystemColorFlag | 14;
constexpr TColor clBtnText = SystemColorFlag | 18;

inline bool IsSystemColor(TColor color) {
    return (color & 0xFF000000u) == SystemColorFlag;
}

// 0x00BBGGRR from its parts.
constexpr TColor RGBColor(int red, int green, int blue) {
    return TColor(red & 0xFF) | TColor(green & 0xFF) << 8 | TColor(blue & 0xFF) << 16;
}
