// Feeds arbitrary bytes to the RTF reader of the day notes, as Latin-1 text
// so that every byte reaches it, then writes the document back and reads that
// again. Every input must finish in time linear in its length, never crash.
// Build with clang (see fuzz_profile_and_date_readers.cpp):
//   cmake --build build-fuzz --target fuzz_rtf_reader
#include <QGuiApplication>
#include <QString>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

#include "platform/RichText.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument document;
    const bool rtf = ReadRtf(text, document);
    const QString written = WriteRtf(document);
    QTextDocument again;
    if (!ReadRtf(written, again)) __builtin_trap();  // the writer's output must be RTF
    // Plain text may hold control characters, which RTF does not carry.
    if (rtf && again.toPlainText() != document.toPlainText()) __builtin_trap();
    return 0;
}
