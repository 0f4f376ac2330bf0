#include "app/Vnfirststart.h"

#include "store/Datafolder.h"

namespace {

// Dark text on light grounds: the built-in defaults draw white day numbers
// on the button face, which cannot be read.
void SetDeliveredColours(TProgOptions& o) {
    o.ColorFont = RGBColor(0x1A, 0x2B, 0x4C);      // dark navy headings and day numbers
    o.ColorGrid = RGBColor(0x8C, 0x9B, 0xB0);      // quiet blue-grey lines
    o.ColorWeekends = RGBColor(0xDC, 0xE6, 0xF4);  // pale blue
    o.ColorCurrDay = RGBColor(0xFF, 0xE2, 0x8A);   // pale amber, stands out from both
}

// Category text colours dark enough for every ground of a cell: plain,
// weekend and today.
void SetDeliveredCategoryColours(TProgOptions& o) {
    o.UseEventColors = true;
    o.ColorMisc = RGBColor(0x1B, 0x5E, 0x20);   // dark green
    o.ColorAnniv = RGBColor(0xB0, 0x1A, 0x1A);  // dark red
    o.ColorBirth = RGBColor(0x0D, 0x47, 0xA1);  // dark blue
    o.ColorSpec = RGBColor(0x8A, 0x3B, 0x00);   // brown
    o.ColorMeet = RGBColor(0x6A, 0x1B, 0x9A);   // purple
}

}  // namespace

TProgOptions DeliveredProgOptions() {
    TProgOptions o;
    SetDeliveredColours(o);
    SetDeliveredCategoryColours(o);
    o.ItemFontSize = 2;  // "Large": item lines a little above the body text
    const TvnWindowPlacement w = DeliveredWindowPlacement();
    o.WindowState = w.State;
    o.WindowLeft = w.Left;
    o.WindowTop = w.Top;
    o.WindowWidth = w.Width;
    o.WindowHeight = w.Height;
    return o;
}

TvnWindowPlacement DeliveredWindowPlacement() {
    // Fits a 1280 x 800 screen with room for panels.
    return {.State = 0, .Left = 80, .Top = 60, .Width = 1100, .Height = 700};
}

bool PrepareFirstStart() {
    if (!PrepareDataFolder()) return false;
    TvnSettings settings;
    settings.ProgOptions = DeliveredProgOptions();
    settings.Users.UserNames[0] = QStringLiteral("Default");
    settings.Users.UserStates[0] = usInUse;
    WriteSettings(settings, DeliveredWindowPlacement(), SettingsFilePath());
    return true;
}
