#include "app/Uformholidayoptions.h"

#include <algorithm>

#include "platform/Dialogs.h"
#include "ui_Uformholidayoptions.h"

namespace {

// The weekday list starts with Sunday; stored weekdays run Monday = 1 ... Sunday = 7.
constexpr int kSundayItem = 0;
constexpr int kSunday = 7;

// A stored code outside the list (a row written by another program) shows
// the first item rather than none, so that OK never writes position -1.
void SelectItem(QComboBox* box, int index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
}

}  // namespace

TFormHolidayOptions::TFormHolidayOptions(QWidget* owner, TvnHolidayParams* params)
    : QDialog(owner), ui(std::make_unique<Ui::FormHolidayOptions>()), params_(params) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(ui->comboBox_Months, &QComboBox::currentIndexChanged, this,
            &TFormHolidayOptions::comboBox_MonthsChange);
    for (QRadioButton* button : {ui->rBtn_FixedDate, ui->rBtn_VarDate})
        connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
            if (checked) rBtn_DateClick(button);
        });
    connect(ui->btnOK, &QPushButton::clicked, this, &TFormHolidayOptions::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
    ui->edit_HolidayName->setFocus();
}

TFormHolidayOptions::~TFormHolidayOptions() = default;

int TFormHolidayOptions::OfferedDays(int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 ? kDays[month - 1] : 31;
}

void TFormHolidayOptions::FormCreate() {
    const TvnHolidayParams& h = *params_;
    setWindowTitle(h.EditState == esNew ? QStringLiteral("Add New Holiday")
                                        : QStringLiteral("Edit Holiday"));
    ui->edit_HolidayName->setText(h.Name);
    const bool fixed = h.Day != 0;
    if (fixed) {
        ShowFixedDate(h);
    } else {
        ShowVariableDate(h);
    }
    // Checking the button that is already checked sends nothing, so the
    // enabled states are set here once for the chosen one.
    QRadioButton* chosen = fixed ? ui->rBtn_FixedDate : ui->rBtn_VarDate;
    chosen->setChecked(true);
    rBtn_DateClick(chosen);
}

void TFormHolidayOptions::ShowFixedDate(const TvnHolidayParams& h) {
    const int monthIndex = h.Month >= 1 && h.Month <= 12 ? h.Month - 1 : 0;
    {
        const QSignalBlocker quiet(ui->comboBox_Months);
        ui->comboBox_Months->setCurrentIndex(monthIndex);
    }
    FillDays(monthIndex);
    // A day the month is not offered with (29 February, or a damaged row)
    // shows the month's last offered day: what is seen is what OK stores.
    ui->comboBox_Days->setCurrentIndex(std::min<int>(h.Day, ui->comboBox_Days->count()) - 1);
    for (QComboBox* box : {ui->comboBox_Months2, ui->comboBox_NumsOfWeek, ui->comboBox_DaysOfWeek})
        box->setCurrentIndex(0);
}

void TFormHolidayOptions::ShowVariableDate(const TvnHolidayParams& h) {
    {
        const QSignalBlocker quiet(ui->comboBox_Months);
        ui->comboBox_Months->setCurrentIndex(0);
    }
    FillDays(0);
    ui->comboBox_Days->setCurrentIndex(0);
    SelectItem(ui->comboBox_Months2, h.Month - 1);
    SelectItem(ui->comboBox_NumsOfWeek, h.NumOfWeek - 1);
    SelectItem(ui->comboBox_DaysOfWeek, h.DayOfWeek == kSunday ? kSundayItem : h.DayOfWeek);
}

void TFormHolidayOptions::FillDays(int monthIndex) {
    QComboBox* days = ui->comboBox_Days;
    days->clear();
    const int count = OfferedDays(monthIndex + 1);
    for (int day = 1; day <= count; ++day)
        days->addItem(QString::number(day));
}

void TFormHolidayOptions::comboBox_MonthsChange(int index) {
    if (index < 0) return;
    FillDays(index);
    ui->comboBox_Days->setCurrentIndex(0);
}

void TFormHolidayOptions::rBtn_DateClick(QAbstractButton* button) {
    const bool fixed = button->property("Tag").toInt() == 0;
    const QList<QWidget*> fixedControls = {ui->comboBox_Months, ui->comboBox_Days, ui->label_Month,
                                           ui->label_Day};
    const QList<QWidget*> ruleControls = {ui->comboBox_Months2,    ui->comboBox_NumsOfWeek,
                                          ui->comboBox_DaysOfWeek, ui->label_Month2,
                                          ui->label_Week,          ui->label_DayOfWeek};
    for (QWidget* w : fixedControls)
        w->setEnabled(fixed);
    for (QWidget* w : ruleControls)
        w->setEnabled(!fixed);
}

void TFormHolidayOptions::btnOKClick() {
    if (ui->edit_HolidayName->text().isEmpty()) {
        ShowWarning(QStringLiteral("Enter holiday's name!"), this);
        ui->edit_HolidayName->setFocus();
        return;
    }
    WriteRecord();
    accept();
}

void TFormHolidayOptions::WriteRecord() {
    TvnHolidayParams& h = *params_;
    h.Name = ui->edit_HolidayName->text();
    if (ui->rBtn_FixedDate->isChecked()) {
        h.Month = uint16_t(ui->comboBox_Months->currentIndex() + 1);
        h.Day = uint16_t(ui->comboBox_Days->currentIndex() + 1);
        h.DayOfWeek = 0;
        h.NumOfWeek = 0;
    } else {
        const int weekday = ui->comboBox_DaysOfWeek->currentIndex();
        h.Month = uint16_t(ui->comboBox_Months2->currentIndex() + 1);
        h.DayOfWeek = uint16_t(weekday == kSundayItem ? kSunday : weekday);
        h.NumOfWeek = uint16_t(ui->comboBox_NumsOfWeek->currentIndex() + 1);
        h.Day = 0;
    }
    h.EditState = esAccepted;
}
