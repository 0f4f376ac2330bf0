// The reader's tables: the control words it knows, and the code pages of the
// Windows character sets with the decoders that read them.
#include <QHash>

#include "platform/RtfReaderState.h"

namespace rtf {

const QHash<QStringView, WordInfo>& Words() {
    static const QHash<QStringView, WordInfo> words = [] {
        QHash<QStringView, WordInfo> w;
        const auto add = [&w](const char16_t* name, Word kind, char16_t ch = 0) {
            w.insert(QStringView(name), WordInfo{kind, ch});
        };
        add(u"ansi", Word::Ansi);
        add(u"mac", Word::Mac);
        add(u"pc", Word::Pc);
        add(u"pca", Word::Pca);
        add(u"ansicpg", Word::AnsiCpg);
        add(u"deff", Word::Deff);
        add(u"uc", Word::Uc);
        add(u"u", Word::U);
        add(u"fonttbl", Word::FontTbl);
        add(u"colortbl", Word::ColorTbl);
        add(u"pntext", Word::Bullet);
        add(u"listtext", Word::Bullet);
        add(u"pn", Word::Pn);
        add(u"fldrslt", Word::Keep);
        add(u"field", Word::Keep);
        for (const char16_t* name : {u"stylesheet",
                                     u"info",
                                     u"pict",
                                     u"object",
                                     u"fldinst",
                                     u"themedata",
                                     u"colorschememapping",
                                     u"latentstyles",
                                     u"datastore",
                                     u"listtable",
                                     u"listoverridetable",
                                     u"rsidtbl",
                                     u"generator",
                                     u"xmlnstbl",
                                     u"mmathPr",
                                     u"header",
                                     u"headerl",
                                     u"headerr",
                                     u"headerf",
                                     u"footer",
                                     u"footerl",
                                     u"footerr",
                                     u"footerf",
                                     u"footnote",
                                     u"annotation",
                                     u"atnid",
                                     u"atnauthor",
                                     u"bkmkstart",
                                     u"bkmkend",
                                     u"nonshppict",
                                     u"shp",
                                     u"shpinst",
                                     u"revtbl",
                                     u"filetbl",
                                     u"author",
                                     u"operator",
                                     u"title",
                                     u"subject",
                                     u"comment",
                                     u"keywords",
                                     u"doccomm",
                                     u"userprops",
                                     u"template",
                                     u"private",
                                     u"pgdsctbl",
                                     u"fchars",
                                     u"lchars",
                                     u"pntxta",
                                     u"pntxtb",
                                     u"txe",
                                     u"xe",
                                     u"tc",
                                     u"objdata",
                                     u"result",
                                     u"ftnsep",
                                     u"ftnsepc",
                                     u"ftncn",
                                     u"aftncn",
                                     u"docvar",
                                     u"panose",
                                     u"falt",
                                     u"fontemb",
                                     u"fontfile",
                                     u"background",
                                     u"defchp",
                                     u"defpap",
                                     u"wgrffmtfilter",
                                     u"listpicture",
                                     u"protusertbl"})
            add(name, Word::Skip);
        add(u"f", Word::F);
        add(u"fcharset", Word::FCharset);
        add(u"cpg", Word::Cpg);
        add(u"red", Word::Red);
        add(u"green", Word::Green);
        add(u"blue", Word::Blue);
        add(u"b", Word::B);
        add(u"i", Word::I);
        for (const char16_t* name : {u"ul", u"uld", u"uldb", u"uldash", u"ulw", u"ulth", u"ulwave"})
            add(name, Word::Ul);
        add(u"ulnone", Word::UlNone);
        add(u"fs", Word::Fs);
        add(u"cf", Word::Cf);
        add(u"plain", Word::Plain);
        for (const char16_t* name : {u"par", u"sect", u"page", u"row"})
            add(name, Word::Par);
        add(u"pard", Word::Pard);
        add(u"ql", Word::Ql);
        add(u"qc", Word::Qc);
        add(u"qr", Word::Qr);
        add(u"qj", Word::Qj);
        add(u"ls", Word::Ls);
        add(u"line", Word::Char, QChar::LineSeparator);
        add(u"tab", Word::Char, u'\t');
        add(u"cell", Word::Char, u'\t');
        add(u"emdash", Word::Char, 0x2014);
        add(u"endash", Word::Char, 0x2013);
        add(u"bullet", Word::Char, 0x2022);
        add(u"lquote", Word::Char, 0x2018);
        add(u"rquote", Word::Char, 0x2019);
        add(u"ldblquote", Word::Char, 0x201C);
        add(u"rdblquote", Word::Char, 0x201D);
        add(u"emspace", Word::Char, 0x2003);
        add(u"enspace", Word::Char, 0x2002);
        add(u"qmspace", Word::Char, 0x2005);
        return w;
    }();
    return words;
}

// Windows character sets of \fcharset and the code pages they stand for;
// 0 leaves the document's code page.
int CodePageOfCharset(int charset) {
    static const QHash<int, int> pages = {{77, 10000}, {128, 932},  {129, 949},  {134, 936},
                                          {136, 950},  {161, 1253}, {162, 1254}, {163, 1258},
                                          {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251},
                                          {222, 874},  {238, 1250}, {255, 437}};
    return pages.value(charset, 0);
}

// The code pages the reader decodes; anything else is read as Latin-1, which
// also keeps the number of decoders bounded whatever the input names.
QByteArray DecoderName(int codePage) {
    switch (codePage) {
        case 437:
        case 850:
        case 852:
        case 855:
        case 857:
        case 860:
        case 861:
        case 862:
        case 863:
        case 864:
        case 865:
        case 866:
        case 869:
            return "IBM" + QByteArray::number(codePage);
        case 874:
            return "windows-874";
        case 932:
            return "Shift_JIS";
        case 936:
            return "GBK";
        case 949:
            return "windows-949";
        case 950:
            return "Big5";
        case 10000:
            return "macintosh";
        case 65001:
            return "UTF-8";
        default:
            if (codePage >= 1250 && codePage <= 1258)
                return "windows-" + QByteArray::number(codePage);
            return {};
    }
}

}  // namespace rtf
