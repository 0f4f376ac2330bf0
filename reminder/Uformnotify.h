// The notification window: lists the due events, shows the notes of the
// chosen one, opens their action files and plays their sounds, one after the
// other through the one player so that only the last keeps playing; a sound
// that cannot be played is named in the status line. The first few events are
// also announced on the desktop, and can be snoozed from either.
#pragma once

#include <QDialog>
#include <QHash>
#include <memory>
#include <optional>

#include "platform/DateTime.h"
#include "reminder/Vnrecords.h"
#include "store/Vntypes.h"

class QTreeWidgetItem;
class TDesktopNotifier;
struct TDesktopNotice;
class TShellOpener;
class TSoundPlayer;

namespace Ui {
class FormNotify;
}

class TFormNotify : public QDialog {
    Q_OBJECT

public:
    // The rows take over the records of events. Files are opened and sounds
    // started here, before the window is shown.
    // desktop, when given, announces each event too; snoozeMinutes is the
    // delay offered first (an unknown one gives the usual 10 minutes).
    TFormNotify(QWidget* owner, TvnEventRecords events, TShellOpener& shell, TSoundPlayer& sound,
                TDesktopNotifier* desktop = nullptr, int snoozeMinutes = DefaultSnoozeMinutes);
    // Stops the sound and frees the records with the rows.
    ~TFormNotify() override;

    static constexpr int DefaultSnoozeMinutes = 10;
    // Desktop announcements per window; the rest are summed up in one.
    static constexpr int MaxDesktopNotices = 3;
    static QStringList ColumnCaptions();
    // "N more events are due" ("1 more event is due").
    static QString MoreEventsText(int count);

    // The delay chosen in "Remind again in", in minutes.
    int SnoozeMinutes() const;
    // The snoozed events: ID -> when they are due again.
    const QHash<int, TDateTime>& Snoozed() const { return snoozed_; }

    // Takes the desktop's announcements away with the window.
    void done(int result) override;

private:
    void CentreOnScreen();
    void OpenActionFiles();
    void PlaySoundFiles();
    void FillSnoozeChoices(int minutes);
    void ShowSoundFailure(const QString& fileName, const QString& reason);
    void ShowStatus(const QString& text);
    void AnnounceOnDesktop();
    TDesktopNotice NoticeFor(QTreeWidgetItem* row, const TvnEventParams& e, int minutes);
    void CloseDesktopNotices();
    void BringToFront();
    void SnoozeRow(QTreeWidgetItem* row, int minutes);
    void AfterSnooze();
    void btnSnoozeClick();
    void listView_EventsCurrentItemChanged(QTreeWidgetItem* current);

    std::unique_ptr<Ui::FormNotify> ui;
    TShellOpener& shell_;
    TSoundPlayer& mPlayer;
    TDesktopNotifier* desktop_;
    QHash<QTreeWidgetItem*, int> notices_;  // row -> its desktop announcement
    std::optional<int> summaryNotice_;      // the one for the events beyond those
    QHash<int, TDateTime> snoozed_;
    QStringList statusLines_;  // what the status line has told, in order
};
