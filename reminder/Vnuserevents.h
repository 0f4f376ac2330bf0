// One user's events read and written through a table of their own on the
// calendar's connection, so that the calendar's filters, cursor and shown
// days stay as they are (the synchronisation works on any user this way).
#pragma once

#include <map>
#include <memory>

#include "store/Vntypes.h"

class TADOTable;
class TvnCalendarData;

class TvnUserEvents {
public:
    // Opens the view; the calendar's events table must be open (raises
    // EDatabaseError otherwise).
    TvnUserEvents(TvnCalendarData& data, int userId);
    // After a change the calendar reads its events anew.
    ~TvnUserEvents();
    TvnUserEvents(const TvnUserEvents&) = delete;
    TvnUserEvents& operator=(const TvnUserEvents&) = delete;

    std::map<int, TvnEventParams> Load();
    int Add(TvnEventParams event);  // the new ID
    void Update(const TvnEventParams& event);
    void Remove(int eventId);

private:
    TvnCalendarData& data_;
    int userId_;
    std::unique_ptr<TADOTable> table_;
    bool changed_ = false;
};
