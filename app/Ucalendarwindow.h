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
    // Opens action files and plays sounds through the desktop.
    explicit TCalendarWindow(QWidget* parent = nullptr);
    // Opens and plays through the given ones (not owned; they outlive the
    // window), so that tests can record what would be opened and heard.
    TCalendarWindow(TShellOpener& shell, TSoundPlayer& sound, QWidget* parent = nullptr);
    ~TCalendarWindow() override;

    // Opens the database file and binds its four tables to the control,
    // which then shows the month of today; raises EDatabaseError.
    void OpenDatabase(const QString& databasePath);

    TvnCalendarReminder* Calendar() const { return calendar_; }

private:
    void CreateControls();
    // Shows the due events, opens their action files and plays their sounds.
    void ShowDueEvents();

    TADOConnection connection_;
    TCalendarTables tables_;
    TvnCalendarReminder* calendar_ = nullptr;  // child widget
    std::unique_ptr<TShellOpener> ownShell_;
    std::unique_ptr<TSoundPlayer> ownSound_;
    TShellOpener& shell_;
    TSoundPlayer& sound_;
};
