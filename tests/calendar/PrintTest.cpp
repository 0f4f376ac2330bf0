// Printing: the page layout as numbers, the print of the shown view to a PDF
// file (read back with poppler's tools), the restore of the screen state,
// and the print options dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtPrintSupport/QPrinter>

#include "calendar/Uformprintoptions.h"
#include "calendar/Vnprintlayout.h"
#include "support/BoundCalendar.h"
#include "support/DialogScript.h"

namespace {

TvnPrintOptions Options(int proportions, int position, bool title = true) {
    TvnPrintOptions o;
    o.Proportions = proportions;
    o.Position = position;
    o.PrintDateTitle = title;
    return o;
}

struct AreaRow {
    const char* name;
    int pw, ph, proportions, position, header;
    TvnPrintArea area;
    int drawW, drawH, marginX, marginY, penWidth;
};

}  // namespace

TEST(PrintLayout, AreaPlaceAndMarginsOfThePage) {
    const AreaRow rows[] = {
        {"A4 portrait 100% top-left",
         4960,
         7016,
         2,
         0,
         0,
         {0, 0, 4960, 3720, 1.0f, 4.84375f},
         4861,
         3646,
         48,
         36,
         7},
        {"A4 portrait 50% center",
         4960,
         7016,
         0,
         4,
         100,
         {1240, 2578, 2480, 1860, 0.5f, 2.421875f},
         2431,
         1723,
         1264,
         2695,
         3},
        {"A4 landscape 75% bottom-right",
         7016,
         4960,
         1,
         8,
         0,
         {7016 - 4959, 4960 - 3720, 4959, 3720, 0.75f, 3720.0f / 768},
         4860,
         3646,
         2105,
         1276,
         6},
        {"stretched ignores the position",
         4960,
         7016,
         -1,
         4,
         0,
         {0, 0, 4960, 7016, 1.0f, 4.84375f},
         4861,
         6876,
         48,
         68,
         7},
        {"a page of one pixel", 1, 1, 0, 4, 0, {0, 0, 0, 0, 0.5f, 1.0f}, 0, 0, 0, 0, 0},
    };
    for (const AreaRow& r : rows) {
        SCOPED_TRACE(r.name);
        const TvnPrintArea a = PrintArea(Options(r.proportions, r.position), r.pw, r.ph, 1024, 768);
        EXPECT_EQ(a.Left, r.area.Left);
        EXPECT_EQ(a.Top, r.area.Top);
        EXPECT_EQ(a.Width, r.area.Width);
        EXPECT_EQ(a.Height, r.area.Height);
        EXPECT_FLOAT_EQ(a.Factor, r.area.Factor);
        EXPECT_FLOAT_EQ(a.PrintScale, r.area.PrintScale);
        const TvnPrintMetrics m = PrintMetrics(a, r.header, r.pw, 600);
        EXPECT_EQ(m.DrawWidth, r.drawW);
        EXPECT_EQ(m.DrawHeight, r.drawH);
        EXPECT_EQ(m.MarginX, r.marginX);
        EXPECT_EQ(m.MarginY, r.marginY);
        EXPECT_EQ(m.PenWidth, r.penWidth);
    }
}

TEST(PrintLayout, FontHeightsFollowThePrintersResolution) {
    struct Row {
        int proportions, ppi;
        int day, dayNumber, item, title, dayNumberBand, itemLine;
    } const rows[] = {
        {2, 600, -100, -116, -83, 150, 174, 166},
        {0, 600, -50, -58, -41, 75, 87, 82},
        {-1, 1200, -200, -233, -166, 300, 349, 332},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "proportions " << r.proportions << ", " << r.ppi);
        const TvnPrintArea a = PrintArea(Options(r.proportions, 0), 4960, 7016, 1024, 768);
        const TvnPrintMetrics m = PrintMetrics(a, 0, 4960, r.ppi);
        EXPECT_EQ(m.DayFontHeight, r.day);
        EXPECT_EQ(m.DayNumberFontHeight, r.dayNumber);
        EXPECT_EQ(m.ItemFontHeight, r.item);
        EXPECT_EQ(m.TitleHeight, r.title);
        EXPECT_EQ(m.DayNumberHeight, r.dayNumberBand);
        EXPECT_EQ(m.ItemHeight, r.itemLine);
    }
}

TEST(PrintLayout, WallpaperKeepsItsPlaceOnlyInAProportionalPrint) {
    const TvnPrintArea full = PrintArea(Options(2, 0), 4960, 7016, 1024, 768);
    const TvnPrintArea half = PrintArea(Options(0, 4), 4960, 7016, 1024, 768);
    struct Row {
        const char* name;
        TvnPrintArea area;
        int proportions, wallpaperPos, w, h;
        TvnPrintRect expected;
    } const rows[] = {
        {"top-left, own size", full, 2, 0, 640, 400, {0, 0, 3100, 1937}},
        {"centred in the area", half, 0, 1, 640, 400, {1240 + 465, 2578 + 446, 3255, 3992}},
        {"stretched position", half, 0, 2, 640, 400, {1240, 2578, 3720, 4438}},
        {"stretched print", full, -1, 0, 640, 400, {0, 0, 4960, 3720}},
        {"empty picture", full, 2, 0, 0, -5, {0, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(PrintWallpaperRect(r.area, r.proportions, r.wallpaperPos, r.w, r.h), r.expected);
    }
}

namespace {

bool HavePoppler() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

#define REQUIRE_POPPLER() \
    if (!HavePoppler()) GTEST_SKIP() << "pdftoppm/pdftotext (poppler-utils) is not installed"

// A printer writing an A4 PDF file into a fresh folder.
struct PdfPrinter {
    explicit PdfPrinter(QPageLayout::Orientation orientation = QPageLayout::Portrait) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(orientation);
        printer.setOutputFileName(file);
    }
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("print.pdf"));
    QPrinter printer{QPrinter::HighResolution};
};

QString RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << ": "
                               << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfText(const QString& pdf) {
    return RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
}

// A calendar of March 2024 with events, notes, a holiday and a day colour,
// on a 1024 x 768 screen.
struct SampleCalendar : BoundCalendar {
    SampleCalendar() : BoundCalendar(At(2024, 3, 13, 11, 0), 1000, 700) {
        cal.PrintScreenSize = QSize(1024, 768);
        db.AddEvent(0, "Dentist", At(2024, 3, 5, 9, 30));
        db.AddEvent(0, "Team meeting", At(2024, 1, 1, 10, 0),
                    {.recurrence = rkWeekly, .nParam = 1, .category = ecMeeting});
        db.AddEvent(0, "Anna's birthday", At(1990, 3, 8),
                    {.recurrence = rkAnnually, .nParam = 1, .category = ecBirthday});
        db.AddHoliday(3, 17, "St Patrick's Day");
        db.AddNote(0, At(2024, 3, 13), "Shopping list");
        db.AddNote(0, At(2024, 3, 22), "Trip plan");
        db.AddColor(0, At(2024, 3, 22), RGBColor(255, 240, 170));
        cal.ColorFont = clWhite;  // the delivered colour, unreadable on paper
        cal.UpdateCalendar();
    }
};

}  // namespace

TEST(PrintCalendar, OptionsChooseWhatThePageShows) {
    REQUIRE_POPPLER();
    SampleCalendar s;
    struct Row {
        bool events, notes, holidays, title;
    } const rows[] = {
        {true, true, true, true}, {false, true, false, true}, {true, false, true, false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.events << r.notes << r.holidays << r.title);
        PdfPrinter pdf;
        TvnPrintOptions o = Options(2, 0, r.title);
        o.PrintEvents = r.events;
        o.PrintNotes = r.notes;
        o.PrintHolidays = r.holidays;
        s.cal.Print(o, pdf.printer);
        const QString text = PdfText(pdf.file);
        EXPECT_EQ(text.contains("Dentist"), r.events);
        EXPECT_EQ(text.contains("Shopping list"), r.notes);
        EXPECT_EQ(text.contains("St Patrick"), r.holidays);
        EXPECT_EQ(text.contains(s.cal.GetDateFormatA()), r.title);
        EXPECT_TRUE(text.contains("Mon"));  // the data-free layers always print
    }
}

TEST(PrintCalendar, ACellPrintsFromItsScrollPosition) {
    REQUIRE_POPPLER();
    BoundCalendar b(At(2024, 3, 1), 700, 500);
    for (int i = 0; i < 8; ++i)
        b.db.AddEvent(0, QString("item%1x").arg(i), At(2024, 3, 12, 8 + i));
    b.cal.UpdateCalendar();
    b.cal.BackBuffer();  // places the cell's scroll bar
    QScrollBar* bar = b.cal.CellScrollBar(1, 2);
    ASSERT_FALSE(bar->isHidden());
    bar->setValue(2);
    PdfPrinter pdf;
    b.cal.Print(Options(-1, -1), pdf.printer);
    const QString text = PdfText(pdf.file);
    EXPECT_FALSE(text.contains("item0x"));
    EXPECT_FALSE(text.contains("item1x"));
    EXPECT_TRUE(text.contains("item2x"));
    EXPECT_EQ(bar->value(), 2);
}

TEST(PrintCalendar, ScreenStateComesBackAfterPrintAndAfterAFailedStart) {
    SampleCalendar s;
    TvnDBDrawCalendar& c = s.cal;
    c.DisplayHolidays = false;
    const TvnDrawMetrics before = c.DrawMetrics();
    QTemporaryDir dir;
    for (const QString& file : {dir.filePath("ok.pdf"), dir.filePath("missing/folder/x.pdf")}) {
        SCOPED_TRACE(file.toStdString());
        const bool fails = file.contains("missing");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        c.BackBuffer();
        if (fails)
            EXPECT_THROW(c.Print(Options(0, 4), printer), std::runtime_error);
        else
            EXPECT_NO_THROW(c.Print(Options(0, 4), printer));
        EXPECT_EQ(QFile::exists(file), !fails);
        EXPECT_EQ(c.DrawCanvas, before.DrawCanvas);
        EXPECT_EQ(c.ItemHeight, before.ItemHeight);
        EXPECT_EQ(c.MarginX, before.MarginX);
        EXPECT_FLOAT_EQ(c.PrintScale, 1.0f);
        EXPECT_FALSE(c.Printing);
        EXPECT_TRUE(c.PaintCurrDate);
        EXPECT_EQ(c.ColorFont, clWhite);
        EXPECT_TRUE(c.DisplayEvents && c.DisplayNotes);
        EXPECT_FALSE(c.DisplayHolidays);
        EXPECT_TRUE(c.RepaintPending());
        const QImage& screen = c.BackBuffer();
        const TRect today = c.GetCellRect(2, 2);  // 13 March, painted on screen again
        EXPECT_SAME_PIXEL(screen.pixel(today.Right - 3, today.Bottom - 3),
                          ColorToRgb(c.ColorCurrDay) | 0xFF000000u);
    }
}

TEST(PrintCalendar, NumberOfCopiesReachesThePrinter) {
    SampleCalendar s;
    for (const auto& [asked, copies] : {std::pair{3, 3}, {0, 1}, {250, 100}}) {
        PdfPrinter pdf;
        TvnPrintOptions o = Options(2, 0);
        o.NumberOfCopies = asked;
        s.cal.Print(o, pdf.printer);
        EXPECT_EQ(pdf.printer.copyCount(), copies) << asked;
    }
}

TEST(PrintCalendar, TinyPageAndHugeWallpaperPrintWithoutFault) {
    SampleCalendar s;
    s.cal.SetWallpaper(QImage(8000, 6000, QImage::Format_RGB32));
    for (int pos : {0, 1, 2}) {
        s.cal.WallpaperPos = pos;
        PdfPrinter pdf;
        pdf.printer.setResolution(72);
        pdf.printer.setPageSize(
            QPageSize(QSize(1, 1), QPageSize::Point, {}, QPageSize::ExactMatch));
        pdf.printer.setPageMargins(QMarginsF(0, 0, 0, 0));
        ASSERT_EQ(pdf.printer.width(), 1);
        ASSERT_EQ(pdf.printer.height(), 1);
        EXPECT_NO_THROW(s.cal.Print(Options(pos - 1, 4), pdf.printer)) << pos;
        EXPECT_TRUE(QFile::exists(pdf.file));
    }
}

TEST(PrintCalendar, EveryViewOnA4PortraitAndLandscape) {
    REQUIRE_POPPLER();
    SampleCalendar s;
    const struct {
        TvnViewModes mode;
        const char* name;
        TDateTime day;
    } views[] = {{vmDay, "day", At(2024, 3, 5)},
                 {vmWeek, "week", At(2024, 3, 13)},
                 {vmMonth, "month", At(2024, 3, 13)},
                 {vmYear, "year", At(2024, 3, 13)}};
    for (const auto& v : views) {
        s.Show(v.mode, v.day);
        for (const auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
            const QString name =
                QStringLiteral("print_%1_%2")
                    .arg(v.name, orientation == QPageLayout::Portrait ? "portrait" : "landscape");
            PdfPrinter pdf(orientation);
            s.cal.Print(Options(2, 0), pdf.printer);
            const QString base = QDir(TestOutputDir()).filePath(name);
            RunTool(QStringLiteral("pdftoppm"),
                    {"-png", "-r", "50", "-singlefile", pdf.file, base});
            const QImage page(base + ".png");
            ASSERT_FALSE(page.isNull()) << name.toStdString();
            EXPECT_EQ(page.width() > page.height(), orientation == QPageLayout::Landscape);
        }
    }
    // Half the page in its middle, the wallpaper stretched behind the calendar.
    QImage wallpaper(640, 400, QImage::Format_RGB32);
    wallpaper.fill(QColor(60, 90, 140));
    s.cal.SetWallpaper(wallpaper);
    s.cal.WallpaperPos = 2;
    s.Show(vmMonth, At(2024, 3, 13));
    PdfPrinter pdf;
    s.cal.Print(Options(0, 4), pdf.printer);
    const QString base = QDir(TestOutputDir()).filePath("print_month_wallpaper_center");
    RunTool(QStringLiteral("pdftoppm"), {"-png", "-r", "50", "-singlefile", pdf.file, base});
    const QImage page(base + ".png");
    ASSERT_FALSE(page.isNull());
    // The wallpaper fills the area only: the page's corner stays white.
    EXPECT_SAME_PIXEL(page.pixel(2, 2) | 0xFF000000u, 0xFFFFFFFFu);
    const QRgb middle = page.pixel(page.width() / 2, page.height() / 2 + 40);
    EXPECT_GT(qBlue(middle) - qRed(middle), 50) << PixelText(middle);
}

namespace {

template <class T>
T* Child(QDialog& form, const char* name) {
    T* child = form.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

}  // namespace

TEST(FormPrintOptions, ShowsTheRecordAndWritesItBackOnPrint) {
    TvnPrintOptions o = Options(1, 5);
    o.PrintNotes = false;
    o.NumberOfCopies = 4;
    QPrinter printer;
    TFormPrintOptions form(nullptr, &o, &printer);
    auto* proportions = Child<QComboBox>(form, "cBox_Proportions");
    auto* position = Child<QComboBox>(form, "cBox_Position");
    auto* copies = Child<QSpinBox>(form, "upDown_nCopies");
    EXPECT_TRUE(Child<QRadioButton>(form, "rBtn_Proportions")->isChecked());
    EXPECT_EQ(proportions->currentText(), "75%");
    EXPECT_EQ(position->currentText(), "Middle-right");
    EXPECT_TRUE(proportions->isEnabled() && position->isEnabled());
    EXPECT_FALSE(Child<QCheckBox>(form, "check_PrintNotes")->isChecked());
    EXPECT_TRUE(Child<QLineEdit>(form, "edit_nCopies")->isReadOnly());
    EXPECT_EQ(copies->value(), 4);
    form.show();
    const QString file = QDir(TestOutputDir()).filePath("print_options.png");
    EXPECT_TRUE(form.grab().save(file)) << file.toStdString();

    Child<QRadioButton>(form, "rBtn_StrechToPage")->click();
    EXPECT_FALSE(proportions->isEnabled() || position->isEnabled());
    Child<QRadioButton>(form, "rBtn_Proportions")->click();
    EXPECT_EQ(proportions->currentText(), "50%");
    EXPECT_EQ(position->currentText(), "Top-left");
    position->setCurrentIndex(8);
    copies->stepBy(200);
    Child<QCheckBox>(form, "check_PrintNotes")->click();
    {
        ScopedDialogScript script;
        script.PrinterSetup(true);
        Child<QPushButton>(form, "btnPrintrerSetup")->click();
        ASSERT_EQ(script.Count(TDialogKind::PrinterSetup), 1);
        EXPECT_EQ(script.Requests()[0].Printer, &printer);
    }
    Child<QPushButton>(form, "btnPrint")->click();
    EXPECT_TRUE(o.Accepted);
    EXPECT_EQ(o.Proportions, 0);
    EXPECT_EQ(o.Position, 8);
    EXPECT_EQ(o.NumberOfCopies, 100);
    EXPECT_TRUE(o.PrintNotes);
}

TEST(FormPrintOptions, StretchedRecordAndCancelKeepTheOptions) {
    TvnPrintOptions o = Options(-1, -1);
    const TvnPrintOptions before = o;
    TFormPrintOptions form(nullptr, &o, nullptr);
    EXPECT_TRUE(Child<QRadioButton>(form, "rBtn_StrechToPage")->isChecked());
    EXPECT_FALSE(Child<QComboBox>(form, "cBox_Proportions")->isEnabled());
    EXPECT_EQ(Child<QComboBox>(form, "cBox_Position")->currentIndex(), 0);
    Child<QRadioButton>(form, "rBtn_Proportions")->click();
    Child<QCheckBox>(form, "check_PrintEvents")->click();
    Child<QPushButton>(form, "btnCancel")->click();
    EXPECT_FALSE(o.Accepted);
    EXPECT_EQ(o, before);
}

TEST(PrintCalendar, LightFontColourPrintsDarkOnBarePaper) {
    REQUIRE_POPPLER();
    BoundCalendar b(At(2024, 3, 13), 700, 500);
    b.cal.PrintScreenSize = QSize(1024, 768);
    b.cal.ColorFont = clWhite;
    PdfPrinter pdf;
    b.cal.Print(Options(2, 0, false), pdf.printer);
    const QString base = QDir(TestOutputDir()).filePath("print_light_font");
    RunTool(QStringLiteral("pdftoppm"), {"-png", "-r", "50", "-singlefile", pdf.file, base});
    const QImage page(base + ".png");
    ASSERT_FALSE(page.isNull());
    int dark = 0;  // weekday names and day numbers; the grid is navy, not dark
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb p = page.pixel(x, y);
            dark += qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) < 80;
        }
    EXPECT_GT(dark, 200);
}

namespace {

// A calendar whose data layer fails in the middle of a print.
struct FailingPaintCalendar : TvnDBDrawCalendar {
    void PaintTo() override {
        TvnDBDrawCalendar::PaintTo();
        if (Printing) throw EDatabaseError(QStringLiteral("The table engine failed."));
    }
};

}  // namespace

TEST(PrintCalendar, AnErrorWhilePaintingEndsTheDocumentAndRestores) {
    ScopedClock clock(At(2024, 3, 13));
    FailingPaintCalendar c;
    c.DisplayHolidays = false;
    PdfPrinter pdf;
    TvnPrintOptions o = Options(2, 0);
    o.PrintEvents = o.PrintHolidays = false;
    EXPECT_THROW(c.Print(o, pdf.printer), EDatabaseError);
    EXPECT_TRUE(QFile::exists(pdf.file));  // the document was ended
    EXPECT_FALSE(c.Printing);
    EXPECT_TRUE(c.PaintCurrDate && c.DisplayEvents && c.DisplayNotes);
    EXPECT_FALSE(c.DisplayHolidays);
    EXPECT_EQ(c.ItemHeight, TvnDrawMetrics{}.ItemHeight);
}
