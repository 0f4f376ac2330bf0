// Shared by the parts of TvnCalendarData that set a temporary events filter.
#pragma once

#include "reminder/Vncalendardata.h"

// Puts the events table back on the current user's rows when an operation
// that set a temporary (special) filter ends, whichever way it ends.
class TvnCalendarData::EventsFilterScope {
public:
    explicit EventsFilterScope(TvnCalendarData& data) : data_(data) {}
    ~EventsFilterScope() {
        if (!data_.SpecialFilter) return;  // the operation already put it back
        try {
            data_.SetFilter(tsEvents, QString(), false);
        } catch (...) {
            // Already unwinding from the first error, which is the one to
            // report; the flag at least must not stop painting and the
            // reminder for good.
            data_.SpecialFilter = false;
        }
    }
    EventsFilterScope(const EventsFilterScope&) = delete;
    EventsFilterScope& operator=(const EventsFilterScope&) = delete;

private:
    TvnCalendarData& data_;
};
