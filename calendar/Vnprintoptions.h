// The print options: what a print of the shown view includes and
// where it lies on the page. The main window keeps one record for the whole
// run; the settings file stores all of it but Position and Accepted.
#pragma once

#include <cstdint>

struct TvnPrintOptions {
    bool PrintEvents = true;
    bool PrintNotes = true;
    bool PrintHolidays = true;
    bool PrintDateTitle = true;
    bool PrintBackgr = true;  // the wallpaper
    // -1 stretched over the whole page; 0, 1, 2 the screen's proportions at
    // 50 %, 75 %, 100 % of the page.
    int32_t Proportions = 0;
    // Place of a proportional print, 0 "Top-left" ... 8 "Bottom-right" row by
    // row; -1 with stretching.
    int32_t Position = 0;
    int32_t NumberOfCopies = 1;  // 1 to 100
    bool Accepted = false;       // the dialog was closed with its Print button

    bool operator==(const TvnPrintOptions&) const = default;
};
