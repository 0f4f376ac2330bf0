// Construction, set-up, the back buffer, the timer and the mouse.
#include "calendar/Vndrawcalendar.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QtDebug>
#include <algorithm>
#include <cmath>

TvnDrawCalendar::TvnDrawCalendar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setFocusPolicy(Qt::StrongFocus);
    Timer = new QTimer(this);
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, &TvnDrawCalendar::TimerTick);
    SetCanvasDefault();
    resize(350, 250);
    FCurrDate = Date();
    FGrid.SetCalendarDate(FCurrDate);
    SelectedDate = FCurrDate;
    FFocusedDate = FCurrDate;
}

TvnDrawCalendar::~TvnDrawCalendar() {
    FCanvas.End();
}

void TvnDrawCalendar::Activate() {
    Timer->start();
}

void TvnDrawCalendar::SetCanvasDefault() {
    // Item text sizes by ItemFontSize, in single precision as the sizes have
    // always been computed: -9, -12, -14, -16, -19 pixels.
    static constexpr float kItemFactor[] = {0.8f, 1.0f, 1.2f, 1.4f, 1.6f};
    TvnDrawMetrics m;
    m.DrawCanvas = &FCanvas;
    m.ItemFontHeight = int(std::trunc(kItemFactor[FItemFontSize] * -12.0f));
    m.TitleHeight = int(std::trunc(-m.DayFontHeight * 1.5));
    m.DayNumberHeight = int(std::trunc(-m.DayNumberFontHeight * 1.5));
    m.ItemHeight = std::max(18, int(std::trunc(-m.ItemFontHeight * 1.6)));
    SetDrawMetrics(m);
    FCanvas.Font.Name = QStringLiteral("Arial");
    FCanvas.Pen.Width = 1;
}

void TvnDrawCalendar::SetItemFontSize(int n) {
    if (n == FItemFontSize || n < 0 || n > 4) return;
    FItemFontSize = n;
    SetCanvasDefault();
    Invalidate();
}

void TvnDrawCalendar::SetStartOfWeek(int n) {
    if (FGrid.SetStartOfWeek(n)) UpdateCalendar();
}

void TvnDrawCalendar::SetWallpaper(const QImage& picture) {
    FWallpaper = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    OnWallpaperChanged(this);
}

void TvnDrawCalendar::OnWallpaperChanged(QObject*) {
    Invalidate();
}

void TvnDrawCalendar::UpdateCalendar() {
    UpdateData();
    Invalidate();
}

// ---- back buffer

void TvnDrawCalendar::Invalidate() {
    FBufferDirty = true;
    update();
}

void TvnDrawCalendar::EnsureBufferSize() {
    const QSize size(std::max(1, width()), std::max(1, height()));
    if (FBuffer.size() == size) return;
    FCanvas.End();
    FBuffer = QImage(size, QImage::Format_RGB32);
    FBufferDirty = true;
}

TCanvasSession TvnDrawCalendar::BufferSession() {
    EnsureBufferSize();
    return TCanvasSession(FCanvas, &FBuffer);
}

void TvnDrawCalendar::FlushPaint() {
    EnsureBufferSize();
    if (!FBufferDirty || Printing) return;
    FBufferDirty = false;
    // What the control leaves unpainted shows the window behind it.
    FBuffer.fill(palette().color(QPalette::Window));
    Guarded([this] {
        TCanvasSession session(FCanvas, &FBuffer);
        PaintTo();
        DrawFocusFrame();
    });
}

const QImage& TvnDrawCalendar::BackBuffer() {
    FlushPaint();
    return FBuffer;
}

void TvnDrawCalendar::paintEvent(QPaintEvent* event) {
    FlushPaint();
    QPainter painter(this);
    painter.drawImage(event->rect(), FBuffer, event->rect());
}

void TvnDrawCalendar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Invalidate();
    Guarded([this] { Resize(); });
}

void TvnDrawCalendar::Resize() {}

// ---- errors

void TvnDrawCalendar::ReportError(const std::exception& error) {
    const QString text = QString::fromUtf8(error.what());
    if (!OnError) {
        qWarning("Vornel calendar: %s", qPrintable(text));
        return;
    }
    try {
        OnError(this, text);
    } catch (...) {
        qWarning("Vornel calendar: %s", qPrintable(text));
    }
}

void TvnDrawCalendar::ReportUnknownError() {
    ReportError(std::runtime_error("unknown error"));
}

// ---- timer

void TvnDrawCalendar::TimerTick() {
    Guarded([this] { OnTimer(Timer); });
}

void TvnDrawCalendar::OnTimer(QObject*) {
    if (DisplayTime != 0) {
        const double d = Time() - DisplayTime;
        if (d >= 0 && d <= 1.0 / SecsPerDay && OnDisplayCalendar) OnDisplayCalendar(this);
    }
    const TDateTime today = Date();
    if (today == FCurrDate) return;
    // The highlight moves: repaint when it leaves a shown day (the last day
    // of a week left open overnight) or comes onto one.
    int oldCol = -1, oldRow = -1, col = -1, row = -1;
    DateToCell(FCurrDate, oldCol, oldRow);
    FCurrDate = today;
    DateToCell(FCurrDate, col, row);
    // The year view marks today in its mini-months.
    if ((col != -1 && row != -1) || (oldCol != -1 && oldRow != -1) || ViewMode() == vmYear)
        Invalidate();
    if (OnChangeCarrentDate) {
        int y = 0, m = 0, d = 0;
        DecodeDate(FCurrDate, y, m, d);
        OnChangeCarrentDate(this, y, m, d);
    }
}

// ---- mouse

void TvnDrawCalendar::DoSelectItem() {}

void TvnDrawCalendar::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    // The rectangles of the last paint may be stale after a resize that has
    // not been painted yet.
    CalcTitlesRects();
    CalcCellsRects();
    MouseToCell(x, y);
    MouseToItem(x, y);
    SelectedDate = CellToDate(SelCol, SelRow);
    if (SelectedDate != 0) PutFocus(SelectedDate);
    if (button == Qt::LeftButton || button == Qt::RightButton) DoSelectItem();
    if (button == Qt::RightButton && SelItem == -1) DrawCell(SelCol, SelRow, true);
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TvnDrawCalendar::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (button == Qt::RightButton) {
        if (PopupMenu && SelCol != -1 && SelRow != -1) PopupMenu->exec(mapToGlobal(QPoint(x, y)));
        if (SelItem == -1) DrawCell(SelCol, SelRow, false);
    }
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TvnDrawCalendar::DblClick() {
    DblClicked = true;
    if (OnDblClick) OnDblClick(this);
}

void TvnDrawCalendar::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    Guarded([&] { MouseDown(event->button(), event->modifiers(), p.x(), p.y()); });
}

void TvnDrawCalendar::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    Guarded([&] { MouseUp(event->button(), event->modifiers(), p.x(), p.y()); });
}

void TvnDrawCalendar::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a press as well.
    const QPoint p = event->position().toPoint();
    Guarded([&] {
        DblClick();
        MouseDown(event->button(), event->modifiers(), p.x(), p.y());
    });
}
