// The static cursor of TADOTable: the visible set (rows matching the filter,
// ascending ID), navigation over it, and reading rows ahead in blocks.
#include <algorithm>

#include "store/Adodb.h"
#include "store/Adotableimpl.h"

namespace {

constexpr int kBlockRows = 128;
// Long notes are read ahead only up to this many bytes of text per block.
constexpr size_t kBlockTextLimit = 4 << 20;

}  // namespace

// ---- Impl: cursor ---------------------------------------------------------

void TADOTable::Impl::Resolve() {
    if (!firstPending) return;
    firstPending = false;
    cur.reset();
    pos = -1;
    if (visible) {
        eof = visible->empty();
        if (!eof) curId = visible->front(), pos = 0;
        return;
    }
    // Only the first row is needed yet; the whole set waits for navigation.
    eof = true;
    ado::Query q = stmts.Run(QStringLiteral("SELECT \"ID\" FROM ") + ado::Quoted(def->name) +
                             Where() + QStringLiteral(" ORDER BY \"ID\" LIMIT 1"));
    BindFilter(q);
    eof = !q.Step();
    if (!eof) curId = q.Int(0);
}

void TADOTable::Impl::EnsureVisible() {
    if (visible) return;
    std::vector<int64_t> ids;
    ado::Query q = stmts.Run(QStringLiteral("SELECT \"ID\" FROM ") + ado::Quoted(def->name) +
                             Where() + QStringLiteral(" ORDER BY \"ID\""));
    BindFilter(q);
    while (q.Step())
        ids.push_back(q.Int(0));
    visible = std::move(ids);
    pos = -1;
}

ptrdiff_t TADOTable::Impl::IndexOf(int64_t id) {
    EnsureVisible();
    const std::vector<int64_t>& v = *visible;
    if (pos >= 0 && pos < static_cast<ptrdiff_t>(v.size()) && v[pos] == id) return pos;
    const auto it = std::lower_bound(v.begin(), v.end(), id);
    return it != v.end() && *it == id ? it - v.begin() : -1;
}

// Makes current the first visible row with an ID above "id" (or Eof): the
// current row may have left the visible set, so the next row is found by ID.
void TADOTable::Impl::MoveAfter(int64_t id) {
    ptrdiff_t next = IndexOf(id);
    const std::vector<int64_t>& v = *visible;
    if (next >= 0)
        ++next;
    else
        next = std::upper_bound(v.begin(), v.end(), id) - v.begin();
    cur.reset();
    if (next >= static_cast<ptrdiff_t>(v.size())) {
        eof = true;
        curId = 0;
        pos = -1;
        return;
    }
    eof = false;
    curId = v[next];
    pos = next;
}

int64_t TADOTable::Impl::Count() {
    if (visible) return static_cast<int64_t>(visible->size());
    ado::Query q =
        stmts.Run(QStringLiteral("SELECT count(*) FROM ") + ado::Quoted(def->name) + Where());
    BindFilter(q);
    return q.Step() ? q.Int(0) : 0;
}

// Makes the read-ahead block's copy of the current row current, when the
// block holds the row and the column.
bool TADOTable::Impl::TakeFromBlock(int column) {
    if (!block || (column >= 0 && !block->Has(column))) return false;
    const std::vector<int64_t>& ids = block->Ids();
    const auto it = std::lower_bound(ids.begin(), ids.end(), curId);
    if (it == ids.end() || *it != curId) return false;
    if (std::find(blockStale.begin(), blockStale.end(), curId) != blockStale.end()) return false;
    cur = block;
    curRow = static_cast<size_t>(it - ids.begin());
    return true;
}

void TADOTable::Impl::CurrentRow(int column) {
    RequireActive();
    Resolve();
    if (eof) throw EDatabaseError(QStringLiteral("There is no current row"));
    if (HasCurrent() && (column < 0 || cur->Has(column))) return;
    if (TakeFromBlock(column)) return;
    // Read ahead from a visible row, with the columns read so far; a row
    // reached otherwise (a bookmark to a row outside the filter) is read
    // alone, whole.
    if (!visible || IndexOf(curId) >= 0) {
        FetchBlock(curId);
        if (TakeFromBlock(column)) return;
    }
    cur = FetchRow(curId);
    curRow = 0;
    if (!cur) throw EDatabaseError(QStringLiteral("The current row no longer exists"));
}

// The whole current row, as an edit starts from it.
Row TADOTable::Impl::CurrentRowCopy() {
    CurrentRow();
    if (!cur->HasAll()) {
        // Rows are being edited: the blocks read from now on carry whole rows.
        readColumns = ~uint64_t(0);
        cur = FetchRow(curId);
        curRow = 0;
    }
    if (!cur) throw EDatabaseError(QStringLiteral("The current row no longer exists"));
    return cur->Materialize(curRow);
}

BlockPtr TADOTable::Impl::FetchRow(int64_t id) {
    const std::vector<int> columns = BlockColumns(~uint64_t(0));
    if (fetchRowSql.isEmpty())
        fetchRowSql = QStringLiteral("SELECT ") + SelectColumns(columns) +
                      QStringLiteral(" FROM ") + ado::Quoted(def->name) +
                      QStringLiteral(" WHERE \"ID\" = ?");
    ado::Query q = stmts.Run(fetchRowSql);
    q.BindInt(id);
    if (!q.Step()) return nullptr;
    auto row = std::make_shared<ado::RowBlock>(columns, def->columns.size());
    row->Append(q.Statement(), q.Int(0));
    return row;
}

// Reads the next matching rows from "from" on in one query, in ID order:
// the rows the cursor will visit next, only the columns read so far.
void TADOTable::Impl::FetchBlock(int64_t from) {
    block.reset();
    blockStale.clear();
    const std::vector<int> columns = BlockColumns(firstBlock ? ~uint64_t(0) : readColumns);
    firstBlock = false;
    ado::Query q =
        stmts.Run(QStringLiteral("SELECT ") + SelectColumns(columns) + QStringLiteral(" FROM ") +
                  ado::Quoted(def->name) + Where(QStringLiteral("\"ID\" >= ?")) +
                  QStringLiteral(" ORDER BY \"ID\" LIMIT %1").arg(kBlockRows));
    BindFilter(q);
    q.BindInt(from);
    auto rows = std::make_shared<ado::RowBlock>(columns, def->columns.size());
    for (size_t text = 0; text < kBlockTextLimit && q.Step();)
        text += rows->Append(q.Statement(), q.Int(0));
    block = std::move(rows);
}

// A row stored or removed is read again when it is next needed. The block
// keeps serving its other rows: storing rows one after the other while
// walking them must not read the rows ahead again for each.
void TADOTable::Impl::DropCached(int64_t id) {
    if (block && std::binary_search(block->Ids().begin(), block->Ids().end(), id) &&
        std::find(blockStale.begin(), blockStale.end(), id) == blockStale.end())
        blockStale.push_back(id);
    if (cur && cur->Id(curRow) == id) cur.reset();
}

bool TADOTable::Impl::RowMatches(int64_t id) {
    if (!FilterActive()) return true;
    ado::Query q = stmts.Run(QStringLiteral("SELECT 1 FROM ") + ado::Quoted(def->name) +
                             Where(QStringLiteral("\"ID\" = ?")));
    BindFilter(q);
    q.BindInt(id);
    return q.Step();
}

// After a post: the row joins or leaves the visible set as it now matches.
void TADOTable::Impl::UpdateVisibility(int64_t id) {
    if (!visible) return;
    std::vector<int64_t>& v = *visible;
    const auto it = std::lower_bound(v.begin(), v.end(), id);
    const bool present = it != v.end() && *it == id;
    const bool matches = RowMatches(id);
    if (matches && !present)
        v.insert(it, id);
    else if (!matches && present)
        v.erase(it);
    pos = -1;
}

// ---- navigation -----------------------------------------------------------

void TADOTable::First() {
    d_->RequireActive();
    d_->PostPending();
    d_->firstPending = true;
    d_->eof = false;
}

void TADOTable::Next() {
    Impl& d = *d_;
    d.RequireActive();
    d.PostPending();
    d.Resolve();
    if (d.eof) return;  // as the runtime's data sets: Next at the end stays there
    d.MoveAfter(d.curId);
}

bool TADOTable::Eof() const {
    Impl& d = *d_;
    if (d.state == dsInactive) return true;
    if (d.state == dsInsert) return false;
    d.Resolve();
    return d.eof;
}

int TADOTable::RecordCount() const {
    d_->RequireActive();
    return static_cast<int>(std::min<int64_t>(d_->Count(), INT32_MAX));
}
