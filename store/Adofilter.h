// The filter texts the engine understands: comparisons "Column op Value"
// joined by AND, where op is =, >=, >, < or <= and Value is an integer, the
// word FALSE (integer columns) or a date or date-time in single quotes
// written in the current date and time formats (date-time columns).
#pragma once

#include <QString>
#include <vector>

#include "store/Adoschema.h"
#include "store/Adosqlite.h"

namespace ado {

struct FilterTerm {
    int column;
    QString op;  // the SQL operator
    Cell value;
};

struct ParsedFilter {
    std::vector<FilterTerm> terms;  // empty: no filter
    QString sql;                    // the terms as an SQL condition with ? parameters

    bool Empty() const { return terms.empty(); }
};

// Raises EDatabaseError naming the fault and where it lies. An empty or
// blank text is no filter.
ParsedFilter ParseFilter(const QString& text, const TableDef& table);

}  // namespace ado
