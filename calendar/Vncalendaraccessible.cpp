#include "calendar/Vncalendaraccessible.h"

#include <QDate>
#include <QLocale>
#include <QPointer>
#include <QWindow>

#include "calendar/Vndbdrawcalendar.h"
#include "calendar/Vndrawcalendar.h"
#include "reminder/Vncalendardata.h"
#include "store/Adodb.h"

namespace {

QDate ToQDate(TDateTime date) {
    const TDateParts p = DecodeDateParts(date);
    return QDate(p.y, p.m, p.d);
}

// The holiday a cell shows; empty for none or a row that is gone.
QString HolidayOf(TvnDBDrawCalendar& c, int col, int row) {
    const QString& bookmark = c.HolidayBookmarks[col][row];
    if (!c.DisplayHolidays || !c.TableIsActive(tsHolidays) || bookmark.isEmpty() ||
        bookmark == QLatin1String("0"))
        return {};
    try {
        TADOTable* table = c.DataSet(tsHolidays);
        table->SetBookmark(bookmark);
        return table->FieldByName(QStringLiteral("Name"))->AsString();
    } catch (const EDatabaseError&) {
        return {};
    }
}

// The painting's own order of a cell's events, which the control keeps to
// itself; the member pointer reaches it without a cast of the object.
struct TvnDayOrder : TvnDBDrawCalendar {
    using TvnDBDrawCalendar::EventsInDayOrder;
};

// The events a cell shows as their item lines read, in the order they are
// painted.
QStringList EventsOf(TvnDBDrawCalendar& c, int col, int row) {
    QStringList events;
    if (!c.TableIsActive(tsEvents)) return events;
    for (const TvnEventDrawData* entry :
         (c.*&TvnDayOrder::EventsInDayOrder)(CellFlagIndex(col, row))) {
        TvnEventParams event;
        try {
            c.DataSet(tsEvents)->SetBookmark(entry->Bookmark);
            c.DBRecord_To_EventStruct(&event);
        } catch (const EDatabaseError&) {
            continue;  // deleted by another program since the last refresh
        }
        events << TvnDBDrawCalendar::EventItemText(event.Desc, event.UseStartTime, event.Date);
    }
    return events;
}

// The titles of a cell's notes, as their item lines show them.
QStringList NotesOf(TvnDBDrawCalendar& c, int col, int row) {
    QStringList notes;
    if (!c.DisplayNotes || !c.TableIsActive(tsNotes)) return notes;
    TvnCalendarData& data = c.Data();
    data.SetNotesDayFilter(c.CellToDate(col, row));
    try {
        TADOTable* table = c.DataSet(tsNotes);
        for (table->First(); !table->Eof(); table->Next())
            notes << table->FieldByName(QStringLiteral("Title"))->AsString();
    } catch (const EDatabaseError&) {
        notes.clear();
    }
    data.RestoreNotesFilter();
    return notes;
}

QString Counted(const QStringList& items, const char* one, const char* many) {
    if (items.isEmpty()) return {};
    const QString what = QLatin1String(items.size() == 1 ? one : many);
    return QStringLiteral("%1 %2: %3")
        .arg(items.size())
        .arg(what, items.join(QStringLiteral(", ")));
}

// One shown cell; it knows only its index, so that it follows the view.
class TvnCalendarCellAccessible : public QAccessibleInterface {
public:
    TvnCalendarCellAccessible(TvnDrawCalendar* calendar, int index)
        : calendar_(calendar), index_(index) {}

    bool isValid() const override {
        return calendar_ && index_ < calendar_->ColCount() * calendar_->RowCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return calendar_ ? calendar_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(calendar_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) return {};
        return CalendarCellName(*calendar_, Col(), Row());
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect r = calendar_->GetCellRect(Col(), Row()).ToQRect();
        return QRect(calendar_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.focusable = true;
        s.selectable = true;
        if (!isValid()) return s;
        const auto* table =
            static_cast<TvnCalendarAccessible*>(QAccessible::queryAccessibleInterface(calendar_));
        s.focused = calendar_->hasFocus() && table->FocusedIndex() == index_;
        s.selected = int(calendar_->CellToDate(Col(), Row())) == int(calendar_->SelectedDate);
        return s;
    }

private:
    int Col() const { return index_ % calendar_->ColCount(); }
    int Row() const { return index_ / calendar_->ColCount(); }

    QPointer<TvnDrawCalendar> calendar_;
    int index_;
};

QAccessibleInterface* CalendarFactory(const QString&, QObject* object) {
    auto* calendar = qobject_cast<TvnDrawCalendar*>(object);
    return calendar ? new TvnCalendarAccessible(calendar) : nullptr;
}

}  // namespace

QString CalendarCellName(TvnDrawCalendar& calendar, int col, int row) {
    const TDateTime date = calendar.CellToDate(col, row);
    const QLocale locale;
    if (calendar.ViewMode() == vmYear)
        return locale.toString(ToQDate(date), QStringLiteral("MMMM yyyy"));
    QStringList parts = {locale.toString(ToQDate(date), QStringLiteral("dddd d MMMM yyyy"))};
    if (int(date) == int(calendar.CurrDate())) parts << QStringLiteral("today");
    if (auto* data = qobject_cast<TvnDBDrawCalendar*>(&calendar)) {
        const QString holiday = HolidayOf(*data, col, row);
        if (!holiday.isEmpty()) parts << QStringLiteral("holiday ") + holiday;
        for (const QString& items : {Counted(EventsOf(*data, col, row), "event", "events"),
                                     Counted(NotesOf(*data, col, row), "note", "notes")})
            if (!items.isEmpty()) parts << items;
    }
    return parts.join(QStringLiteral(", "));
}

TvnCalendarAccessible::TvnCalendarAccessible(TvnDrawCalendar* calendar)
    : QAccessibleWidget(calendar, QAccessible::Table) {
    // A screen reader follows the focused day as the keys move it.
    QObject::connect(calendar, &TvnDrawCalendar::FocusedDateChanged, calendar, [calendar] {
        if (!QAccessible::isActive() || !calendar->hasFocus()) return;
        if (QAccessibleInterface* cell =
                QAccessible::queryAccessibleInterface(calendar)->focusChild()) {
            QAccessibleEvent event(cell, QAccessible::Focus);
            QAccessible::updateAccessibility(&event);
        }
    });
}

TvnCalendarAccessible::~TvnCalendarAccessible() {
    for (const QAccessible::Id id : cells_)
        QAccessible::deleteAccessibleInterface(id);
}

TvnDrawCalendar* TvnCalendarAccessible::Calendar() const {
    return static_cast<TvnDrawCalendar*>(widget());
}

int TvnCalendarAccessible::childCount() const {
    return Calendar()->ColCount() * Calendar()->RowCount();
}

QAccessibleInterface* TvnCalendarAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    while (cells_.size() <= index)
        cells_ << QAccessible::registerAccessibleInterface(
            new TvnCalendarCellAccessible(Calendar(), int(cells_.size())));
    return QAccessible::accessibleInterface(cells_[index]);
}

int TvnCalendarAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const int index =
        int(cells_.indexOf(QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child))));
    return index < childCount() ? index : -1;
}

int TvnCalendarAccessible::FocusedIndex() const {
    TvnDrawCalendar* c = Calendar();
    if (c->ViewMode() == vmYear) return DecodeDateParts(c->FocusedDate()).m - 1;  // month cells
    int col = -1, row = -1;
    c->DateToCell(c->FocusedDate(), col, row);
    return col < 0 || row < 0 ? -1 : row * c->ColCount() + col;
}

QAccessibleInterface* TvnCalendarAccessible::focusChild() const {
    const int index = FocusedIndex();
    return index < 0 ? nullptr : child(index);
}

QAccessibleInterface* TvnCalendarAccessible::childAt(int x, int y) const {
    for (int i = 0; i < childCount(); ++i)
        if (child(i)->rect().contains(x, y)) return child(i);
    return nullptr;
}

QString TvnCalendarAccessible::text(QAccessible::Text t) const {
    const QString own = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && own.isEmpty()) return QStringLiteral("Calendar");
    return own;
}

void InstallCalendarAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(CalendarFactory);
}
