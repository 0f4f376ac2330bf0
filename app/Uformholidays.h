// The holidays list: every holiday with its date rule, kept in calendar
// order, and the commands to add, change and delete one. It touches no table:
// the main window does the storing when the dialog sends it a record.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "reminder/Vnrecords.h"
#include "store/Vntypes.h"

class QTreeWidgetItem;

namespace Ui {
class FormHolidays;
}

// Sends one of the holiday command messages with a record to the main
// window; answers 1 when it was carried out.
using THolidaySender = std::function<int(int message, TvnHolidayParams* record)>;

class TFormHolidays : public QDialog {
    Q_OBJECT

public:
    // Takes over the records of holidays: each lives as long as its entry.
    TFormHolidays(QWidget* owner, TvnHolidayRecords holidays, THolidaySender send);
    ~TFormHolidays() override;

    // "Nov, 25" or "Nov, last Friday"; a placeholder for codes out of range.
    static QString HolidayDateText(const TvnHolidayParams& holiday);
    // The list's order: by month, then by day, so that within a month the
    // weekday rules (day 0) come before the fixed dates.
    static bool listView_HolidaysCompare(const TvnHolidayParams& a, const TvnHolidayParams& b);
    // The record of an entry, or null.
    static TvnHolidayParams* HolidayOf(const QTreeWidgetItem* item);

private:
    void FormCreate(TvnHolidayRecords holidays);
    QTreeWidgetItem* SelectedEntry() const;
    QTreeWidgetItem* AddEntry(std::unique_ptr<TvnHolidayParams> holiday);
    // After an add: the entry of the row the store overwrote (it has the
    // added record's ID) leaves the list.
    void RemoveReplacedEntry(const QTreeWidgetItem* added);
    // After an edit: the first other entry with the same date rule leaves the
    // list and the database, so that one holiday keeps that date.
    void RemoveDuplicate(const QTreeWidgetItem* edited);

    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();

    std::unique_ptr<Ui::FormHolidays> ui;
    THolidaySender send_;
};
