// The notes editor on a body of about 1 MB of RTF: opening the editor on it
// (goal 200 ms) and storing the editor's content back (goal 100 ms). The
// figures are those of whichever RTF reader and writer are linked.
//
//     bench_notepad
#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>

#include "app/Uformnotepad.h"
#include "platform/RichText.h"
#include "support/BenchData.h"

namespace {

// Paragraphs of plain, bold, italic and coloured runs, repeated until the
// stored body reaches the size.
QString FormattedBody(int bytes) {
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextCharFormat plain, bold, italic, coloured;
    bold.setFontWeight(QFont::Bold);
    italic.setFontItalic(true);
    coloured.setForeground(QColor(0, 0, 180));
    coloured.setFontPointSize(14);
    QString body;
    for (int chunk = 0; body.size() < bytes; ++chunk) {
        for (int i = 0; i < 200; ++i) {
            cursor.insertText(QStringLiteral("Paragraph %1: buy ").arg(chunk * 200 + i), plain);
            cursor.insertText(QStringLiteral("apples"), bold);
            cursor.insertText(QStringLiteral(", call "), plain);
            cursor.insertText(QStringLiteral("grandma"), italic);
            cursor.insertText(QStringLiteral(" and book the "), plain);
            cursor.insertText(QStringLiteral("dentist"), coloured);
            cursor.insertBlock();
        }
        body = NotesWithCrLfLines(WriteRtf(document));
    }
    return body;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TvnNotesParams params;
    params.Title = QStringLiteral("Long notes");
    params.Notes = FormattedBody(1 << 20);
    std::printf("# body: %lld characters\n", static_cast<long long>(params.Notes.size()));
    PrintBench("notepad_open_1mb",
               MedianSeconds(5, [&] { TFormNotepad form(nullptr, &params); }) * 1e3, "ms");
    TFormNotepad form(nullptr, &params);
    PrintBench("notepad_store_1mb", MedianSeconds(5, [&] { form.StoreNotesText(); }) * 1e3, "ms");
    return 0;
}
