// Export of the current user's events to an iCalendar file and import from
// one, with each event's UID kept in the database.
#pragma once

#include <QString>
#include <QStringList>

#include "reminder/Vnparams.h"

class TvnCalendarReminder;

struct TvnIcsImportReport {
    QString Error;  // set when nothing was changed
    int Imported = 0;
    int Updated = 0;
    int Expanded = 0;  // series stored as their one-time occurrences
    int Skipped = 0;
    // Events taken over without a part that could not be read (a broken
    // RRULE makes a one-time event of a series).
    int Damaged = 0;
    // Series among the skipped ones whose rules take too long to work out,
    // by description.
    QStringList CutOff;
    // The text of the report box.
    QString Text() const;
};

// Writes the events the range and categories select to params.FileName;
// an error text when it could not, else empty.
QString ExportIcsEvents(TvnCalendarReminder& calendar, const TvnExportParams& params);
// Reads the file into the current user's events in one transaction: an event
// whose UID is stored already is updated. On any failure no event changes.
TvnIcsImportReport ImportIcsEvents(TvnCalendarReminder& calendar, const QString& fileName);
// Imported series kept as single events are read ten years ahead; once time
// has moved on, their occurrences beyond are added (for the current user).
// Answers how many were added; raises EDatabaseError, changing nothing.
int ExtendImportedSeries(TvnCalendarReminder& calendar, TDateTime now);
