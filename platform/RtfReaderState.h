// The RTF reader's parse state: the groups on an explicit stack, the font and
// colour tables, the bytes of \'hh escapes waiting for their code page, and
// the run of text waiting to go into the document. Private to the reader.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QString>
#include <QStringDecoder>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextList>
#include <map>
#include <optional>
#include <vector>

namespace rtf {

// Where the text of a group goes.
enum class Destination { Text, Skip, FontTable, ColorTable, Bullet };

// Character attributes; they belong to the group and return when it closes.
struct CharState {
    int font = -1;        // font number, -1 for the default font
    int halfPoints = 24;  // \fs
    int color = 0;        // index into the colour table, 0 for the automatic colour
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const CharState&) const = default;
};

enum class Word {
    Unknown,
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCpg,
    Deff,
    Uc,
    U,
    FontTbl,
    ColorTbl,
    Bullet,
    Pn,
    Skip,
    Keep,
    F,
    FCharset,
    Cpg,
    Red,
    Green,
    Blue,
    B,
    I,
    Ul,
    UlNone,
    Fs,
    Cf,
    Plain,
    Par,
    Pard,
    Ql,
    Qc,
    Qr,
    Qj,
    Ls,
    Char
};

// What a control word means to the reader; `ch` is the character of Word::Char.
struct WordInfo {
    Word kind = Word::Unknown;
    char16_t ch = 0;
};

struct GroupState {
    CharState chars;
    Destination dest = Destination::Text;
    int uc = 1;  // fallback characters after \uN
};

// Paragraph attributes, kept until \pard as the editors that write them expect.
struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    bool bullet = false;
};

struct FontEntry {
    QString name;
    int codePage = 0;  // 0: the document's code page
};

// Beyond this depth groups are only counted: they keep the braces balanced but
// carry no text, so memory stays bounded whatever the nesting.
inline constexpr int MaxGroupDepth = 256;

class Reader {
public:
    Reader(QStringView text, QTextDocument& document);
    void Run();

private:
    // Parsing
    void OpenGroup();
    void CloseGroup();
    void ControlSymbol(QChar c);
    void ReadControl();
    void ControlWord(QStringView word, std::optional<int> param);
    bool DestinationWord(const WordInfo& info);
    void TableWord(const WordInfo& info, int param);
    void TextWord(const WordInfo& info, std::optional<int> param);
    void CharacterWord(const WordInfo& info, std::optional<int> param);
    void SkipBinary(qint64 count);
    void Unicode(int value);
    // Text
    void PlainText(QStringView text);
    void Put(QStringView text);
    void EmitByte(uchar b);
    void FlushBytes();
    QStringDecoder& DecoderFor(int codePage);
    int CurrentCodePage() const;
    // Tables
    void FontText(QStringView text);
    void ColorText(QStringView text);
    // Document
    void FlushRun();
    void EndParagraph();
    void StartParagraphIfPending();
    void FinishBlock();
    QTextCharFormat FormatOf(const CharState& chars) const;
    GroupState& Top() { return stack_.back(); }
    bool Skipping() const { return overflow_ > 0 || stack_.back().dest == Destination::Skip; }

    QStringView text_;
    qsizetype pos_ = 0;
    QTextCursor cursor_;
    std::vector<GroupState> stack_;
    int overflow_ = 0;  // groups opened beyond MaxGroupDepth and not yet closed
    bool pendingStar_ = false;
    bool done_ = false;
    int skipFallback_ = 0;  // characters still to skip after \uN
    QChar highSurrogate_;
    // Tables
    int ansiCodePage_ = 1252;
    int defaultFont_ = 0;
    QHash<int, FontEntry> fonts_;
    int fontEntry_ = 0;  // font being defined in the font table
    bool fontNameDone_ = false;
    std::vector<std::optional<QColor>> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
    std::map<int, QStringDecoder> decoders_;
    // Text on its way into the document
    QByteArray bytes_;
    int bytesCodePage_ = 0;
    QString run_;
    CharState runChars_;
    ParaState para_;
    bool paragraphPending_ = false;  // a \par ended the last block; the next text opens one
    bool lastWasBullet_ = false;
    QTextList* list_ = nullptr;
};

// The control words the reader knows, by name.
const QHash<QStringView, WordInfo>& Words();
// The code page a \fcharset stands for; 0 leaves the document's.
int CodePageOfCharset(int charset);
// The decoder of a code page; empty for one read as Latin-1.
QByteArray DecoderName(int codePage);

}  // namespace rtf
