// The one gate for everything modal: message boxes, the input box, the common
// dialogs and modal runs of the program's own forms. A test installs a
// TDialogHandler; while one is installed nothing real is shown, every request
// goes to the handler, and no call ever blocks in a modal loop.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

enum class TDialogKind {
    Warning,
    Error,
    Information,
    Confirmation,  // Yes and No
    Input,
    OpenFile,
    SaveFile,
    OpenPicture,
    Colour,
    Font,
    PrinterSetup,
    Modal,  // a modal run of one of our own forms
};

// Common file dialogs. Filter uses the runtime syntax of description and
// pattern pairs separated by bars: "Text files (*.txt)|*.txt|All files|*.*",
// several patterns of one entry separated by ';'. DefaultExt (without the dot)
// is appended to a chosen name that has no extension.
struct TFileDialogOptions {
    QString Title;  // empty: the dialog's own title
    QString Filter;
    QString DefaultExt;
    QString InitialDir;  // empty: the current folder
    QString FileName;    // name proposed in the dialog
};

// What the program asked for. Only the fields of the request's kind are set.
struct TDialogRequest {
    TDialogKind Kind = TDialogKind::Information;
    QString Caption;  // window caption: "Vornel" for message boxes, the caller's otherwise
    QString Text;     // message, or the prompt of the input box
    QString Value;    // default text of the input box
    TFileDialogOptions File;
    QColor Colour;
    QFont Font;
    QDialog* Dialog = nullptr;    // Modal: the form to run
    QPrinter* Printer = nullptr;  // PrinterSetup
};

// The user's answer. Accepted is OK/Yes/Open/Save; Text is the input text or
// the chosen path. Ignored for warning, error and information boxes.
struct TDialogAnswer {
    bool Accepted = false;
    QString Text;
    QColor Colour;
    QFont Font;
};

// Receives every request while installed. For a Modal request the handler
// drives Dialog itself (sets controls, clicks its buttons); the answer is not
// used, and a form the handler leaves open is closed as by its close box.
class TDialogHandler {
public:
    virtual ~TDialogHandler() = default;
    virtual TDialogAnswer Answer(const TDialogRequest& request) = 0;
};

// Installs a handler for its lifetime; handlers nest, the innermost answers.
class TScopedDialogHandler {
public:
    explicit TScopedDialogHandler(TDialogHandler& handler);
    ~TScopedDialogHandler();
    TScopedDialogHandler(const TScopedDialogHandler&) = delete;
    TScopedDialogHandler& operator=(const TScopedDialogHandler&) = delete;

private:
    TDialogHandler* previous_;
};

// Caption of every message box.
extern const QString MessageBoxCaption;

// Message boxes with an OK button; the text is shown as given and also
// written as one line to standard error. A null parent means the active
// window.
void ShowWarning(const QString& text, QWidget* parent = nullptr);
void ShowError(const QString& text, QWidget* parent = nullptr);
void ShowInformation(const QString& text, QWidget* parent = nullptr);
// The application's error box for an error no handler caught: shown once
// control is back in the event loop, so it never opens inside a paint or a
// timer tick; errors arriving while it is open are not shown again.
void ShowUnhandledError(const QString& text);
// Yes and No; true for Yes.
bool Confirm(const QString& text, QWidget* parent = nullptr);

// One line of text; nullopt when cancelled.
std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                const QString& defaultText, QWidget* parent = nullptr);
// The same with the typed text hidden; a handler sees an Input request.
std::optional<QString> PasswordBox(const QString& caption, const QString& prompt,
                                   QWidget* parent = nullptr);

// The chosen path (with DefaultExt applied); nullopt when cancelled.
std::optional<QString> OpenFileDialog(const TFileDialogOptions& options, QWidget* parent = nullptr);
std::optional<QString> SaveFileDialog(const TFileDialogOptions& options, QWidget* parent = nullptr);
std::optional<QString> OpenPictureDialog(const TFileDialogOptions& options,
                                         QWidget* parent = nullptr);

std::optional<QColor> ColourDialog(const QColor& initial, QWidget* parent = nullptr);
std::optional<QFont> FontDialog(const QFont& initial, QWidget* parent = nullptr);
// Lets the user set up the printer; true when confirmed.
bool PrinterSetupDialog(QPrinter& printer, QWidget* parent = nullptr);

// Runs one of our own forms modally; returns its result (QDialog::Accepted or
// QDialog::Rejected).
int ExecModal(QDialog& dialog);

// The frame of the program's dialogs: a single border with the system menu
// (close box) only; "onTop" keeps the window above other windows.
void SetSingleBorderDialog(QDialog& dialog, bool onTop = false);

// Helpers of the file dialogs, public for their tests.
// "Text files (*.txt)|*.txt" -> "Text files (*.txt)"; entries joined by ";;".
QString QtFileFilter(const QString& runtimeFilter);
// Appends "." + ext when the file name has no extension; an empty ext or path
// leaves the path as it is.
QString ApplyDefaultExt(const QString& path, const QString& ext);
