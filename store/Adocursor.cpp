// The static cursor of TADOTable: the visible set (rows matching the filter,
// ascending ID), navigation over it, and reading rows ahead in blocks.
#include <algorithm>

#include "store/Adodb.h"
#include "store/Adotableimpl.h"

namespace {

constexpr int kBlockRows = 128;
// Long notes are read ahead only up to this many characters per block.
constexpr qsizetype kBlockTextLimit = 4 << 20;

// Answers the number of text characters read.
qsizetype ReadRow(const ado::Query& q, size_t columns, Row& row) {
    qsizetype text = 0;
    row.cells.reserve(columns);
    for (size_t c = 0; c < columns; ++c) {
        row.cells.push_back(q.Value(static_cast<int>(c)));
        text += row.cells.back().s.size();
    }
    row.id = q.Int(0);
    return text;
}

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

const Row& TADOTable::Impl::CurrentRow() {
    RequireActive();
    Resolve();
    if (eof) throw EDatabaseError(QStringLiteral("There is no current row"));
    if (cur && cur->id == curId) return *cur;
    auto byId = [](const RowPtr& r, int64_t id) { return r->id < id; };
    auto it = std::lower_bound(block.begin(), block.end(), curId, byId);
    // Read ahead from a visible row; a row reached otherwise (a bookmark to
    // a row outside the filter) is read alone.
    if ((it == block.end() || (*it)->id != curId) && (!visible || IndexOf(curId) >= 0)) {
        FetchBlock(curId);
        it = std::lower_bound(block.begin(), block.end(), curId, byId);
    }
    if (it != block.end() && (*it)->id == curId)
        cur = *it;
    else
        cur = FetchRow(curId);
    if (!cur) throw EDatabaseError(QStringLiteral("The current row no longer exists"));
    return *cur;
}

RowPtr TADOTable::Impl::FetchRow(int64_t id) {
    ado::Query q =
        stmts.Run(QStringLiteral("SELECT ") + SelectColumns() + QStringLiteral(" FROM ") +
                  ado::Quoted(def->name) + QStringLiteral(" WHERE \"ID\" = ?"));
    q.BindInt(id);
    if (!q.Step()) return nullptr;
    auto row = std::make_shared<Row>();
    ReadRow(q, def->columns.size(), *row);
    return row;
}

// Reads the next matching rows from "from" on in one query, in ID order:
// the rows the cursor will visit next. All of them share one allocation.
void TADOTable::Impl::FetchBlock(int64_t from) {
    block.clear();
    ado::Query q =
        stmts.Run(QStringLiteral("SELECT ") + SelectColumns() + QStringLiteral(" FROM ") +
                  ado::Quoted(def->name) + Where(QStringLiteral("\"ID\" >= ?")) +
                  QStringLiteral(" ORDER BY \"ID\" LIMIT %1").arg(kBlockRows));
    BindFilter(q);
    q.BindInt(from);
    auto rows = std::make_shared<std::vector<Row>>();
    rows->reserve(kBlockRows);
    for (qsizetype text = 0; text < kBlockTextLimit && q.Step();) {
        rows->emplace_back();
        text += ReadRow(q, def->columns.size(), rows->back());
    }
    block.reserve(rows->size());
    for (const Row& row : *rows)
        block.emplace_back(rows, &row);
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
