// Snooze through the main window: the snoozed events come back after the
// chosen delay, the others move on at once, and the choice is remembered.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <memory>

#include "app/Uformmain.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
#include "support/EventRecords.h"
#include "support/RecordingActions.h"
#include "support/StartedWindow.h"
#include "support/TestSupport.h"

namespace {

struct SnoozeWindow : TStartedWindow {
    explicit SnoozeWindow(TDateTime now) : TStartedWindow(now) {}
    int Add(TvnEventParams e) {
        Cal().AddEvent(&e);
        return e.ID;
    }
    TvnEventParams Stored(int id) {
        TvnEventParams e;
        if (Cal().LocateDBRecord(tsEvents, QStringLiteral("ID"), id))
            Cal().DBRecord_To_EventStruct(&e);
        return e;
    }
};

QStringList Shown(QDialog& notify) {
    QStringList names;
    auto* list = notify.findChild<QTreeWidget*>("listView_Events");
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (!list->topLevelItem(i)->isHidden()) names << list->topLevelItem(i)->text(0);
    return names;
}

}  // namespace

TEST(FormMainSnooze, SnoozedEventsComeBackAfterTheDelayAndOkThenMovesThemOn) {
    ScopedDialogScript script;
    SnoozeWindow w(At(2026, 12, 9, 15, 0));
    const int call = w.Add(EventRecord("Call", At(2026, 12, 9, 15, 0, 30)));
    const int pill = w.Add(EventRecord("Pill", At(2026, 12, 9, 15, 0, 30), rkDaily));
    const int memo = w.Add(EventRecord("Memo", At(2026, 12, 9, 15, 0, 30)));
    w.clock.Set(At(2026, 12, 9, 15, 1));

    QStringList left;
    script.Modal([&](QDialog& notify) {
        auto* list = notify.findChild<QTreeWidget*>("listView_Events");
        list->clearSelection();
        list->topLevelItem(0)->setSelected(true);  // Call
        list->topLevelItem(1)->setSelected(true);  // Pill
        auto* delay = notify.findChild<QComboBox*>("cBox_Snooze");
        delay->setCurrentIndex(delay->findText("30 minutes"));
        notify.findChild<QPushButton*>("btnSnooze")->click();
        left = Shown(notify);
        notify.findChild<QPushButton*>("btnOK")->click();
    });
    w.Cal().OnTimer(nullptr);
    EXPECT_EQ(left, QStringList{"Memo"});
    for (const int id : {call, pill}) {
        EXPECT_FALSE(w.Stored(id).Completed);
        EXPECT_SAME_TIME(w.Stored(id).RunDate, At(2026, 12, 9, 15, 31));
    }
    EXPECT_TRUE(w.Stored(memo).Completed);
    EXPECT_EQ(w.window->Settings().ProgOptions.SnoozeMinutes, 30);

    w.clock.Set(At(2026, 12, 9, 15, 30, 59));
    w.Cal().OnTimer(nullptr);  // not yet: no window is asked for
    EXPECT_EQ(script.Count(TDialogKind::Modal), 1);

    QStringList again;
    QString offered;
    script.Modal([&](QDialog& notify) {
        again = Shown(notify);
        offered = notify.findChild<QComboBox*>("cBox_Snooze")->currentText();
        notify.findChild<QPushButton*>("btnOK")->click();
    });
    w.clock.Set(At(2026, 12, 9, 15, 31, 1));
    w.Cal().OnTimer(nullptr);
    EXPECT_EQ(again, (QStringList{"Call", "Pill"}));
    EXPECT_EQ(offered, "30 minutes");
    EXPECT_TRUE(w.Stored(call).Completed);
    EXPECT_FALSE(w.Stored(pill).Completed);
    EXPECT_SAME_TIME(w.Stored(pill).RunDate, At(2026, 12, 10, 15, 0, 30));
    w.Cal().OnTimer(nullptr);  // each was announced once
    EXPECT_EQ(script.Count(TDialogKind::Modal), 2);
}
