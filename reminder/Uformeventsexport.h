// The export dialog: date span, categories, file path and file type of an
// export; fills the caller's TvnExportParams.
#pragma once

#include <QDialog>
#include <memory>

#include "reminder/Vnparams.h"

namespace Ui {
class FormEventsExport;
}

class TFormEventsExport : public QDialog {
    Q_OBJECT

public:
    // params must outlive the dialog; Accepted stays false unless the dialog
    // is closed with OK and a path. Browse starts in browseFolder.
    TFormEventsExport(QWidget* owner, TvnExportParams* params, const QString& browseFolder = {});
    ~TFormEventsExport() override;

private:
    void btnBrowseClick();
    void btnOKClick();
    int CheckedCategories() const;

    std::unique_ptr<Ui::FormEventsExport> ui;
    TvnExportParams* params_;
    QString browseFolder_;
};
