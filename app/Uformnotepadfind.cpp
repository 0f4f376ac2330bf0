#include "app/Uformnotepadfind.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include "platform/Dialogs.h"

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TFormNotepadFind::TFormNotepadFind(QWidget* owner, QTextEdit* editor, bool replace)
    : QDialog(owner), editor_(editor) {
    setObjectName(QStringLiteral("FormNotepadFind"));
    edit_Find = new QLineEdit(this);
    edit_Find->setObjectName(QStringLiteral("edit_Find"));
    edit_Replace = new QLineEdit(this);
    edit_Replace->setObjectName(QStringLiteral("edit_Replace"));
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Find what:"), edit_Find);
    fields->addRow(QStringLiteral("Replace with:"), edit_Replace);
    label_Replace = fields->labelForField(edit_Replace);
    btnFindNext = Button(this, "btnFindNext", QStringLiteral("Find Next"));
    btnFindNext->setDefault(true);
    btnReplace = Button(this, "btnReplace", QStringLiteral("Replace"));
    btnReplaceAll = Button(this, "btnReplaceAll", QStringLiteral("Replace All"));
    btnClose = Button(this, "btnClose", QStringLiteral("Cancel"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {btnFindNext, btnReplace, btnReplaceAll, btnClose})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* main = new QHBoxLayout(this);
    main->addLayout(fields, 1);
    main->addLayout(buttons);
    connect(btnFindNext, &QPushButton::clicked, this, &TFormNotepadFind::FindNext);
    connect(btnReplace, &QPushButton::clicked, this, &TFormNotepadFind::Replace);
    connect(btnReplaceAll, &QPushButton::clicked, this, &TFormNotepadFind::ReplaceAll);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    SetReplaceMode(replace);
}

void TFormNotepadFind::SetReplaceMode(bool replace) {
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    for (QWidget* w : {static_cast<QWidget*>(edit_Replace), label_Replace,
                       static_cast<QWidget*>(btnReplace), static_cast<QWidget*>(btnReplaceAll)})
        w->setVisible(replace);
    edit_Find->setFocus();
    adjustSize();
}

bool TFormNotepadFind::FindNext() {
    const QString text = edit_Find->text();
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
    if (edit_Find->text().isEmpty()) return;
    if (SelectionIsMatch()) editor_->textCursor().insertText(edit_Replace->text());
    FindNext();
}

int TFormNotepadFind::ReplaceAll() {
    const QString text = edit_Find->text();
    if (text.isEmpty()) return 0;
    QTextDocument* document = editor_->document();
    QTextCursor edit(document);
    edit.beginEditBlock();
    int count = 0;
    for (QTextCursor match = document->find(text, 0); !match.isNull();
         match = document->find(text, match)) {
        match.insertText(edit_Replace->text());
        ++count;
    }
    edit.endEditBlock();
    if (count == 0) ShowNotFound();
    return count;
}

bool TFormNotepadFind::SelectionIsMatch() const {
    return editor_->textCursor().selectedText().compare(edit_Find->text(), Qt::CaseInsensitive) ==
           0;
}

void TFormNotepadFind::ShowNotFound() {
    ShowInformation(QStringLiteral("Cannot find \"%1\".").arg(edit_Find->text()), this);
}
