// The fields of an event record (TvnEventParams) in the column order of table
// Events, with the name the table and the event data files know each by; the
// one list the record mapping and the event data file writer and reader walk.
#pragma once

#include <QLatin1String>
#include <cstdint>
#include <limits>
#include <span>

#include "store/Vntypes.h"

enum class TvnEventFieldKind { Integer, Boolean, DateTime, Text };

struct TvnEventField {
    QLatin1String name;  // column of table Events and key of an event data file
    TvnEventFieldKind kind;
    // The member of the field's kind; the other three are null.
    int32_t TvnEventParams::*integer = nullptr;
    bool TvnEventParams::*boolean = nullptr;
    TDateTime TvnEventParams::*dateTime = nullptr;
    QString TvnEventParams::*text = nullptr;
    // The table's key: read from a row, never written (the table numbers rows).
    bool key = false;
    bool inDataFile = true;
    // An integer read from an event data file takes this value when its key is
    // missing or it lies outside fileMin..fileMax.
    int32_t fileDefault = 0;
    int32_t fileMin = std::numeric_limits<int32_t>::min();
    int32_t fileMax = std::numeric_limits<int32_t>::max();
};

// Every field of the record, ID first.
std::span<const TvnEventField> EventFields();
