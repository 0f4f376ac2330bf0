#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "EventSamples.h"
#include "platform/DesktopNotifications.h"
#include "platform/ShownText.h"
#include "platform/Sound.h"
#include "reminder/ReminderFixture.h"
#include "reminder/Uformnotify.h"
#include "reminder/Uresource.h"
#include "support/CapturedStandardError.h"
#include "support/DialogScript.h"
#include "support/PulseServer.h"
#include "support/RecordingActions.h"

namespace {

// A folder with a few real files for action and sound names to point at.
class NotifyFiles {
public:
    NotifyFiles() {
        for (const char* name : {"a.pdf", "b.pdf", "one.wav", "two.wav", "three.wav"}) {
            QFile f(dir_.filePath(name));
            f.open(QIODevice::WriteOnly);
        }
    }
    QString Path(const char* name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

TvnEventParams* Event(const QString& desc, const QString& action, const QString& sound,
                      const QString& notes = {}) {
    TvnEventParams* e = NewEvent(desc, notes);
    e->Action_File = action;
    e->Sound_File = sound;
    return e;
}

// The recording player, and a failure that arrives later, as the real
// player's failures do.
class FailingSoundPlayer : public RecordingSoundPlayer {
public:
    void FailNow(const QString& fileName, const QString& reason) { Failed(fileName, reason); }
};

// A desktop that keeps what it was asked to show and to take away.
class RecordingNotifier : public TDesktopNotifier {
public:
    int Show(const TDesktopNotice& notice) override {
        Shown.append(notice);
        return Shown.size();
    }
    void Close(int key) override { Closed.append(key); }
    QStringList Summaries() const {
        QStringList texts;
        for (const TDesktopNotice& n : Shown)
            texts << n.Summary;
        return texts;
    }

    QList<TDesktopNotice> Shown;
    QList<int> Closed;
};

struct NotifyFixture : ::testing::Test {
    NotifyFiles files;
    RecordingShell shell;
    FailingSoundPlayer sound;

    // The window takes over the new records.
    std::unique_ptr<TFormNotify> Open(const QList<TvnEventParams*>& events,
                                      TDesktopNotifier* desktop = nullptr) {
        TvnEventRecords records;
        for (TvnEventParams* e : events)
            records.emplace_back(e);
        return std::make_unique<TFormNotify>(nullptr, std::move(records), shell, sound, desktop);
    }
};

QTreeWidget* List(QWidget& form) {
    return form.findChild<QTreeWidget*>("listView_Events");
}

QLabel* Status(QWidget& form) {
    return form.findChild<QLabel*>("label_Status");
}

bool WaitFor(const std::function<bool()>& done, int ms = 60000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

}  // namespace

TEST_F(NotifyFixture, WindowHasItsCaptionControlsAndColumns) {
    auto form = Open({Event("Dentist", {}, {})});
    EXPECT_EQ(form->windowTitle(), "Notify");
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_NE(List(*form), nullptr);
    EXPECT_EQ(List(*form)->columnCount(), 10);
    EXPECT_EQ(List(*form)->headerItem()->text(1), "Start Date/Time");
    EXPECT_EQ(List(*form)->headerItem()->text(9), "Completed");
    auto* memo = form->findChild<QPlainTextEdit*>("memo_Description");
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(form->findChild<QLabel*>("label_Notes")->text(), "&Notes");
    EXPECT_EQ(form->findChild<QLabel*>("label_Event")->text(), "&Event");
    auto* ok = form->findChild<QPushButton*>("btnOK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
}

TEST_F(NotifyFixture, RowsFollowTheListAndTheFirstRowShowsItsNotes) {
    auto form = Open({Event("First", {}, {}, "notes of the first"),
                      Event("Second", {}, {}, "notes of the second")});
    QTreeWidget* list = List(*form);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(elcDescription), "First");
    EXPECT_EQ(list->topLevelItem(1)->text(elcDescription), "Second");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_TRUE(list->topLevelItem(0)->isSelected());
    auto* memo = form->findChild<QPlainTextEdit*>("memo_Description");
    EXPECT_EQ(memo->toPlainText(), "notes of the first");
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_EQ(memo->toPlainText(), "notes of the second");
}

TEST_F(NotifyFixture, OpensExistingActionFilesInRowOrderAndSkipsMissingOnes) {
    auto form = Open({Event("1", files.Path("b.pdf"), {}), Event("2", files.Path("gone.pdf"), {}),
                      Event("3", {}, {}), Event("4", files.Path("a.pdf"), {})});
    EXPECT_EQ(shell.Opened, QStringList({files.Path("b.pdf"), files.Path("a.pdf")}));
}

// An event from a server or a file named /bin/sh as its action file, and
// the reminder handed it to the desktop, which ran it.
TEST_F(NotifyFixture, AnActionFileThatIsAProgramWasRunWhenItsEventFellDue) {
    ScopedDialogScript dialogs;
    auto form = Open({Event("1", "/bin/sh", {}), Event("2", files.Path("a.pdf"), {})});
    EXPECT_EQ(shell.Opened, QStringList{files.Path("a.pdf")});
    EXPECT_FALSE(Status(*form)->isHidden());
    EXPECT_EQ(Status(*form)->toolTip(),
              "The action file was not opened because it is a program: /bin/sh");
    EXPECT_TRUE(dialogs.Requests().empty());
}

TEST_F(NotifyFixture, EachSoundCutsOffThePreviousAndTheLastPlaysOn) {
    auto form =
        Open({Event("1", {}, files.Path("one.wav")), Event("2", {}, {}),
              Event("3", {}, files.Path("missing.wav")), Event("4", {}, files.Path("two.wav"))});
    EXPECT_EQ(sound.Log,
              QStringList({"play " + files.Path("one.wav"), "stop " + files.Path("one.wav"),
                           "play " + files.Path("two.wav")}));
    EXPECT_EQ(sound.Playing(), files.Path("two.wav"));
}

TEST_F(NotifyFixture, FirstSoundThatCannotPlayEndsTheSoundsQuietly) {
    sound.Unplayable.insert(files.Path("two.wav"));
    auto form = Open({Event("1", {}, files.Path("one.wav")), Event("2", {}, files.Path("two.wav")),
                      Event("3", {}, files.Path("three.wav"))});
    EXPECT_EQ(sound.Log,
              QStringList({"play " + files.Path("one.wav"), "stop " + files.Path("one.wav")}));
    EXPECT_TRUE(sound.Playing().isEmpty());
    EXPECT_EQ(List(*form)->topLevelItemCount(), 3);  // the window stays
}

TEST_F(NotifyFixture, ClosingStopsTheSoundAndFreesTheRecords) {
    QString marker = "notes to be freed";
    TvnEventParams* e = Event("1", {}, files.Path("one.wav"));
    e->Notes = marker;
    auto form = Open({e});
    EXPECT_FALSE(marker.isDetached());
    form.reset();
    EXPECT_TRUE(marker.isDetached());
    EXPECT_TRUE(sound.Playing().isEmpty());
    EXPECT_EQ(sound.Log.last(), "stop " + files.Path("one.wav"));
}

TEST_F(NotifyFixture, OkAndEscapeBothCloseTheWindow) {
    auto form = Open({Event("1", {}, {})});
    form->show();
    form->findChild<QPushButton*>("btnOK")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);

    form->show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &escape);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(NotifyFixture, AnEmptyListShowsAnEmptyWindow) {
    auto form = Open({});
    EXPECT_EQ(List(*form)->topLevelItemCount(), 0);
    EXPECT_TRUE(shell.Opened.isEmpty());
    EXPECT_TRUE(sound.Log.isEmpty());
}

TEST_F(NotifyFixture, WindowIsCentredOnTheScreenAndRenders) {
    TvnEventParams* weekly = new TvnEventParams(WeeklyEvent());
    auto form = Open({new TvnEventParams(DentistEvent()), weekly});
    form->show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Placed before the window manager adds its frame: centred within the frame's width.
    const QSize frame = form->frameGeometry().size() - form->size();
    EXPECT_LE((form->frameGeometry().center() - screen.center()).manhattanLength(),
              frame.width() + frame.height() + 2);
    form->grab().save(TestOutputDir() + "/notify_window.png");
}

// Texts of 5 MB without a line break (another program may have written them)
// must not keep the window laying out text while the reminder waits: the row
// and the notes field show a bounded prefix, the record keeps everything.
TEST_F(NotifyFixture, HugeTextsShowABoundedPrefixAndStayWholeInTheRecord) {
    const QString notes(5 * 1024 * 1024, u'n');
    // One letter ahead puts the cut inside a surrogate pair.
    const QString desc = u'x' + QString::fromUtf8("\U0001F600").repeated(2 * MaxShownTextLength);
    QElapsedTimer clock;
    clock.start();
    auto form = Open({Event(desc, {}, {}, notes)});
    form->show();
    form->grab();
    EXPECT_LT(clock.elapsed(), 2000);
    const QTreeWidgetItem* row = List(*form)->topLevelItem(0);
    EXPECT_EQ(row->text(elcDescription), desc.left(MaxShownTextLength - 1) + ShownTextMore);
    EXPECT_EQ(form->findChild<QPlainTextEdit*>("memo_Description")->toPlainText(),
              notes.left(MaxShownTextLength) + ShownTextMore);
    EXPECT_EQ(TvnEventListItem::EventOf(row)->Notes, notes);
    EXPECT_EQ(TvnEventListItem::EventOf(row)->Desc, desc);
}

// A week away leaves thousands of events due; one desktop notice each covered
// the screen. The desktop now gets the first three and one line for the rest,
// while the window lists every one.
TEST_F(NotifyFixture, ManyDueEventsNoLongerFloodTheDesktop) {
    struct Row {
        int Events;
        QStringList Summaries;
    };
    const Row rows[] = {
        {2, {"e1", "e2"}},
        {3, {"e1", "e2", "e3"}},
        {4, {"e1", "e2", "e3", "1 more event is due"}},
        {5, {"e1", "e2", "e3", "2 more events are due"}},
        {40, {"e1", "e2", "e3", "37 more events are due"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Events);
        RecordingNotifier desktop;
        QList<TvnEventParams*> events;
        for (int i = 1; i <= row.Events; ++i)
            events << Event(QStringLiteral("e%1").arg(i), {}, {});
        auto form = Open(events, &desktop);
        EXPECT_EQ(List(*form)->topLevelItemCount(), row.Events);
        EXPECT_EQ(desktop.Summaries(), row.Summaries);
        if (row.Events > TFormNotify::MaxDesktopNotices) {
            const TDesktopNotice& summary = desktop.Shown.last();
            EXPECT_TRUE(summary.Body.isEmpty());
            EXPECT_TRUE(summary.SnoozeCaption.isEmpty());  // it stands for no one event
            EXPECT_FALSE(summary.OnSnooze);
            ASSERT_TRUE(summary.OnActivated);
            summary.OnActivated();  // brings the window, harmlessly
        }
        form->findChild<QPushButton*>("btnOK")->click();
        QList<int> closed = desktop.Closed;
        std::sort(closed.begin(), closed.end());
        QList<int> all;
        for (int key = 1; key <= desktop.Shown.size(); ++key)
            all << key;
        EXPECT_EQ(closed, all);  // every notice goes with the window
    }
}

// A sound that fails after it was started is named in the window's status
// line, without a message box; a failure that comes after the window has gone
// is dropped.
TEST_F(NotifyFixture, ASoundThatCannotPlayIsNamedInTheStatusLine) {
    ScopedDialogScript dialogs;
    auto form = Open({Event("1", {}, files.Path("one.wav"))});
    form->show();
    EXPECT_TRUE(Status(*form)->isHidden());
    sound.FailNow(files.Path("one.wav"), "no sound output device");
    const QString text =
        "The sound could not be played: " + QDir::toNativeSeparators(files.Path("one.wav")) +
        ": no sound output device";
    EXPECT_FALSE(Status(*form)->isHidden());
    EXPECT_EQ(Status(*form)->text(), text);
    EXPECT_EQ(Status(*form)->toolTip(), text);
    EXPECT_TRUE(dialogs.Requests().empty());
    form->grab().save(TestOutputDir() + "/notify_window_sound_failed.png");
    form.reset();
    sound.FailNow(files.Path("one.wav"), "too late");
}

namespace {

// Sets environment variables for the lifetime of the object (an empty value
// removes one) and puts the old values back.
class ScopedEnvironment {
public:
    void Set(const char* name, const QString& value) {
        saved_.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value.toLocal8Bit());
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.crbegin(); it != saved_.crend(); ++it)
            it->WasSet ? qputenv(it->Name, it->Value) : qunsetenv(it->Name);
    }

private:
    struct Saved {
        const char* Name;
        bool WasSet;
        QByteArray Value;
    };
    QList<Saved> saved_;
};

// Half a second of a 440 Hz tone, 16-bit mono WAVE at 8 kHz.
QString WriteTone(const QString& path) {
    constexpr quint32 rate = 8000, samples = rate / 2;
    QByteArray data;
    for (quint32 i = 0; i < samples; ++i) {
        const auto v = static_cast<qint16>(8000 * std::sin(2 * M_PI * 440 * i / rate));
        data.append(static_cast<char>(v & 0xff)).append(static_cast<char>((v >> 8) & 0xff));
    }
    auto le = [](quint32 v, int bytes) {
        QByteArray b;
        for (int i = 0; i < bytes; ++i)
            b.append(static_cast<char>((v >> (8 * i)) & 0xff));
        return b;
    };
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write("RIFF" + le(36 + data.size(), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
            le(rate, 4) + le(rate * 2, 4) + le(2, 2) + le(16, 2) + "data" + le(data.size(), 4) +
            data);
    return path;
}

struct SoundRoadRow {
    const char* Name;
    bool Plugins;        // GStreamer's plugins reachable
    const char* Reason;  // empty: the sound plays to its end
};

class RealSoundRoad : public ReminderFixture, public ::testing::WithParamInterface<SoundRoadRow> {};

}  // namespace

// With a sound server but without GStreamer's plugins, the media stack waited
// for ever inside the tick that announced an event with a sound: no window, and
// the same again at every start. The reminder's timer must keep turning while
// the real player program plays (or fails), and the window must appear.
TEST_P(RealSoundRoad, ASoundNeverFreezesTheReminder) {
    const SoundRoadRow& row = GetParam();
    if (!PulseServer::Installed())
        GTEST_SKIP() << "pulseaudio is not installed (tools/deps.sh installs it)";
    PulseServer pulse;
    ASSERT_TRUE(pulse.Running()) << pulse.Error().toStdString();
    QTemporaryDir dir;
    ScopedEnvironment env;
    env.Set("PULSE_SERVER", pulse.Address());
    env.Set("GST_REGISTRY", dir.filePath("registry.bin"));
    env.Set("GST_REGISTRY_1_0", {});
    const QString nowhere = row.Plugins ? QString() : dir.filePath("no-plugins");
    QDir().mkpath(dir.filePath("no-plugins"));
    for (const char* name : {"GST_PLUGIN_PATH", "GST_PLUGIN_SYSTEM_PATH", "GST_PLUGIN_PATH_1_0",
                             "GST_PLUGIN_SYSTEM_PATH_1_0"})
        env.Set(name, nowhere);
    const QString tone = WriteTone(dir.filePath("tone.wav"));

    CapturedStandardError standardError;
    RecordingShell shell;
    TProcessSoundPlayer player(QStringLiteral(VORNEL_SOUND_PROGRAM));
    std::vector<std::unique_ptr<TFormNotify>> windows;
    cal.OnBeforeFoundEvents = [&](TvnCalendarReminder* sender) {
        windows.push_back(
            std::make_unique<TFormNotify>(nullptr, sender->TakeEventsList(), shell, player));
        windows.back()->show();
    };
    TvnEventParams e = EventRecord("Dentist", At(2024, 3, 15, 10, 1));
    e.Sound_File = tone;
    cal.AddEvent(&e);
    clock.Set(At(2024, 3, 15, 10, 1));

    int ticks = 0;
    QTimer timer;  // the calendar's one-second timer, faster
    QObject::connect(&timer, &QTimer::timeout, [&] {
        cal.OnTimer(nullptr);
        ++ticks;
    });
    timer.start(20);
    ASSERT_TRUE(WaitFor([&] { return !windows.empty(); }));
    const int ticksAtWindow = ticks;
    ASSERT_TRUE(WaitFor([&] { return player.CurrentFile().isEmpty(); }));
    const int ticksAtEnd = ticks;
    EXPECT_GT(ticksAtEnd, ticksAtWindow);  // the reminder went on while the sound was busy
    ASSERT_TRUE(WaitFor([&] { return ticks > ticksAtEnd + 10; }));

    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(windows[0]->isVisible());
    const QStringList reported = standardError.Lines("The sound could not be played");
    if (!*row.Reason) {
        EXPECT_TRUE(Status(*windows[0])->isHidden()) << Status(*windows[0])->text().toStdString();
        EXPECT_TRUE(reported.isEmpty()) << reported.join(u'\n').toStdString();
        return;
    }
    EXPECT_EQ(Status(*windows[0])->toolTip(), SoundFailureText(tone, row.Reason));
    EXPECT_FALSE(Status(*windows[0])->isHidden());
    EXPECT_EQ(reported, QStringList{"Vornel: " + SoundFailureText(tone, row.Reason)});
    windows[0]->grab().save(TestOutputDir() + "/notify_window_without_plugins.png");
}

INSTANTIATE_TEST_SUITE_P(Rows, RealSoundRoad,
                         ::testing::Values(SoundRoadRow{"WithPlugins", true, ""},
                                           SoundRoadRow{"WithoutPlugins", false,
                                                        "the sound system did not answer"}),
                         [](const auto& info) { return std::string(info.param.Name); });
