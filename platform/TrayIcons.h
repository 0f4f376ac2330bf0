// The tray's pictures, drawn at run time: a small calendar leaf with the day
// number for days 1 to 31, and a greyed leaf with a pause sign for the
// suspended reminder. Image numbers follow the tray: 0 suspended, n day n.
#pragma once

#include <QIcon>
#include <QImage>
#include <array>

// The sizes drawn into every icon: the panels' 16, 22, 24 and 32 pixels and
// their doubles for scaled screens.
constexpr std::array<int, 7> kTrayIconSizes = {16, 22, 24, 32, 44, 48, 64};

constexpr int kTraySuspendedImage = 0;
constexpr int kTrayImageCount = 32;

// Image n (0 suspended, 1 to 31 the day number) as a square picture of the
// given size with a transparent background. A number outside 0 to 31 gives
// the suspended picture, so a bad day never leaves the tray empty.
QImage TrayImage(int n, int size);

// Image n drawn at every size of kTrayIconSizes.
QIcon TrayIcon(int n);
