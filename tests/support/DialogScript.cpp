#include "support/DialogScript.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

bool IsMessage(TDialogKind kind) {
    return kind == TDialogKind::Warning || kind == TDialogKind::Error ||
           kind == TDialogKind::Information;
}

}  // namespace

const char* DialogKindName(TDialogKind kind) {
    switch (kind) {
        case TDialogKind::Warning:
            return "warning";
        case TDialogKind::Error:
            return "error";
        case TDialogKind::Information:
            return "information";
        case TDialogKind::Confirmation:
            return "confirmation";
        case TDialogKind::Input:
            return "input box";
        case TDialogKind::OpenFile:
            return "open-file dialog";
        case TDialogKind::SaveFile:
            return "save-file dialog";
        case TDialogKind::OpenPicture:
            return "open-picture dialog";
        case TDialogKind::Colour:
            return "colour dialog";
        case TDialogKind::Font:
            return "font dialog";
        case TDialogKind::PrinterSetup:
            return "printer set-up";
        case TDialogKind::Modal:
            return "modal form";
    }
    return "?";
}

ScopedDialogScript::ScopedDialogScript() : install_(*this) {}

ScopedDialogScript::~ScopedDialogScript() {
    if (!queue_.empty())
        ADD_FAILURE() << queue_.size() << " scripted answer(s) never asked for, the first for a "
                      << DialogKindName(queue_.front().kind);
}

ScopedDialogScript& ScopedDialogScript::Push(TDialogKind kind, const TDialogAnswer& answer) {
    queue_.push_back({kind, answer, {}});
    return *this;
}

ScopedDialogScript& ScopedDialogScript::Yes() {
    return Push(TDialogKind::Confirmation, {true, {}, {}, {}});
}

ScopedDialogScript& ScopedDialogScript::No() {
    return Push(TDialogKind::Confirmation, {});
}

ScopedDialogScript& ScopedDialogScript::Input(const QString& text) {
    return Push(TDialogKind::Input, {true, text, {}, {}});
}

ScopedDialogScript& ScopedDialogScript::CancelInput() {
    return Push(TDialogKind::Input, {});
}

ScopedDialogScript& ScopedDialogScript::ChooseFile(TDialogKind kind, const QString& path) {
    return Push(kind, {true, path, {}, {}});
}

ScopedDialogScript& ScopedDialogScript::CancelFile(TDialogKind kind) {
    return Push(kind, {});
}

ScopedDialogScript& ScopedDialogScript::Colour(const QColor& colour) {
    return Push(TDialogKind::Colour, {true, {}, colour, {}});
}

ScopedDialogScript& ScopedDialogScript::Font(const QFont& font) {
    return Push(TDialogKind::Font, {true, {}, {}, font});
}

ScopedDialogScript& ScopedDialogScript::PrinterSetup(bool accepted) {
    return Push(TDialogKind::PrinterSetup, {accepted, {}, {}, {}});
}

ScopedDialogScript& ScopedDialogScript::Modal(std::function<void(QDialog&)> drive) {
    queue_.push_back({TDialogKind::Modal, {}, std::move(drive)});
    return *this;
}

QStringList ScopedDialogScript::Texts(TDialogKind kind) const {
    QStringList texts;
    for (const TDialogRequest& r : requests_) {
        if (r.Kind == kind) texts.append(r.Text);
    }
    return texts;
}

QStringList ScopedDialogScript::Messages() const {
    QStringList texts;
    for (const TDialogRequest& r : requests_) {
        if (IsMessage(r.Kind) || r.Kind == TDialogKind::Confirmation) texts.append(r.Text);
    }
    return texts;
}

int ScopedDialogScript::Count(TDialogKind kind) const {
    return static_cast<int>(
        std::count_if(requests_.begin(), requests_.end(),
                      [kind](const TDialogRequest& r) { return r.Kind == kind; }));
}

TDialogAnswer ScopedDialogScript::Answer(const TDialogRequest& request) {
    requests_.push_back(request);
    if (IsMessage(request.Kind)) return {};
    if (queue_.empty()) {
        if (!lenient_)
            ADD_FAILURE() << "unscripted " << DialogKindName(request.Kind) << ": \""
                          << request.Text.toStdString() << "\"";
        return {};
    }
    Entry entry = std::move(queue_.front());
    queue_.pop_front();
    if (entry.kind != request.Kind) {
        ADD_FAILURE() << "a " << DialogKindName(request.Kind) << " (\""
                      << request.Text.toStdString() << "\") got the answer scripted for a "
                      << DialogKindName(entry.kind);
        return {};
    }
    if (entry.drive && request.Dialog) entry.drive(*request.Dialog);
    return entry.answer;
}
