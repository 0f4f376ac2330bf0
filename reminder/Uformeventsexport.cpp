#include "reminder/Uformeventsexport.h"

#include "platform/DateFormat.h"
#include "platform/DatePicker.h"
#include "platform/DatePickerTyping.h"
#include "platform/Dialogs.h"
#include "reminder/Uresource.h"
#include "ui_Uformeventsexport.h"

namespace {

const QString kEnterPath = QStringLiteral("Please, enter the path to the file!");

}  // namespace

TFormEventsExport::TFormEventsExport(QWidget* owner, TvnExportParams* params,
                                     const QString& browseFolder)
    : QDialog(owner),
      ui(std::make_unique<Ui::FormEventsExport>()),
      params_(params),
      browseFolder_(browseFolder) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    params_->Accepted = false;
    const int year = ToQDate(Date()).year();
    ui->dtPicker1->setDate(QDate(year, 1, 1));
    ui->dtPicker2->setDate(QDate(year, 12, 31));
    const QString pickerFormat = PickerDateFormat(FormatSettings());
    if (!pickerFormat.isEmpty()) {
        ui->dtPicker1->setDisplayFormat(pickerFormat);
        ui->dtPicker2->setDisplayFormat(pickerFormat);
    }
    MakePickerTypable(*ui->dtPicker1);
    MakePickerTypable(*ui->dtPicker2);
    connect(ui->btnBrowse, &QPushButton::clicked, this, &TFormEventsExport::btnBrowseClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &TFormEventsExport::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormEventsExport::~TFormEventsExport() = default;

void TFormEventsExport::btnBrowseClick() {
    TFileDialogOptions options;
    if (ui->rButton_SaveAsTxt->isChecked()) {
        options.Filter = QStringLiteral("Text files (*.txt)|*.txt");
        options.DefaultExt = QStringLiteral("txt");
    } else {
        options.Filter = QStringLiteral("Event data files (*.edf)|*.edf");
        options.DefaultExt = QStringLiteral("edf");
    }
    options.InitialDir = browseFolder_;
    if (const auto path = SaveFileDialog(options, this)) ui->edit_FileName->setText(*path);
}

int TFormEventsExport::CheckedCategories() const {
    const QCheckBox* boxes[CategoryCount] = {ui->check_Misc, ui->check_Aniv, ui->check_Birth,
                                             ui->check_Spec, ui->check_Meet};
    return CheckedCategoryMask(boxes);
}

void TFormEventsExport::btnOKClick() {
    // A path of blanks names no file either.
    if (ui->edit_FileName->text().trimmed().isEmpty()) {
        ui->edit_FileName->setFocus();
        ShowWarning(kEnterPath, this);
        return;
    }
    params_->BegDate = WholeDay(ui->dtPicker1->date());
    params_->EndDate = WholeDay(ui->dtPicker2->date());
    params_->SaveAsTxt = ui->rButton_SaveAsTxt->isChecked();
    params_->Categories = CheckedCategories();
    params_->FileName = ui->edit_FileName->text();
    params_->Accepted = true;
    accept();
}
