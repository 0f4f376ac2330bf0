// The whole road in the started program: the account bound through
// Users > "CalDAV account...", the calendar's events arriving, a new event
// sent shortly after it is stored, and the status bar saying so.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <functional>

#include "app/Vnsyncscheduler.h"
#include "support/DialogScript.h"
#include "support/RadicaleServer.h"
#include "support/StartedWindow.h"
#include "sync/Vncaldavsync_p.h"

namespace {

bool WaitUntil(const std::function<bool()>& done, int ms = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

template <class T>
T* C(QWidget& form, const char* name) {
    T* c = form.findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

const QByteArray kPhoneEvent =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\nBEGIN:VEVENT\r\n"
    "UID:phone-1\r\nDTSTAMP:20261209T090000Z\r\nDTSTART:20261224T180000\r\n"
    "SUMMARY:Christmas dinner\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

TEST(CalDavMainWindow, BoundFromTheUsersMenuThenKeptInStep) {
    RadicaleServer server;
    const QUrl calendar = server.CreateCalendar(QStringLiteral("anna"), QStringLiteral("home"));
    server.Put(calendar.resolved(QUrl(QStringLiteral("phone-1.ics"))), kPhoneEvent);
    TStartedWindow w;
    ASSERT_TRUE(w.started);
    w.window->SyncScheduler().SetDelays(10, 10);

    ScopedDialogScript script;
    script.Modal([&](QDialog& form) {
        C<QLineEdit>(form, "edit_Server")->setText(server.BaseUrl().toString());
        C<QLineEdit>(form, "edit_UserName")->setText(QStringLiteral("anna"));
        C<QLineEdit>(form, "edit_Password")->setText(QStringLiteral("secret"));
        C<QPushButton>(form, "btnTestConnection")->click();
        auto* calendars = C<QComboBox>(form, "comboBox_Calendar");
        EXPECT_TRUE(WaitUntil([&] { return calendars->findData(calendar.toString()) >= 0; }))
            << C<QLabel>(form, "label_Status")->text().toStdString();
        calendars->setCurrentIndex(calendars->findData(calendar.toString()));
        form.grab().save(TestOutputDir() + "/caldav_account_against_radicale.png");
        C<QPushButton>(form, "btnOK")->click();
    });
    w.Trigger("mMenu_UsersCalDav");

    auto shows = [&](const char* desc) {
        for (const auto& [id, e] : TvnUserEvents(w.Cal().Data(), 0).Load())
            if (e.Desc == QLatin1String(desc)) return true;
        return false;
    };
    EXPECT_TRUE(WaitUntil([&] { return shows("Christmas dinner"); }));
    EXPECT_TRUE(WaitUntil([&] { return !w.window->SyncStatusText().isEmpty(); }));
    EXPECT_TRUE(w.window->SyncStatusText().startsWith(QStringLiteral("Last synchronization")))
        << w.window->SyncStatusText().toStdString();
    EXPECT_FALSE(w.window->statusBar()->isHidden());

    TvnEventParams added;
    added.Date = At(2026, 12, 15, 9, 0);
    added.UseStartTime = true;
    script.Modal([](QDialog& editor) {
        C<QPlainTextEdit>(editor, "memo_Desc")->setPlainText(QStringLiteral("Dentist"));
        C<QPushButton>(editor, "btnOK")->click();
    });
    w.window->SendRecord<WM_ADDEVENT>(&added, 99);
    EXPECT_TRUE(WaitUntil([&] { return server.Hrefs(calendar).size() == 2; }));

    // File > Synchronize now with a stopped server: the status says it failed.
    server.Stop();
    w.Trigger("mMenu_FileSyncNow");
    EXPECT_TRUE(WaitUntil([&] {
        return w.window->SyncStatusText().startsWith(QStringLiteral("Synchronization failed"));
    }));
    EXPECT_TRUE(shows("Dentist") && shows("Christmas dinner"));
    w.window->grab().save(TestOutputDir() + "/main_window_sync_failed.png");
}

}  // namespace
