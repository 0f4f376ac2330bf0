// Where a printed calendar lies on the page and the sizes it is painted with:
// pure arithmetic on the page, screen and picture sizes, so that it needs no
// printer. Every integer division truncates toward zero.
#pragma once

#include "calendar/Vnprintoptions.h"

// The area of the page the calendar fills, in printer device pixels.
struct TvnPrintArea {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    // Scale of the fonts and the pen: the proportional size, 1 when stretched.
    float Factor = 1.0f;
    // Printer device pixels per screen pixel; never 0.
    float PrintScale = 1.0f;
};

struct TvnPrintRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TvnPrintRect&) const = default;
};

// The sizes the paint uses on paper, once the date title (header pixels
// high) has taken its place above the calendar.
struct TvnPrintMetrics {
    int DrawWidth = 0;
    int DrawHeight = 0;
    int MarginX = 0;
    int MarginY = 0;
    int CellInset = 1;
    int PenWidth = 1;
    int DayFontHeight = 0;
    int DayNumberFontHeight = 0;
    int ItemFontHeight = 0;
    int TitleHeight = 0;
    int DayNumberHeight = 0;
    int ItemHeight = 0;
    float PrintScale = 1.0f;
};

// A page of pw x ph device pixels and a screen of sw x sh pixels. Sizes below
// one pixel count as one; a proportion outside 0...2 stretches.
TvnPrintArea PrintArea(const TvnPrintOptions& options, int pw, int ph, int sw, int sh);
// The rectangle the wallpaper (picture pictureW x pictureH) is stretched
// into: its own size scaled to the page at wallpaperPos 0 (top-left) and 1
// (centred), the whole area at 2 and in every stretched print.
TvnPrintRect PrintWallpaperRect(const TvnPrintArea& area, int proportions, int wallpaperPos,
                                int pictureW, int pictureH);
// Point size of the date title.
int PrintTitlePoints(const TvnPrintArea& area);
// The paint's sizes on a page pw pixels wide whose fonts have ppi pixels per
// inch, below a date title header pixels high (0 without one).
TvnPrintMetrics PrintMetrics(const TvnPrintArea& area, int header, int pw, int ppi);
