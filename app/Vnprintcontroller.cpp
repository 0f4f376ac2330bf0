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

// Without an installed printer the print goes to a PDF file; one that nobody
// named yet is asked for here rather than failing to start the job.
bool TvnPrintController::ChoosePdfFileWithoutPrinter() {
    QPrinter& printer = Printer();
    if (printer.outputFormat() != QPrinter::PdfFormat || !printer.outputFileName().isEmpty())
        return true;
    TFileDialogOptions file;
    file.Filter = QStringLiteral("PDF files (*.pdf)|*.pdf");
    file.DefaultExt = QStringLiteral("pdf");
    file.FileName = QStringLiteral("Calendar.pdf");
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
    if (!ChoosePdfFileWithoutPrinter()) return;
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
