// The print options dialog: what a print includes, where it lies on the page
// and how many copies; the options are written back only when the user
// chooses Print, and the printer can be set up from here.
#pragma once

#include <QDialog>
#include <memory>

#include "calendar/Vnprintoptions.h"

class QPrinter;

namespace Ui {
class FormPrintOptions;
}

class TFormPrintOptions : public QDialog {
    Q_OBJECT

public:
    // options and printer must outlive the dialog; "Printer setup..." sets
    // up printer.
    TFormPrintOptions(QWidget* owner, TvnPrintOptions* options, QPrinter* printer);
    ~TFormPrintOptions() override;

    // Every way of closing ends here, so that the record is written back
    // (or marked not accepted) exactly once.
    void done(int result) override;

private:
    void FormCreate();
    void FormClose(int result);
    void rBtn_StrechToPageClick();
    void btnPrintrerSetupClick();

    std::unique_ptr<Ui::FormPrintOptions> ui;
    TvnPrintOptions* options_;
    QPrinter* printer_;
};
