#include "platform/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
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

QString HeaderName(const QString& trimmedLine) {
    const qsizetype close = trimmedLine.indexOf(u']');
    return trimmedLine.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

}  // namespace

TIniFile::TIniFile(const QString& fileName) : fileName_(fileName) {
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly))
        Parse(DecodeText(file.readAll()));
    else
        Parse({});
}

QString TIniFile::DecodeText(const QByteArray& bytes) {
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError()) return text;
    text.clear();
    text.reserve(data.size());
    for (const char ch : data) {
        const auto b = static_cast<unsigned char>(ch);
        text += QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t{b});
    }
    return text;
}

void TIniFile::Parse(const QString& text) {
    sections_.clear();
    index_.clear();
    sections_.push_back({});  // lines before the first header
    QStringList rows = text.split(u'\n');
    if (!rows.isEmpty() && rows.last().isEmpty()) rows.removeLast();
    for (QString& row : rows) {
        if (row.endsWith(u'\r')) row.chop(1);
        const QString trimmed = row.trimmed();
        if (trimmed.startsWith(u'[')) {
            Section s;
            s.name = HeaderName(trimmed);
            const QString lower = s.name.toLower();
            sections_.push_back(std::move(s));
            if (!index_.contains(lower))
                index_.insert(lower, static_cast<int>(sections_.size() - 1));
            continue;
        }
        Line line{row, {}, {}};
        const qsizetype eq = row.indexOf(u'=');
        if (eq > 0 && !row.left(eq).trimmed().isEmpty()) {
            line.key = row.left(eq).trimmed().toLower();
            line.value = row.mid(eq + 1);
        }
        sections_.back().lines.push_back(std::move(line));
    }
    for (Section& s : sections_)
        Reindex(s);
}

void TIniFile::Reindex(Section& s) {
    s.keys.clear();
    for (int i = 0; i < static_cast<int>(s.lines.size()); ++i) {
        const QString& key = s.lines[i].key;
        if (!key.isEmpty() && !s.keys.contains(key)) s.keys.insert(key, i);
    }
}

const TIniFile::Section* TIniFile::Find(const QString& section) const {
    const auto it = index_.constFind(section.trimmed().toLower());
    return it == index_.constEnd() ? nullptr : &sections_[*it];
}

TIniFile::Section& TIniFile::FindOrAdd(const QString& section) {
    if (const Section* s = Find(section)) return const_cast<Section&>(*s);
    Section s;
    s.name = section.trimmed();
    sections_.push_back(std::move(s));
    index_.insert(section.trimmed().toLower(), static_cast<int>(sections_.size() - 1));
    return sections_.back();
}

const TIniFile::Line* TIniFile::FindLine(const QString& section, const QString& key) const {
    const Section* s = Find(section);
    if (!s) return nullptr;
    const auto it = s->keys.constFind(key.trimmed().toLower());
    return it == s->keys.constEnd() ? nullptr : &s->lines[*it];
}

bool TIniFile::SectionExists(const QString& section) const {
    return Find(section) != nullptr;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return FindLine(section, key) != nullptr;
}

QStringList TIniFile::ReadSections() const {
    QStringList names;
    for (size_t i = 1; i < sections_.size(); ++i)
        names.append(sections_[i].name);
    return names;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const Line* line = FindLine(section, key);
    if (!line) return def;
    QString v = line->value.trimmed();
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
    Section& s = FindOrAdd(section);
    const QString k = key.trimmed();
    Line line{k + u'=' + FirstLine(value), k.toLower(), FirstLine(value)};
    const auto it = s.keys.constFind(line.key);
    if (it != s.keys.constEnd()) {
        s.lines[*it] = std::move(line);
    } else {
        // New keys go after the section's last non-empty line.
        size_t pos = s.lines.size();
        while (pos > 0 && s.lines[pos - 1].text.trimmed().isEmpty())
            --pos;
        s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(line));
        if (pos + 1 == s.lines.size())
            s.keys.insert(s.lines.back().key, static_cast<int>(pos));
        else
            Reindex(s);
    }
    modified_ = true;
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
    const QString name = section.trimmed().toLower();
    std::vector<Section> kept;
    kept.push_back(std::move(sections_[0]));
    for (size_t i = 1; i < sections_.size(); ++i) {
        if (sections_[i].name.toLower() != name)
            kept.push_back(std::move(sections_[i]));
        else
            modified_ = true;
    }
    sections_ = std::move(kept);
    ReindexSections();
}

void TIniFile::MoveSection(const QString& section, int position) {
    const auto it = index_.constFind(section.trimmed().toLower());
    if (it == index_.constEnd()) return;
    const int from = *it;
    const int last = static_cast<int>(sections_.size()) - 1;
    // sections_[0] holds the lines before any header.
    const int to = std::clamp(position, 0, last - 1) + 1;
    if (from == to) return;
    Section moved = std::move(sections_[from]);
    sections_.erase(sections_.begin() + from);
    sections_.insert(sections_.begin() + to, std::move(moved));
    ReindexSections();
    modified_ = true;
}

void TIniFile::ReindexSections() {
    index_.clear();
    for (int i = 1; i < static_cast<int>(sections_.size()); ++i) {
        const QString lower = sections_[i].name.toLower();
        if (!index_.contains(lower)) index_.insert(lower, i);
    }
}

void TIniFile::Clear() {
    Parse({});
    modified_ = true;
}

bool TIniFile::UpdateFile() {
    QString text;
    for (size_t i = 0; i < sections_.size(); ++i) {
        if (i > 0) text += u'[' + sections_[i].name + QStringLiteral("]\r\n");
        for (const Line& line : sections_[i].lines)
            text += line.text + QStringLiteral("\r\n");
    }
    QSaveFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        error_ = file.errorString();
        return false;
    }
    modified_ = false;
    error_.clear();
    return true;
}
