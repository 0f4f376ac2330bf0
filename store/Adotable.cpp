// TADOTable: opening and closing, the filter, locating rows and bookmarks.
#include <sqlite3.h>

#include <algorithm>

#include "store/Adodb.h"
#include "store/Adotableimpl.h"

namespace {

QString ClosedText() {
    return QStringLiteral("Cannot perform this operation on a closed table");
}

}  // namespace

// ---- Impl: state ----------------------------------------------------------

void TADOTable::Impl::RequireActive() const {
    if (state == dsInactive) throw EDatabaseError(ClosedText());
}

QString TADOTable::Impl::Where(const QString& extra) const {
    QString cond = FilterActive() ? filter.sql : QString();
    if (!extra.isEmpty()) cond = cond.isEmpty() ? extra : cond + QStringLiteral(" AND ") + extra;
    return cond.isEmpty() ? QString() : QStringLiteral(" WHERE ") + cond;
}

void TADOTable::Impl::BindFilter(ado::Query& q) const {
    if (!FilterActive()) return;
    for (const ado::FilterTerm& t : filter.terms)
        q.Bind(t.value);
}

int TADOTable::Impl::Column(const QString& name) const {
    const size_t length = static_cast<size_t>(name.size());
    if (length < namesByLength.size())
        for (const auto& [candidate, index] : namesByLength[length])
            if (candidate == name) return index;
    for (size_t c = 0; def && c < def->columns.size(); ++c)
        if (name.compare(QLatin1String(def->columns[c].name), Qt::CaseInsensitive) == 0)
            return static_cast<int>(c);
    return -1;
}

// Back to the first visible row, with the visible set to be computed anew.
void TADOTable::Impl::Restart() {
    ForgetRows();
    readColumns = 0;
    firstBlock = true;
    firstPending = true;
    eof = false;
    curId = 0;
}

void TADOTable::Impl::ForgetRows() {
    visible.reset();
    block.reset();
    blockStale.clear();
    cur.reset();
    pos = -1;
}

std::vector<int> TADOTable::Impl::BlockColumns(uint64_t mask) const {
    std::vector<int> columns;
    for (size_t c = 0; c < def->columns.size(); ++c)
        if (c == 0 || (mask >> c & 1)) columns.push_back(static_cast<int>(c));
    return columns;
}

QString TADOTable::Impl::SelectColumns(const std::vector<int>& columns) const {
    QString list;
    for (int c : columns) {
        if (!list.isEmpty()) list += u',';
        list += ado::Quoted(def->columns[c].name);
    }
    return list;
}

// ---- lifecycle --------------------------------------------------------------

TADOTable::TADOTable(TADOConnection* connection) : d_(std::make_unique<Impl>()) {
    d_->self = this;
    SetConnection(connection);
}

TADOTable::~TADOTable() {
    Close();
    if (d_->connection) d_->connection->Detach(this);
}

TADOConnection* TADOTable::Connection() const {
    return d_->connection;
}

void TADOTable::SetConnection(TADOConnection* connection) {
    if (connection == d_->connection) return;
    Close();
    if (d_->connection) d_->connection->Detach(this);
    d_->connection = connection;
    if (connection) connection->Attach(this);
}

QString TADOTable::TableName() const {
    return d_->tableName;
}

void TADOTable::SetTableName(const QString& name) {
    if (Active() && name != d_->tableName)
        throw EDatabaseError(QStringLiteral("Cannot change the table name of an open table"));
    d_->tableName = name;
}

void TADOTable::Open() {
    if (Active()) return;
    Impl& d = *d_;
    if (!d.connection) throw EDatabaseError(QStringLiteral("The table has no connection"));
    const ado::TableDef* def = ado::FindTableDef(d.tableName);
    if (!def) throw EDatabaseError(QStringLiteral("Unknown table \"%1\"").arg(d.tableName));
    // A filter assigned before the table name is checked against this table.
    ado::ParsedFilter filter = ado::ParseFilter(d.filterText, *def);
    d.connection->Open();
    ado::CheckTableSchema(d.connection->Handle(), *def);
    if (d.def != def) {
        d.fetchRowSql.clear();
        d.updatedColumns.clear();
        d.locatePlan = {};
        d.fields.clear();
        d.namesByLength.clear();
        for (size_t c = 0; c < def->columns.size(); ++c) {
            d.fields.emplace_back(new TField(this, static_cast<int>(c)));
            const QString name = QLatin1String(def->columns[c].name);
            if (d.namesByLength.size() <= static_cast<size_t>(name.size()))
                d.namesByLength.resize(name.size() + 1);
            d.namesByLength[name.size()].emplace_back(name, static_cast<int>(c));
        }
    }
    d.def = def;
    d.filter = std::move(filter);
    d.stmts.Reset(d.connection->Handle());
    d.state = dsBrowse;
    d.Restart();
}

void TADOTable::Close() {
    Impl& d = *d_;
    if (d.state == dsInactive) return;
    d.state = dsInactive;
    d.buffer = {};
    d.modified.clear();
    d.ForgetRows();
    d.eof = true;
    d.firstPending = false;
    d.stmts.Clear();
}

bool TADOTable::Active() const {
    return d_->state != dsInactive;
}

void TADOTable::SetActive(bool active) {
    if (active)
        Open();
    else
        Close();
}

TDataSetState TADOTable::State() const {
    return d_->state;
}

// ---- filter ---------------------------------------------------------------

QString TADOTable::Filter() const {
    return d_->filterText;
}

void TADOTable::SetFilter(const QString& filter) {
    Impl& d = *d_;
    ado::ParsedFilter parsed;
    const ado::TableDef* def = d.def ? d.def : ado::FindTableDef(d.tableName);
    if (def) parsed = ado::ParseFilter(filter, *def);  // raises before anything changes
    if (Active()) d.PostPending();
    d.filterText = filter;
    d.filter = std::move(parsed);
    if (Active() && d.filtered) d.Restart();
}

bool TADOTable::Filtered() const {
    return d_->filtered;
}

void TADOTable::SetFiltered(bool filtered) {
    Impl& d = *d_;
    if (filtered == d.filtered) return;
    if (Active()) d.PostPending();
    d.filtered = filtered;
    if (Active()) d.Restart();
}

// ---- locate and bookmarks ---------------------------------------------------

bool TADOTable::Locate(const QString& keyFields, const QVariant& keyValue) {
    if (keyValue.typeId() == QMetaType::QVariantList) return Locate(keyFields, keyValue.toList());
    return Locate(keyFields, QVariantList{keyValue});
}

const TADOTable::Impl::LocatePlan& TADOTable::Impl::PlanLocate(const QString& keyFields,
                                                               const QVariantList& keyValues) {
    std::vector<bool> nulls;
    for (const QVariant& value : keyValues)
        nulls.push_back(value.isNull());
    const QString filterSql = FilterActive() ? filter.sql : QString();
    if (locatePlan.valid && locatePlan.keyFields == keyFields && locatePlan.nulls == nulls &&
        locatePlan.filterSql == filterSql)
        return locatePlan;
    const QStringList names = keyFields.split(u';');
    if (names.size() != keyValues.size())
        throw EDatabaseError(QStringLiteral("Locate: %1 columns but %2 values")
                                 .arg(names.size())
                                 .arg(keyValues.size()));
    LocatePlan plan{true, keyFields, nulls, filterSql, {}, {}};
    QString cond;
    for (qsizetype k = 0; k < names.size(); ++k) {
        const int c = Column(names[k].trimmed());
        if (c < 0) throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(names[k]));
        if (!cond.isEmpty()) cond += QStringLiteral(" AND ");
        const ado::ColumnDef& col = def->columns[c];
        if (nulls[k]) {
            cond += ado::Quoted(col.name) + QStringLiteral(" IS NULL");
            continue;
        }
        cond += ado::ComparedExpr(col) + QStringLiteral(" = ?");
        plan.columns.push_back(c);
    }
    plan.sql = QStringLiteral("SELECT \"ID\" FROM ") + ado::Quoted(def->name) + Where(cond) +
               QStringLiteral(" ORDER BY \"ID\"");
    locatePlan = std::move(plan);
    return locatePlan;
}

bool TADOTable::Locate(const QString& keyFields, const QVariantList& keyValues) {
    Impl& d = *d_;
    d.RequireActive();
    const Impl::LocatePlan& plan = d.PlanLocate(keyFields, keyValues);
    std::vector<Cell> values;
    bool matchable = true;
    for (const QVariant& value : keyValues) {
        if (value.isNull()) continue;
        const ado::ColumnDef& col = d.def->columns[plan.columns[values.size()]];
        Cell v;
        // A value of another kind (text for a number) matches no row.
        matchable = ado::ConvertForColumn(ado::CellFromVariant(value), col.type, &v) && matchable;
        values.push_back(v);
    }
    d.PostPending();
    if (!matchable) return false;
    ado::Query q = d.stmts.Run(plan.sql);
    d.BindFilter(q);
    for (const Cell& v : values)
        q.Bind(v);
    while (q.Step()) {
        const int64_t id = q.Int(0);
        // The static cursor: a row that joined after the visible set was taken does not count.
        if (d.visible && !std::binary_search(d.visible->begin(), d.visible->end(), id)) continue;
        d.firstPending = false;
        d.eof = false;
        d.curId = id;
        d.pos = -1;
        return true;
    }
    return false;
}

QString TADOTable::Bookmark() const {
    Impl& d = *d_;
    d.RequireActive();
    if (d.state == dsInsert)
        throw EDatabaseError(QStringLiteral("A row that is not posted has no bookmark"));
    d.Resolve();
    if (d.eof) throw EDatabaseError(QStringLiteral("There is no current row"));
    // IDs start at 1; a foreign file's row 0 is written "+0" so that no
    // bookmark ever reads "0".
    return d.curId == 0 ? QStringLiteral("+0") : QString::number(d.curId);
}

void TADOTable::SetBookmark(const QString& bookmark) {
    Impl& d = *d_;
    d.RequireActive();
    bool ok = false;
    const int64_t id = bookmark.toLongLong(&ok);
    if (!ok) throw EDatabaseError(QStringLiteral("\"%1\" is not a bookmark").arg(bookmark));
    d.PostPending();
    ado::Query q = d.stmts.Run(QStringLiteral("SELECT 1 FROM ") + ado::Quoted(d.def->name) +
                               QStringLiteral(" WHERE \"ID\" = ?"));
    q.BindInt(id);
    if (!q.Step())
        throw EDatabaseError(
            QStringLiteral("The row of bookmark %1 no longer exists").arg(bookmark));
    d.firstPending = false;
    d.eof = false;
    d.curId = id;
    d.pos = -1;
}

// ---- fields ---------------------------------------------------------------

TField* TADOTable::FieldByName(const QString& name) {
    Impl& d = *d_;
    d.RequireActive();
    const int c = d.Column(name);
    if (c < 0)
        throw EDatabaseError(
            QStringLiteral("Field '%1' not found in table %2").arg(name, d.def->name));
    return d.fields[c].get();
}

TField* TADOTable::Fields(int index) {
    Impl& d = *d_;
    d.RequireActive();
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError(QStringLiteral("Field index %1 out of range").arg(index));
    return d.fields[index].get();
}

int TADOTable::FieldCount() const {
    return Active() ? static_cast<int>(d_->def->columns.size()) : 0;
}
