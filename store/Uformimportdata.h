// The dialog that copies the day colours and events of the previous
// version's database "DB.vdb" into the current one, showing its progress.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class FormImportData;
}

class TFormImportData : public QDialog {
    Q_OBJECT

public:
    // dataAreImported (the main window's flag) must outlive the dialog; it
    // becomes true once an import succeeded. The databases default to
    // "DB.vdb" and "DB.vdbv2" of the data folder. The caller closes its
    // connection to the destination first.
    TFormImportData(QWidget* owner, bool& dataAreImported, const QString& sourcePath = {},
                    const QString& destPath = {});
    ~TFormImportData() override;

    // Not while rows are being copied: the import runs to its end.
    void reject() override;

private:
    void btnImportClick();
    bool RunImport();
    void SetBusy(bool busy);

    std::unique_ptr<Ui::FormImportData> ui;
    bool& dataAreImported_;
    QString sourcePath_;
    QString destPath_;
    bool busy_ = false;
};
