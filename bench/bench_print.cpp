// Speed of printing the month view of a big calendar: 10,000 events of the
// current user (gen.py, N = 10,000), shown in December 2026, printed on A4
// to a PDF file at the printer's high resolution.
//
//     python3 shared/benchdata/gen.py --out /tmp/vbench 10000
//     build/bench/bench_print /tmp/vbench/N10000/events.csv
//
// Without an argument the calendar is generated into a temporary folder with
// the gen.py of the shared folder beside the repository. Goal: 2 s or less.
#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>

#include "calendar/Vndbdrawcalendar.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"
#include "support/BenchData.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString csv =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : GeneratedBenchCsv(dir.path(), 10000);
    if (csv.isEmpty() || !QFileInfo::exists(csv)) {
        std::fprintf(stderr, "usage: bench_print EVENTS.CSV (gen.py, N = 10000)\n");
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
    SetClock([] { return EncodeDate(2026, 12, 15) + 0.5; });
    auto cal = std::make_unique<TvnDBDrawCalendar>();
    cal->resize(1280, 800);
    cal->PrintScreenSize = QSize(1920, 1080);
    for (int i = 0; i < 4; ++i)
        cal->SetDataSet(i, tables[i].get());
    cal->SetCalendarDate(EncodeDate(2026, 12, 1));
    cal->BackBuffer();
    std::printf("# %d events, %zu shown in the December 2026 view\n", events,
                cal->EventDrawList.size());

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(dir.filePath(QStringLiteral("month.pdf")));
    TvnPrintOptions print;
    print.Proportions = -1;
    print.Position = -1;
    PrintBench("print_month_pdf", MedianSeconds(5, [&] { cal->Print(print, printer); }) * 1e3,
               "ms");
    std::printf("# %lld bytes of PDF\n", QFileInfo(printer.outputFileName()).size());
    cal.reset();
    SetClock({});
    return 0;
}
