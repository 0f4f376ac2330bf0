// The two export formats and the reader of event data files, free of any
// table: the writers take one record at a time and apply the category mask
// themselves, so the caller hands them every row of its selection.
//
// Text report (for reading): "Created <short date>", an empty line, then per
// event eleven captioned lines and an empty line; CR LF, UTF-8.
// Event data file (for import): a profile file with one section "EventID_<n>"
// of sixteen keys per event, n counting 0, 1, 2, ... over the written events,
// then "General" with Count.
#pragma once

#include <QSaveFile>
#include <QString>
#include <memory>
#include <vector>

#include "platform/IniFile.h"
#include "store/Vntypes.h"

// Writes into a temporary file beside the target that Commit renames into
// place; a report that is not committed leaves any old file untouched.
class TvnTextReportWriter {
public:
    // Creates the temporary file and writes the header, dated today.
    TvnTextReportWriter(const QString& fileName, int categories);
    // False when the file could not be created: nothing will be written.
    bool IsOpen() const { return open_; }
    // Writes the event's block when its category is in the mask.
    bool Add(const TvnEventParams& event);
    // False when creating, writing or renaming failed.
    bool Commit();

    // The block of one event: eleven lines and an empty line, CR LF ended.
    static QString EventBlock(const TvnEventParams& event);

private:
    QSaveFile file_;
    int categories_;
    bool open_ = false;
    bool failed_ = false;
};

// Builds the file in memory (any old content is dropped) and writes it whole
// through a temporary file on Commit.
class TvnEventDataWriter {
public:
    TvnEventDataWriter(const QString& fileName, int categories);
    // Writes the event's section when its category is in the mask.
    bool Add(const TvnEventParams& event);
    int Count() const { return count_; }
    // Writes General/Count and the file; false (old file untouched) when the
    // file could not be written.
    bool Commit();
    QString ErrorString() const { return ini_.ErrorString(); }

private:
    TIniFile ini_;
    int categories_;
    int count_ = 0;
};

struct TvnEventDataFile {
    // The file existed, was a readable regular file and not absurdly large.
    bool Readable = false;
    // It is an event data file: General holds a Count that is a number of
    // events. Any other file (a CSV, a text, a truncated export) is not.
    bool IsEventData = false;
    // The event sections among "EventID_0" to "EventID_<Count-1>" that the
    // file holds, in number order. Sections that are absent would read as all
    // defaults (no description, no date) and are not listed.
    std::vector<TvnEventParams> Events;
};

// An event data file held in memory, whose events are read one at a time by
// the rules of ReadEventDataFile: a big file need not be held twice, once as
// text and once as records.
class TvnEventDataReader {
public:
    explicit TvnEventDataReader(const QString& fileName);
    bool Readable() const { return ini_ != nullptr; }
    bool IsEventData() const { return isEventData_; }
    // The number of event sections listed, and the i-th of them read.
    qsizetype Count() const { return static_cast<qsizetype>(numbers_.size()); }
    TvnEventParams Event(qsizetype i) const;

private:
    std::unique_ptr<TIniFile> ini_;
    std::vector<qint64> numbers_;
    bool isEventData_ = false;
};

// Reads an event data file. Every record starts from the defaults (ID 0,
// Completed true, NotifyParam 1, nParam 1, the rest 0, empty or false) and
// takes what the file gives, with these safety rules: an nParam below 1 is 1;
// a date that is not finite or lies outside years 1 to 9999 is 0; a type,
// category or recurrence code outside its range is 0 (an unknown notice unit
// stays: it means no lead).
TvnEventDataFile ReadEventDataFile(const QString& fileName);
// One section read by the rules above.
TvnEventParams ReadEventSection(const TIniFile& ini, const QString& section);

// A file record is stored only when it has a description and a start date.
bool IsImportableEvent(const TvnEventParams& event);

// Files larger than this are refused as unreadable before they are read. An
// exported event takes about 300 bytes, one with a description and a date
// only about 50: this allows a million of those and some hundred thousand
// full ones, and the reader needs about three times the size in memory.
constexpr qint64 MaxEventDataFileSize = 64 * 1024 * 1024;
