// Copies an event between its record (TvnEventParams) and the current row of
// a table of events, walking the field table.
#pragma once

#include "store/Vntypes.h"

class TADOTable;

// Sets every column but the key ID, which the table assigns.
void EventToRow(TADOTable& table, const TvnEventParams& event);
// Reads every column, ID included; the edit state is left as it is.
void EventFromRow(TADOTable& table, TvnEventParams& event);
