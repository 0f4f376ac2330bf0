// Profile ("INI") files: sections in brackets, key=value lines, CR LF line
// ends, names matched without regard to case. The file is read once into
// memory, changed there, and written back whole by UpdateFile() through a
// temporary file renamed into place, keeping lines it does not understand.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class TIniFile {
public:
    // Reads the file when it exists; a missing or unreadable file reads as empty.
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList ReadSections() const;

    // A string value is the rest of the line after "=", at most 2047
    // characters, blanks around it and one pair of enclosing quotes dropped.
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "$", "x", "X", "0x" or "0X"; anything else,
    // or a value beyond the int range, gives the default.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    double ReadFloat(const QString& section, const QString& key, double def) const;

    // A text is stored only up to its first line break: the file form has no
    // way to carry one, and the rest could otherwise be read as keys.
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
    bool UpdateFile();
    QString ErrorString() const { return error_; }

    // Reading rules shared with other readers of profile values.
    static bool ParseInteger(const QString& text, int& value);
    // Text as read from disk: UTF-8 when valid, otherwise Windows-1252.
    static QString DecodeText(const QByteArray& bytes);

private:
    struct Line {
        QString text;   // the raw line as read or written
        QString key;    // lower-case key of a key line, empty otherwise
        QString value;  // value text of a key line, untrimmed
    };
    struct Section {
        QString name;             // as written in the header; empty for the lines before any header
        std::vector<Line> lines;  // the lines below the header
        QHash<QString, int> keys;  // lower-case key -> first line holding it
    };

    void Parse(const QString& text);
    void Reindex(Section& s);
    void ReindexSections();
    const Section* Find(const QString& section) const;
    Section& FindOrAdd(const QString& section);
    const Line* FindLine(const QString& section, const QString& key) const;

    QString fileName_;
    std::vector<Section> sections_;
    QHash<QString, int> index_;  // lower-case section name -> first section holding it
    bool modified_ = false;
    QString error_;
};
