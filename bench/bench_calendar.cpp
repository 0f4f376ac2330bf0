// Speed of the calendar control with a big calendar: 10,000 events of the
// current user (gen.py, N = 10,000), 50 holidays and 500 notes, shown in
// December 2026 at 1280 x 800.
//
//     python3 shared/benchdata/gen.py --out /tmp/vbench 10000
//     build/bench/bench_calendar /tmp/vbench/N10000/events.csv
//
// Without an argument the calendar is generated into a temporary folder with
// the gen.py of the shared folder beside the repository.
#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "calendar/Vndbdrawcalendar.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"
#include "support/BenchData.h"

namespace {

void AddRows(TADOTable& t, int count, const std::function<void(int)>& fill) {
    t.Connection()->BeginTrans();
    for (int i = 0; i < count; ++i) {
        t.Append();
        fill(i);
        t.Post();
    }
    t.Connection()->CommitTrans();
}

void FillHolidaysAndNotes(TADOTable& holidays, TADOTable& notes, TADOTable& colors) {
    AddRows(holidays, 50, [&](int i) {
        holidays.FieldByName("Month")->SetAsInteger(i % 12 + 1);
        const bool variable = i % 5 == 0;
        holidays.FieldByName("Day")->SetAsInteger(variable ? 0 : i % 28 + 1);
        holidays.FieldByName("DayOfWeek")->SetAsInteger(variable ? i % 7 + 1 : 0);
        holidays.FieldByName("NumOfWeek")->SetAsInteger(variable ? i % 5 + 1 : 0);
        holidays.FieldByName("Name")->SetAsString(QStringLiteral("Holiday %1").arg(i));
    });
    // 500 notes over 2026 and 2027, about 40 of them in the December view.
    AddRows(notes, 500, [&](int i) {
        notes.FieldByName("UserID")->SetAsInteger(0);
        notes.FieldByName("Date")->SetAsDateTime(EncodeDate(2026, 1, 1) + (i * 73) % 730);
        notes.FieldByName("Title")->SetAsString(QStringLiteral("Notes %1").arg(i));
        notes.FieldByName("Notes")->SetAsString(QStringLiteral("body"));
    });
    AddRows(colors, 60, [&](int i) {
        colors.FieldByName("UserID")->SetAsInteger(0);
        colors.FieldByName("Date")->SetAsDateTime(EncodeDate(2026, 1, 1) + i * 11);
        colors.FieldByName("Color")->SetAsInteger(int(RGBColor(255, 240 - i, 200)));
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString csv =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : GeneratedBenchCsv(dir.path(), 10000);
    if (csv.isEmpty() || !QFileInfo::exists(csv)) {
        std::fprintf(stderr, "usage: bench_calendar EVENTS.CSV (gen.py, N = 10000)\n");
        return 2;
    }
    const QString db = dir.filePath(QStringLiteral("DB.vdbv2"));
    BenchLoadOptions options;
    options.now = EncodeDate(2026, 12, 15) + 0.5;
    const int events = CreateBenchDatabase(db, csv, options);

    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(db);
    connection.Open();
    TCalendarTables tables = OpenCalendarTables(connection);
    FillHolidaysAndNotes(*tables[tsHolidays], *tables[tsNotes], *tables[tsBColors]);

    SetClock([] { return EncodeDate(2026, 12, 15) + 0.5; });
    auto cal = std::make_unique<TvnDBDrawCalendar>();
    cal->resize(1280, 800);
    for (int i = 0; i < 4; ++i)
        cal->SetDataSet(i, tables[i].get());
    const TDateTime november = EncodeDate(2026, 11, 1), december = EncodeDate(2026, 12, 1);
    cal->SetCalendarDate(december);
    cal->BackBuffer();
    std::printf("# %d events, %zu shown in the December 2026 view\n", events,
                cal->EventDrawList.size());

    // A change of the shown month: the refresh with its matching, then the
    // full paint with data (the way back to November is not timed).
    std::vector<double> refresh, paint, change;
    for (int rep = 0; rep < 15; ++rep) {
        cal->SetCalendarDate(november);
        cal->BackBuffer();
        const auto t0 = std::chrono::steady_clock::now();
        cal->SetCalendarDate(december);
        const auto t1 = std::chrono::steady_clock::now();
        cal->BackBuffer();
        const auto t2 = std::chrono::steady_clock::now();
        refresh.push_back(std::chrono::duration<double>(t1 - t0).count());
        paint.push_back(std::chrono::duration<double>(t2 - t1).count());
        change.push_back(std::chrono::duration<double>(t2 - t0).count());
    }
    PrintBench("calendar_month_change", Median(change) * 1e3, "ms");
    PrintBench("calendar_month_refresh", Median(refresh) * 1e3, "ms");
    PrintBench("calendar_month_full_paint", Median(paint) * 1e3, "ms");

    // A single-cell repaint of a full cell (with notes and a scroll bar).
    int col = -1, row = -1;
    cal->DateToCell(EncodeDate(2026, 12, 16), col, row);
    PrintBench("calendar_cell_repaint",
               MedianSeconds(200, [&] { cal->DrawCell(col, row, false); }) * 1e3, "ms");

    // A mouse press that selects an item line, alternating between two cells
    // so that every press also removes the previous bar.
    const TRect a = cal->GetCellRect(col, row), b = cal->GetCellRect((col + 1) % 7, row);
    int n = 0;
    PrintBench("calendar_select_item",
               MedianSeconds(200,
                             [&] {
                                 const TRect& r = ++n % 2 ? a : b;
                                 cal->MouseDown(Qt::LeftButton, {}, r.Left + 40,
                                                r.Top + cal->DayNumberHeight + cal->ItemHeight + 5);
                             }) *
                   1e3,
               "ms");
    if (!cal->ItemIsSelected()) std::printf("# the press selected nothing\n");
    cal.reset();
    SetClock({});
    return 0;
}
