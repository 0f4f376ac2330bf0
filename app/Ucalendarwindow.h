// A plain window that holds the calendar control bound to the database: the
// program's first window, until the main window with its menus takes over.
#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "store/Adodb.h"

class TvnDBDrawCalendar;

class TCalendarWindow : public QWidget {
public:
    explicit TCalendarWindow(QWidget* parent = nullptr);
    ~TCalendarWindow() override;

    // Opens the database file and binds its four tables to the control,
    // which then shows the month of today; raises EDatabaseError.
    void OpenDatabase(const QString& databasePath);

    TvnDBDrawCalendar* Calendar() const { return calendar_; }

private:
    TADOConnection connection_;
    std::array<std::unique_ptr<TADOTable>, 4> tables_;
    TvnDBDrawCalendar* calendar_ = nullptr;  // child widget
};
