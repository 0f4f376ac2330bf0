// Inside of TADOTable: the static cursor over the rows that match the filter
// in force (ascending ID), the edit buffer and the row cache.
#pragma once

#include <memory>
#include <optional>

#include "store/Adodb.h"
#include "store/Adofilter.h"
#include "store/Adosqlite.h"

namespace ado {
// The stored form of a value given as a variant; raises for kinds no column takes.
Cell CellFromVariant(const QVariant& value);
// The value as a column of that type stores it; false when it cannot be
// stored there (text that is no number for a numeric column). Infinite and
// NaN numbers are refused by the field setters before they get here.
bool ConvertForColumn(const Cell& value, ColumnType type, Cell* out);
}  // namespace ado

using ado::Cell;
using ado::Row;
using RowPtr = std::shared_ptr<const Row>;

struct TADOTable::Impl {
    TADOTable* self = nullptr;
    TADOConnection* connection = nullptr;
    QString tableName;
    const ado::TableDef* def = nullptr;  // set while open
    TDataSetState state = dsInactive;
    std::vector<std::unique_ptr<TField>> fields;
    // Column names by length: FieldByName is called for every column of
    // every row read, so an exact match is found with a few compares.
    std::vector<std::vector<std::pair<QString, int>>> namesByLength;

    QString filterText;
    ado::ParsedFilter filter;
    bool filtered = false;

    // The cursor. The visible set is computed only when navigation needs it;
    // until then "firstPending" means "the first visible row".
    std::optional<std::vector<int64_t>> visible;
    bool firstPending = false;
    bool eof = true;
    int64_t curId = 0;
    ptrdiff_t pos = -1;         // hint: visible->at(pos) == curId when valid
    RowPtr cur;                 // the current row's data once read
    std::vector<RowPtr> block;  // rows read ahead, ascending ID

    Row buffer;  // the row being edited or appended
    std::vector<bool> modified;

    ado::StatementCache stmts;

    // ---- state (Adotable.cpp)
    void RequireActive() const;
    bool FilterActive() const { return filtered && !filter.Empty(); }
    QString Where(const QString& extra = {}) const;  // " WHERE ..." or empty
    void BindFilter(ado::Query& q) const;
    int Column(const QString& name) const;  // -1 when unknown
    void Restart();
    void ForgetRows();

    // ---- cursor (Adocursor.cpp)
    void Resolve();
    void EnsureVisible();
    ptrdiff_t IndexOf(int64_t id);
    void MoveAfter(int64_t id);
    int64_t Count();
    const Row& CurrentRow();
    RowPtr FetchRow(int64_t id);
    void FetchBlock(int64_t from);
    bool RowMatches(int64_t id);
    void UpdateVisibility(int64_t id);

    // ---- editing (Adoedit.cpp)
    void PostPending();
    int64_t InsertBuffer();
    void UpdateBuffer();
    // The current row's value; the common case (browsing a row already read)
    // stays inline because a walk reads every column of every row.
    const Cell& ReadCell(int index) {
        if (state == dsBrowse && !firstPending && !eof && cur && cur->id == curId) [[likely]]
            return cur->cells[index];
        return ReadCellSlow(index);
    }
    const Cell& ReadCellSlow(int index);
    Cell& WritableCell(int index);
    QString SelectColumns() const;
};
