// A plain window that holds the calendar control bound to the database and
// announces due events: the program's first window, until the main window
// with its menus takes over.
#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "platform/Shell.h"
#include "platform/Sound.h"
#include "store/Adodb.h"
#include "store/Udbmanagement.h"

class TvnCalendarReminder;

class TCalendarWindow : public QWidget {
public:
    explicit TCalendarWindow(QWidget* parent = nullptr);
    ~TCalendarWindow() override;

    // Opens the database file and binds its four tables to the control,
    // which then shows the month of today; raises EDatabaseError.
    void OpenDatabase(const QString& databasePath);

    TvnCalendarReminder* Calendar() const { return calendar_; }

private:
    // Shows the due events, opens their action files and plays their sounds.
    void ShowDueEvents();
    // Shows an error caught inside the calendar once its handler is over.
    void ReportError(const QString& text);

    TADOConnection connection_;
    TCalendarTables tables_;
    TvnCalendarReminder* calendar_ = nullptr;  // child widget
    TDesktopShell shell_;
    TMediaSoundPlayer sound_;
    bool errorShowing_ = false;
};
