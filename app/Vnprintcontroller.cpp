#include "app/Vnprintcontroller.h"

#include <QPrinter>
#include <exception>
#include <optional>

#include "app/Reminderpause.h"
#include "calendar/Uformprintoptions.h"
#include "platform/Dialogs.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Adodb.h"

TvnPrintController::TvnPrintController(TvnCalendarReminder& calendar, TvnPrintOptions& options,
                                       QWidget* owner, std::function<void()> settingsChanged)
    : calendar_(calendar),
      options_(options),
      owner_(owner),
      settingsChanged_(std::move(settingsChanged)) {}

TvnPrintController::~TvnPrintController() = default;

QPrinter& TvnPrintController::Printer() {
    // Made on first use: finding the printers can take a moment.
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

// A print to a PDF file (no installed printer, or printing to a file) asks
// for the file every time, proposing the last one: a second print must not
// overwrite the first unasked.
bool TvnPrintController::ChoosePdfFile() {
    QPrinter& printer = Printer();
    if (printer.outputFormat() != QPrinter::PdfFormat) return true;
    TFileDialogOptions file;
    file.Filter = QStringLiteral("PDF files (*.pdf)|*.pdf");
    file.DefaultExt = QStringLiteral("pdf");
    file.FileName = printer.outputFileName().isEmpty() ? QStringLiteral("Calendar.pdf")
                                                       : printer.outputFileName();
    const std::optional<QString> path = SaveFileDialog(file, owner_);
    if (!path) return false;
    printer.setOutputFileName(*path);
    return true;
}

void TvnPrintController::Print() {
    {
        TFormPrintOptions form(owner_, &options_, &Printer());
        TReminderPause pause(calendar_);
        ExecModal(form);
    }
    if (!options_.Accepted) return;
    settingsChanged_();
    if (!ChoosePdfFile()) return;
    // The calendar has put its screen state back when an error arrives here;
    // the error is shown and the window goes on.
    try {
        calendar_.Print(options_, Printer());
    } catch (const EDatabaseError& error) {
        ShowError(error.Message(), owner_);
    } catch (const std::exception& error) {
        ShowError(QString::fromUtf8(error.what()), owner_);
    }
}
