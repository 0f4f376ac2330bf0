// The main window's print command: the print options dialog, then the print
// of the shown view on the window's printer.
#include <QPrinter>
#include <exception>
#include <optional>

#include "app/Uformmain.h"
#include "calendar/Uformprintoptions.h"
#include "platform/Dialogs.h"
#include "reminder/Vncalendarreminder.h"
#include "ui_Uformmain.h"

QPrinter& TFormMainVNCR::Printer() {
    // Made on first use: finding the printers can take a moment.
    if (!printer_) printer_ = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

// Without an installed printer the print goes to a PDF file; one that nobody
// named yet is asked for here rather than failing to start the job.
bool TFormMainVNCR::ChoosePdfFileWithoutPrinter() {
    QPrinter& printer = Printer();
    if (printer.outputFormat() != QPrinter::PdfFormat || !printer.outputFileName().isEmpty())
        return true;
    TFileDialogOptions file;
    file.Filter = QStringLiteral("PDF files (*.pdf)|*.pdf");
    file.DefaultExt = QStringLiteral("pdf");
    file.FileName = QStringLiteral("Calendar.pdf");
    const std::optional<QString> path = SaveFileDialog(file, this);
    if (!path) return false;
    printer.setOutputFileName(*path);
    return true;
}

void TFormMainVNCR::mMenu_FilePrintClick() {
    TvnPrintOptions& options = settings_.PrintOptions;
    {
        TFormPrintOptions form(this, &options, &Printer());
        RunModal(form);
    }
    if (!options.Accepted) return;
    SettingsChanged();
    if (!ChoosePdfFileWithoutPrinter()) return;
    // The calendar has put its screen state back when an error arrives here;
    // the error is shown and the window goes on.
    try {
        Calendar()->Print(options, Printer());
    } catch (const EDatabaseError& error) {
        ShowError(error.Message(), this);
    } catch (const std::exception& error) {
        ShowError(QString::fromUtf8(error.what()), this);
    }
}
