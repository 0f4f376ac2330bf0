// The day notes' RTF: what WordPad, LibreOffice Writer and the rich edit
// control write loads with its text and attributes; what the writer writes
// reads back as the same document; damaged and hostile input finishes and
// keeps the text that could be read.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <functional>
#include <vector>

#include "platform/RichText.h"

namespace {

// One line per block: alignment, list, then each run with its attributes.
QString Describe(const QTextDocument& document) {
    QString out;
    QList<const QTextList*> lists;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextList* list = block.textList();
        if (list && !lists.contains(list)) lists.append(list);
        out += QStringLiteral("[align %1 list %2]")
                   .arg(int(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask))
                   .arg(list ? lists.indexOf(list) + 1 : 0);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QString family = f.fontFamilies().toStringList().value(0);
            out +=
                QStringLiteral(" <%1|%2 %3pt%4%5%6 %7>")
                    .arg(it.fragment().text(),
                         family.isEmpty() ? document.defaultFont().family() : family)
                    .arg(f.hasProperty(QTextFormat::FontPointSize)
                             ? f.fontPointSize()
                             : document.defaultFont().pointSizeF())
                    .arg(f.fontWeight() > QFont::Medium ? " b" : "", f.fontItalic() ? " i" : "",
                         f.fontUnderline() ? " u" : "",
                         f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name()
                                                                     : QStringLiteral("auto"));
        }
        out += u'\n';
    }
    return out;
}

// The format of the first character of `text` in the document.
QTextCharFormat FormatAt(const QTextDocument& document, const QString& text) {
    const QTextCursor found = document.find(text);
    if (found.isNull()) return {};
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(found.selectionStart() + 1);
    return cursor.charFormat();
}

struct Span {
    QString text;
    QString attributes;  // "b", "i", "u", a size in points, a colour name, a family
};

QString AttributesOf(const QTextCharFormat& f) {
    QStringList a;
    if (f.fontWeight() > QFont::Medium) a << "b";
    if (f.fontItalic()) a << "i";
    if (f.fontUnderline()) a << "u";
    a << QString::number(f.fontPointSize());
    if (f.hasProperty(QTextFormat::ForegroundBrush)) a << f.foreground().color().name();
    a << f.fontFamilies().toStringList().value(0);
    return a.join(u' ');
}

struct Sample {
    const char* name;
    const char* rtf;
    QString text;
    QString blocks;  // per block: l, c, r or j, with * for a bullet
    std::vector<Span> spans;
};

QString BlocksOf(const QTextDocument& document) {
    QString out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const Qt::Alignment a = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        out += a == Qt::AlignHCenter   ? u'c'
               : a == Qt::AlignRight   ? u'r'
               : a == Qt::AlignJustify ? u'j'
                                       : u'l';
        if (block.textList())
            out += block.textList()->format().style() == QTextListFormat::ListDisc ? u'*' : u'?';
    }
    return out;
}

const std::vector<Sample> Samples = {
    {"WordPad",
     "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
     "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\froman\\fprq2\\fcharset0 Times New Roman;}}\r\n"
     "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
     "{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1\\pard\\qc\\b\\f0\\fs28 Day "
     "plan\\b0\\fs20\\par\r\n"
     "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-"
     "720\\li720 "
     "Caf\\'e9 at \\cf1 ten\\cf0\\par\r\n"
     "{\\pntext\\f1\\'B7\\tab}Pay 5 \\u8364?, \\i not\\i0  \\ul more\\ulnone\\par\r\n"
     "\\pard\\qr\\f2\\fs24 Line\\line next\\tab tab\\par\r\n}\r\n",
     QStringLiteral("Day plan\nCafé at ten\nPay 5 €, not more\nLine\u2028next\ttab"),
     "c,l*,l*,r",
     {{"Day plan", "b 14 Arial"},
      {"ten", "10 #ff0000 Arial"},
      {"not", "i 10 Arial"},
      {"more", "u 10 Arial"},
      {"next", "12 Times New Roman"}}},
    {"LibreOffice Writer",
     "{\\rtf1\\ansi\\deff3\\adeflang1025\n"
     "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}{\\f3\\froman\\fprq2\\fcharset0 "
     "Liberation Serif{\\*\\falt Times New Roman};}{\\f4\\fswiss\\fprq2\\fcharset0 Liberation "
     "Sans;}}\n"
     "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green128\\blue0;}\n"
     "{\\stylesheet{\\s0\\snext0\\hich\\af3 Default Paragraph Style;}}\n"
     "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23{\\leveltext \\'01\\u8226 ?;}"
     "{\\levelnumbers;}\\fi-360\\li720}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1"
     "\\listoverridecount0\\ls1}}{\\info{\\creatim\\yr2024\\mo3\\dy17}}{\\*\\generator "
     "LibreOffice/7.4}\n"
     "\\pard\\plain \\s0\\ilvl0\\ls1\\li720\\ri0\\fi-360\\ql{\\listtext\\pard\\plain "
     "\\u8226\\'95\\tab}"
     "{\\rtlch\\af3 \\ltrch\\loch\\fs24\\f3\\b One}\\par\n"
     "\\pard\\plain \\s0\\qj{\\field{\\*\\fldinst HYPERLINK \"http://example.org\"}{\\fldrslt "
     "{\\cf2\\ul\\f4 site}}} \\u55357\\'3f\\u56832\\'3f done\\par\n"
     "{\\*\\themedata 504b0304}{\\pict\\pngblip 89504e47}\\pard\\qc\\f3\\fs20\\i\\'e9t\\'e9\\par}",
     QStringLiteral("One\nsite \U0001F600 done\nété"),
     "l*,j,c",
     {{"One", "b 12 Liberation Serif"},
      {"site", "u 12 #008000 Liberation Sans"},
      {"été", "i 10 Liberation Serif"}}},
    {"rich edit control in code page 1250",
     "{\\rtf1\\ansi\\ansicpg1250\\deff0\\nouicompat\\deflang1029{\\fonttbl{\\f0\\fnil\\fcharset238 "
     "Calibri;}{\\f1\\fnil\\fcharset0 Calibri;}{\\f2\\fnil\\fcharset204 Tahoma;}{\\f3\\fnil"
     "\\fcharset128 MS Gothic;}}\r\n{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
     "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang5 P\\'f8\\'edli\\'9a \\f1\\'e9 "
     "\\f2\\'cf\\'f0\\f3 "
     "\\'82\\'a0\\f1\\emdash\\ldblquote x\\rdblquote\\~\\{\\}\\\\\\par\r\n}\r\n",
     QStringLiteral("Příliš é Прあ—“x”\u00A0{}\\"),
     "l",
     {{"Příliš", "11 Calibri"}}},
};

void PrintTo(const Sample& s, std::ostream* os) {
    *os << s.name;
}

class RichTextSample : public ::testing::TestWithParam<Sample> {};

TEST_P(RichTextSample, LoadsTextAndAttributes) {
    const Sample& s = GetParam();
    QTextDocument document;
    ASSERT_TRUE(ReadRtf(QString::fromLatin1(s.rtf), document));
    EXPECT_EQ(document.toRawText().replace(QChar::ParagraphSeparator, u'\n'), s.text);
    QString blocks = BlocksOf(document);
    EXPECT_EQ(blocks, QString(s.blocks).remove(u','));
    for (const Span& span : s.spans)
        EXPECT_EQ(AttributesOf(FormatAt(document, span.text)), span.attributes)
            << span.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Editors, RichTextSample, ::testing::ValuesIn(Samples),
                         [](const auto& info) {
                             std::string name;
                             for (const char c : std::string(info.param.name))
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             return name;
                         });

TEST(RichText, TextThatIsNotRtfLoadsAsPlainText) {
    QTextDocument document;
    EXPECT_FALSE(ReadRtf(u"  rtf1 {\\b not} RTF\r\nsecond", document));
    EXPECT_EQ(document.toPlainText(),
              QStringLiteral("  rtf1 {\\b not} RTF\r\nsecond").replace("\r\n", "\n"));
    EXPECT_FALSE(ReadRtf(u"", document));
    EXPECT_TRUE(document.isEmpty());
}

// Documents as the notes editor makes them.
struct Build {
    const char* name;
    std::function<void(QTextCursor&)> fill;
};

QTextCharFormat Chars(const char* family, double points, int flags = 0, QColor color = {}) {
    QTextCharFormat f;
    f.setFontFamilies({QString::fromUtf8(family)});
    f.setFontPointSize(points);
    if (flags & 1) f.setFontWeight(QFont::Bold);
    if (flags & 2) f.setFontItalic(true);
    if (flags & 4) f.setFontUnderline(true);
    if (color.isValid()) f.setForeground(color);
    return f;
}

void Paragraph(QTextCursor& c, Qt::Alignment align, bool bullet) {
    QTextBlockFormat f;
    f.setAlignment(align);
    c.insertBlock(f);
    if (bullet) {
        QTextBlock previous = c.block().previous();
        if (previous.textList())
            previous.textList()->add(c.block());
        else
            c.createList(QTextListFormat::ListDisc);
    }
}

const std::vector<Build> Builds = {
    {"attributes",
     [](QTextCursor& c) {
         c.insertText("plain ", Chars("Arial", 12));
         c.insertText("bold ", Chars("Arial", 12, 1));
         c.insertText("all three ", Chars("Arial", 12, 7));
         c.insertText("red big ", Chars("Courier New", 20, 2, QColor(255, 0, 0)));
         c.insertText("black ", Chars("Arial", 10.5, 4, QColor(0, 0, 0)));
         c.insertText("unset");
     }},
    {"alignment and bullets",
     [](QTextCursor& c) {
         c.insertText("left", Chars("Arial", 12));
         for (const auto& [align, bullet] :
              std::vector<std::pair<Qt::Alignment, bool>>{{Qt::AlignHCenter, false},
                                                          {Qt::AlignRight, true},
                                                          {Qt::AlignLeft, true},
                                                          {Qt::AlignJustify, false},
                                                          {Qt::AlignHCenter, true}}) {
             Paragraph(c, align, bullet);
             c.insertText(QStringLiteral("para %1").arg(int(align)), Chars("Arial", 12, 1));
         }
     }},
    {"breaks tabs and empty paragraphs",
     [](QTextCursor& c) {
         c.insertText(QStringLiteral("one\u2028two\tthree"), Chars("Verdana", 9));
         Paragraph(c, Qt::AlignLeft, false);
         Paragraph(c, Qt::AlignLeft, false);
         c.insertText(QStringLiteral("  spaced  "), Chars("Verdana", 9, 1));
         Paragraph(c, Qt::AlignLeft, false);
     }},
    {"characters beyond ASCII and RTF's own",
     [](QTextCursor& c) {
         c.insertText(QStringLiteral("café € \U0001F600 Ωмир 日本 {braces} \\ back\u00A0nbsp"),
                      Chars("DejaVu Sans", 12));
         c.insertText(QStringLiteral("Žluťoučký"), Chars("Zapf {Dingbats} \u03A9mega", 12, 1));
     }},
    {"empty document", [](QTextCursor&) {}},
};

void PrintTo(const Build& b, std::ostream* os) {
    *os << b.name;
}

class RichTextRoundTrip : public ::testing::TestWithParam<Build> {};

TEST_P(RichTextRoundTrip, WriterThenReaderGivesTheSameDocument) {
    QTextDocument original;
    QTextCursor cursor(&original);
    GetParam().fill(cursor);
    const QString rtf = WriteRtf(original);
    for (const QChar ch : rtf)
        ASSERT_LT(ch.unicode(), 128) << rtf.toStdString();
    QTextDocument read;
    ASSERT_TRUE(ReadRtf(rtf, read)) << rtf.toStdString();
    EXPECT_EQ(Describe(read), Describe(original)) << rtf.toStdString();
    EXPECT_EQ(WriteRtf(read), rtf);
}

INSTANTIATE_TEST_SUITE_P(Documents, RichTextRoundTrip, ::testing::ValuesIn(Builds),
                         [](const auto& info) {
                             std::string name;
                             for (const char c : std::string(info.param.name))
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             return name;
                         });

struct Hostile {
    const char* name;
    QString rtf;
    QString text;
};

template <size_t N>
QString Bytes(const char (&bytes)[N]) {
    return QString::fromLatin1(bytes, N - 1);
}

QString Repeat(const char* piece, int count) {
    return QString::fromLatin1(piece).repeated(count);
}

std::vector<Hostile> HostileInputs() {
    QString fonts = QStringLiteral("{\\rtf1{\\fonttbl");
    for (int i = 0; i < 10000; ++i)
        fonts += QStringLiteral("{\\f%1\\fcharset%2 F%1;}").arg(i).arg(i % 256);
    return {
        {"nested groups",
         "{\\rtf1 keep" + Repeat("{", 100000) + "lost" + Repeat("}", 100000) + " after}",
         "keep after"},
        {"missing braces", "{\\rtf1 {\\b keep {\\i more", "keep more"},
        {"extra braces", "{\\rtf1 keep}}}} lost}", "keep"},
        {"absurd bin", "{\\rtf1 keep\\bin-5 x\\bin99999999999 lost}", "keepx"},
        {"absurd unicode", "{\\rtf1 a\\u99999999?b\\u-99999?c\\u55357?d\\u56832?e\\u0?f}",
         QStringLiteral("a\uFFFDb\uFFFDc\uFFFDd\uFFFDef")},
        {"absurd fallback count", "{\\rtf1{\\uc2147483647\\u233?}keep\\uc-3\\u233 x}", "ékeepéx"},
        {"five million characters", "{\\rtf1 " + Repeat("x", 5000000) + "}", Repeat("x", 5000000)},
        {"NUL and control bytes", Bytes("{\\rtf1 ke\0ep\\'00\\'07\x7f\\'4}"), "keep"},
        {"ten thousand fonts", fonts + "}\\f9999 keep}", "keep"},
        {"colour past the table",
         "{\\rtf1{\\colortbl;\\red999\\green0\\blue0;}\\cf99 keep\\cf-4 x}", "keepx"},
        {"absurd sizes and numbers",
         "{\\rtf1\\fs99999999999999999999 keep\\fs-4\\f-7\\ansicpg-1 x\\'e9}", "keepxé"},
        {"endless control word", "{\\rtf1 keep\\" + Repeat("a", 100000) + " x}", "keepx"},
        {"skipped destination never closed",
         "{\\rtf1 keep{\\*\\unknown " + Repeat("{\\pict ", 1000), "keep"},
    };
}

TEST(RichText, HostileInputFinishesAndKeepsTheReadableText) {
    for (const Hostile& h : HostileInputs()) {
        QTextDocument document;
        EXPECT_TRUE(ReadRtf(h.rtf, document)) << h.name;
        EXPECT_EQ(document.toPlainText(), h.text) << h.name;
    }
}

TEST(RichText, ColourPastTheTableAndTenThousandFontsGiveSafeAttributes) {
    const std::vector<Hostile> inputs = HostileInputs();
    QTextDocument fonts, colours;
    ReadRtf(inputs[8].rtf, fonts);
    ReadRtf(inputs[9].rtf, colours);
    EXPECT_EQ(AttributesOf(FormatAt(fonts, "keep")), "12 F9999");
    EXPECT_FALSE(FormatAt(colours, "keep").hasProperty(QTextFormat::ForegroundBrush));
}

}  // namespace
