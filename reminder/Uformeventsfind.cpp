#include "reminder/Uformeventsfind.h"

#include <QMouseEvent>
#include <utility>

#include "platform/DatePicker.h"
#include "platform/DatePickerTyping.h"
#include "platform/Dialogs.h"
#include "platform/GuardedSlot.h"
#include "reminder/Uresource.h"
#include "ui_Uformeventsfind.h"

namespace {

// Wide enough for a date with its time of day, so that all ten columns fit.
constexpr int ColumnWidths[EventListColumnCount] = {110, 135, 135, 135, 45, 95, 80, 45, 45, 70};

}  // namespace

TFormEventsFind::TFormEventsFind(QWidget* owner, TvnEventRecords* events,
                                 TvnFindWindowOwner commands)
    : QDialog(owner),
      ui(std::make_unique<Ui::FormEventsFind>()),
      events_(events),
      commands_(std::move(commands)) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    setFixedSize(size());
    SetupEventListView(ui->listView_Events, ColumnCaptions());
    for (int c = 0; c < EventListColumnCount; ++c)
        ui->listView_Events->setColumnWidth(c, ColumnWidths[c]);
    const QString pickerFormat = PickerDateFormat(FormatSettings());
    for (QDateEdit* picker : {ui->dtPicker_begDate, ui->dtPicker_endDate}) {
        if (!pickerFormat.isEmpty()) picker->setDisplayFormat(pickerFormat);
        picker->setDate(ToQDate(Date()));
        MakePickerTypable(*picker);
    }
    check_ToUseDatesClick();
    connect(ui->check_ToUseDates, &QCheckBox::toggled, this,
            &TFormEventsFind::check_ToUseDatesClick);
    connect(ui->btnFind, &QPushButton::clicked, this,
            GuardedSlot(this, &TFormEventsFind::btnFindClick));
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::reject);
    // A double click anywhere in the list, on a row or not, asks for an edit.
    ui->listView_Events->viewport()->installEventFilter(this);
}

TFormEventsFind::~TFormEventsFind() {
    ui->listView_Events->viewport()->removeEventFilter(this);
    ui->listView_Events->blockSignals(true);
    ui->listView_Events->clear();
}

QStringList TFormEventsFind::ColumnCaptions() {
    return {QStringLiteral("Description"), QStringLiteral("Start Date"), QStringLiteral("Run Date"),
            QStringLiteral("End Date"),    QStringLiteral("Notify"),     QStringLiteral("Category"),
            QStringLiteral("Recurrence"),  QStringLiteral("Action"),     QStringLiteral("Sound"),
            QStringLiteral("Completed")};
}

bool TFormEventsFind::eventFilter(QObject* watched, QEvent* event) {
    // The press before it has already chosen the row under the mouse.
    if (watched == ui->listView_Events->viewport() &&
        event->type() == QEvent::MouseButtonDblClick) {
        listView_EventsDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormEventsFind::check_ToUseDatesClick() {
    const bool use = ui->check_ToUseDates->isChecked();
    ui->dtPicker_begDate->setEnabled(use);
    ui->dtPicker_endDate->setEnabled(use);
}

int TFormEventsFind::CheckedCategories() const {
    const QCheckBox* boxes[CategoryCount] = {ui->check_Misc, ui->check_Aniv, ui->check_Birth,
                                             ui->check_Spec, ui->check_Meet};
    return CheckedCategoryMask(boxes);
}

TvnFindParams TFormEventsFind::FindParams() const {
    TvnFindParams p;
    p.EventDesc = ui->edit_EventDesc->text();
    p.MatchCase = ui->check_MatchCase->isChecked();
    p.ParComp = ui->check_ParComp->isChecked();
    p.Categories = CheckedCategories();
    p.ToUseDates = ui->check_ToUseDates->isChecked();
    p.BegDate = WholeDay(ui->dtPicker_begDate->date());
    p.EndDate = WholeDay(ui->dtPicker_endDate->date());
    return p;
}

void TFormEventsFind::btnFindClick() {
    TvnFindParams params = FindParams();
    // Emptied first: a search that could not run shows nothing rather than
    // what an earlier fill left.
    events_->clear();
    if (commands_.FindEvents) commands_.FindEvents(&params);
    if (events_->empty()) ShowInformation(QStringLiteral("Events not found!"), this);
    FillEventListView(ui->listView_Events, std::exchange(*events_, {}), false);
}

void TFormEventsFind::listView_EventsDblClick() {
    const QList<QTreeWidgetItem*> selected = ui->listView_Events->selectedItems();
    TvnEventParams* event = selected.isEmpty() ? nullptr : TvnEventListItem::EventOf(selected[0]);
    if (!event) {
        ShowWarning(QStringLiteral("No item has been selected!"), this);
        return;
    }
    if (commands_.EditEvent && commands_.EditEvent(event) == 1)
        static_cast<TvnEventListItem*>(selected[0])->Refresh();
}
