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
using ado::CellView;
using ado::Row;
using BlockPtr = std::shared_ptr<const ado::RowBlock>;

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
    ptrdiff_t pos = -1;  // hint: visible->at(pos) == curId when valid
    BlockPtr cur;        // the current row's data once read: row curRow of "cur"
    size_t curRow = 0;
    BlockPtr block;  // rows read ahead, ascending ID
    // Rows of "block" stored or removed since it was read: their copies
    // there are out of date, the rest of the block still serves.
    std::vector<int64_t> blockStale;
    // Columns read since the filter or the table was last set (the tables
    // have far fewer than 64): the first block of a walk reads every column,
    // the later ones only these.
    uint64_t readColumns = 0;
    bool firstBlock = true;

    Row buffer;  // the row being edited or appended
    std::vector<bool> modified;

    ado::StatementCache stmts;
    // Statement texts made once: FetchRow's, which every Post reads its row
    // again through, and the last UpdateBuffer's with its columns (rows are
    // mostly stored with the same columns changed).
    QString fetchRowSql;
    std::vector<bool> updatedColumns;
    QString updateSql;
    // The last Locate's statement, made again only for other keys, other
    // null keys or another filter: rows are mostly located by the same keys.
    struct LocatePlan {
        bool valid = false;
        QString keyFields;
        std::vector<bool> nulls;
        QString filterSql;
        QString sql;
        std::vector<int> columns;  // of the keys that are not null, in order
    } locatePlan;
    const LocatePlan& PlanLocate(const QString& keyFields, const QVariantList& keyValues);

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
    // Makes the current row's data "cur"; with a column, data holding it.
    void CurrentRow(int column = -1);
    bool TakeFromBlock(int column);
    Row CurrentRowCopy();
    BlockPtr FetchRow(int64_t id);
    void FetchBlock(int64_t from);
    bool HasCurrent() const { return cur && cur->Id(curRow) == curId; }
    void DropCached(int64_t id);
    bool RowMatches(int64_t id);
    void UpdateVisibility(int64_t id);

    // ---- editing (Adoedit.cpp)
    void PostPending();
    int64_t InsertBuffer();
    void UpdateBuffer();
    // The current row's value; the common case (browsing a row already read)
    // stays inline because a walk reads some columns of every row.
    CellView ReadCell(int index) {
        readColumns |= uint64_t(1) << index;
        if (state == dsBrowse && !firstPending && !eof && HasCurrent() && cur->Has(index))
            [[likely]]
            return cur->View(curRow, index);
        return ReadCellSlow(index);
    }
    CellView ReadCellSlow(int index);
    Cell& WritableCell(int index);
    // The columns of the mask, in table order, always with the ID.
    std::vector<int> BlockColumns(uint64_t mask) const;
    QString SelectColumns(const std::vector<int>& columns) const;
};
