#include "platform/DatePickerTyping.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>

namespace {

// The text typed over the whole selection, held apart from the editor's own
// validation until it can be read.
class TPickerTyping : public QObject {
public:
    TPickerTyping(QDateTimeEdit& picker, QLineEdit& line)
        : QObject(&picker), picker_(picker), line_(line) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                // The editor hands its keys to its line on its own.
                return watched == &picker_ && KeyPress(*static_cast<QKeyEvent*>(event));
            case QEvent::MouseButtonRelease:
                if (watched == &line_) SelectClickedSection();
                return false;
            case QEvent::FocusIn:
                if (watched == &picker_) SelectAllAfterTab(*static_cast<QFocusEvent*>(event));
                return false;
            case QEvent::FocusOut:
                if (typing_) Finish();
                return false;
            default:
                return false;
        }
    }

private:
    QLineEdit& Line() const { return line_; }

    bool WholeSelected() const {
        return !Line().text().isEmpty() && Line().selectedText() == Line().text();
    }

    bool KeyPress(const QKeyEvent& key) {
        if (IsTab(key)) {
            if (typing_) Finish();
            LeaveField(key);
            return true;
        }
        if (!typing_) {
            if (!WholeSelected() || !IsTypedText(key)) return false;
            typing_ = true;
            draft_.clear();
        }
        switch (key.key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                Finish();
                return true;
            case Qt::Key_Escape:
                Restore();
                return true;
            case Qt::Key_Backspace:
                draft_.chop(1);
                Show();
                return true;
            default:
                break;
        }
        if (IsModifier(key)) return false;  // Shift on the way to ":" or "/"
        if (!IsTypedText(key)) {
            Restore();  // arrows and the like act on the value as it was
            return false;
        }
        draft_ += key.text();
        Show();
        // A text that reads as a value and is shown as typed is complete
        // ("12/25/20" is not, on its way to 2024).
        const QDateTime read = Read();
        if (read.isValid() && picker_.locale().toString(read, picker_.displayFormat()) == draft_)
            Finish();
        return true;
    }

    static bool IsModifier(const QKeyEvent& key) {
        switch (key.key()) {
            case Qt::Key_Shift:
            case Qt::Key_Control:
            case Qt::Key_Alt:
            case Qt::Key_AltGr:
            case Qt::Key_Meta:
            case Qt::Key_CapsLock:
            case Qt::Key_NumLock:
                return true;
            default:
                return false;
        }
    }

    static bool IsTab(const QKeyEvent& key) {
        return (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) &&
               !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    }

    // Qt's editor steps through its day, month and year on Tab, so the
    // keyboard never reaches the next field; Tab leaves the field instead
    // (the parent's own Tab handling moves the focus along the chain).
    void LeaveField(const QKeyEvent& key) {
        QWidget* parent = picker_.parentWidget();
        if (!parent) return;
        QKeyEvent copy(key.type(), key.key(), key.modifiers(), key.text());
        QCoreApplication::sendEvent(parent, &copy);
    }

    static bool IsTypedText(const QKeyEvent& key) {
        const QString t = key.text();
        return !t.isEmpty() && t.at(0).isPrint() && !(key.modifiers() & Qt::ControlModifier);
    }

    QDateTime Read() const {
        const QString text = draft_.trimmed();
        const QString format = picker_.displayFormat();
        QDateTime read;
        // A time typed without its seconds ("9:30") is read too.
        for (const QString& f : {format, Lenient(format), Lenient(WithoutSeconds(format))}) {
            if (read.isValid()) break;
            read = ReadAs(text, f);
        }
        if (read.isValid() && !(picker_.displayedSections() & QDateTimeEdit::DateSections_Mask))
            read.setDate(picker_.date());  // a typed time keeps the day
        return read;
    }

    QDateTime ReadAs(const QString& text, const QString& format) const {
        const QDateTime read = picker_.locale().toDateTime(text, format);
        if (read.isValid()) return read;
        // Times alone come back without a date.
        const QTime time = picker_.locale().toTime(text, format);
        return time.isValid() ? QDateTime(picker_.date(), time) : QDateTime();
    }

    // The format with one- or two-digit numbers ("5.3.2025" for "dd.MM.yyyy").
    static QString Lenient(QString format) {
        static const QRegularExpression pairs(
            QStringLiteral("(?<![dMhHms])(dd|MM|hh|HH|mm|ss)(?![dMhHms])"));
        QRegularExpressionMatch m;
        while ((m = pairs.match(format)).hasMatch())
            format.remove(m.capturedStart(), 1);
        return format;
    }

    static QString WithoutSeconds(QString format) {
        static const QRegularExpression seconds(QStringLiteral("[^a-zA-Z]?s{1,2}(?![a-zA-Z])"));
        return format.remove(seconds);
    }

    void Show() {
        const QSignalBlocker quiet(&Line());
        Line().setText(draft_);
    }

    void Finish() {
        const QDateTime read = Read();
        const bool fits = read.isValid() && read >= picker_.minimumDateTime() &&
                          read <= picker_.maximumDateTime();
        typing_ = false;
        if (fits)
            picker_.setDateTime(read);
        else
            QApplication::beep();
        Restore();
    }

    void Restore() {
        typing_ = false;
        draft_.clear();
        const QSignalBlocker quiet(&Line());
        Line().setText(picker_.locale().toString(picker_.dateTime(), picker_.displayFormat()));
    }

    // Reached by Tab, the field offers its whole value to be typed over, as
    // a line edit does (Qt's editor would select only its first section).
    // Queued: the editor selects its section after this event.
    void SelectAllAfterTab(const QFocusEvent& focus) {
        if (focus.reason() != Qt::TabFocusReason && focus.reason() != Qt::BacktabFocusReason)
            return;
        QTimer::singleShot(0, &line_, [this] {
            if (picker_.hasFocus() && !typing_) line_.selectAll();
        });
    }

    void SelectClickedSection() {
        if (!Line().hasSelectedText()) picker_.setSelectedSection(picker_.currentSection());
    }

    QDateTimeEdit& picker_;
    QLineEdit& line_;
    bool typing_ = false;
    QString draft_;
};

}  // namespace

void MakePickerTypable(QDateTimeEdit& picker) {
    // The editor's line is its only line edit child.
    auto* line = picker.findChild<QLineEdit*>();
    if (!line) return;
    auto* typing = new TPickerTyping(picker, *line);
    picker.installEventFilter(typing);
    line->installEventFilter(typing);
}
