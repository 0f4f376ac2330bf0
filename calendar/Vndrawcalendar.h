// The drawing half of the calendar control: the date grid (TvnCalendarGrid)
// laid out in title slots and cells, mouse points on cells and item lines,
// navigation, the one-second timer, and the data-free painting into the
// control's back buffer.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <exception>
#include <functional>

#include "calendar/Vncalendargrid.h"
#include "calendar/Vnprintoptions.h"
#include "platform/Canvas.h"
#include "platform/Colors.h"
#include "platform/DateTime.h"

class QMenu;
class QPrinter;
struct TvnPrintArea;

// The sizes and the canvas a paint uses. Printing swaps the whole value for
// the printer's and restores it afterwards, so that no field is forgotten.
struct TvnDrawMetrics {
    int MarginX = 8;
    int MarginY = 6;
    int CellInset = 1;
    int DayFontHeight = -13;
    int DayNumberFontHeight = -14;
    int ItemFontHeight = -9;
    int TitleHeight = 19;
    int DayNumberHeight = 21;
    int ItemHeight = 18;
    float PrintScale = 1.0f;
    bool Printing = false;
    // Canvas being painted: the control's own, or a printer's while printing.
    TCanvas* DrawCanvas = nullptr;
    // Drawing area while printing (on screen the control's size is used).
    int PrintDrawWidth = 0;
    int PrintDrawHeight = 0;
};

class TvnDrawCalendar : public QWidget, public TvnDrawMetrics {
    Q_OBJECT

public:
    explicit TvnDrawCalendar(QWidget* parent = nullptr);
    ~TvnDrawCalendar() override;

    // ---- notifications (assigned by the main window)
    std::function<void(TvnDrawCalendar* sender)> OnDisplayCalendar;
    std::function<void(TvnDrawCalendar* sender, const QString& title, int year, int month, int day)>
        OnChangeCalendarDate;
    std::function<void(TvnDrawCalendar* sender, int year, int month, int day)> OnChangeCarrentDate;
    std::function<void(TvnDrawCalendar* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                       int x, int y)>
        OnMouseDown;
    std::function<void(TvnDrawCalendar* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                       int x, int y)>
        OnMouseUp;
    std::function<void(TvnDrawCalendar* sender)> OnDblClick;
    // An error (such as a database engine error) caught in a paint, mouse or
    // timer handler, where it must not reach Qt; without a handler it is
    // written to the debug output.
    std::function<void(TvnDrawCalendar* sender, const QString& message)> OnError;
    // Keys the control does not act on itself (Enter, Delete, ...); the
    // owner decides what they do on the focused day or the selected item.
    std::function<void(TvnDrawCalendar* sender, int key, Qt::KeyboardModifiers shift)> OnKeyDown;
    // Shown on a right-button release over a cell; not owned.
    QMenu* PopupMenu = nullptr;

    // ---- public painting switches and colours
    bool PaintCurrDate = true;
    bool ShowGrid = true;
    bool PaintWeekends = true;
    TColor ColorGrid = 0x800000;
    TColor ColorWeekends = 0x8000000F;
    TColor ColorCurrDay = 0x808000;
    TColor ColorFont = 0xFFFFFF;
    // Numbers of the days before and after the month: dimmed, yet dark
    // enough to read on every ground a cell may have (4.5:1).
    static constexpr TColor ColorOutOfMonth = 0x595959;
    int WallpaperPos = 0;  // 0 top-left, 1 centred, 2 stretched
    bool DblClicked = false;
    TDateTime DisplayTime = 0;   // time of day for OnDisplayCalendar; 0 = never
    TDateTime SelectedDate = 0;  // day of the cell last pressed; 0 = none

    // ---- cell and item line under the last mouse press (-1 = none)
    int SelCol = -1;
    int SelRow = -1;
    int SelItem = -1;

    // ---- geometry of the last paint
    std::array<TRect, 7> TitlesRects{};
    // Index CellRectIndex(col, row).
    std::array<TRect, 42> CellsRects{};

    // ---- metrics (screen values from SetCanvasDefault; printing swaps them)
    const TvnDrawMetrics& DrawMetrics() const { return *this; }
    void SetDrawMetrics(const TvnDrawMetrics& metrics) { TvnDrawMetrics::operator=(metrics); }

    // ---- set-up
    void Activate();
    void SetCanvasDefault();
    int ItemFontSize() const { return FItemFontSize; }
    void SetItemFontSize(int n);
    int StartOfWeek() const { return FGrid.StartOfWeek(); }
    void SetStartOfWeek(int n);
    const QImage& Wallpaper() const { return FWallpaper; }
    void SetWallpaper(const QImage& picture);
    void UpdateCalendar();

    // ---- dates and views
    const TvnCalendarGrid& Grid() const { return FGrid; }
    TDateTime CalendarDate() const { return FGrid.CalendarDate(); }
    void SetCalendarDate(TDateTime date);
    TvnViewModes ViewMode() const { return FGrid.ViewMode(); }
    void SetViewMode(int mode);
    void SetDateElement(int element, int value);
    void ChangeDate(int element, int count);
    void ChangeDay(int count);
    void ChangeMonth(int count);
    void ChangeYear(int count);
    QString GetDateFormatA() const;
    TDateTime FirstDate() const { return FGrid.FirstDate(); }
    TDateTime LastDate() const { return FGrid.LastDate(); }
    TDateTime CurrDate() const { return FCurrDate; }
    int FirstDayIndex() const { return FGrid.FirstDayIndex(); }
    int ColCount() const { return FGrid.ColCount(); }
    int RowCount() const { return FGrid.RowCount(); }
    int WeekendCol1() const { return FGrid.WeekendCol1(); }
    int WeekendCol2() const { return FGrid.WeekendCol2(); }

    // ---- the focused day: the day last pressed or moved to with the keys;
    // a change of the shown date puts it on that date.
    TDateTime FocusedDate() const { return FFocusedDate; }
    // Focuses a day and presses it (SelectedDate, no item); a day outside
    // the shown month (year in the year view, days otherwise) moves the view.
    void SetFocusedDate(TDateTime date);
    // One step of the arrow and page keys: deDay, deWeek, deMonth or deYear
    // times count. A month or year step keeps the day of the month, lowered
    // to the length of a shorter month.
    void MoveFocusedDate(int element, int count);
    // Whether the frame of the focused day is drawn (keyboard focus, screen).
    bool ShowsFocusFrame() const;

    static int DaysPerMonth(int year, int month);
    int DaysPriorMonth() const { return FGrid.DaysPriorMonth(); }
    int DaysThisMonth() const { return FGrid.DaysThisMonth(); }

    // ---- cells
    TDateTime CellToDate(int col, int row) const { return FGrid.CellToDate(col, row); }
    void DateToCell(TDateTime date, int& col, int& row) const { FGrid.DateToCell(date, col, row); }
    TRect GetCellRect(int col, int row) const;
    QString GetDayName(int col) const;
    QString GetDayNumber(int col, int row, bool& inMonth) const;
    int GetMonthOffset(int col, int row, int& days) const;
    void CalcTitlesRects();
    void CalcCellsRects();
    void MouseToCell(int x, int y);
    void MouseToItem(int x, int y);
    int DrawWidth() const { return Printing ? PrintDrawWidth : width(); }
    int DrawHeight() const { return Printing ? PrintDrawHeight : height(); }

    // ---- painting
    // Repaints the whole control (deferred to the next flush or Qt paint).
    void Invalidate();
    // The picture of the control; a pending full repaint is made first.
    const QImage& BackBuffer();
    // Makes a pending full repaint now.
    void FlushPaint();
    bool RepaintPending() const { return FBufferDirty; }

    // ---- overridable operations
    virtual void DoSelectItem();
    // Selects the next (step 1) or previous (step -1) item line of the
    // focused day, as a press on it would; nothing here (no item lines).
    virtual void SelectFocusedItem(int step);
    virtual void DrawCell(int col, int row, bool highlighted);
    virtual void PaintTo();
    virtual void OnTimer(QObject* sender);
    virtual void UpdateData();

    // ---- printing
    // Prints the shown view on one page of the printer and puts the screen's
    // canvas and metrics back, also when printing fails; a printer that
    // cannot start the job or finish it raises std::runtime_error.
    virtual void Print(TvnPrintOptions options, QPrinter& printer);
    // The screen whose proportions a proportional print keeps, in device
    // pixels; empty: the screen the control is on.
    QSize PrintScreenSize;
    QSize ScreenPixels() const;

    // ---- mouse, as the platform's control delivers it
    virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void DblClick();

signals:
    void FocusedDateChanged(TDateTime date);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Puts the focus on a day without moving the view.
    void PutFocus(TDateTime date);
    // The context menu key (or Shift+F10): the popup menu over the focused day.
    void PopupAtFocusedDay();
    // The frame of the focused day, when it is in the given cell (-1, -1:
    // wherever it is); drawn over whatever the cell holds.
    void DrawFocusFrame(int col = -1, int row = -1);
    // The box of one day of a year-view mini-month.
    TRect MiniDayRect(int col, int row, int day) const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    // Called after the control's size changed.
    virtual void Resize();
    // Reports an error caught at the boundary to Qt (see OnError).
    void ReportError(const std::exception& error);
    void ReportUnknownError();
    // Runs a handler body so that no exception leaves it. The application's
    // error boundary catches what reaches the event loop, but a paint, a
    // mouse press or a timer slot is reached through Qt's own frames (widget
    // event handling, a signal emission), which an exception must not unwind,
    // and a failed paint must still leave the back buffer whole: so the
    // control stops the error here and hands its text to OnError, which the
    // program routes to that same one error box.
    template <typename F>
    void Guarded(F&& body);

    // Painting steps.
    void DrawDayView();
    // The outline of every cell of the grid in the grid colour.
    void DrawGridOutlines();
    void DrawMonthWeekView();
    void DrawYearView();
    void DrawMonthName(int col, int row, bool highlighted);
    void DrawDaysOfMonth(int col, int row, bool highlighted);
    void DrawDayNumber(int col, int row, bool highlighted);
    void DrawWallpaperRect(int col, int row);
    void OnWallpaperChanged(QObject* sender);
    // Fills a cell rectangle with a colour and outlines it with the grid
    // colour when the grid is shown (the fill colour otherwise).
    void FillCell(const TRect& r, TColor color);
    // The page once the print job has begun.
    void PrintPage(const TvnPrintOptions& options, TCanvas& canvas, QPrinter& printer);
    void PrintWallpaper(const TvnPrintOptions& options, const TvnPrintArea& area, TCanvas& canvas);
    int PrintDateTitle(const TvnPrintArea& area, TCanvas& canvas);
    // Starts drawing into the back buffer if nothing draws yet.
    TCanvasSession BufferSession();

    QTimer* Timer = nullptr;
    TCanvas FCanvas;
    QImage FBuffer;
    bool FBufferDirty = true;

    TvnCalendarGrid FGrid;
    TDateTime FCurrDate = 0;
    TDateTime FFocusedDate = 0;
    int FItemFontSize = 0;
    QImage FWallpaper;

private:
    void EnsureBufferSize();
    void TimerTick();
};

template <typename F>
void TvnDrawCalendar::Guarded(F&& body) {
    try {
        body();
    } catch (const std::exception& error) {
        ReportError(error);
    } catch (...) {
        ReportUnknownError();
    }
}
