// Printing with data: the print options choose which data the page shows.
#include "calendar/Vndbdrawcalendar.h"

namespace {

// Puts the display switches back however the print ends: events and notes
// are always shown on screen, holidays as they were.
class TDisplayRestore {
public:
    explicit TDisplayRestore(TvnDBDrawCalendar& calendar)
        : calendar_(calendar), holidays_(calendar.DisplayHolidays) {}
    ~TDisplayRestore() {
        calendar_.DisplayEvents = true;
        calendar_.DisplayNotes = true;
        calendar_.DisplayHolidays = holidays_;
    }
    TDisplayRestore(const TDisplayRestore&) = delete;
    TDisplayRestore& operator=(const TDisplayRestore&) = delete;

private:
    TvnDBDrawCalendar& calendar_;
    bool holidays_;
};

}  // namespace

void TvnDBDrawCalendar::Print(TvnPrintOptions options, QPrinter& printer) {
    TDisplayRestore restore(*this);
    DisplayEvents = options.PrintEvents;
    DisplayNotes = options.PrintNotes;
    DisplayHolidays = options.PrintHolidays;
    TvnDrawCalendar::Print(options, printer);
}
