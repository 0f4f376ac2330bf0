// The notes editor's find and replace window: searches the body downwards
// from the caret, ignoring case, and replaces one match or every match.
#pragma once

#include <QDialog>
#include <memory>

class QTextEdit;

namespace Ui {
class FormNotepadFind;
}

class TFormNotepadFind : public QDialog {
    Q_OBJECT

public:
    // A window of the editor's dialog; with replace false the replace field
    // and buttons are hidden.
    TFormNotepadFind(QWidget* owner, QTextEdit* editor, bool replace);
    ~TFormNotepadFind() override;

    void SetReplaceMode(bool replace);
    // Selects the next match after the caret; false (with a message) when
    // there is none.
    bool FindNext();
    // Replaces the selected match, if it is one, and finds the next.
    void Replace();
    // Replaces every match in the body as one undo step; the count.
    int ReplaceAll();

private:
    bool SelectionIsMatch() const;
    void ShowNotFound();

    std::unique_ptr<Ui::FormNotepadFind> ui;
    QTextEdit* editor_;
};
