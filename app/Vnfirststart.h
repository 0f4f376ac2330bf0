// The first start: the data folder with the delivered database and the
// delivered "Settings.ini", whose colours and item size read well on the
// light cells, as an installer would leave them.
#pragma once

#include "app/Vnsettings.h"

// The preferences the delivered settings file holds.
TProgOptions DeliveredProgOptions();
// Where and how large the main window first opens.
TvnWindowPlacement DeliveredWindowPlacement();

// Makes the data folder; when it holds neither "DB.vdbv2" nor "Settings.ini",
// writes the delivered database and then the delivered settings. An existing
// file is never touched. Answers whether this was a first start; raises
// EDatabaseError when the database cannot be written. A settings file that
// cannot be written is left out: the program then runs on its defaults.
bool PrepareFirstStart();
