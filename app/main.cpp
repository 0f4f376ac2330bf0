// Program entry. The calendar window is not built yet; until it is, the
// program says so instead of pretending to start.
#include <cstdio>

#include "app/AppInfo.h"

int main() {
    std::printf("%s %s: the calendar window is not available in this build yet.\n",
                qPrintable(ProgramName), qPrintable(ProgramVersion));
    return 0;
}
