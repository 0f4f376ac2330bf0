// Scripted answers for the dialogs gate. While a ScopedDialogScript lives it
// is the installed handler: it records every request and answers the
// questions (confirmations, input, file and other common dialogs, modal runs)
// from its queue, in order. Message boxes need no answer. A question with
// nothing queued, an answer queued for another kind of question, or answers
// left unused when the script ends fail the running test.
#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "platform/Dialogs.h"

class ScopedDialogScript : public TDialogHandler {
public:
    ScopedDialogScript();
    ~ScopedDialogScript() override;

    // Answers to queue.
    ScopedDialogScript& Yes();
    ScopedDialogScript& No();
    ScopedDialogScript& Input(const QString& text);
    ScopedDialogScript& CancelInput();
    // The path the user picks in a file dialog of that kind (OpenFile,
    // SaveFile or OpenPicture); Cancel for closing it without a choice.
    ScopedDialogScript& ChooseFile(TDialogKind kind, const QString& path);
    ScopedDialogScript& CancelFile(TDialogKind kind);
    ScopedDialogScript& Colour(const QColor& colour);
    ScopedDialogScript& Font(const QFont& font);
    ScopedDialogScript& PrinterSetup(bool accepted);
    // A modal run of one of our forms: drive sets its controls and clicks its
    // buttons; a form it leaves open is closed as by its close box.
    ScopedDialogScript& Modal(std::function<void(QDialog&)> drive);
    // Any answer, for cases the helpers above do not cover.
    ScopedDialogScript& Push(TDialogKind kind, const TDialogAnswer& answer);

    // Questions asked with nothing queued get No/Cancel instead of a failure.
    void SetLenient(bool lenient) { lenient_ = lenient; }

    const std::vector<TDialogRequest>& Requests() const { return requests_; }
    // The texts of the requests of one kind, in order.
    QStringList Texts(TDialogKind kind) const;
    // The texts of all message boxes and confirmations, in order.
    QStringList Messages() const;
    int Count(TDialogKind kind) const;
    int Pending() const { return static_cast<int>(queue_.size()); }

    TDialogAnswer Answer(const TDialogRequest& request) override;

private:
    struct Entry {
        TDialogKind kind;
        TDialogAnswer answer;
        std::function<void(QDialog&)> drive;
    };

    std::deque<Entry> queue_;
    std::vector<TDialogRequest> requests_;
    bool lenient_ = false;
    TScopedDialogHandler install_;
};

const char* DialogKindName(TDialogKind kind);
