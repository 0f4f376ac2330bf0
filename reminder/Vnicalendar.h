// iCalendar (RFC 5545) text to and from event records, through libical: the
// mapping of kinds, notices, categories and files both ways, and the rules
// for series iCalendar can say but this calendar cannot. No tables, no windows.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "store/Vntypes.h"

// One event with the UID it carries in iCalendar.
struct TvnIcsEvent {
    TvnEventParams Event;
    QString Uid;
    // LAST-MODIFIED in UTC seconds since 1970; 0 when unknown (then not written).
    qint64 LastModified = 0;
    // Read only: the notice is stated, by alarms or by our own mark saying
    // there is none. False when alarms may have been stripped (some servers
    // do), so that a notice kept elsewhere can stay as it was.
    bool NoticeKnown = false;
    // The text the event was read from (its components and the zones they
    // name), when it came from another program as one record of its own:
    // writing it again changes only what the user changed in it.
    QByteArray Original{};
    // One occurrence of a series kept as single events that goes on past
    // the ten years read: a later read brings the occurrences beyond.
    bool GoesOn = false;
};

// Files above this size are refused before anything is parsed.
constexpr qint64 IcsMaxFileBytes = 16 * 1024 * 1024;

struct TvnIcsReadResult {
    std::vector<TvnIcsEvent> Events;  // ready to store, in file order
    int Expanded = 0;                 // series stored as their one-time occurrences
    int Skipped = 0;                  // events that could not be taken over
    // Events taken over although libical dropped a property it could not
    // parse (a broken RRULE, say): a file import keeps the rest, a
    // synchronisation refuses the resource.
    int Damaged = 0;
    // Components this calendar does not keep (tasks, journal entries, busy
    // times, availability): left as they are, neither read nor reported.
    int LeftAlone = 0;
    // Descriptions of the series left out (and counted in Skipped) because
    // working out their rule would take too long; never stored shortened.
    QStringList CutOff;
    QString Error;  // set when the text is no calendar at all
};

// The Olson name of the system's time zone when libical knows it (so that it
// can write the zone's VTIMEZONE), else empty: times are then floating.
QString SystemIcsTimeZone();

// A VCALENDAR with one VEVENT per event. Times are written in the zone named
// by tzName with its VTIMEZONE, or floating when tzName is empty; stamp is
// the DTSTAMP instant (local time). An event with its Original text is
// written as that text patched (PatchICalendar), with the zones it names.
QByteArray WriteICalendar(const std::vector<TvnIcsEvent>& events, TDateTime stamp,
                          const QString& tzName);

// Reads the text of a .ics file; times become local wall-clock time. Series
// without a kind of their own are matched to the nearest kind when that gives
// the same occurrences from now on for ten years, else they are expanded into
// one-time events over those ten years. Action and sound files are never
// taken over: a calendar from elsewhere must not choose a program to open or
// a file to play, so Action_File and Sound_File are always empty.
TvnIcsReadResult ReadICalendar(const QByteArray& text, TDateTime now);

// Reads a .ics file as ReadICalendar does; Error says why when the file
// cannot be read or is larger than IcsMaxFileBytes.
TvnIcsReadResult ReadICalendarFile(const QString& fileName, TDateTime now);

// The calendar text `original` with the event after.Uid changed to what
// `after` holds: only the properties of the fields that differ from what the
// text says are written again (the end moves with the start); everything
// else stays as the text had it. Empty when the text does not hold the
// event as one record of its own (it is then written afresh).
QByteArray PatchICalendar(const QByteArray& original, const TvnIcsEvent& after, TDateTime stamp,
                          const QString& tzName);

// The RRULE value written for an event's recurrence (empty for a one-time
// event); exposed so that the occurrences can be checked independently.
QString IcsRecurrenceRule(const TvnEventParams& event, const QString& tzName);
