// Printing the shown view on one page: the page layout, the date title, and
// the swap of the canvas and metrics for the printer's and back.
#include <QPrinter>
#include <QScreen>
#include <algorithm>
#include <stdexcept>

#include "calendar/Vndrawcalendar.h"
#include "calendar/Vnprintlayout.h"

namespace {

const QString kPrintJobName = QStringLiteral("Tarnwell calendar");

// Puts the screen's state back on every way out of a print: today's
// highlight, the font colour, the screen canvas and metrics, and a repaint.
class TPrintRestore {
public:
    explicit TPrintRestore(TvnDrawCalendar& calendar)
        : calendar_(calendar),
          paintCurrDate_(calendar.PaintCurrDate),
          colorFont_(calendar.ColorFont) {}
    ~TPrintRestore() {
        calendar_.PaintCurrDate = paintCurrDate_;
        calendar_.ColorFont = colorFont_;
        calendar_.SetCanvasDefault();
        calendar_.Invalidate();
    }
    TPrintRestore(const TPrintRestore&) = delete;
    TPrintRestore& operator=(const TPrintRestore&) = delete;

private:
    TvnDrawCalendar& calendar_;
    bool paintCurrDate_;
    TColor colorFont_;
};

}  // namespace

QSize TvnDrawCalendar::ScreenPixels() const {
    if (!PrintScreenSize.isEmpty()) return PrintScreenSize;
    const QScreen* s = screen();
    if (!s) return QSize(1024, 768);
    return s->geometry().size() * s->devicePixelRatio();
}

void TvnDrawCalendar::Print(TvnPrintOptions options, QPrinter& printer) {
    TPrintRestore restore(*this);
    PaintCurrDate = false;  // today is not highlighted on paper
    Printing = true;
    printer.setDocName(kPrintJobName);
    printer.setCopyCount(std::clamp(options.NumberOfCopies, 1, 100));
    TCanvas canvas;
    if (!canvas.Begin(&printer))
        throw std::runtime_error("The printer could not start the print job.");
    try {
        PrintPage(options, canvas, printer);
    } catch (...) {
        canvas.End();
        throw;
    }
    canvas.End();
    if (printer.printerState() == QPrinter::Error)
        throw std::runtime_error("The printer could not finish the print job.");
}

void TvnDrawCalendar::PrintPage(const TvnPrintOptions& options, TCanvas& canvas,
                                QPrinter& printer) {
    const QSize screenSize = ScreenPixels();
    const int pw = printer.width(), ph = printer.height();
    const TvnPrintArea area = PrintArea(options, pw, ph, screenSize.width(), screenSize.height());
    const bool wallpaper = options.PrintBackgr && !FWallpaper.isNull();
    if (wallpaper) PrintWallpaper(options, area, canvas);
    // The user's font colour suits the screen's background or the wallpaper;
    // on bare paper a light one would vanish.
    if (!wallpaper) ColorFont = clBlack;
    canvas.Brush.Style = bsClear;
    canvas.Font.Color = clBlack;
    canvas.Font.Name = QStringLiteral("Times New Roman");
    canvas.Font.PixelsPerInch = printer.logicalDpiY();
    const int header = options.PrintDateTitle ? PrintDateTitle(area, canvas) : 0;
    const TvnPrintMetrics m = PrintMetrics(area, header, pw, canvas.Font.PixelsPerInch);
    DrawCanvas = &canvas;
    PrintDrawWidth = m.DrawWidth;
    PrintDrawHeight = m.DrawHeight;
    canvas.Font.Name = QStringLiteral("Arial");
    MarginX = m.MarginX;
    MarginY = m.MarginY;
    CellInset = m.CellInset;
    // A pen of width 0 still draws one device pixel, as on the screen.
    canvas.Pen.Width = std::max(1, m.PenWidth);
    DayFontHeight = m.DayFontHeight;
    DayNumberFontHeight = m.DayNumberFontHeight;
    ItemFontHeight = m.ItemFontHeight;
    TitleHeight = m.TitleHeight;
    DayNumberHeight = m.DayNumberHeight;
    ItemHeight = m.ItemHeight;
    PrintScale = m.PrintScale;
    PaintTo();
}

void TvnDrawCalendar::PrintWallpaper(const TvnPrintOptions& options, const TvnPrintArea& area,
                                     TCanvas& canvas) {
    const TvnPrintRect r = PrintWallpaperRect(area, options.Proportions, WallpaperPos,
                                              FWallpaper.width(), FWallpaper.height());
    canvas.StretchDraw(TRect{r.Left, r.Top, r.Right, r.Bottom}, FWallpaper);
}

int TvnDrawCalendar::PrintDateTitle(const TvnPrintArea& area, TCanvas& canvas) {
    const QString text = GetDateFormatA();
    canvas.Font.SetSize(PrintTitlePoints(area));
    canvas.Font.Style = fsBold | fsItalic;
    canvas.TextOut(area.Left + (area.Width - canvas.TextWidth(text)) / 2, area.Top, text);
    canvas.Font.Style = 0;
    return canvas.TextHeight(text);
}
