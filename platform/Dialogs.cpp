#include "platform/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <cstdio>

const QString MessageBoxCaption = QStringLiteral("Vornel");

namespace {

TDialogHandler* gHandler = nullptr;

QWidget* Owner(QWidget* parent) {
    return parent ? parent : QApplication::activeWindow();
}

TDialogRequest Request(TDialogKind kind, const QString& caption, const QString& text) {
    TDialogRequest r;
    r.Kind = kind;
    r.Caption = caption;
    r.Text = text;
    return r;
}

QMessageBox::StandardButton RunMessageBox(QMessageBox::Icon icon, const QString& text,
                                          QMessageBox::StandardButtons buttons, QWidget* parent) {
    QMessageBox box(icon, MessageBoxCaption, text, buttons, Owner(parent));
    if (buttons & QMessageBox::Yes) box.setDefaultButton(QMessageBox::Yes);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

const char* KindWord(TDialogKind kind) {
    switch (kind) {
        case TDialogKind::Warning:
            return "warning";
        case TDialogKind::Error:
            return "error";
        default:
            return "information";
    }
}

// Started from a terminal, or with no screen to show a box on, the text
// must still reach someone: one line per box on standard error.
void WriteMessageLine(TDialogKind kind, const QString& text) {
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "))
        .replace(u'\n', u' ')
        .replace(u'\r', u' ');
    std::fprintf(stderr, "Vornel %s: %s\n", KindWord(kind), line.toUtf8().constData());
    std::fflush(stderr);
}

void Message(TDialogKind kind, QMessageBox::Icon icon, const QString& text, QWidget* parent) {
    WriteMessageLine(kind, text);
    if (gHandler) {
        gHandler->Answer(Request(kind, MessageBoxCaption, text));
        return;
    }
    RunMessageBox(icon, text, QMessageBox::Ok, parent);
}

std::optional<QString> RunFileDialog(TDialogKind kind, const TFileDialogOptions& options,
                                     QWidget* parent) {
    if (gHandler) {
        TDialogRequest r = Request(kind, options.Title, {});
        r.File = options;
        const TDialogAnswer a = gHandler->Answer(r);
        if (!a.Accepted || a.Text.isEmpty()) return std::nullopt;
        return ApplyDefaultExt(a.Text, options.DefaultExt);
    }
    const bool save = kind == TDialogKind::SaveFile;
    QFileDialog dlg(Owner(parent), options.Title, options.InitialDir, QtFileFilter(options.Filter));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(options.DefaultExt);
    if (!options.FileName.isEmpty()) dlg.selectFile(options.FileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return ApplyDefaultExt(dlg.selectedFiles().constFirst(), options.DefaultExt);
}

// Splits "a;b, c" into its patterns, blank-separated as Qt wants them.
QString PatternList(const QString& patterns) {
    QString p = patterns;
    p.replace(u';', u' ').replace(u',', u' ');
    return p.simplified();
}

QString QtFilterEntry(const QString& description, const QString& patterns) {
    const QString desc = description.trimmed();
    const QString list = PatternList(patterns.isEmpty() ? QStringLiteral("*") : patterns);
    // Qt reads the patterns from the description's last parentheses; keep a
    // description that already names exactly these patterns there.
    const qsizetype open = desc.lastIndexOf(u'(');
    if (desc.endsWith(u')') && open >= 0 &&
        PatternList(desc.mid(open + 1, desc.size() - open - 2)) == list)
        return desc;
    return desc.isEmpty() ? list : desc + QStringLiteral(" (") + list + u')';
}

}  // namespace

TScopedDialogHandler::TScopedDialogHandler(TDialogHandler& handler) : previous_(gHandler) {
    gHandler = &handler;
}

TScopedDialogHandler::~TScopedDialogHandler() {
    gHandler = previous_;
}

void ShowWarning(const QString& text, QWidget* parent) {
    Message(TDialogKind::Warning, QMessageBox::Warning, text, parent);
}

void ShowError(const QString& text, QWidget* parent) {
    Message(TDialogKind::Error, QMessageBox::Critical, text, parent);
}

void ShowInformation(const QString& text, QWidget* parent) {
    Message(TDialogKind::Information, QMessageBox::Information, text, parent);
}

void ShowUnhandledError(const QString& text) {
    // An error that repeats every timer tick (a failing disk) must not stack
    // one box on another: while a box is open, further errors are dropped.
    static bool showing = false;
    if (showing) return;
    showing = true;
    QTimer::singleShot(0, qApp, [text] {
        ShowError(text);
        showing = false;
    });
}

bool Confirm(const QString& text, QWidget* parent) {
    if (gHandler)
        return gHandler->Answer(Request(TDialogKind::Confirmation, MessageBoxCaption, text))
            .Accepted;
    return RunMessageBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, parent) ==
           QMessageBox::Yes;
}

namespace {

std::optional<QString> RunInputBox(const QString& caption, const QString& prompt,
                                   const QString& defaultText, QLineEdit::EchoMode echo,
                                   QWidget* parent) {
    if (gHandler) {
        TDialogRequest r = Request(TDialogKind::Input, caption, prompt);
        r.Value = defaultText;
        const TDialogAnswer a = gHandler->Answer(r);
        if (!a.Accepted) return std::nullopt;
        return a.Text;
    }
    bool ok = false;
    const QString text =
        QInputDialog::getText(Owner(parent), caption, prompt, echo, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

}  // namespace

std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                const QString& defaultText, QWidget* parent) {
    return RunInputBox(caption, prompt, defaultText, QLineEdit::Normal, parent);
}

std::optional<QString> PasswordBox(const QString& caption, const QString& prompt, QWidget* parent) {
    return RunInputBox(caption, prompt, QString(), QLineEdit::Password, parent);
}

std::optional<QString> OpenFileDialog(const TFileDialogOptions& options, QWidget* parent) {
    return RunFileDialog(TDialogKind::OpenFile, options, parent);
}

std::optional<QString> SaveFileDialog(const TFileDialogOptions& options, QWidget* parent) {
    return RunFileDialog(TDialogKind::SaveFile, options, parent);
}

std::optional<QString> OpenPictureDialog(const TFileDialogOptions& options, QWidget* parent) {
    return RunFileDialog(TDialogKind::OpenPicture, options, parent);
}

std::optional<QColor> ColourDialog(const QColor& initial, QWidget* parent) {
    if (gHandler) {
        TDialogRequest r = Request(TDialogKind::Colour, {}, {});
        r.Colour = initial;
        const TDialogAnswer a = gHandler->Answer(r);
        if (!a.Accepted || !a.Colour.isValid()) return std::nullopt;
        return a.Colour;
    }
    const QColor c = QColorDialog::getColor(initial, Owner(parent));
    if (!c.isValid()) return std::nullopt;
    return c;
}

std::optional<QFont> FontDialog(const QFont& initial, QWidget* parent) {
    if (gHandler) {
        TDialogRequest r = Request(TDialogKind::Font, {}, {});
        r.Font = initial;
        const TDialogAnswer a = gHandler->Answer(r);
        if (!a.Accepted) return std::nullopt;
        return a.Font;
    }
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, Owner(parent));
    if (!ok) return std::nullopt;
    return f;
}

bool PrinterSetupDialog(QPrinter& printer, QWidget* parent) {
    if (gHandler) {
        TDialogRequest r = Request(TDialogKind::PrinterSetup, {}, {});
        r.Printer = &printer;
        return gHandler->Answer(r).Accepted;
    }
    QPrintDialog dlg(&printer, Owner(parent));
    return dlg.exec() == QDialog::Accepted;
}

int ExecModal(QDialog& dialog) {
    if (!gHandler) return dialog.exec();
    bool finished = false;
    const auto connection =
        QObject::connect(&dialog, &QDialog::finished, [&finished] { finished = true; });
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    TDialogRequest r = Request(TDialogKind::Modal, dialog.windowTitle(), {});
    r.Dialog = &dialog;
    gHandler->Answer(r);
    if (!finished) dialog.reject();
    QObject::disconnect(connection);
    return dialog.result();
}

QString QtFileFilter(const QString& runtimeFilter) {
    if (runtimeFilter.trimmed().isEmpty()) return {};
    const QStringList parts = runtimeFilter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        entries.append(QtFilterEntry(parts[i], i + 1 < parts.size() ? parts[i + 1] : QString()));
    return entries.join(QStringLiteral(";;"));
}

QString ApplyDefaultExt(const QString& path, const QString& ext) {
    const QString e = ext.startsWith(u'.') ? ext.mid(1) : ext;
    if (e.isEmpty() || path.isEmpty() || path.endsWith(u'/')) return path;
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    if (name.lastIndexOf(u'.') > 0) return path;
    return path + u'.' + e;
}

void SetSingleBorderDialog(QDialog& dialog, bool onTop) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (onTop) flags |= Qt::WindowStaysOnTopHint;
    dialog.setWindowFlags(flags);
}
