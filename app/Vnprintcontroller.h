// File > Print for the main window: the print options dialog, then the print
// of the calendar's shown view on the printer kept for the whole run.
#pragma once

#include <functional>
#include <memory>

class QPrinter;
class QWidget;
class TvnCalendarReminder;
struct TvnPrintOptions;

class TvnPrintController {
public:
    // The calendar and the options outlive the controller; settingsChanged is
    // called once the dialog confirmed new options; owner parents the dialogs.
    TvnPrintController(TvnCalendarReminder& calendar, TvnPrintOptions& options, QWidget* owner,
                       std::function<void()> settingsChanged);
    ~TvnPrintController();
    TvnPrintController(const TvnPrintController&) = delete;
    TvnPrintController& operator=(const TvnPrintController&) = delete;

    // The printer the print command and its set-up use.
    QPrinter& Printer();
    // The dialog, then the print; a printer that fails shows why.
    void Print();

private:
    bool ChoosePdfFile();

    TvnCalendarReminder& calendar_;
    TvnPrintOptions& options_;
    QWidget* owner_;
    std::function<void()> settingsChanged_;
    std::unique_ptr<QPrinter> printer_;  // made on first use
};
