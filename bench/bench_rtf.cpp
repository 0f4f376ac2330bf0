// Speed of the day notes' RTF: a 1 MB body as WordPad writes it (bold, italic,
// coloured and resized runs, centred lines, bullets, accented characters) is
// read into a QTextDocument and written back. The notes editor opens such a
// body by one read and stores it by one write.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/RichText.h"
#include "support/BenchData.h"

namespace {

QString OneMegabyteBody() {
    QString rtf = QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
        "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fswiss\\fcharset0 Verdana;}}\n"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\n\\viewkind4\\uc1\n");
    for (int i = 0; rtf.size() < 1024 * 1024; ++i) {
        if (i % 5 == 0)
            rtf += QStringLiteral("\\pard\\qc\\b\\fs28 Heading %1\\b0\\fs24\\par\n").arg(i);
        else if (i % 5 == 1)
            rtf += QStringLiteral(
                       "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0"
                       "{\\pntxtb\\'B7}}\\fi-360\\li720 Item %1 caf\\'e9 \\u8364?\\par\n")
                       .arg(i);
        else
            rtf += QStringLiteral(
                       "\\pard Plain words of a day note, \\i italic\\i0 , \\cf1 red\\cf0 , "
                       "\\ul underlined\\ulnone , \\f2 Verdana\\f0  and a line\\line "
                       "break with a\\tab tab, number %1.\\par\n")
                       .arg(i);
    }
    return rtf + u'}';
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString body = OneMegabyteBody();
    std::vector<double> reads, writes;
    qsizetype written = 0;
    for (int run = 0; run < 5; ++run) {
        QTextDocument document;
        QElapsedTimer timer;
        timer.start();
        ReadRtf(body, document);
        reads.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        written = WriteRtf(document).size();
        writes.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("BENCH rtf_read_1mb %.1f ms\n", Median(reads));
    std::printf("BENCH rtf_write_1mb %.1f ms\n", Median(writes));
    std::printf("BENCH rtf_written_size %lld bytes\n", static_cast<long long>(written));
    return 0;
}
