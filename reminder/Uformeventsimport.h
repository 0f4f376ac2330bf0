// The import dialog: the event data file to read and whether the current
// user's events are replaced; fills the caller's TvnImportParams.
#pragma once

#include <QDialog>
#include <memory>

#include "reminder/Vnparams.h"

namespace Ui {
class FormEventsImport;
}

class TFormEventsImport : public QDialog {
    Q_OBJECT

public:
    // params must outlive the dialog; Accepted stays false unless the dialog
    // is closed with OK and a path. Browse starts in browseFolder.
    TFormEventsImport(QWidget* owner, TvnImportParams* params, const QString& browseFolder = {});
    ~TFormEventsImport() override;

private:
    void btnBrowseClick();
    void btnOKClick();
    void checkBox_DeleteExistingClick(bool checked);

    std::unique_ptr<Ui::FormEventsImport> ui;
    TvnImportParams* params_;
    QString browseFolder_;
};
