// Writes a QTextDocument as RTF 1.5 in the form WordPad writes, which WordPad,
// LibreOffice and the rich edit control all read alike.
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/RichText.h"

namespace {

struct RunAttributes {
    int font = 0;
    int halfPoints = 24;
    int color = 0;  // 0: the automatic colour
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const RunAttributes&) const = default;
};

class Writer {
public:
    explicit Writer(const QTextDocument& document) : document_(document) {}
    QString Write();

private:
    void CollectTables();
    int FontIndex(const QTextCharFormat& format);
    int ColorIndex(const QTextCharFormat& format);
    RunAttributes AttributesOf(const QTextCharFormat& format);
    void Header();
    void Paragraph(const QTextBlock& block);
    void Attributes(const RunAttributes& run);
    void Text(QStringView text);
    void Word(const char* word, std::optional<int> param = std::nullopt);

    const QTextDocument& document_;
    QStringList fonts_;
    QList<QColor> colors_;
    int symbolFont_ = -1;  // the font of the bullets, when there are any
    QString out_;
    bool needSpace_ = false;  // the last thing written was a control word
    std::optional<RunAttributes> last_;
};

QString Writer::Write() {
    CollectTables();
    Header();
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next())
        Paragraph(block);
    out_ += u'}';
    return out_;
}

void Writer::CollectTables() {
    fonts_.append(document_.defaultFont().family());
    bool bullets = false;
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
        bullets = bullets || block.textList();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            FontIndex(it.fragment().charFormat());
            ColorIndex(it.fragment().charFormat());
        }
    }
    if (bullets) {
        symbolFont_ = int(fonts_.size());
        fonts_.append(QStringLiteral("Symbol"));
    }
}

int Writer::FontIndex(const QTextCharFormat& format) {
    QString name = format.fontFamilies().toStringList().value(0);
    if (name.isEmpty()) name = document_.defaultFont().family();
    name.remove(u';');  // it would end the entry early
    const qsizetype index = fonts_.indexOf(name);
    if (index >= 0) return int(index);
    fonts_.append(name);
    return int(fonts_.size() - 1);
}

int Writer::ColorIndex(const QTextCharFormat& format) {
    if (!format.hasProperty(QTextFormat::ForegroundBrush) ||
        format.foreground().style() == Qt::NoBrush)
        return 0;
    const QColor color = format.foreground().color().toRgb();
    const qsizetype index = colors_.indexOf(color);
    if (index >= 0) return int(index + 1);
    colors_.append(color);
    return int(colors_.size());
}

RunAttributes Writer::AttributesOf(const QTextCharFormat& format) {
    RunAttributes run;
    run.font = FontIndex(format);
    double points = format.hasProperty(QTextFormat::FontPointSize)
                        ? format.fontPointSize()
                        : document_.defaultFont().pointSizeF();
    if (points <= 0) points = 12;  // a font sized in pixels
    run.halfPoints = std::clamp(int(std::lround(points * 2)), 2, 3276);
    run.color = ColorIndex(format);
    run.bold = format.fontWeight() > QFont::Medium;
    run.italic = format.fontItalic();
    run.underline = format.fontUnderline();
    return run;
}

void Writer::Header() {
    out_ += QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl");
    for (qsizetype i = 0; i < fonts_.size(); ++i) {
        out_ += QStringLiteral("{\\f%1\\fnil\\fcharset%2 ").arg(i).arg(i == symbolFont_ ? 2 : 0);
        needSpace_ = false;
        Text(fonts_[i]);
        out_ += QStringLiteral(";}");
    }
    out_ += QStringLiteral("}\n{\\colortbl ;");
    for (const QColor& c : colors_)
        out_ +=
            QStringLiteral("\\red%1\\green%2\\blue%3;").arg(c.red()).arg(c.green()).arg(c.blue());
    out_ += QStringLiteral("}\n\\viewkind4\\uc1\n");
}

void Writer::Paragraph(const QTextBlock& block) {
    Word("\\pard");
    if (block.textList()) {
        out_ += QStringLiteral(
                    "{\\pntext\\f%1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf%1\\pnindent0"
                    "{\\pntxtb\\'B7}}")
                    .arg(symbolFont_);
        needSpace_ = false;
        Word("\\fi", -360);
        Word("\\li", 720);
    }
    const Qt::Alignment align = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignJustify)
        Word("\\qj");
    else if (align & Qt::AlignHCenter)
        Word("\\qc");
    else if (align & (Qt::AlignRight | Qt::AlignTrailing))
        Word("\\qr");
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const RunAttributes run = AttributesOf(it.fragment().charFormat());
        if (!last_ || !(run == *last_)) Attributes(run);
        Text(it.fragment().text());
    }
    Word("\\par");
    out_ += u'\n';
    needSpace_ = false;
}

void Writer::Attributes(const RunAttributes& run) {
    const RunAttributes before =
        last_.value_or(RunAttributes{-1, -1, -1, !run.bold, !run.italic, !run.underline});
    if (run.font != before.font) Word("\\f", run.font);
    if (run.halfPoints != before.halfPoints) Word("\\fs", run.halfPoints);
    if (run.color != before.color) Word("\\cf", run.color);
    if (run.bold != before.bold) run.bold ? Word("\\b") : Word("\\b", 0);
    if (run.italic != before.italic) run.italic ? Word("\\i") : Word("\\i", 0);
    if (run.underline != before.underline) run.underline ? Word("\\ul") : Word("\\ulnone");
    last_ = run;
}

void Writer::Text(QStringView text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F) {
            if (needSpace_) out_ += u' ';
            needSpace_ = false;
            if (u == '\\' || u == '{' || u == '}') out_ += u'\\';
            out_ += c;
        } else if (u == '\t') {
            Word("\\tab");
        } else if (u == QChar::LineSeparator) {
            Word("\\line");
        } else if (u == QChar::Nbsp || u == 0xAD || u == 0x2011) {
            out_ += u == QChar::Nbsp ? u"\\~" : u == 0xAD ? u"\\-" : u"\\_";
            needSpace_ = false;
        } else if (u >= 0x80 && u != QChar::ObjectReplacementCharacter &&
                   u != QChar::ParagraphSeparator) {
            // A signed 16-bit number, as RTF 1.5 has it; '?' for readers without Unicode.
            out_ += QStringLiteral("\\u%1?").arg(int(qint16(u)));
            needSpace_ = false;
        }
    }
}

void Writer::Word(const char* word, std::optional<int> param) {
    out_ += QLatin1StringView(word);
    if (param) out_ += QString::number(*param);
    needSpace_ = true;
}

}  // namespace

QString WriteRtf(const QTextDocument& document) {
    return Writer(document).Write();
}
