#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <memory>

#include "EventSamples.h"
#include "platform/ShownText.h"
#include "reminder/Uformnotify.h"
#include "reminder/Uresource.h"
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

struct NotifyFixture : ::testing::Test {
    NotifyFiles files;
    RecordingShell shell;
    RecordingSoundPlayer sound;

    std::unique_ptr<TFormNotify> Open(QList<TvnEventParams*> events) {
        events_ = events;
        return std::make_unique<TFormNotify>(nullptr, &events_, shell, sound);
    }

private:
    QList<TvnEventParams*> events_;
};

QTreeWidget* List(QWidget& form) {
    return form.findChild<QTreeWidget*>("listView_Events");
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
