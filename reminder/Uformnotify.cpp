#include "reminder/Uformnotify.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "platform/DateFormat.h"
#include "platform/DesktopNotifications.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/ShownText.h"
#include "platform/Sound.h"
#include "reminder/Uresource.h"
#include "ui_Uformnotify.h"

namespace {

bool IsExistingFile(const QString& fileName) {
    return !fileName.isEmpty() && QFileInfo(fileName).isFile();
}

struct SnoozeChoice {
    int Minutes;
    const char* Caption;
};

constexpr SnoozeChoice kSnoozeChoices[] = {
    {5, "5 minutes"}, {10, "10 minutes"}, {15, "15 minutes"}, {30, "30 minutes"}, {60, "1 hour"},
};

QString SnoozeCaption(int minutes) {
    for (const SnoozeChoice& c : kSnoozeChoices)
        if (c.Minutes == minutes) return QString::fromLatin1(c.Caption);
    return QString();
}

}  // namespace

TFormNotify::TFormNotify(QWidget* owner, TvnEventRecords events, TShellOpener& shell,
                         TSoundPlayer& sound, TDesktopNotifier* desktop, int snoozeMinutes)
    : QDialog(owner),
      ui(std::make_unique<Ui::FormNotify>()),
      shell_(shell),
      mPlayer(sound),
      desktop_(desktop) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this, true);
    setFixedSize(size());
    SetupEventListView(ui->listView_Events, ColumnCaptions());
    // Several events can be snoozed at once.
    ui->listView_Events->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FillSnoozeChoices(snoozeMinutes);
    connect(ui->listView_Events, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { listView_EventsCurrentItemChanged(current); });
    // OK is the default and, as the dialog's Escape, the cancel button too.
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnSnooze, &QPushButton::clicked, this, [this] { btnSnoozeClick(); });

    FillEventListView(ui->listView_Events, std::move(events));
    if (QTreeWidgetItem* first = ui->listView_Events->topLevelItem(0))
        ui->listView_Events->setCurrentItem(first);
    OpenActionFiles();
    mPlayer.SetOnFailure(this, [this](const QString& fileName, const QString& reason) {
        ShowSoundFailure(fileName, reason);
    });
    PlaySoundFiles();
    AnnounceOnDesktop();
    CentreOnScreen();
}

TFormNotify::~TFormNotify() {
    CloseDesktopNotices();
    mPlayer.Stop();
    // Free the records here, while the form is whole, and quietly.
    ui->listView_Events->blockSignals(true);
    ui->listView_Events->clear();
}

QStringList TFormNotify::ColumnCaptions() {
    return {QStringLiteral("Description"),   QStringLiteral("Start Date/Time"),
            QStringLiteral("Run Date/Time"), QStringLiteral("End Date/Time"),
            QStringLiteral("Notify"),        QStringLiteral("Category"),
            QStringLiteral("Recurrence"),    QStringLiteral("Action"),
            QStringLiteral("Sound"),         QStringLiteral("Completed")};
}

void TFormNotify::CentreOnScreen() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    move(screen->availableGeometry().center() - rect().center());
}

void TFormNotify::OpenActionFiles() {
    const int rows = ui->listView_Events->topLevelItemCount();
    for (int i = 0; i < rows; ++i) {
        const TvnEventParams* e = TvnEventListItem::EventOf(ui->listView_Events->topLevelItem(i));
        if (!e || !IsExistingFile(e->Action_File)) continue;
        // A program would run, not show: whoever wrote the event (a server,
        // a file) must not choose what runs here. Its path is shown instead.
        if (RunsAsProgram(e->Action_File))
            ShowStatus(QStringLiteral("The action file was not opened because it is a program: ") +
                       QDir::toNativeSeparators(e->Action_File));
        else
            shell_.OpenFile(e->Action_File);
    }
}

void TFormNotify::PlaySoundFiles() {
    const int rows = ui->listView_Events->topLevelItemCount();
    for (int i = 0; i < rows; ++i) {
        const TvnEventParams* e = TvnEventListItem::EventOf(ui->listView_Events->topLevelItem(i));
        if (!e || !IsExistingFile(e->Sound_File)) continue;
        // Each start cuts off the sound before; the first failure ends the step.
        if (!mPlayer.Play(e->Sound_File)) break;
    }
}

// In the window's status line, not a box: the window is what matters, and the
// reminder must not stop for a sound.
void TFormNotify::ShowSoundFailure(const QString& fileName, const QString& reason) {
    ShowStatus(SoundFailureText(QDir::toNativeSeparators(fileName), reason));
}

// One line per report, each cut in the middle to the window's width; the
// whole texts are in the tool tip.
void TFormNotify::ShowStatus(const QString& text) {
    statusLines_.append(text);
    QLabel* status = ui->label_Status;
    layout()->activate();
    QStringList shown;
    for (const QString& line : std::as_const(statusLines_))
        shown.append(
            status->fontMetrics().elidedText(line, Qt::ElideMiddle, ui->listView_Events->width()));
    status->setText(shown.join(u'\n'));
    status->setToolTip(statusLines_.join(u'\n'));
    status->setVisible(true);
}

void TFormNotify::listView_EventsCurrentItemChanged(QTreeWidgetItem* current) {
    const TvnEventParams* e = TvnEventListItem::EventOf(current);
    ui->memo_Description->setPlainText(e ? ShownText(e->Notes) : QString());
}

void TFormNotify::FillSnoozeChoices(int minutes) {
    for (const SnoozeChoice& c : kSnoozeChoices)
        ui->cBox_Snooze->addItem(QString::fromLatin1(c.Caption), c.Minutes);
    int index = ui->cBox_Snooze->findData(minutes);
    if (index < 0) index = ui->cBox_Snooze->findData(DefaultSnoozeMinutes);
    ui->cBox_Snooze->setCurrentIndex(index);
}

int TFormNotify::SnoozeMinutes() const {
    return ui->cBox_Snooze->currentData().toInt();
}

// A long absence can leave thousands of events due: the desktop gets the
// first few and one line for the rest, the window lists them all.
void TFormNotify::AnnounceOnDesktop() {
    if (!desktop_) return;
    // The bubble offers the delay chosen now, and keeps to what it says.
    const int minutes = SnoozeMinutes();
    int more = 0;
    for (int i = 0; i < ui->listView_Events->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = ui->listView_Events->topLevelItem(i);
        const TvnEventParams* e = TvnEventListItem::EventOf(row);
        if (!e) continue;
        if (notices_.size() < MaxDesktopNotices)
            notices_.insert(row, desktop_->Show(NoticeFor(row, *e, minutes)));
        else
            ++more;
    }
    if (more == 0) return;
    TDesktopNotice summary;
    summary.Summary = MoreEventsText(more);
    summary.OnActivated = [this] { BringToFront(); };
    summaryNotice_ = desktop_->Show(summary);
}

QString TFormNotify::MoreEventsText(int count) {
    if (count == 1) return QStringLiteral("1 more event is due");
    return QStringLiteral("%1 more events are due").arg(count);
}

TDesktopNotice TFormNotify::NoticeFor(QTreeWidgetItem* row, const TvnEventParams& e, int minutes) {
    TDesktopNotice notice;
    notice.Summary = ShownText(e.Desc);
    notice.Body = DateTimeText(e.Date);
    if (!e.Notes.isEmpty()) notice.Body += u'\n' + ShownText(e.Notes);
    notice.SnoozeCaption = QStringLiteral("Snooze ") + SnoozeCaption(minutes);
    notice.OnActivated = [this] { BringToFront(); };
    notice.OnSnooze = [this, row, minutes] {
        SnoozeRow(row, minutes);
        AfterSnooze();
    };
    return notice;
}

void TFormNotify::CloseDesktopNotices() {
    if (desktop_) {
        for (const int key : std::as_const(notices_))
            desktop_->Close(key);
        if (summaryNotice_) desktop_->Close(*summaryNotice_);
    }
    notices_.clear();
    summaryNotice_.reset();
}

void TFormNotify::done(int result) {
    CloseDesktopNotices();
    QDialog::done(result);
}

void TFormNotify::BringToFront() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void TFormNotify::SnoozeRow(QTreeWidgetItem* row, int minutes) {
    const TvnEventParams* e = TvnEventListItem::EventOf(row);
    if (!e || row->isHidden()) return;
    // To the whole second, as the reminder reads the clock.
    snoozed_.insert(e->ID, std::round((Now() + minutes / MinsPerDay) * SecsPerDay) / SecsPerDay);
    // The row keeps its record, which the reminder stores after the window
    // closes; it only leaves the view.
    row->setSelected(false);
    row->setHidden(true);
    if (desktop_ && notices_.contains(row)) desktop_->Close(notices_.take(row));
}

// What is left is shown with its notes; when nothing is left, the window has
// done its work.
void TFormNotify::AfterSnooze() {
    QTreeWidget* list = ui->listView_Events;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list->topLevelItem(i);
        if (row->isHidden()) continue;
        if (!list->currentItem() || list->currentItem()->isHidden()) list->setCurrentItem(row);
        return;
    }
    accept();
}

void TFormNotify::btnSnoozeClick() {
    QList<QTreeWidgetItem*> rows = ui->listView_Events->selectedItems();
    if (rows.isEmpty())
        for (int i = 0; i < ui->listView_Events->topLevelItemCount(); ++i)
            rows.append(ui->listView_Events->topLevelItem(i));
    const int minutes = SnoozeMinutes();
    for (QTreeWidgetItem* row : rows)
        SnoozeRow(row, minutes);
    AfterSnooze();
}
