// The notes editor: the title and the formatted body of one day's notes. It
// works on the caller's record, keeps the body as RTF with CR LF lines, and
// marks the record accepted on OK; storing it is the caller's business.
#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>

#include "store/Vntypes.h"

class QComboBox;
class QLabel;
class QMenu;
class QToolBar;
class TFormNotepadFind;

namespace Ui {
class FormNotepad;
}

// Splits a stored body into its lines and writes each out again followed by
// CR LF; an empty text gives an empty text.
QString NotesWithCrLfLines(const QString& text);

class TFormNotepad : public QDialog {
    Q_OBJECT

public:
    // params must outlive the dialog.
    TFormNotepad(QWidget* owner, TvnNotesParams* params);
    ~TFormNotepad() override;

    void LoadNotesText();
    void StoreNotesText();
    void ShowModified(bool flag);
    void ShowCaretPos();
    // The text of status panel 0, 1 or 2.
    QString PanelText(int panel) const;

    // Esc and the close box ask before changes are discarded; Cancel does not.
    void reject() override;

    // The most characters the body takes from the user.
    static constexpr int MaxLength = 5000000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetActionIcons();
    void CreateToolBars();
    void CreateStatusPanels();
    void CreatePopupMenu();
    void ConnectActions();
    void FormCreate();
    void FillFontLists();

    void RichEditSelectionChange();
    void RichEditChange();
    void StyleClick(QAction* action);
    void AlignClick(Qt::Alignment alignment);
    void SetAlignChecks(Qt::Alignment alignment);
    void actionEditBulletClick();
    void SetBullets(bool on);
    bool RichEditBackspace();
    void comboBox_FontNamesChange(int index);
    void comboBox_FontSizesChange(int index);
    void actionEditFontClick();
    void actionEditFontColorClick();
    void actionEditPrintClick();
    void OpenFindDialog(bool replace);
    void btnSaveClick();
    void btnOkClick();

    std::unique_ptr<Ui::FormNotepad> ui;
    TvnNotesParams* params_;
    bool modified_ = false;                   // the body changed since it was loaded or saved
    QToolBar* toolBar1_ = nullptr;            // child widget
    QToolBar* toolBar2_ = nullptr;            // child widget
    QComboBox* comboBox_FontNames = nullptr;  // child widget
    QComboBox* comboBox_FontSizes = nullptr;  // child widget
    QLabel* panels_[3] = {};                  // child widgets of the status bar
    QMenu* menupNotepad = nullptr;            // child widget
    QPointer<TFormNotepadFind> find_;         // child window, while open
    int lengthBefore_ = 0;                    // body length after the last change
};
