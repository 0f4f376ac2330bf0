#include "app/Uformnotepadfind.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <initializer_list>

#include "platform/Dialogs.h"
#include "ui_Uformnotepadfind.h"

TFormNotepadFind::TFormNotepadFind(QWidget* owner, QTextEdit* editor, bool replace)
    : QDialog(owner), ui(std::make_unique<Ui::FormNotepadFind>()), editor_(editor) {
    ui->setupUi(this);
    connect(ui->btnFindNext, &QPushButton::clicked, this, &TFormNotepadFind::FindNext);
    connect(ui->btnReplace, &QPushButton::clicked, this, &TFormNotepadFind::Replace);
    connect(ui->btnReplaceAll, &QPushButton::clicked, this, &TFormNotepadFind::ReplaceAll);
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::reject);
    SetReplaceMode(replace);
}

TFormNotepadFind::~TFormNotepadFind() = default;

void TFormNotepadFind::SetReplaceMode(bool replace) {
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    for (QWidget* w : std::initializer_list<QWidget*>{ui->label_Replace, ui->edit_Replace,
                                                      ui->btnReplace, ui->btnReplaceAll})
        w->setVisible(replace);
    ui->edit_Find->setFocus();
    adjustSize();
}

bool TFormNotepadFind::FindNext() {
    const QString text = ui->edit_Find->text();
    if (text.isEmpty()) return false;
    QTextCursor from = editor_->textCursor();
    from.setPosition(from.selectionEnd());
    const QTextCursor match = editor_->document()->find(text, from);
    if (match.isNull()) {
        ShowNotFound();
        return false;
    }
    editor_->setTextCursor(match);
    return true;
}

void TFormNotepadFind::Replace() {
    if (ui->edit_Find->text().isEmpty()) return;
    if (SelectionIsMatch()) editor_->textCursor().insertText(ui->edit_Replace->text());
    FindNext();
}

int TFormNotepadFind::ReplaceAll() {
    const QString text = ui->edit_Find->text();
    if (text.isEmpty()) return 0;
    QTextDocument* document = editor_->document();
    QTextCursor edit(document);
    edit.beginEditBlock();
    int count = 0;
    for (QTextCursor match = document->find(text, 0); !match.isNull();
         match = document->find(text, match)) {
        match.insertText(ui->edit_Replace->text());
        ++count;
    }
    edit.endEditBlock();
    if (count == 0) ShowNotFound();
    return count;
}

bool TFormNotepadFind::SelectionIsMatch() const {
    return editor_->textCursor().selectedText().compare(ui->edit_Find->text(),
                                                        Qt::CaseInsensitive) == 0;
}

void TFormNotepadFind::ShowNotFound() {
    ShowInformation(QStringLiteral("Cannot find \"%1\".").arg(ui->edit_Find->text()), this);
}
