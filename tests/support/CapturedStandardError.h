// Sends the process's standard error to a file while it lives, so that a test
// can read what the program wrote there (child processes with a pipe of their
// own are not affected).
#pragma once

#include <unistd.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>

class CapturedStandardError {
public:
    CapturedStandardError() : file_(dir_.filePath(QStringLiteral("stderr"))) {
        file_.open(QIODevice::ReadWrite);
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        dup2(file_.handle(), STDERR_FILENO);
    }
    ~CapturedStandardError() {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    CapturedStandardError(const CapturedStandardError&) = delete;
    CapturedStandardError& operator=(const CapturedStandardError&) = delete;

    // The lines written so far, empty ones left out.
    QStringList Lines() const {
        std::fflush(stderr);
        QFile read(file_.fileName());
        if (!read.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(read.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    // The lines that hold text.
    QStringList Lines(const QString& text) const { return Lines().filter(text); }

private:
    QTemporaryDir dir_;
    QFile file_;
    int saved_ = -1;
};
