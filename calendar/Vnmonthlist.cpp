#include "calendar/Vnmonthlist.h"

#include <array>

#include "calendar/Vndbdrawcalendar_match.h"
#include "store/Adodb.h"

namespace {

// The columns the matching reads, looked up once for the whole walk.
struct DayFields {
    explicit DayFields(TADOTable& t)
        : id(t.FieldByName(QStringLiteral("ID"))),
          date(t.FieldByName(QStringLiteral("Date"))),
          endDate(t.FieldByName(QStringLiteral("EndDate"))),
          useEndDate(t.FieldByName(QStringLiteral("UseEndDate"))),
          recurrence(t.FieldByName(QStringLiteral("Recurrence"))),
          nParam(t.FieldByName(QStringLiteral("nParam"))) {}

    TvnEventDays Read() const {
        TvnEventDays days;
        days.Date = date->AsDateTime();
        days.EndDate = endDate->AsDateTime();
        days.UseEndDate = useEndDate->AsInteger() != 0;
        days.Recurrence = recurrence->AsInteger();
        days.nParam = nParam->AsInteger();
        return days;
    }

    TField *id, *date, *endDate, *useEndDate, *recurrence, *nParam;
};

}  // namespace

std::vector<TvnOccurrence> ListMonthOccurrences(TADOTable& events, int user, int year, int month,
                                                int startOfWeek) {
    const TvnCalendarGrid grid(vmMonth, EncodeDate(year, month, 1), startOfWeek);
    // Cells before the month's first day belong to the month before.
    const int lead = DayNumber(EncodeDate(year, month, 1)) - DayNumber(grid.FirstDate());
    const int days = grid.DaysThisMonth();
    events.SetFiltered(false);
    events.SetFilter(QStringLiteral("UserID = %1").arg(user));
    events.SetFiltered(true);
    const DayFields fields(events);
    const int32_t first = DayNumber(grid.FirstDate());
    // The walk goes by ascending ID, so a list per day comes out sorted.
    std::vector<std::vector<int>> byDay(static_cast<size_t>(days));
    std::array<bool, CalendarCellCount> cells{};
    for (events.First(); !events.Eof(); events.Next()) {
        cells.fill(false);
        if (!MatchEventCells(fields.Read(), grid, cells)) continue;
        const int id = fields.id->AsInteger();
        for (int d = 0; d < days; ++d)
            if (cells[lead + d]) byDay[d].push_back(id);
    }
    std::vector<TvnOccurrence> list;
    for (int d = 0; d < days; ++d)
        for (int id : byDay[d])
            list.push_back({first + lead + d, id});
    return list;
}
