// The holiday editor: one holiday's name and either a fixed month and day or
// a weekday rule ("last Friday of November"). It writes the record, and marks
// it accepted, only when the user confirms with a name; it never stores it.
#pragma once

#include <QDialog>
#include <memory>

#include "store/Vntypes.h"

class QAbstractButton;

namespace Ui {
class FormHolidayOptions;
}

class TFormHolidayOptions : public QDialog {
    Q_OBJECT

public:
    // params must outlive the dialog; its EditState (esNew or esEdit) picks
    // the caption.
    TFormHolidayOptions(QWidget* owner, TvnHolidayParams* params);
    ~TFormHolidayOptions() override;

    // Days the editor offers for a month (1..12): February has 28, so a
    // holiday falls on its day every year. Another month number gets 31.
    static int OfferedDays(int month);

private:
    void FormCreate();
    void ShowFixedDate(const TvnHolidayParams& h);
    void ShowVariableDate(const TvnHolidayParams& h);
    void FillDays(int monthIndex);
    void WriteRecord();

    void comboBox_MonthsChange(int index);
    // Shared by both radio buttons: Tag 0 is the fixed date, 1 the weekday rule.
    void rBtn_DateClick(QAbstractButton* button);
    void btnOKClick();

    std::unique_ptr<Ui::FormHolidayOptions> ui;
    TvnHolidayParams* params_;
};
