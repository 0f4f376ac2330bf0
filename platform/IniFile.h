// Profile ("INI") files: sections in brackets, key=value lines, names matched
// without regard to case. Lines may end in CR LF, LF or CR alone; written
// lines end in CR LF. The file is read once into memory, changed there, and
// written back whole by UpdateFile() through a temporary file renamed into
// place, keeping lines it does not understand.
//
// The bytes are kept as read and a line is only its place among them, decoded
// when asked for, so that a big file costs not much more than its size. Each
// line is decoded by itself: UTF-8 when it is valid UTF-8, else Windows-1252.
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class TIniFile {
public:
    // Reads the file when it exists; a missing or unreadable file reads as empty.
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList ReadSections() const;
    // The same names one at a time, i from 0 to SectionCount() - 1.
    qsizetype SectionCount() const { return static_cast<qsizetype>(sections_.size()) - 1; }
    QString SectionName(qsizetype i) const { return NameOf(sections_[i + 1]); }

    // A string value is the rest of the line after "=", at most 2047
    // characters, blanks around it and one pair of enclosing quotes dropped.
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "$", "x", "X", "0x" or "0X"; anything else,
    // or a value beyond the int range, gives the default.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    double ReadFloat(const QString& section, const QString& key, double def) const;

    // A text is stored only up to its first line break (CR or LF): the file
    // form has no way to carry one, and the rest could otherwise be read as
    // keys. A text that begins or ends with a blank or a quote is enclosed in
    // double quotes, which the readers drop again.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    void WriteFloat(const QString& section, const QString& key, double value);
    void EraseSection(const QString& section);
    // Puts the first section of that name at the given place among the
    // sections (0 the first; past the end, the last). Lines before the first
    // section stay first.
    void MoveSection(const QString& section, int position);
    // Forgets every line (the next UpdateFile writes an empty file).
    void Clear();

    bool Modified() const { return modified_; }
    // Writes the whole file through a temporary file in the same folder that
    // is renamed over the old one. False (and the old file untouched) on failure.
    // A file written for the first time gets the permissions set here (the
    // usual ones of a new file unless told); an old file keeps its own.
    bool UpdateFile();
    void SetNewFilePermissions(QFileDevice::Permissions permissions) {
        newFilePermissions_ = permissions;
    }
    QString ErrorString() const { return error_; }

    // Reading rules shared with other readers of profile values.
    static bool ParseInteger(const QString& text, int& value);
    // Text as read from disk, line by line: UTF-8 when valid, otherwise Windows-1252.
    static QString DecodeText(const QByteArray& bytes);

private:
    struct Span {  // bytes of data_: one line without its line end
        qsizetype start = 0;
        qsizetype size = 0;
    };
    struct Section {
        Span header;          // the "[name]" line; empty for the lines before any header
        qsizetype first = 0;  // its lines are lines_[first] to lines_[first + count - 1]
        qsizetype count = 0;
    };

    void Parse(QByteArray bytes);
    void AddParsedLine(Span line);
    QByteArrayView Bytes(Span s) const { return {data_.constData() + s.start, s.size}; }
    Span Append(const QString& line);
    QString NameOf(const Section& s) const;
    size_t NameHash(const Section& s) const;
    bool HasName(const Section& s, QStringView name) const;
    int Find(const QString& section) const;
    int FindOrAdd(const QString& section);
    qsizetype FindLine(int section, QStringView key) const;
    qsizetype FindLine(const QString& section, const QString& key) const;
    void InsertLine(int section, Span line);
    void Index(int section);
    void Reindex();
    // Lays the lines out again section by section in the given order.
    void Relayout(std::vector<Section> order);

    QString fileName_;
    QByteArray data_;                // the file as read, then every line written since
    std::vector<Span> lines_;        // the lines below the headers, in file order
    std::vector<Section> sections_;  // [0] holds the lines before the first header
    // Open addressing over the section names: section index + 1, 0 when free;
    // the first section of each name is in it.
    std::vector<int> slots_;
    size_t indexed_ = 0;
    bool modified_ = false;
    QString error_;
    std::optional<QFileDevice::Permissions> newFilePermissions_;
};
