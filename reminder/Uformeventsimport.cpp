#include "reminder/Uformeventsimport.h"

#include "platform/Dialogs.h"
#include "ui_Uformeventsimport.h"

TFormEventsImport::TFormEventsImport(QWidget* owner, TvnImportParams* params,
                                     const QString& browseFolder)
    : QDialog(owner),
      ui(std::make_unique<Ui::FormEventsImport>()),
      params_(params),
      browseFolder_(browseFolder) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    params_->Accepted = false;
    connect(ui->btnBrowse, &QPushButton::clicked, this, &TFormEventsImport::btnBrowseClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &TFormEventsImport::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->checkBox_DeleteExisting, &QCheckBox::toggled, this,
            &TFormEventsImport::checkBox_DeleteExistingClick);
}

TFormEventsImport::~TFormEventsImport() = default;

void TFormEventsImport::btnBrowseClick() {
    TFileDialogOptions options;
    options.Filter = QStringLiteral("Event data files (*.edf)|*.edf");
    options.DefaultExt = QStringLiteral("edf");
    options.InitialDir = browseFolder_;
    if (const auto path = OpenFileDialog(options, this)) ui->edit_FileName->setText(*path);
}

void TFormEventsImport::checkBox_DeleteExistingClick(bool checked) {
    // Clearing the box again fires this with false, which asks nothing.
    if (checked &&
        !Confirm(QStringLiteral("Are you sure you want to delete all existing events?"), this))
        ui->checkBox_DeleteExisting->setChecked(false);
}

void TFormEventsImport::btnOKClick() {
    if (ui->edit_FileName->text().trimmed().isEmpty()) {
        ui->edit_FileName->setFocus();
        ShowWarning(QStringLiteral("Please, enter the path to the file!"), this);
        return;
    }
    params_->DeleteExisting = ui->checkBox_DeleteExisting->isChecked();
    params_->FileName = ui->edit_FileName->text();
    params_->Accepted = true;
    accept();
}
