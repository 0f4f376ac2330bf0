// TADOTable editing: appending, editing, posting, cancelling and deleting rows.
#include <sqlite3.h>

#include <algorithm>

#include "store/Adodb.h"
#include "store/Adotableimpl.h"

// ---- Impl: editing ----------------------------------------------------------

// Moving, appending, editing and filtering store the row being edited first,
// as the runtime's data sets do.
void TADOTable::Impl::PostPending() {
    if (state == dsEdit || state == dsInsert) self->Post();
}

int64_t TADOTable::Impl::InsertBuffer() {
    QString columns, params;
    for (size_t c = 1; c < def->columns.size(); ++c) {
        columns += (c > 1 ? QStringLiteral(",") : QString()) + ado::Quoted(def->columns[c].name);
        params += c > 1 ? QStringLiteral(",?") : QStringLiteral("?");
    }
    ado::Query q = stmts.Run(QStringLiteral("INSERT INTO ") + ado::Quoted(def->name) + u'(' +
                             columns + QStringLiteral(") VALUES(") + params + u')');
    for (size_t c = 1; c < def->columns.size(); ++c)
        q.Bind(buffer.cells[c]);
    q.Step();
    return sqlite3_last_insert_rowid(stmts.Db());
}

void TADOTable::Impl::UpdateBuffer() {
    if (std::find(modified.begin() + 1, modified.end(), true) == modified.end()) return;
    if (modified != updatedColumns) {
        QString set;
        for (size_t c = 1; c < def->columns.size(); ++c)
            if (modified[c])
                set += (set.isEmpty() ? QString() : QStringLiteral(",")) +
                       ado::Quoted(def->columns[c].name) + QStringLiteral(" = ?");
        updateSql = QStringLiteral("UPDATE ") + ado::Quoted(def->name) + QStringLiteral(" SET ") +
                    set + QStringLiteral(" WHERE \"ID\" = ?");
        updatedColumns = modified;
    }
    ado::Query q = stmts.Run(updateSql);
    for (size_t c = 1; c < def->columns.size(); ++c)
        if (modified[c]) q.Bind(buffer.cells[c]);
    q.BindInt(buffer.id);
    q.Step();
    if (sqlite3_changes(stmts.Db()) == 0)
        throw EDatabaseError(QStringLiteral("The row being edited no longer exists"));
}

CellView TADOTable::Impl::ReadCellSlow(int index) {
    RequireActive();
    if (state == dsEdit || state == dsInsert) return CellView::Of(buffer.cells[index]);
    CurrentRow(index);
    return cur->View(curRow, index);
}

Cell& TADOTable::Impl::WritableCell(int index) {
    RequireActive();
    if (state != dsEdit && state != dsInsert)
        throw EDatabaseError(
            QStringLiteral("Table %1 is not in edit or insert mode").arg(def->name));
    if (index == 0)
        throw EDatabaseError(
            QStringLiteral("Field 'ID' is numbered automatically and cannot be written"));
    modified[index] = true;
    return buffer.cells[index];
}

// ---- TADOTable ------------------------------------------------------------

void TADOTable::Append() {
    Impl& d = *d_;
    d.RequireActive();
    d.PostPending();
    d.buffer = Row{0, std::vector<Cell>(d.def->columns.size())};
    d.modified.assign(d.def->columns.size(), false);
    d.state = dsInsert;
}

void TADOTable::Edit() {
    Impl& d = *d_;
    d.RequireActive();
    if (d.state == dsEdit) return;
    d.PostPending();
    d.buffer = d.CurrentRowCopy();
    d.modified.assign(d.def->columns.size(), false);
    d.state = dsEdit;
}

void TADOTable::Post() {
    Impl& d = *d_;
    d.RequireActive();
    int64_t id = d.buffer.id;
    if (d.state == dsInsert)
        id = d.InsertBuffer();
    else if (d.state == dsEdit)
        d.UpdateBuffer();
    else
        throw EDatabaseError(
            QStringLiteral("Table %1 is not in edit or insert mode").arg(d.def->name));
    // Stored: the row stays current even when it has left the visible set.
    d.state = dsBrowse;
    d.buffer = {};
    d.firstPending = false;
    d.eof = false;
    d.curId = id;
    d.DropCached(id);
    d.cur = d.FetchRow(id);
    d.curRow = 0;
    d.UpdateVisibility(id);
}

void TADOTable::Cancel() {
    Impl& d = *d_;
    if (d.state != dsEdit && d.state != dsInsert) return;
    d.state = dsBrowse;
    d.buffer = {};
}

void TADOTable::Delete() {
    Impl& d = *d_;
    d.RequireActive();
    if (d.state == dsInsert) return Cancel();  // the new row was never stored
    Cancel();
    d.Resolve();
    if (d.eof) throw EDatabaseError(QStringLiteral("There is no current row to delete"));
    const int64_t id = d.curId;
    ado::Query q = d.stmts.Run(QStringLiteral("DELETE FROM ") + ado::Quoted(d.def->name) +
                               QStringLiteral(" WHERE \"ID\" = ?"));
    q.BindInt(id);
    q.Step();
    d.DropCached(id);
    d.EnsureVisible();
    std::vector<int64_t>& v = *d.visible;
    const auto it = std::lower_bound(v.begin(), v.end(), id);
    if (it != v.end() && *it == id) v.erase(it);
    d.pos = -1;
    d.MoveAfter(id);
}
