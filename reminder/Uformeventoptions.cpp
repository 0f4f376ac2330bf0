#include "reminder/Uformeventoptions.h"

#include <QKeyEvent>
#include <QTextCursor>
#include <algorithm>
#include <tuple>

#include "platform/DatePicker.h"
#include "platform/DatePickerTyping.h"
#include "platform/Dialogs.h"
#include "ui_Uformeventoptions.h"

namespace {

constexpr int kMemoMaxLength = 255;

// Pickers reach back to the year 100, the earliest date Qt's pickers take,
// instead of their default of 1752.
const QDate kEarliestPickerDate(100, 1, 1);

int TextLength(const QPlainTextEdit* memo) {
    return memo->document()->characterCount() - 1;
}

// A memo that takes no more than maxLength characters, as a length-limited
// edit does: what is typed or pasted beyond the limit is cut off. A longer
// text loaded before the limit is set stays whole until the user shortens it.
void LimitLength(QPlainTextEdit* memo, int maxLength) {
    int previous = TextLength(memo);
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo,
                     [memo, maxLength, previous]() mutable {
                         const int length = TextLength(memo);
                         const int allowed = std::max(maxLength, previous);
                         if (length <= allowed) {
                             previous = length;
                             return;
                         }
                         // The cursor stands behind what was just inserted.
                         QTextCursor cursor = memo->textCursor();
                         const int end = cursor.position();
                         cursor.setPosition(std::max(0, end - (length - allowed)));
                         cursor.setPosition(end, QTextCursor::KeepAnchor);
                         cursor.removeSelectedText();
                     });
}

// A stored code outside the list (a damaged or foreign record) shows the
// first item rather than no item, so OK never writes -1.
void SelectItem(QComboBox* box, int code) {
    box->setCurrentIndex(code >= 0 && code < box->count() ? code : 0);
}

// The whole last day belongs to a series: the reminder compares its next
// announcement with the full end date-time, the calendar compares days.
TDateTime EndOfDay(const QDate& day) {
    return ComposeDateTime(WholeDay(day), EncodeTime(23, 59, 59, 0));
}

// What the time picker shows, so that what is stored is what was seen.
QTime WholeSeconds(const QTime& time) {
    return QTime(time.hour(), time.minute(), time.second());
}

}  // namespace

TFormEventOptions::TFormEventOptions(QWidget* owner, TvnEventParams* params,
                                     const QString& browseFolder)
    : QDialog(owner),
      ui(std::make_unique<Ui::FormEventOptions>()),
      params_(params),
      browseFolder_(browseFolder) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // The number fields are an edit with an up-down control in one.
    ui->upDown_Notify->findChild<QLineEdit*>()->setObjectName(QStringLiteral("edit_Notify"));
    ui->upDown_nParam->findChild<QLineEdit*>()->setObjectName(QStringLiteral("edit_nParam"));
    // The interval row keeps its height whether it shows the number or the
    // weekday text, so the dialog does not jump when the recurrence changes.
    ui->label_nParam1->setMinimumHeight(ui->upDown_nParam->sizeHint().height());
    SetupPickers();
    ConnectControls();
    FormCreate();
    LimitLength(ui->memo_Desc, kMemoMaxLength);
    LimitLength(ui->memo_Notes, kMemoMaxLength);
    ui->memo_Desc->installEventFilter(this);
    ui->pageControl->setCurrentWidget(ui->tabSheet_General);
    ui->memo_Desc->setFocus();
    shown_ = *params_;
    WriteRecord(shown_);
}

bool TFormEventOptions::HasChanges() const {
    TvnEventParams now = shown_;
    WriteRecord(now);
    auto fields = [](const TvnEventParams& e) {
        return std::tie(e.Desc, e.Date, e.EndDate, e.UseStartTime, e.UseEndDate, e.Notify,
                        e.NotifyParam, e.NotifyType, e.Category, e.Recurrence, e.nParam,
                        e.Action_File, e.Sound_File, e.Notes);
    };
    return fields(now) != fields(shown_);
}

void TFormEventOptions::reject() {
    // Esc and the close box: typed changes are not dropped unasked.
    if (HasChanges() && !Confirm(QStringLiteral("Discard the changes to this event?"), this))
        return;
    QDialog::reject();
}

TFormEventOptions::~TFormEventOptions() = default;

QString TFormEventOptions::WeekdayOfMonthText(const QDate& start) {
    int dWeek = 0, nWeek = 0;
    dWeek_And_nWeek(WholeDay(start), dWeek, nWeek);
    static const char* const kSuffix[] = {"st", "nd", "rd", "th"};
    return QStringLiteral("%1%2 %3 of every month")
        .arg(nWeek)
        .arg(QLatin1String(kSuffix[std::clamp(nWeek, 1, 4) - 1]), DayOfWeekName(dWeek));
}

void TFormEventOptions::SetupPickers() {
    for (QDateEdit* picker : {ui->dtPicker_Date, ui->dtPicker_EndDate}) {
        picker->setMinimumDate(kEarliestPickerDate);
        const QString format = PickerDateFormat(FormatSettings());
        if (!format.isEmpty()) picker->setDisplayFormat(format);
        MakePickerTypable(*picker);
    }
    const QString timeFormat = PickerTimeFormat(FormatSettings());
    if (!timeFormat.isEmpty()) ui->dtPicker_Time->setDisplayFormat(timeFormat);
    MakePickerTypable(*ui->dtPicker_Time);
}

void TFormEventOptions::ConnectControls() {
    connect(ui->check_UseStartTime, &QCheckBox::toggled, this,
            &TFormEventOptions::check_UseStartTimeClick);
    connect(ui->check_UseEndDate, &QCheckBox::toggled, this,
            &TFormEventOptions::check_UseEndDateClick);
    connect(ui->check_Notify, &QCheckBox::toggled, this, &TFormEventOptions::check_NotifyClick);
    connect(ui->check_RunAction, &QCheckBox::toggled, this,
            &TFormEventOptions::check_RunActionClick);
    connect(ui->check_PlaySound, &QCheckBox::toggled, this,
            &TFormEventOptions::check_PlaySoundClick);
    connect(ui->cBox_Recurrence, &QComboBox::currentIndexChanged, this,
            &TFormEventOptions::ApplyRecurrenceRule);
    connect(ui->cBox_Notify, &QComboBox::currentIndexChanged, this,
            &TFormEventOptions::ApplyRecurrenceRule);
    connect(ui->dtPicker_Date, &QDateEdit::dateChanged, this,
            &TFormEventOptions::ApplyRecurrenceRule);
    connect(ui->btnBrowseAction, &QPushButton::clicked, this,
            &TFormEventOptions::btnBrowseActionClick);
    connect(ui->btnBrowseSound, &QPushButton::clicked, this,
            &TFormEventOptions::btnBrowseSoundClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &TFormEventOptions::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
}

void TFormEventOptions::FormCreate() {
    const TvnEventParams& e = *params_;
    setWindowTitle(e.EditState != esNew ? QStringLiteral("Edit Event")
                                        : QStringLiteral("Add New Event"));
    ShowDates();
    ui->memo_Desc->setPlainText(e.Desc);
    ui->check_Notify->setChecked(e.Notify);
    ui->upDown_Notify->setValue(e.NotifyParam);
    SelectItem(ui->cBox_Notify, e.NotifyType);
    SelectItem(ui->cBox_Category, e.Category);
    SelectItem(ui->cBox_Recurrence, e.Recurrence);
    ui->upDown_nParam->setValue(e.nParam);
    ui->edit_ActionFile->setText(e.Action_File);
    ui->check_RunAction->setChecked(!e.Action_File.isEmpty());
    ui->edit_SoundFile->setText(e.Sound_File);
    ui->check_PlaySound->setChecked(!e.Sound_File.isEmpty());
    ui->memo_Notes->setPlainText(e.Notes);
    // A box set to the state it already had sends nothing, so the rules run
    // once more here for the enabled states to follow the record.
    check_UseStartTimeClick(ui->check_UseStartTime->isChecked());
    check_UseEndDateClick(ui->check_UseEndDate->isChecked());
    check_NotifyClick(ui->check_Notify->isChecked());
    check_RunActionClick(ui->check_RunAction->isChecked());
    check_PlaySoundClick(ui->check_PlaySound->isChecked());
    ApplyRecurrenceRule();
}

void TFormEventOptions::ShowDates() {
    const TvnEventParams& e = *params_;
    const bool recurring = e.eType != etEvent;
    ui->dtPicker_EndDate->setDate(ToQDate(recurring && e.UseEndDate ? e.EndDate : Date()));
    ui->check_UseEndDate->setChecked(recurring && e.UseEndDate);
    const QList<QWidget*> seriesControls = {ui->label_EndDate, ui->panel_UseEndDate,
                                            ui->dtPicker_EndDate, ui->label_Recurrence,
                                            ui->cBox_Recurrence};
    for (QWidget* w : seriesControls)
        w->setVisible(recurring);
    // Hidden rows give back their spacing too.
    ui->layout_GeneralFields->setRowVisible(ui->label_EndDate, recurring);
    ui->layout_GeneralFields->setRowVisible(ui->label_Recurrence, recurring);
    ui->dtPicker_Date->setDate(ToQDate(e.Date));
    ui->dtPicker_Time->setTime(WholeSeconds(ToQTime(e.UseStartTime ? e.Date : Time())));
    ui->check_UseStartTime->setChecked(e.UseStartTime);
}

void TFormEventOptions::ApplyRecurrenceRule() {
    const int kind = ui->cBox_Recurrence->currentIndex();
    // A one-time event has no recurrence, whatever its stored kind says.
    const bool recurring = params_->eType != etEvent;
    const bool byWeekday = kind == rkMonthlyByWeekday;
    const bool interval = recurring && kind != rkOnce && !byWeekday;
    ui->layout_GeneralFields->setRowVisible(ui->layout_nParam, recurring && kind != rkOnce);
    ui->label_nParam1->setVisible(recurring && kind != rkOnce);
    ui->label_nParam1->setText(byWeekday ? WeekdayOfMonthText(ui->dtPicker_Date->date())
                                         : QStringLiteral("Every"));
    ui->upDown_nParam->setVisible(interval);
    ui->label_nParam2->setVisible(interval);
    ui->label_nParam2->setText(IntervalUnitCaption(kind));
}

void TFormEventOptions::check_UseStartTimeClick(bool checked) {
    ui->dtPicker_Time->setEnabled(checked);
}

void TFormEventOptions::check_UseEndDateClick(bool checked) {
    ui->dtPicker_EndDate->setEnabled(checked);
}

void TFormEventOptions::check_NotifyClick(bool checked) {
    ui->upDown_Notify->setEnabled(checked);
    ui->cBox_Notify->setEnabled(checked);
}

void TFormEventOptions::check_RunActionClick(bool checked) {
    ui->edit_ActionFile->setEnabled(checked);
    ui->btnBrowseAction->setEnabled(checked);
    if (!checked) ui->edit_ActionFile->clear();
}

void TFormEventOptions::check_PlaySoundClick(bool checked) {
    ui->edit_SoundFile->setEnabled(checked);
    ui->btnBrowseSound->setEnabled(checked);
    if (!checked) ui->edit_SoundFile->clear();
}

void TFormEventOptions::btnBrowseActionClick() {
    TFileDialogOptions options;
    options.Title = QStringLiteral("Open..");
    options.Filter = QStringLiteral("All files(*.*)|*.*");
    options.InitialDir = browseFolder_;
    if (const auto path = OpenFileDialog(options, this)) ui->edit_ActionFile->setText(*path);
}

void TFormEventOptions::btnBrowseSoundClick() {
    TFileDialogOptions options;
    options.Title = QStringLiteral("Open..");
    options.Filter = QStringLiteral("Sound files(*.mp3, *.wav)|*.mp3;*.wav");
    options.InitialDir = browseFolder_;
    if (const auto path = OpenFileDialog(options, this)) ui->edit_SoundFile->setText(*path);
}

void TFormEventOptions::btnOKClick() {
    // Blanks are a description; only an empty one is refused.
    if (ui->memo_Desc->toPlainText().isEmpty()) {
        ShowWarning(QStringLiteral("Enter the event description!"), this);
        ui->pageControl->setCurrentWidget(ui->tabSheet_General);
        ui->memo_Desc->setFocus();
        return;
    }
    WriteRecord(*params_);
    params_->EditState = esAccepted;
    accept();
}

void TFormEventOptions::WriteRecord(TvnEventParams& e) const {
    if (e.eType != etEvent) {
        e.Recurrence = ui->cBox_Recurrence->currentIndex();
        e.nParam = ui->upDown_nParam->value();
        e.UseEndDate = ui->check_UseEndDate->isChecked();
        e.EndDate = EndOfDay(ui->dtPicker_EndDate->date());
    } else {
        e.UseEndDate = false;
        e.EndDate = 0;
    }
    e.UseStartTime = ui->check_UseStartTime->isChecked();
    e.Date = e.UseStartTime ? FromQDateTime(ui->dtPicker_Date->date(), ui->dtPicker_Time->time())
                            : WholeDay(ui->dtPicker_Date->date());
    e.Desc = ui->memo_Desc->toPlainText();
    e.Notify = ui->check_Notify->isChecked();
    e.NotifyParam = ui->upDown_Notify->value();
    e.NotifyType = ui->cBox_Notify->currentIndex();
    e.Category = ui->cBox_Category->currentIndex();
    e.Action_File = ui->edit_ActionFile->text();
    e.Sound_File = ui->edit_SoundFile->text();
    e.Notes = ui->memo_Notes->toPlainText();
}

bool TFormEventOptions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->memo_Desc && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ui->btnOK->click();
            return true;
        }
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
