// The event editor: shows one event record on its "General", "Action" and
// "Notes" pages and, when the user confirms with a description, writes the
// controls back into the record and marks it accepted. It never stores it.
#pragma once

#include <QDialog>
#include <memory>

#include "store/Vntypes.h"

class QDate;

namespace Ui {
class FormEventOptions;
}

class TFormEventOptions : public QDialog {
    Q_OBJECT

public:
    // params must outlive the dialog. Its EditState (esNew or esEdit) picks
    // the caption; the fields are written and EditState becomes esAccepted
    // only when OK is accepted. The Browse buttons start in browseFolder (the
    // program's folder).
    TFormEventOptions(QWidget* owner, TvnEventParams* params, const QString& browseFolder = {});
    ~TFormEventOptions() override;

    // "2nd Tuesday of every month": the occurrence a "Montly variably" event
    // starting on that day keeps.
    static QString WeekdayOfMonthText(const QDate& start);

protected:
    // Enter in the description presses OK; Esc there closes as Esc elsewhere.
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Esc and the close box ask before changes are discarded; Cancel does not.
    void reject() override;

private:
    void SetupPickers();
    void ConnectControls();
    void FormCreate();
    void ShowDates();
    void ApplyRecurrenceRule();
    // The controls' values written into a record.
    void WriteRecord(TvnEventParams& e) const;
    bool HasChanges() const;

    void check_UseStartTimeClick(bool checked);
    void check_UseEndDateClick(bool checked);
    void check_NotifyClick(bool checked);
    void check_RunActionClick(bool checked);
    void check_PlaySoundClick(bool checked);
    void btnBrowseActionClick();
    void btnBrowseSoundClick();
    void btnOKClick();

    std::unique_ptr<Ui::FormEventOptions> ui;
    TvnEventParams* params_;
    TvnEventParams shown_;  // the controls' values as the dialog opened
    QString browseFolder_;
};
