// The notification window: lists the due events, shows the notes of the
// chosen one, opens their action files and plays their sounds, one after the
// other through the one player so that only the last keeps playing.
#pragma once

#include <QDialog>
#include <QList>
#include <memory>

#include "store/Vntypes.h"

class QTreeWidgetItem;
class TShellOpener;
class TSoundPlayer;

namespace Ui {
class FormNotify;
}

class TFormNotify : public QDialog {
    Q_OBJECT

public:
    // The rows take over the records of events (which is then stale, as any
    // list whose records went to rows). Files are opened and sounds started
    // here, before the window is shown.
    TFormNotify(QWidget* owner, QList<TvnEventParams*>* events, TShellOpener& shell,
                TSoundPlayer& sound);
    // Stops the sound and frees the records with the rows.
    ~TFormNotify() override;

    static QStringList ColumnCaptions();

private:
    void CentreOnScreen();
    void OpenActionFiles();
    void PlaySoundFiles();
    void listView_EventsCurrentItemChanged(QTreeWidgetItem* current);

    std::unique_ptr<Ui::FormNotify> ui;
    TShellOpener& shell_;
    TSoundPlayer& mPlayer;
};
