#include "store/Uformimportdata.h"

#include <QCoreApplication>
#include <QFile>

#include "platform/Dialogs.h"
#include "platform/GuardedSlot.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Jetfiles.h"
#include "store/Udbmanagement.h"
#include "ui_Uformimportdata.h"

namespace {

const QString kImportFailed =
    QStringLiteral("The database operation was not executed. An error was fixed!");

// Lets the dialog repaint (status, progress) between rows; clicks wait.
void LetScreenUpdate() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void RemoveDatabaseFile(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

}  // namespace

TFormImportData::TFormImportData(QWidget* owner, bool& dataAreImported, const QString& sourcePath,
                                 const QString& destPath)
    : QDialog(owner),
      ui(std::make_unique<Ui::FormImportData>()),
      dataAreImported_(dataAreImported),
      sourcePath_(sourcePath.isEmpty() ? OldDatabaseFilePath() : sourcePath),
      destPath_(destPath.isEmpty() ? DatabaseFilePath() : destPath) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ui->EditSource->setText(QStringLiteral("DB.vdb"));
    ui->EditDest->setText(QStringLiteral("DB.vdbv2"));
    connect(ui->btnImport, &QPushButton::clicked, this,
            GuardedSlot(this, &TFormImportData::btnImportClick));
    connect(ui->btnEnd, &QPushButton::clicked, this, &QDialog::reject);
}

TFormImportData::~TFormImportData() = default;

void TFormImportData::reject() {
    if (!busy_) QDialog::reject();
}

void TFormImportData::SetBusy(bool busy) {
    busy_ = busy;
    ui->btnImport->setEnabled(!busy);
    ui->btnEnd->setEnabled(!busy);
    ui->check_DelOldDB->setEnabled(!busy);
}

// False when a database or one of its tables cannot be opened. An error in
// the middle of the copy is shown as the engine tells it and is no success
// either; the rows copied before it stay.
bool TFormImportData::RunImport() {
    TImportProgress progress;
    progress.TableStarted = [this](const QString& table, int rows) {
        ui->LabelStatus->setText(table);
        ui->ProgressBar->setRange(0, rows);
        ui->ProgressBar->setValue(0);
        LetScreenUpdate();
    };
    progress.RowCopied = [this] {
        ui->ProgressBar->setValue(ui->ProgressBar->value() + 1);
        LetScreenUpdate();
    };
    SetBusy(true);
    bool imported = false;
    try {
        imported = ImportPreviousData(sourcePath_, destPath_, progress);
        if (!imported) ShowError(kImportFailed, this);
    } catch (const EJetError& e) {
        // A Windows file that cannot be read: nothing was copied.
        ShowError(kImportFailed + QStringLiteral("\n\n") + e.Message(), this);
    } catch (const EDatabaseError& e) {
        ShowError(e.Message(), this);
    }
    SetBusy(false);
    return imported;
}

void TFormImportData::btnImportClick() {
    if (busy_ || !RunImport()) return;
    ShowInformation(QStringLiteral("Data imported successfully."), this);
    dataAreImported_ = true;
    ui->btnImport->setEnabled(false);
    if (ui->check_DelOldDB->isChecked()) RemoveDatabaseFile(sourcePath_);
}
