#include "platform/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <limits>

#include "platform/DateFormat.h"

namespace {

constexpr qsizetype kMaxValueLength = 2047;

// Windows-1252 code points of the bytes 0x80..0x9F; the rest match Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FirstLine(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') return text.left(i);
    }
    return text;
}

// Readers drop the blanks around a value and one pair of enclosing quotes:
// one more pair of double quotes brings such a text back as it was.
QString FileValue(const QString& value) {
    const QString v = FirstLine(value);
    const auto edge = [](QChar c) { return c.isSpace() || c == u'"' || c == u'\''; };
    if (v.isEmpty() || (!edge(v.front()) && !edge(v.back()))) return v;
    return u'"' + v + u'"';
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// Where the line starting at pos ends, and where the next one starts: CR LF,
// LF and CR alone all end a line.
qsizetype LineStop(QByteArrayView bytes, qsizetype pos) {
    while (pos < bytes.size() && bytes[pos] != '\n' && bytes[pos] != '\r')
        ++pos;
    return pos;
}

qsizetype NextLine(QByteArrayView bytes, qsizetype stop) {
    return stop +
           (stop + 1 < bytes.size() && bytes[stop] == '\r' && bytes[stop + 1] == '\n' ? 2 : 1);
}

bool IsAscii(QByteArrayView bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsAscii(QStringView text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

// The blanks QString::trimmed() drops, as far as they are ASCII.
bool IsAsciiBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

QByteArrayView TrimmedAscii(QByteArrayView b) {
    while (!b.isEmpty() && IsAsciiBlank(b.front()))
        b = b.sliced(1);
    while (!b.isEmpty() && IsAsciiBlank(b.back()))
        b.chop(1);
    return b;
}

char16_t FoldAscii(char16_t c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

QString FromCp1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t{b});
    }
    return text;
}

// A part of a line, decoded as the whole line decodes: a line that is not
// valid UTF-8 is Windows-1252, without changing how the other lines read.
QString DecodePart(QByteArrayView line, QByteArrayView part) {
    if (IsAscii(part)) return QString::fromLatin1(part);
    return line.isValidUtf8() ? QString::fromUtf8(part) : FromCp1252(part);
}

QString DecodeLine(QByteArrayView line) {
    return DecodePart(line, line);
}

// Names compare and hash without regard to case, trimmed.
size_t FoldedHash(QStringView name) {
    uint64_t h = 14695981039346656037ull;
    const auto add = [&h](char16_t c) { h = (h ^ c) * 1099511628211ull; };
    if (IsAscii(name)) {
        for (const QChar c : name)
            add(FoldAscii(c.unicode()));
    } else {
        for (const QChar c : name.toString().toCaseFolded())
            add(c.unicode());
    }
    return static_cast<size_t>(h);
}

bool SameName(QByteArrayView line, QByteArrayView stored, QStringView wanted) {
    const QByteArrayView t = TrimmedAscii(stored);
    if (!IsAscii(t) || !IsAscii(wanted))
        return DecodePart(line, stored).trimmed().compare(wanted, Qt::CaseInsensitive) == 0;
    if (t.size() != wanted.size()) return false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (FoldAscii(static_cast<unsigned char>(t[i])) != FoldAscii(wanted[i].unicode()))
            return false;
    }
    return true;
}

// The name between the brackets of a header line, untrimmed.
QByteArrayView HeaderName(QByteArrayView header) {
    const qsizetype open = header.indexOf('[');
    if (open < 0) return {};
    const qsizetype close = header.indexOf(']', open + 1);
    return header.sliced(open + 1, (close < 0 ? header.size() : close) - open - 1);
}

bool IsHeader(QByteArrayView line) {
    const QByteArrayView t = TrimmedAscii(line);
    if (t.isEmpty() || static_cast<unsigned char>(t.front()) < 0x80) return t.startsWith('[');
    return DecodeLine(line).trimmed().startsWith(u'[');  // led by a blank beyond ASCII
}

// The key of a key line, untrimmed; empty for any other line.
QByteArrayView KeyPart(QByteArrayView line) {
    const qsizetype eq = line.indexOf('=');
    return eq > 0 ? line.first(eq) : QByteArrayView();
}

bool IsBlankLine(QByteArrayView line) {
    const QByteArrayView t = TrimmedAscii(line);
    return t.isEmpty() || (!IsAscii(t) && DecodeLine(line).trimmed().isEmpty());
}

void AppendAsUtf8(QByteArray& out, QByteArrayView line) {
    if (line.isValidUtf8())
        out += line;
    else
        out += FromCp1252(line).toUtf8();
}

}  // namespace

TIniFile::TIniFile(const QString& fileName) : fileName_(fileName) {
    QFile file(fileName);
    Parse(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

QString TIniFile::DecodeText(const QByteArray& bytes) {
    const QByteArrayView all(bytes);
    QString text;
    text.reserve(all.size());
    for (qsizetype pos = all.startsWith("\xEF\xBB\xBF") ? 3 : 0; pos < all.size();) {
        const qsizetype stop = LineStop(all, pos);
        const qsizetype next = std::min(NextLine(all, stop), all.size());
        text += DecodeLine(all.sliced(pos, stop - pos));
        text += QLatin1StringView(all.sliced(stop, next - stop));
        pos = next;
    }
    return text;
}

void TIniFile::Parse(QByteArray bytes) {
    data_ = std::move(bytes);
    lines_.clear();
    sections_.assign(1, Section{});
    Reindex();
    const QByteArrayView all(data_);
    for (qsizetype pos = all.startsWith("\xEF\xBB\xBF") ? 3 : 0; pos < all.size();) {
        const qsizetype stop = LineStop(all, pos);
        AddParsedLine({pos, stop - pos});
        pos = NextLine(all, stop);
    }
}

void TIniFile::AddParsedLine(Span line) {
    if (IsHeader(Bytes(line))) {
        sections_.push_back({line, static_cast<qsizetype>(lines_.size()), 0});
        Index(static_cast<int>(sections_.size() - 1));
    } else {
        lines_.push_back(line);
        ++sections_.back().count;
    }
}

TIniFile::Span TIniFile::Append(const QString& line) {
    const qsizetype start = data_.size();
    data_ += line.toUtf8();
    return {start, data_.size() - start};
}

QString TIniFile::NameOf(const Section& s) const {
    const QByteArrayView header = Bytes(s.header);
    return DecodePart(header, HeaderName(header)).trimmed();
}

bool TIniFile::HasName(const Section& s, QStringView name) const {
    const QByteArrayView header = Bytes(s.header);
    return SameName(header, HeaderName(header), name);
}

void TIniFile::Index(int section) {
    if ((indexed_ + 1) * 2 > slots_.size()) {
        std::vector<int> old(std::max<size_t>(16, slots_.size() * 2), 0);
        old.swap(slots_);
        indexed_ = 0;
        for (const int s : old)
            if (s != 0) Index(s - 1);
    }
    const QString name = NameOf(sections_[section]);
    const size_t mask = slots_.size() - 1;
    size_t i = FoldedHash(name) & mask;
    for (; slots_[i] != 0; i = (i + 1) & mask)
        if (HasName(sections_[slots_[i] - 1], name)) return;  // an earlier one holds the name
    slots_[i] = section + 1;
    ++indexed_;
}

void TIniFile::Reindex() {
    slots_.clear();
    indexed_ = 0;
    for (int s = 1; s < static_cast<int>(sections_.size()); ++s)
        Index(s);
}

int TIniFile::Find(const QString& section) const {
    const QStringView name = QStringView(section).trimmed();
    if (slots_.empty()) return -1;
    const size_t mask = slots_.size() - 1;
    for (size_t i = FoldedHash(name) & mask; slots_[i] != 0; i = (i + 1) & mask)
        if (HasName(sections_[slots_[i] - 1], name)) return slots_[i] - 1;
    return -1;
}

int TIniFile::FindOrAdd(const QString& section) {
    const int found = Find(section);
    if (found >= 0) return found;
    sections_.push_back(
        {Append(u'[' + section.trimmed() + u']'), static_cast<qsizetype>(lines_.size()), 0});
    Index(static_cast<int>(sections_.size() - 1));
    return static_cast<int>(sections_.size() - 1);
}

qsizetype TIniFile::FindLine(int section, QStringView key) const {
    if (section < 0 || key.isEmpty()) return -1;
    const Section& s = sections_[section];
    for (qsizetype i = s.first; i < s.first + s.count; ++i) {
        const QByteArrayView line = Bytes(lines_[i]);
        const QByteArrayView k = KeyPart(line);
        if (!k.isEmpty() && SameName(line, k, key)) return i;
    }
    return -1;
}

qsizetype TIniFile::FindLine(const QString& section, const QString& key) const {
    return FindLine(Find(section), QStringView(key).trimmed());
}

bool TIniFile::SectionExists(const QString& section) const {
    return Find(section) >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return FindLine(section, key) >= 0;
}

QStringList TIniFile::ReadSections() const {
    QStringList names;
    names.reserve(SectionCount());
    for (qsizetype i = 0; i < SectionCount(); ++i)
        names.append(SectionName(i));
    return names;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const qsizetype found = FindLine(section, key);
    if (found < 0) return def;
    const QByteArrayView line = Bytes(lines_[found]);
    QString v = DecodePart(line, line.sliced(line.indexOf('=') + 1)).trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v.left(kMaxValueLength);
}

bool TIniFile::ParseInteger(const QString& text, int& value) {
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.front() == u'-';
        t.remove(0, 1);
    }
    int base = 10;
    for (const char* prefix : {"0x", "0X", "$", "x", "X"}) {
        if (t.startsWith(QLatin1String(prefix))) {
            base = 16;
            t.remove(0, static_cast<qsizetype>(qstrlen(prefix)));
            break;
        }
    }
    if (t.isEmpty()) return false;
    int64_t v = 0;
    for (QChar c : t) {
        const int d = HexDigit(c);
        if (d < 0 || d >= base) return false;
        v = v * base + d;
        if (v > int64_t{std::numeric_limits<int>::max()} + 1) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return false;
    value = static_cast<int>(v);
    return true;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    int value = 0;
    return ParseInteger(ReadString(section, key, {}), value) ? value : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double def) const {
    double value = 0;
    return TryStrToFloat(ReadString(section, key, {}), value) ? value : def;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const int s = FindOrAdd(section);
    const QString k = key.trimmed();
    const Span line = Append(k + u'=' + FileValue(value));
    const qsizetype found = FindLine(s, k);
    if (found >= 0)
        lines_[found] = line;
    else
        InsertLine(s, line);
    modified_ = true;
}

// New keys go after the section's last non-empty line.
void TIniFile::InsertLine(int section, Span line) {
    Section& s = sections_[section];
    qsizetype pos = s.first + s.count;
    while (pos > s.first && IsBlankLine(Bytes(lines_[pos - 1])))
        --pos;
    lines_.insert(lines_.begin() + pos, line);
    ++s.count;
    for (size_t i = section + 1; i < sections_.size(); ++i)
        ++sections_[i].first;
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteFloat(const QString& section, const QString& key, double value) {
    WriteString(section, key, FloatToStr(value));
}

void TIniFile::EraseSection(const QString& section) {
    const QStringView name = QStringView(section).trimmed();
    std::vector<Section> kept;
    for (size_t i = 0; i < sections_.size(); ++i) {
        if (i > 0 && HasName(sections_[i], name)) {
            modified_ = true;
            continue;
        }
        kept.push_back(sections_[i]);
    }
    Relayout(std::move(kept));
}

void TIniFile::MoveSection(const QString& section, int position) {
    const int from = Find(section);
    if (from < 1) return;
    const int last = static_cast<int>(sections_.size()) - 1;
    // sections_[0] holds the lines before any header.
    const int to = std::clamp(position, 0, last - 1) + 1;
    if (from == to) return;
    std::vector<Section> order = sections_;
    const Section moved = order[from];
    order.erase(order.begin() + from);
    order.insert(order.begin() + to, moved);
    Relayout(std::move(order));
    modified_ = true;
}

void TIniFile::Relayout(std::vector<Section> order) {
    std::vector<Span> lines;
    lines.reserve(lines_.size());
    for (Section& s : order) {
        const qsizetype first = static_cast<qsizetype>(lines.size());
        lines.insert(lines.end(), lines_.begin() + s.first, lines_.begin() + s.first + s.count);
        s.first = first;
    }
    lines_ = std::move(lines);
    sections_ = std::move(order);
    Reindex();
}

void TIniFile::Clear() {
    Parse({});
    modified_ = true;
}

bool TIniFile::UpdateFile() {
    QByteArray out;
    out.reserve(data_.size() + 2 * static_cast<qsizetype>(lines_.size() + sections_.size()));
    for (size_t i = 0; i < sections_.size(); ++i) {
        const Section& s = sections_[i];
        if (i > 0) out += '[' + NameOf(s).toUtf8() + "]\r\n";
        for (qsizetype l = s.first; l < s.first + s.count; ++l) {
            AppendAsUtf8(out, Bytes(lines_[l]));
            out += "\r\n";
        }
    }
    const bool isNew = !QFileInfo::exists(fileName_);
    QSaveFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly) ||
        (isNew && newFilePermissions_ && !file.setPermissions(*newFilePermissions_)) ||
        file.write(out) < 0 || !file.commit()) {
        error_ = file.errorString();
        return false;
    }
    modified_ = false;
    error_.clear();
    return true;
}
