#include "app/Uformholidays.h"

#include <QShortcut>
#include <QStyle>
#include <algorithm>

#include "app/Uformmain.h"
#include "platform/DateFormat.h"
#include "platform/Dialogs.h"
#include "platform/GuardedSlot.h"
#include "reminder/Uresource.h"
#include "ui_Uformholidays.h"

namespace {

// One entry: the name and the date text of the holiday record it owns; the
// record goes when the entry is deleted, also when the list closes.
class THolidayListItem : public QTreeWidgetItem {
public:
    explicit THolidayListItem(std::unique_ptr<TvnHolidayParams> holiday)
        : holiday_(std::move(holiday)) {
        Refresh();
    }
    TvnHolidayParams* Holiday() const { return holiday_.get(); }
    void Refresh() {
        setText(0, holiday_->Name);
        setText(1, TFormHolidays::HolidayDateText(*holiday_));
    }
    bool operator<(const QTreeWidgetItem& other) const override {
        return TFormHolidays::listView_HolidaysCompare(
            *holiday_, *static_cast<const THolidayListItem&>(other).holiday_);
    }

private:
    std::unique_ptr<TvnHolidayParams> holiday_;
};

bool SameDateRule(const TvnHolidayParams& a, const TvnHolidayParams& b) {
    return a.Month == b.Month && a.Day == b.Day && a.DayOfWeek == b.DayOfWeek &&
           a.NumOfWeek == b.NumOfWeek;
}

// The date column fits the longest rule in the current month names, and the
// list fits both columns beside a scroll bar.
void SizeColumns(QTreeWidget* list) {
    const QFontMetrics fm = list->fontMetrics();
    int widest = 0;
    for (const QString& month : FormatSettings().ShortMonthNames)
        widest =
            std::max(widest, fm.horizontalAdvance(month + QStringLiteral(", second Wednesday")));
    const int name = 170;
    const int date = widest + 16;
    list->setColumnWidth(0, name);
    list->setColumnWidth(1, date);
    const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    list->setMinimumWidth(name + date + scrollBar + 2 * list->frameWidth() + 4);
}

const QString NoItemSelected = QStringLiteral("No item has been selected!");

}  // namespace

TFormHolidays::TFormHolidays(QWidget* owner, TvnHolidayRecords holidays, THolidaySender send)
    : QDialog(owner), ui(std::make_unique<Ui::FormHolidays>()), send_(std::move(send)) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    QTreeWidget* list = ui->listView_Holidays;
    ShowGridLines(list);
    SizeColumns(list);
    // Each command stores through the main window: guarded against its errors.
    connect(ui->btnAdd, &QPushButton::clicked, this,
            GuardedSlot(this, &TFormHolidays::btnAddClick));
    connect(ui->btnEdit, &QPushButton::clicked, this,
            GuardedSlot(this, &TFormHolidays::btnEditClick));
    connect(ui->btnDelete, &QPushButton::clicked, this,
            GuardedSlot(this, &TFormHolidays::btnDeleteClick));
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(list, &QTreeWidget::itemDoubleClicked, this,
            GuardedSlot(this, &TFormHolidays::btnEditClick));
    auto key = [this, list](Qt::Key k, void (TFormHolidays::*slot)()) {
        auto* shortcut = new QShortcut(QKeySequence(k), list);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, GuardedSlot(this, slot));
    };
    key(Qt::Key_Insert, &TFormHolidays::btnAddClick);
    key(Qt::Key_Delete, &TFormHolidays::btnDeleteClick);
    FormCreate(std::move(holidays));
}

// The entries go with the list, and each takes its record with it.
TFormHolidays::~TFormHolidays() = default;

QString TFormHolidays::HolidayDateText(const TvnHolidayParams& h) {
    const bool fixed = h.Day != 0;
    // A row another program wrote may hold any numbers; it shows as such
    // instead of a date it does not have.
    const bool valid =
        h.Month >= 1 && h.Month <= 12 &&
        (fixed ? h.Day <= 31
               : !NumOfWeekName(h.NumOfWeek).isEmpty() && !DayOfWeekName(h.DayOfWeek).isEmpty());
    if (!valid) return QStringLiteral("(invalid date)");
    const QString month = FormatSettings().ShortMonthNames[h.Month - 1] + QStringLiteral(", ");
    if (fixed) return month + QString::number(h.Day);
    return month + NumOfWeekName(h.NumOfWeek) + u' ' + DayOfWeekName(h.DayOfWeek);
}

bool TFormHolidays::listView_HolidaysCompare(const TvnHolidayParams& a, const TvnHolidayParams& b) {
    return a.Month != b.Month ? a.Month < b.Month : a.Day < b.Day;
}

TvnHolidayParams* TFormHolidays::HolidayOf(const QTreeWidgetItem* item) {
    return item ? static_cast<const THolidayListItem*>(item)->Holiday() : nullptr;
}

void TFormHolidays::FormCreate(TvnHolidayRecords holidays) {
    QList<QTreeWidgetItem*> entries;
    entries.reserve(qsizetype(holidays.size()));
    for (std::unique_ptr<TvnHolidayParams>& holiday : holidays)
        if (holiday) entries.append(new THolidayListItem(std::move(holiday)));
    ui->listView_Holidays->addTopLevelItems(entries);
    ui->listView_Holidays->sortItems(0, Qt::AscendingOrder);
}

QTreeWidgetItem* TFormHolidays::SelectedEntry() const {
    const QList<QTreeWidgetItem*> selected = ui->listView_Holidays->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidgetItem* TFormHolidays::AddEntry(std::unique_ptr<TvnHolidayParams> holiday) {
    auto* entry = new THolidayListItem(std::move(holiday));
    ui->listView_Holidays->addTopLevelItem(entry);
    ui->listView_Holidays->sortItems(0, Qt::AscendingOrder);
    return entry;
}

void TFormHolidays::btnAddClick() {
    auto holiday = std::make_unique<TvnHolidayParams>();
    // A cancelled add leaves nothing behind: the record goes here.
    if (send_(WM_ADDHOLIDAY, holiday.get()) != 1) return;
    QTreeWidgetItem* entry = AddEntry(std::move(holiday));
    RemoveReplacedEntry(entry);
    ui->listView_Holidays->setCurrentItem(entry);
}

void TFormHolidays::btnEditClick() {
    auto* entry = static_cast<THolidayListItem*>(SelectedEntry());
    if (!entry) {
        ShowWarning(NoItemSelected, this);
        return;
    }
    if (send_(WM_EDITHOLIDAY, entry->Holiday()) != 1) return;
    entry->Refresh();
    ui->listView_Holidays->sortItems(0, Qt::AscendingOrder);
    RemoveDuplicate(entry);
    ui->listView_Holidays->scrollToItem(entry);
}

void TFormHolidays::btnDeleteClick() {
    QTreeWidgetItem* entry = SelectedEntry();
    if (!entry) {
        ShowWarning(NoItemSelected, this);
        return;
    }
    // Whatever the answer, the entry goes: the row is gone or was never there.
    send_(WM_DELETEHOLIDAY, HolidayOf(entry));
    delete entry;
}

void TFormHolidays::RemoveReplacedEntry(const QTreeWidgetItem* added) {
    const QTreeWidget* list = ui->listView_Holidays;
    const int32_t id = HolidayOf(added)->ID;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* other = list->topLevelItem(i);
        if (other != added && HolidayOf(other)->ID == id) {
            delete other;
            return;
        }
    }
}

void TFormHolidays::RemoveDuplicate(const QTreeWidgetItem* edited) {
    const QTreeWidget* list = ui->listView_Holidays;
    const TvnHolidayParams& stored = *HolidayOf(edited);
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* other = list->topLevelItem(i);
        TvnHolidayParams* holiday = HolidayOf(other);
        if (other == edited || !SameDateRule(*holiday, stored)) continue;
        // Never the edited row itself, should a stale entry share its ID.
        if (holiday->ID != stored.ID) send_(WM_DELETEHOLIDAY, holiday);
        delete other;
        return;
    }
}
