#include "calendar/Uformprintoptions.h"

#include <QLineEdit>

#include "platform/Dialogs.h"
#include "ui_Uformprintoptions.h"

TFormPrintOptions::TFormPrintOptions(QWidget* owner, TvnPrintOptions* options, QPrinter* printer)
    : QDialog(owner),
      ui(std::make_unique<Ui::FormPrintOptions>()),
      options_(options),
      printer_(printer) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // The count changes only through the arrows.
    QLineEdit* edit = ui->upDown_nCopies->findChild<QLineEdit*>();
    edit->setObjectName(QStringLiteral("edit_nCopies"));
    edit->setReadOnly(true);
    FormCreate();
    connect(ui->rBtn_StrechToPage, &QRadioButton::clicked, this,
            &TFormPrintOptions::rBtn_StrechToPageClick);
    connect(ui->rBtn_Proportions, &QRadioButton::clicked, this,
            &TFormPrintOptions::rBtn_StrechToPageClick);
    connect(ui->btnPrintrerSetup, &QPushButton::clicked, this,
            &TFormPrintOptions::btnPrintrerSetupClick);
    connect(ui->btnPrint, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormPrintOptions::~TFormPrintOptions() = default;

void TFormPrintOptions::FormCreate() {
    const TvnPrintOptions& o = *options_;
    ui->check_PrintDateTitle->setChecked(o.PrintDateTitle);
    ui->check_PrintHolidays->setChecked(o.PrintHolidays);
    ui->check_PrintBackgr->setChecked(o.PrintBackgr);
    ui->check_PrintEvents->setChecked(o.PrintEvents);
    ui->check_PrintNotes->setChecked(o.PrintNotes);
    // A record from an older or edited settings file may hold any number.
    const bool proportional = o.Proportions >= 0 && o.Proportions <= 2;
    ui->rBtn_StrechToPage->setChecked(!proportional);
    ui->rBtn_Proportions->setChecked(proportional);
    const bool placed = proportional && o.Position >= 0 && o.Position <= 8;
    ui->cBox_Proportions->setCurrentIndex(proportional ? o.Proportions : 0);
    ui->cBox_Position->setCurrentIndex(placed ? o.Position : 0);
    ui->cBox_Proportions->setEnabled(proportional);
    ui->cBox_Position->setEnabled(proportional);
    ui->upDown_nCopies->setValue(o.NumberOfCopies);
}

void TFormPrintOptions::rBtn_StrechToPageClick() {
    const bool proportional = ui->rBtn_Proportions->isChecked();
    ui->cBox_Proportions->setEnabled(proportional);
    ui->cBox_Position->setEnabled(proportional);
    if (!proportional) return;
    ui->cBox_Proportions->setCurrentIndex(0);
    ui->cBox_Position->setCurrentIndex(0);
}

void TFormPrintOptions::btnPrintrerSetupClick() {
    if (printer_) PrinterSetupDialog(*printer_, this);
}

void TFormPrintOptions::done(int result) {
    FormClose(result);
    QDialog::done(result);
}

void TFormPrintOptions::FormClose(int result) {
    TvnPrintOptions& o = *options_;
    o.Accepted = result == QDialog::Accepted;
    if (!o.Accepted) return;
    o.PrintDateTitle = ui->check_PrintDateTitle->isChecked();
    o.PrintHolidays = ui->check_PrintHolidays->isChecked();
    o.PrintBackgr = ui->check_PrintBackgr->isChecked();
    o.PrintEvents = ui->check_PrintEvents->isChecked();
    o.PrintNotes = ui->check_PrintNotes->isChecked();
    const bool proportional = ui->rBtn_Proportions->isChecked();
    o.Proportions = proportional ? ui->cBox_Proportions->currentIndex() : -1;
    o.Position = proportional ? ui->cBox_Position->currentIndex() : -1;
    o.NumberOfCopies = ui->upDown_nCopies->value();
}
