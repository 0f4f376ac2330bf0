#include "reminder/Uformnotify.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

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

}  // namespace

TFormNotify::TFormNotify(QWidget* owner, QList<TvnEventParams*>* events, TShellOpener& shell,
                         TSoundPlayer& sound)
    : QDialog(owner), ui(std::make_unique<Ui::FormNotify>()), shell_(shell), mPlayer(sound) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this, true);
    setFixedSize(size());
    SetupEventListView(ui->listView_Events, ColumnCaptions());
    connect(ui->listView_Events, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { listView_EventsCurrentItemChanged(current); });
    // OK is the default and, as the dialog's Escape, the cancel button too.
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);

    if (events) FillEventListView(ui->listView_Events, *events);
    if (QTreeWidgetItem* first = ui->listView_Events->topLevelItem(0))
        ui->listView_Events->setCurrentItem(first);
    OpenActionFiles();
    PlaySoundFiles();
    CentreOnScreen();
}

TFormNotify::~TFormNotify() {
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
        if (e && IsExistingFile(e->Action_File)) shell_.OpenFile(e->Action_File);
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

void TFormNotify::listView_EventsCurrentItemChanged(QTreeWidgetItem* current) {
    const TvnEventParams* e = TvnEventListItem::EventOf(current);
    ui->memo_Description->setPlainText(e ? ShownText(e->Notes) : QString());
}
