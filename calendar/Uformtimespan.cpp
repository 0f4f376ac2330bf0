#include "calendar/Uformtimespan.h"

#include "calendar/Vntimespan.h"
#include "platform/DatePicker.h"
#include "platform/DatePickerTyping.h"
#include "platform/Dialogs.h"
#include "store/Vntypes.h"
#include "ui_Uformtimespan.h"

TFormTimeSpan::TFormTimeSpan(QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::FormTimeSpan>()) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    FormCreate();
    connect(ui->dtPicker_begDate, &QDateEdit::dateChanged, this,
            &TFormTimeSpan::dtPicker_begDateChange);
    connect(ui->dtPicker_endDate, &QDateEdit::dateChanged, this,
            &TFormTimeSpan::dtPicker_begDateChange);
    connect(ui->cBox_SParams, &QComboBox::currentIndexChanged, this,
            &TFormTimeSpan::dtPicker_begDateChange);
    // OK is both the default and the cancel button.
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

TFormTimeSpan::~TFormTimeSpan() = default;

void TFormTimeSpan::FormCreate() {
    const QString pickerFormat = PickerDateFormat(FormatSettings());
    const QDate today = ToQDate(Date());
    for (QDateEdit* picker : {ui->dtPicker_begDate, ui->dtPicker_endDate}) {
        if (!pickerFormat.isEmpty()) picker->setDisplayFormat(pickerFormat);
        picker->setDate(today);
        MakePickerTypable(*picker);
    }
    ui->cBox_SParams->setCurrentIndex(suDays);
    // The result cannot be typed into, yet it is what the user came for: it
    // keeps the normal text colour.
    QPalette palette = ui->edit_TimeSpan->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text,
                     palette.color(QPalette::Active, QPalette::Text));
    ui->edit_TimeSpan->setPalette(palette);
}

void TFormTimeSpan::dtPicker_begDateChange() {
    const int64_t b = DayNumber(WholeDay(ui->dtPicker_begDate->date()));
    const int64_t e = DayNumber(WholeDay(ui->dtPicker_endDate->date()));
    ui->edit_TimeSpan->setText(
        QString::number(TimeSpanValue(b, e, ui->cBox_SParams->currentIndex())));
}
