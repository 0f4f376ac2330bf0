#include "app/Uformnotepad.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextList>
#include <QToolBar>
#include <optional>

#include "app/Uformnotepadfind.h"
#include "platform/Dialogs.h"
#include "platform/RichText.h"
#include "ui_Uformnotepad.h"

namespace {

const QStringList FontSizes = {"8",  "9",  "10", "11", "12", "14", "16", "18",
                               "20", "22", "24", "26", "28", "36", "48", "72"};

// A body's lines as a line list reads them: a final line break ends the last
// line rather than starting an empty one.
QStringList NoteLines(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// Pictures of the formatting buttons where the desktop theme has none: a
// letter in its style, or the lines of an aligned or bulleted paragraph.
enum class TvnGlyph { Bold, Italic, Underline, Left, Center, Right, Bullet };

QIcon DrawnIcon(TvnGlyph glyph) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 1.5));
    if (glyph <= TvnGlyph::Underline) {
        QFont font(QStringLiteral("Liberation Serif"), 12);
        font.setBold(glyph == TvnGlyph::Bold);
        font.setItalic(glyph == TvnGlyph::Italic);
        font.setUnderline(glyph == TvnGlyph::Underline);
        p.setFont(font);
        const char* letter = glyph == TvnGlyph::Bold ? "B" : glyph == TvnGlyph::Italic ? "I" : "U";
        p.drawText(pixmap.rect(), Qt::AlignCenter, QLatin1String(letter));
        return QIcon(pixmap);
    }
    const int widths[4] = {14, 9, 14, 9};
    for (int i = 0; i < 4; ++i) {
        const int y = 2 + i * 4;
        int x = 1, w = widths[i];
        if (glyph == TvnGlyph::Bullet) {
            p.drawPoint(2, y);
            x = 6, w = 9;
        } else if (glyph == TvnGlyph::Center) {
            x = (16 - w) / 2;
        } else if (glyph == TvnGlyph::Right) {
            x = 15 - w;
        }
        p.drawLine(x, y, x + w - 1, y);
    }
    return QIcon(pixmap);
}

void SetActionIcon(QAction* action, const char* themeName, std::optional<TvnGlyph> glyph = {}) {
    QIcon icon = QIcon::fromTheme(QLatin1String(themeName));
    if (icon.isNull() && glyph) icon = DrawnIcon(*glyph);
    action->setIcon(icon);
}

// Left, centre, right or justified; an absolute left or right from a loaded
// document counts as left or right.
Qt::Alignment HorizontalAlignment(const QTextEdit* edit) {
    return edit->alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute;
}

}  // namespace

QString NotesWithCrLfLines(const QString& text) {
    QString out;
    for (const QString& line : NoteLines(text))
        out += line + QStringLiteral("\r\n");
    return out;
}

TFormNotepad::TFormNotepad(QWidget* owner, TvnNotesParams* params)
    : QDialog(owner), ui(std::make_unique<Ui::FormNotepad>()), params_(params) {
    ui->setupUi(this);
    QTextEdit* edit = ui->RichEdit;
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, Qt::white);
    // The selection stays visible while the focus is elsewhere.
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    edit->setPalette(palette);
    CreateToolBars();
    CreateStatusPanels();
    CreatePopupMenu();
    ConnectActions();
    edit->installEventFilter(this);
    edit->viewport()->installEventFilter(this);
    FormCreate();
}

TFormNotepad::~TFormNotepad() = default;

void TFormNotepad::SetActionIcons() {
    SetActionIcon(ui->actionEditUndo, "edit-undo");
    SetActionIcon(ui->actionEditCut, "edit-cut");
    SetActionIcon(ui->actionEditCopy, "edit-copy");
    SetActionIcon(ui->actionEditPaste, "edit-paste");
    SetActionIcon(ui->actionEditBold, "format-text-bold", TvnGlyph::Bold);
    SetActionIcon(ui->actionEditItalic, "format-text-italic", TvnGlyph::Italic);
    SetActionIcon(ui->actionEditUnderLine, "format-text-underline", TvnGlyph::Underline);
    SetActionIcon(ui->actionEditAlignLeft, "format-justify-left", TvnGlyph::Left);
    SetActionIcon(ui->actionEditAlignCenter, "format-justify-center", TvnGlyph::Center);
    SetActionIcon(ui->actionEditAlignRight, "format-justify-right", TvnGlyph::Right);
    SetActionIcon(ui->actionEditBullet, "format-list-unordered", TvnGlyph::Bullet);
}

void TFormNotepad::CreateToolBars() {
    SetActionIcons();
    toolBar1_ = new QToolBar(this);
    toolBar1_->setObjectName(QStringLiteral("ToolBar1"));
    // A button shows its caption only where it has no picture.
    toolBar1_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar1_->setIconSize(QSize(16, 16));
    toolBar1_->addAction(ui->actionEditUndo);
    toolBar1_->addSeparator();
    toolBar1_->addActions({ui->actionEditCut, ui->actionEditCopy, ui->actionEditPaste});
    toolBar1_->addSeparator();
    toolBar1_->addActions({ui->actionEditBold, ui->actionEditItalic, ui->actionEditUnderLine});
    toolBar1_->addSeparator();
    toolBar1_->addActions(
        {ui->actionEditAlignLeft, ui->actionEditAlignCenter, ui->actionEditAlignRight});
    toolBar1_->addAction(ui->actionEditBullet);

    toolBar2_ = new QToolBar(this);
    toolBar2_->setObjectName(QStringLiteral("ToolBar2"));
    comboBox_FontNames = new QComboBox(toolBar2_);
    comboBox_FontNames->setObjectName(QStringLiteral("comboBox_FontNames"));
    comboBox_FontNames->setMinimumContentsLength(18);
    comboBox_FontNames->setAccessibleName(tr("Font name"));
    comboBox_FontSizes = new QComboBox(toolBar2_);
    comboBox_FontSizes->setObjectName(QStringLiteral("comboBox_FontSizes"));
    comboBox_FontSizes->addItems(FontSizes);
    comboBox_FontSizes->setAccessibleName(tr("Font size"));
    toolBar2_->addWidget(comboBox_FontNames);
    toolBar2_->addWidget(comboBox_FontSizes);
    toolBar2_->addSeparator();
    toolBar2_->addActions({ui->actionEditFontColor, ui->actionEditFont, ui->actionEditPrint});
    ui->layout_Main->insertWidget(1, toolBar1_);
    ui->layout_Main->insertWidget(2, toolBar2_);
    // Every action works by its shortcut, also those on no tool bar.
    addActions(findChildren<QAction*>(Qt::FindDirectChildrenOnly));
}

void TFormNotepad::CreateStatusPanels() {
    const int widths[3] = {100, 100, 50};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(ui->StatusBar1);
        panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panels_[i]->setFixedWidth(widths[i]);
        panels_[i]->setFrameShape(QFrame::StyledPanel);
        if (i < 2) panels_[i]->setAlignment(Qt::AlignCenter);
        ui->StatusBar1->addWidget(panels_[i]);
    }
}

void TFormNotepad::CreatePopupMenu() {
    menupNotepad = new QMenu(this);
    menupNotepad->setObjectName(QStringLiteral("menupNotepad"));
    menupNotepad->addAction(ui->actionEditUndo);
    menupNotepad->addSeparator();
    menupNotepad->addActions(
        {ui->actionEditCut, ui->actionEditCopy, ui->actionEditPaste, ui->actionEditSelectAll});
    menupNotepad->addSeparator();
    menupNotepad->addAction(ui->actionEditFont);
    connect(ui->RichEdit, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menupNotepad->popup(ui->RichEdit->mapToGlobal(at)); });
}

void TFormNotepad::ConnectActions() {
    QTextEdit* edit = ui->RichEdit;
    connect(ui->actionEditUndo, &QAction::triggered, edit, &QTextEdit::undo);
    connect(ui->actionEditCut, &QAction::triggered, edit, &QTextEdit::cut);
    connect(ui->actionEditCopy, &QAction::triggered, edit, &QTextEdit::copy);
    connect(ui->actionEditPaste, &QAction::triggered, edit, &QTextEdit::paste);
    connect(ui->actionEditDelete, &QAction::triggered, edit,
            [edit] { edit->textCursor().removeSelectedText(); });
    connect(ui->actionEditSelectAll, &QAction::triggered, edit, &QTextEdit::selectAll);
    for (QAction* style : {ui->actionEditBold, ui->actionEditItalic, ui->actionEditUnderLine})
        connect(style, &QAction::triggered, this, [this, style] { StyleClick(style); });
    connect(ui->actionEditAlignLeft, &QAction::triggered, this,
            [this] { AlignClick(Qt::AlignLeft); });
    connect(ui->actionEditAlignCenter, &QAction::triggered, this,
            [this] { AlignClick(Qt::AlignHCenter); });
    connect(ui->actionEditAlignRight, &QAction::triggered, this,
            [this] { AlignClick(Qt::AlignRight); });
    connect(ui->actionEditBullet, &QAction::triggered, this, &TFormNotepad::actionEditBulletClick);
    connect(ui->actionEditFind, &QAction::triggered, this, [this] { OpenFindDialog(false); });
    connect(ui->actionEditReplace, &QAction::triggered, this, [this] { OpenFindDialog(true); });
    connect(ui->actionEditPrint, &QAction::triggered, this, &TFormNotepad::actionEditPrintClick);
    connect(ui->actionEditFont, &QAction::triggered, this, &TFormNotepad::actionEditFontClick);
    connect(ui->actionEditFontColor, &QAction::triggered, this,
            &TFormNotepad::actionEditFontColorClick);
    connect(comboBox_FontNames, &QComboBox::activated, this,
            &TFormNotepad::comboBox_FontNamesChange);
    connect(comboBox_FontSizes, &QComboBox::activated, this,
            &TFormNotepad::comboBox_FontSizesChange);
    connect(edit, &QTextEdit::cursorPositionChanged, this, &TFormNotepad::RichEditSelectionChange);
    connect(edit, &QTextEdit::selectionChanged, this, &TFormNotepad::RichEditSelectionChange);
    // The lists and checks follow a font chosen by a dialog or a list too.
    connect(edit, &QTextEdit::currentCharFormatChanged, this,
            &TFormNotepad::RichEditSelectionChange);
    connect(edit, &QTextEdit::textChanged, this, &TFormNotepad::RichEditChange);
    connect(ui->btnSave, &QPushButton::clicked, this, &TFormNotepad::btnSaveClick);
    connect(ui->btnOk, &QPushButton::clicked, this, &TFormNotepad::btnOkClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
}

void TFormNotepad::FormCreate() {
    LoadNotesText();
    ui->edit_Title->setText(params_->Title);
    panels_[0]->setText(QStringLiteral("0: 0"));
    ShowModified(false);
    FillFontLists();
}

void TFormNotepad::FillFontLists() {
    const QSignalBlocker quiet(comboBox_FontNames);
    comboBox_FontNames->addItems(QFontDatabase::families());
    comboBox_FontNames->setCurrentIndex(comboBox_FontNames->count() > 0 ? 0 : -1);
    comboBox_FontSizes->setCurrentIndex(0);
}

void TFormNotepad::LoadNotesText() {
    QTextEdit* edit = ui->RichEdit;
    const QSignalBlocker quiet(edit);
    if (params_->Notes.isEmpty()) {
        edit->clear();
    } else {
        // Read into a document of its own, so that the editor lays the body
        // out once when it takes it rather than along the way; the editor's
        // first document, its child, goes.
        auto* document = new QTextDocument(edit);
        document->setDefaultFont(edit->document()->defaultFont());
        if (ReadRtf(NotesWithCrLfLines(params_->Notes), *document)) {
            edit->setDocument(document);
        } else {
            // Not RTF: the lines as they are, without the line break that
            // ends the last one.
            delete document;
            edit->setPlainText(NoteLines(params_->Notes).join(u'\n'));
        }
    }
    edit->document()->clearUndoRedoStacks();
    edit->moveCursor(QTextCursor::Start);
    lengthBefore_ = edit->document()->characterCount() - 1;
}

void TFormNotepad::StoreNotesText() {
    params_->Notes = NotesWithCrLfLines(WriteRtf(*ui->RichEdit->document()));
}

void TFormNotepad::ShowModified(bool flag) {
    modified_ = flag;
    panels_[1]->setText(flag ? QStringLiteral("Modified") : QString());
}

void TFormNotepad::ShowCaretPos() {
    QTextCursor caret = ui->RichEdit->textCursor();
    caret.setPosition(caret.selectionEnd());
    panels_[0]->setText(QString::asprintf("%d: %d", caret.positionInBlock(), caret.blockNumber()));
}

QString TFormNotepad::PanelText(int panel) const {
    return panel >= 0 && panel < 3 ? panels_[panel]->text() : QString();
}

void TFormNotepad::RichEditChange() {
    // What is typed or pasted past the limit is cut off; a longer body that
    // was loaded stays whole until the user shortens it.
    QTextEdit* edit = ui->RichEdit;
    const int length = edit->document()->characterCount() - 1;
    const int allowed = std::max(MaxLength, lengthBefore_);
    if (length > allowed) {
        QTextCursor cursor = edit->textCursor();
        const int end = cursor.position();
        cursor.setPosition(std::max(0, end - (length - allowed)));
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        return;  // the removal comes back here
    }
    lengthBefore_ = length;
    ShowModified(true);
}

void TFormNotepad::RichEditSelectionChange() {
    const QTextEdit* edit = ui->RichEdit;
    const QTextCharFormat format = edit->currentCharFormat();
    const QFont font = format.font().resolve(edit->document()->defaultFont());
    ui->actionEditBold->setChecked(font.bold());
    ui->actionEditItalic->setChecked(font.italic());
    ui->actionEditUnderLine->setChecked(font.underline());
    ui->actionEditBullet->setChecked(edit->textCursor().currentList() != nullptr);
    SetAlignChecks(HorizontalAlignment(edit));
    const QSignalBlocker quietNames(comboBox_FontNames);
    const QSignalBlocker quietSizes(comboBox_FontSizes);
    comboBox_FontNames->setCurrentIndex(comboBox_FontNames->findText(font.family()));
    const double points = font.pointSizeF();
    const bool whole = points > 0 && points == static_cast<int>(points);
    comboBox_FontSizes->setCurrentIndex(
        whole ? comboBox_FontSizes->findText(QString::number(static_cast<int>(points))) : -1);
    ShowCaretPos();
}

void TFormNotepad::StyleClick(QAction* action) {
    // The action flipped its own check when it was triggered.
    const bool on = action->isChecked();
    QTextCharFormat change;
    if (action == ui->actionEditBold)
        change.setFontWeight(on ? QFont::Bold : QFont::Normal);
    else if (action == ui->actionEditItalic)
        change.setFontItalic(on);
    else
        change.setFontUnderline(on);
    ui->RichEdit->mergeCurrentCharFormat(change);
}

void TFormNotepad::AlignClick(Qt::Alignment alignment) {
    SetAlignChecks(alignment);
    ui->RichEdit->setAlignment(alignment);
}

void TFormNotepad::SetAlignChecks(Qt::Alignment alignment) {
    ui->actionEditAlignLeft->setChecked(alignment == Qt::AlignLeft);
    ui->actionEditAlignCenter->setChecked(alignment == Qt::AlignHCenter);
    ui->actionEditAlignRight->setChecked(alignment == Qt::AlignRight);
}

void TFormNotepad::actionEditBulletClick() {
    SetBullets(ui->actionEditBullet->isChecked());
}

void TFormNotepad::SetBullets(bool on) {
    QTextCursor cursor = ui->RichEdit->textCursor();
    cursor.beginEditBlock();
    if (on) {
        if (!cursor.currentList()) cursor.createList(QTextListFormat::ListDisc);
    } else {
        QTextDocument* document = ui->RichEdit->document();
        const int end = cursor.selectionEnd();
        for (QTextBlock b = document->findBlock(cursor.selectionStart());
             b.isValid() && b.position() <= end; b = b.next()) {
            QTextList* list = b.textList();
            if (!list) continue;
            list->remove(b);
            // The list's indent stays with the block otherwise.
            QTextBlockFormat format = b.blockFormat();
            format.setIndent(0);
            QTextCursor(b).setBlockFormat(format);
        }
    }
    cursor.endEditBlock();
    ui->actionEditBullet->setChecked(on);
}

// Backspace at the start of a line first undoes the paragraph's look: its
// bullet, then right to centre, then centre to left. True when it did.
bool TFormNotepad::RichEditBackspace() {
    QTextEdit* edit = ui->RichEdit;
    QTextCursor caret = edit->textCursor();
    caret.setPosition(caret.selectionEnd());
    if (caret.positionInBlock() != 0) return false;
    if (edit->textCursor().currentList()) {
        SetBullets(false);
        return true;
    }
    const Qt::Alignment alignment = HorizontalAlignment(edit);
    if (alignment == Qt::AlignRight) {
        AlignClick(Qt::AlignHCenter);
        return true;
    }
    if (alignment == Qt::AlignHCenter) {
        AlignClick(Qt::AlignLeft);
        return true;
    }
    return false;
}

bool TFormNotepad::eventFilter(QObject* watched, QEvent* event) {
    QTextEdit* edit = ui->RichEdit;
    if (watched == edit && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier)
        return RichEditBackspace();
    if (watched == edit->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // The caret goes where the menu is asked for, unless a selection
        // is what the menu is for.
        if (mouse->button() == Qt::RightButton && !edit->textCursor().hasSelection())
            edit->setTextCursor(edit->cursorForPosition(mouse->position().toPoint()));
    }
    return QDialog::eventFilter(watched, event);
}

void TFormNotepad::comboBox_FontNamesChange(int index) {
    if (index < 0) return;
    QTextCharFormat change;
    change.setFontFamilies({comboBox_FontNames->itemText(index)});
    ui->RichEdit->mergeCurrentCharFormat(change);
    ui->RichEdit->setFocus();
}

void TFormNotepad::comboBox_FontSizesChange(int index) {
    if (index < 0) return;
    ui->RichEdit->setFontPointSize(comboBox_FontSizes->itemText(index).toInt());
    ui->RichEdit->setFocus();
}

// Captioned "Font", yet it picks the text colour: the two commands have
// always been swapped, and their users know them by what they do.
void TFormNotepad::actionEditFontClick() {
    QTextEdit* edit = ui->RichEdit;
    const QColor current = edit->currentCharFormat().foreground().color();
    if (const std::optional<QColor> colour = ColourDialog(current, this))
        edit->setTextColor(*colour);
}

// Captioned "Font color", yet it picks the font; see above.
void TFormNotepad::actionEditFontColorClick() {
    QTextEdit* edit = ui->RichEdit;
    const QFont current = edit->currentCharFormat().font().resolve(edit->document()->defaultFont());
    if (const std::optional<QFont> font = FontDialog(current, this)) {
        edit->setCurrentFont(*font);
        edit->setFocus();
    }
}

void TFormNotepad::actionEditPrintClick() {
    try {
        QPrinter printer(QPrinter::HighResolution);
        if (!PrinterSetupDialog(printer, this)) return;
        printer.setDocName(ui->edit_Title->text());
        ui->RichEdit->document()->print(&printer);
        if (printer.printerState() == QPrinter::Error ||
            printer.printerState() == QPrinter::Aborted)
            ShowError(QStringLiteral("Print error!"), this);
    } catch (...) {
        ShowError(QStringLiteral("Print error!"), this);
    }
}

void TFormNotepad::OpenFindDialog(bool replace) {
    if (!find_) find_ = new TFormNotepadFind(this, ui->RichEdit, replace);
    find_->SetReplaceMode(replace);
    find_->move(5, 5);
    find_->show();
    find_->raise();
}

void TFormNotepad::reject() {
    // Esc and the close box: typed changes are not dropped unasked.
    const bool changed = modified_ || ui->edit_Title->text() != params_->Title;
    if (changed && !Confirm(QStringLiteral("Discard the changes to these notes?"), this)) return;
    QDialog::reject();
}

void TFormNotepad::btnSaveClick() {
    StoreNotesText();
    ShowModified(false);
}

void TFormNotepad::btnOkClick() {
    if (ui->edit_Title->text().isEmpty()) {
        ShowWarning(QStringLiteral("Enter the note's name!"), this);
        ui->edit_Title->setFocus();
        return;
    }
    params_->Title = ui->edit_Title->text();
    params_->EditState = esAccepted;
    StoreNotesText();
    accept();
}
