// Reads RTF into a QTextDocument in one pass without recursion, so that
// damaged or hostile input costs time and memory in proportion to its length.
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <limits>
#include <utility>

#include "platform/RichText.h"
#include "platform/RtfReaderState.h"

namespace rtf {
namespace {

constexpr int MaxWordLength = 32;  // longer words are not RTF and stay unknown
constexpr int MaxFallback = 16;    // \ucN beyond this would swallow real text
constexpr int MaxFontName = 256;
constexpr char16_t Replacement = 0xFFFD;

bool IsAsciiLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

bool IsDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// Control characters carry no text in RTF; the tab is the one kept.
bool IsControl(QChar c) {
    const char16_t u = c.unicode();
    return (u < 0x20 && u != '\t') || u == 0x7F;
}

// Characters the main loop passes on as one chunk of text.
bool IsPlain(QChar c) {
    const char16_t u = c.unicode();
    return u != '{' && u != '}' && u != '\\' && !IsControl(c);
}

}  // namespace

Reader::Reader(QStringView text, QTextDocument& document) : text_(text), cursor_(&document) {
    stack_.reserve(MaxGroupDepth + 1);
    stack_.emplace_back();
}

void Reader::Run() {
    // One edit for the whole document, so its layout follows once at the end.
    cursor_.beginEditBlock();
    while (!done_ && pos_ < text_.size()) {
        const QChar c = text_[pos_];
        if (IsPlain(c)) {
            const qsizetype start = pos_;
            while (pos_ < text_.size() && IsPlain(text_[pos_]))
                ++pos_;
            PlainText(text_.sliced(start, pos_ - start));
            continue;
        }
        ++pos_;
        if (c == u'{')
            OpenGroup();
        else if (c == u'}')
            CloseGroup();
        else if (c == u'\\')
            ReadControl();
        // Line ends and other control characters carry no text in RTF.
    }
    FlushBytes();
    if (!highSurrogate_.isNull()) Put({});
    if (!paragraphPending_) {
        FlushRun();
        FinishBlock();
    }
    cursor_.endEditBlock();
}

void Reader::OpenGroup() {
    FlushBytes();
    skipFallback_ = 0;
    pendingStar_ = false;
    if (overflow_ > 0 || stack_.size() > MaxGroupDepth) {
        ++overflow_;
        return;
    }
    stack_.push_back(stack_.back());
}

void Reader::CloseGroup() {
    FlushBytes();
    skipFallback_ = 0;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (stack_.size() <= 2) {
        done_ = true;  // the document's own group has closed
        return;
    }
    stack_.pop_back();
}

void Reader::ReadControl() {
    if (pos_ >= text_.size()) return;
    const QChar first = text_[pos_];
    if (!IsAsciiLetter(first)) {
        ++pos_;
        ControlSymbol(first);
        return;
    }
    FlushBytes();
    const qsizetype start = pos_;
    while (pos_ < text_.size() && IsAsciiLetter(text_[pos_]))
        ++pos_;
    const QStringView word =
        pos_ - start <= MaxWordLength ? text_.sliced(start, pos_ - start) : QStringView();
    std::optional<int> param;
    const bool negative =
        pos_ + 1 < text_.size() && text_[pos_] == u'-' && IsDigit(text_[pos_ + 1]);
    if (negative) ++pos_;
    if (pos_ < text_.size() && IsDigit(text_[pos_])) {
        qint64 value = 0;
        for (; pos_ < text_.size() && IsDigit(text_[pos_]); ++pos_)
            value = std::min<qint64>(value * 10 + (text_[pos_].unicode() - '0'),
                                     std::numeric_limits<int>::max());
        param = int(negative ? -value : value);
    }
    if (pos_ < text_.size() && text_[pos_] == u' ') ++pos_;
    ControlWord(word, param);
}

void Reader::ControlSymbol(QChar c) {
    if (c == u'\'') {
        const int high = pos_ < text_.size() ? HexValue(text_[pos_]) : -1;
        const int low = pos_ + 1 < text_.size() ? HexValue(text_[pos_ + 1]) : -1;
        if (high < 0 || low < 0) {
            pos_ += high < 0 ? 0 : 1;  // a broken escape stands for no character
            return;
        }
        pos_ += 2;
        if (skipFallback_ > 0)
            --skipFallback_;
        else
            EmitByte(uchar(high * 16 + low));
        return;
    }
    FlushBytes();
    switch (c.unicode()) {
        case u'*':
            pendingStar_ = true;
            return;
        case u'~':
            PlainText(u"\u00A0");
            return;
        case u'-':
            PlainText(u"\u00AD");
            return;
        case u'_':
            PlainText(u"\u2011");
            return;
        case u'\\':
            PlainText(u"\\");
            return;
        case u'{':
            PlainText(u"{");
            return;
        case u'}':
            PlainText(u"}");
            return;
        case u'\r':
        case u'\n':
            if (!Skipping() && Top().dest == Destination::Text) EndParagraph();
            return;
        default:
            return;  // \| \: and the like belong to formulas and indexes
    }
}

void Reader::ControlWord(QStringView word, std::optional<int> param) {
    const bool star = std::exchange(pendingStar_, false);
    if (word == u"bin") {
        SkipBinary(param.value_or(0));
        return;
    }
    if (Skipping()) return;
    if (skipFallback_ > 0) {
        --skipFallback_;
        return;
    }
    const WordInfo info = Words().value(word);
    if (DestinationWord(info)) return;
    if (star) {
        Top().dest = Destination::Skip;  // an optional destination this reader does not know
        return;
    }
    const Destination dest = Top().dest;
    if (info.kind == Word::U)
        Unicode(param.value_or(0));
    else if (info.kind == Word::Uc)
        Top().uc = std::clamp(param.value_or(1), 0, MaxFallback);
    else if (dest == Destination::FontTable || dest == Destination::ColorTable)
        TableWord(info, param.value_or(0));
    else if (dest == Destination::Text)
        TextWord(info, param);
}

bool Reader::DestinationWord(const WordInfo& info) {
    GroupState& top = Top();
    switch (info.kind) {
        case Word::FontTbl:
            top.dest = Destination::FontTable;
            return true;
        case Word::ColorTbl:
            top.dest = Destination::ColorTable;
            return true;
        case Word::Skip:
            top.dest = Destination::Skip;
            return true;
        case Word::Keep:
            return true;
        case Word::Bullet:
        case Word::Pn:
            if (top.dest == Destination::Text) para_.bullet = true;
            top.dest = info.kind == Word::Pn ? Destination::Skip : Destination::Bullet;
            return true;
        default:
            return false;
    }
}

void Reader::TableWord(const WordInfo& info, int param) {
    const auto component = [param] { return std::clamp(param, 0, 255); };
    switch (info.kind) {
        case Word::F:
            fontEntry_ = param;
            fontNameDone_ = false;
            fonts_[param] = FontEntry{};
            break;
        case Word::FCharset:
            fonts_[fontEntry_].codePage = CodePageOfCharset(param);
            break;
        case Word::Cpg:
            fonts_[fontEntry_].codePage = param;
            break;
        case Word::Red:
            red_ = component();
            colorSet_ = true;
            break;
        case Word::Green:
            green_ = component();
            colorSet_ = true;
            break;
        case Word::Blue:
            blue_ = component();
            colorSet_ = true;
            break;
        default:
            break;
    }
}

void Reader::TextWord(const WordInfo& info, std::optional<int> param) {
    switch (info.kind) {
        case Word::Ansi:
            ansiCodePage_ = 1252;
            break;
        case Word::Mac:
            ansiCodePage_ = 10000;
            break;
        case Word::Pc:
            ansiCodePage_ = 437;
            break;
        case Word::Pca:
            ansiCodePage_ = 850;
            break;
        case Word::AnsiCpg:
            ansiCodePage_ = param.value_or(1252);
            break;
        case Word::Deff:
            defaultFont_ = param.value_or(0);
            break;
        case Word::Par:
            EndParagraph();
            break;
        case Word::Pard:
            para_ = ParaState{};
            break;
        case Word::Ql:
            para_.align = Qt::AlignLeft;
            break;
        case Word::Qc:
            para_.align = Qt::AlignHCenter;
            break;
        case Word::Qr:
            para_.align = Qt::AlignRight;
            break;
        case Word::Qj:
            para_.align = Qt::AlignJustify;
            break;
        case Word::Ls:
            para_.bullet = param.value_or(0) > 0;
            break;
        case Word::Char:
            PlainText(QStringView(&info.ch, 1));
            break;
        default:
            CharacterWord(info, param);
            break;
    }
}

void Reader::CharacterWord(const WordInfo& info, std::optional<int> param) {
    CharState& chars = Top().chars;
    const bool on = param.value_or(1) != 0;
    switch (info.kind) {
        case Word::B:
            chars.bold = on;
            break;
        case Word::I:
            chars.italic = on;
            break;
        case Word::Ul:
            chars.underline = on;
            break;
        case Word::UlNone:
            chars.underline = false;
            break;
        case Word::F:
            chars.font = param.value_or(-1);
            break;
        case Word::Cf:
            chars.color = std::max(param.value_or(0), 0);
            break;
        case Word::Fs:
            if (param.value_or(0) > 0) chars.halfPoints = std::min(*param, 3276);
            break;
        case Word::Plain:
            chars = CharState{};
            break;
        default:
            break;  // unknown words change nothing
    }
}

void Reader::SkipBinary(qint64 count) {
    FlushBytes();
    pos_ += std::clamp<qint64>(count, 0, text_.size() - pos_);
}

void Reader::Unicode(int value) {
    skipFallback_ = Top().uc;
    if (value < 0) value += 65536;
    if (value <= 0 || value > 0xFFFF) {
        if (value != 0) Put(QStringView(&Replacement, 1));
        return;
    }
    const char16_t unit = char16_t(value);
    if (QChar::isHighSurrogate(unit)) {
        if (!highSurrogate_.isNull()) Put({});  // the one before had no partner
        highSurrogate_ = QChar(unit);
        return;
    }
    if (QChar::isLowSurrogate(unit)) {
        if (highSurrogate_.isNull()) {
            Put(QStringView(&Replacement, 1));
            return;
        }
        const char16_t pair[2] = {highSurrogate_.unicode(), unit};
        highSurrogate_ = QChar();
        Put(QStringView(pair, 2));
        return;
    }
    if (!IsControl(QChar(unit))) Put(QStringView(&unit, 1));
}

void Reader::PlainText(QStringView text) {
    if (Skipping()) return;
    if (skipFallback_ > 0) {
        const qsizetype skipped = std::min<qsizetype>(skipFallback_, text.size());
        skipFallback_ -= int(skipped);
        text = text.sliced(skipped);
        if (text.isEmpty()) return;
    }
    FlushBytes();
    Put(text);
}

// Text in its final characters, routed to where the current group sends it.
void Reader::Put(QStringView text) {
    if (!highSurrogate_.isNull()) {
        highSurrogate_ = QChar();
        Put(QStringView(&Replacement, 1));
    }
    switch (Top().dest) {
        case Destination::FontTable:
            FontText(text);
            return;
        case Destination::ColorTable:
            ColorText(text);
            return;
        case Destination::Text:
            break;
        default:
            return;
    }
    if (text.isEmpty()) return;
    if (!run_.isEmpty() && !(runChars_ == Top().chars)) FlushRun();
    StartParagraphIfPending();
    if (run_.isEmpty()) runChars_ = Top().chars;
    run_ += text;
}

void Reader::EmitByte(uchar b) {
    if (Skipping()) return;
    const Destination dest = Top().dest;
    if (dest != Destination::Text && dest != Destination::FontTable) return;
    const int page = CurrentCodePage();
    if (!bytes_.isEmpty() && page != bytesCodePage_) FlushBytes();
    bytesCodePage_ = page;
    bytes_.append(char(b));
}

// Bytes of \'hh escapes are decoded together, so that the two bytes of a
// character in an East Asian code page meet.
void Reader::FlushBytes() {
    if (bytes_.isEmpty()) return;
    QString decoded = DecoderFor(bytesCodePage_).decode(bytes_);
    bytes_.clear();
    decoded.removeIf(IsControl);
    Put(decoded);
}

QStringDecoder& Reader::DecoderFor(int codePage) {
    auto it = decoders_.find(codePage);
    if (it != decoders_.end()) return it->second;
    const QByteArray name = DecoderName(codePage);
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    if (name.isEmpty() || !decoder.isValid())
        decoder = QStringDecoder(QStringConverter::Latin1, QStringConverter::Flag::Stateless);
    return decoders_.emplace(codePage, std::move(decoder)).first->second;
}

int Reader::CurrentCodePage() const {
    const GroupState& top = stack_.back();
    const int font = top.dest == Destination::FontTable ? fontEntry_
                     : top.chars.font < 0               ? defaultFont_
                                                        : top.chars.font;
    const auto it = fonts_.constFind(font);
    const int page = it == fonts_.constEnd() ? 0 : it->codePage;
    return page != 0 ? page : ansiCodePage_;
}

void Reader::FontText(QStringView text) {
    if (fontNameDone_ || text.isEmpty()) return;
    FontEntry& entry = fonts_[fontEntry_];
    const qsizetype end = text.indexOf(u';');
    if (end >= 0) {
        text = text.first(end);
        fontNameDone_ = true;
    }
    entry.name += text.first(std::min<qsizetype>(text.size(), MaxFontName - entry.name.size()));
}

void Reader::ColorText(QStringView text) {
    for (qsizetype n = text.count(u';'); n > 0; --n) {
        if (colorSet_)
            colors_.push_back(QColor(red_, green_, blue_));
        else
            colors_.push_back(std::nullopt);
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
    }
}

QTextCharFormat Reader::FormatOf(const CharState& chars) const {
    QTextCharFormat format;
    const auto font = fonts_.constFind(chars.font < 0 ? defaultFont_ : chars.font);
    if (font != fonts_.constEnd() && !font->name.trimmed().isEmpty())
        format.setFontFamilies(QStringList{font->name.trimmed()});
    format.setFontPointSize(chars.halfPoints / 2.0);
    if (chars.bold) format.setFontWeight(QFont::Bold);
    if (chars.italic) format.setFontItalic(true);
    if (chars.underline) format.setFontUnderline(true);
    if (chars.color > 0 && size_t(chars.color) < colors_.size() && colors_[chars.color])
        format.setForeground(*colors_[chars.color]);
    return format;
}

void Reader::FlushRun() {
    if (run_.isEmpty()) return;
    // Marks of frames and embedded objects would mean structure the document
    // does not have.
    run_.removeIf([](QChar c) {
        return c == QChar::ObjectReplacementCharacter || c.unicode() == 0xFDD0 ||
               c.unicode() == 0xFDD1;
    });
    cursor_.insertText(run_, FormatOf(runChars_));
    run_.clear();
}

void Reader::EndParagraph() {
    FlushBytes();
    StartParagraphIfPending();
    FlushRun();
    FinishBlock();
    paragraphPending_ = true;
}

void Reader::StartParagraphIfPending() {
    if (!paragraphPending_) return;
    cursor_.insertBlock();
    paragraphPending_ = false;
}

// The paragraph's attributes are those in force at its end, as RTF has it.
void Reader::FinishBlock() {
    QTextBlockFormat format;
    format.setAlignment(para_.align);
    cursor_.setBlockFormat(format);
    if (para_.bullet) {
        if (list_ && lastWasBullet_)
            list_->add(cursor_.block());
        else
            list_ = cursor_.createList(QTextListFormat::ListDisc);
    }
    lastWasBullet_ = para_.bullet;
}

}  // namespace rtf

bool ReadRtf(QStringView text, QTextDocument& document) {
    qsizetype start = 0;
    while (start < text.size() && (text[start].isSpace() || text[start] == QChar::ByteOrderMark))
        ++start;
    if (!text.sliced(start).startsWith(u"{\\rtf")) {
        document.setPlainText(text.toString());
        return false;
    }
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    rtf::Reader(text.sliced(start), document).Run();
    document.setUndoRedoEnabled(undo);
    return true;
}
