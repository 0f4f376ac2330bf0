// The static cursor of TADOTable: the visible set (rows matching the filter,
// ascending ID), navigation over it, and reading rows ahead in blocks.
#include <algorithm>

#include "store/Adodb.h"
#include "store/Adotableimpl.h"

namespace {

constexpr ptrdiff_t kBlockRows = 128;

QString BlockSql(const QString& columns, const char* table) {
    QString sql = QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ") +
                  ado::Quoted(table) + QStringLiteral(" WHERE \"ID\" IN (?");
    for (ptrdiff_t i = 1; i < kBlockRows; ++i)
        sql += QStringLiteral(",?");
    return sql + u')';
}

RowPtr ReadRow(const ado::Query& q, size_t columns) {
    auto row = std::make_shared<Row>();
    row->cells.reserve(columns);
    for (size_t c = 0; c < columns; ++c)
        row->cells.push_back(q.Value(static_cast<int>(c)));
    row->id = q.Int(0);
    return row;
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
    if (it == block.end() || (*it)->id != curId) {
        const ptrdiff_t at = visible ? IndexOf(curId) : -1;
        if (at >= 0) {
            FetchBlock(at);
            it = std::lower_bound(block.begin(), block.end(), curId, byId);
        }
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
    return q.Step() ? ReadRow(q, def->columns.size()) : nullptr;
}

// Reads the rows of the visible set from position "from" on in one query.
void TADOTable::Impl::FetchBlock(ptrdiff_t from) {
    const std::vector<int64_t>& v = *visible;
    const ptrdiff_t end = std::min<ptrdiff_t>(from + kBlockRows, static_cast<ptrdiff_t>(v.size()));
    block.clear();
    ado::Query q = stmts.Run(BlockSql(SelectColumns(), def->name));
    for (ptrdiff_t i = from; i < from + kBlockRows; ++i)
        q.Bind(i < end ? Cell::FromInt(v[i]) : Cell{});  // a null ID matches nothing
    while (q.Step())
        block.push_back(ReadRow(q, def->columns.size()));
    std::sort(block.begin(), block.end(),
              [](const RowPtr& a, const RowPtr& b) { return a->id < b->id; });
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
