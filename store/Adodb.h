// The table engine: a connection to one database file and table objects with a
// static cursor over it (filter, locate, navigation, editing, typed fields,
// bookmarks), kept in an SQLite file. Every failure is an EDatabaseError.
#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/DateTime.h"

struct sqlite3;
namespace ado {
struct CheckedFile;
}

class EDatabaseError : public std::runtime_error {
public:
    explicit EDatabaseError(const QString& message);
    QString Message() const { return message_; }

private:
    QString message_;
};

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// Sharing modes of a connection (only "deny none" is used: other programs may
// open the file at the same time).
enum TConnectModeType { cmUnknown, cmRead, cmWrite, cmReadWrite, cmShareDenyNone };

class TADOTable;

class TADOConnection {
public:
    TADOConnection();
    ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    // "Provider=...;Data Provider=...;Data Source=<path>": the file is the
    // value of "Data Source".
    QString ConnectionString;
    bool LoginPrompt = false;
    bool KeepConnection = false;
    TConnectModeType Mode = cmShareDenyNone;

    // Opens the file named by the connection string (which must exist and be
    // a database); WAL journal, full synchronous commits, a busy timeout.
    void Open();
    // Closes every table on the connection, then the file.
    void Close();
    bool Connected() const;
    QString DataSource() const;

    // One transaction around many changes (imports); a commit flushes once.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const;

    sqlite3* Handle() const;

private:
    friend class TADOTable;
    void Attach(TADOTable* table);
    void Detach(TADOTable* table);
    void ForgetRows();

    sqlite3* db_ = nullptr;
    std::unique_ptr<ado::CheckedFile> checked_;  // the open file, for the check at close
    std::vector<TADOTable*> tables_;
};

// One column of the current row of a table. Reading a column of a null value
// gives 0, empty text or date-time 0. Writing requires the table to be in
// edit or insert state.
class TField {
public:
    QString FieldName() const;
    bool IsNull() const;

    int AsInteger() const;
    void SetAsInteger(int value);
    QString AsString() const;
    void SetAsString(const QString& value);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime value);
    double AsFloat() const;
    void SetAsFloat(double value);
    QVariant AsVariant() const;
    void SetAsVariant(const QVariant& value);

private:
    friend class TADOTable;
    TField(TADOTable* table, int index) : table_(table), index_(index) {}
    TADOTable* table_;
    int index_;
};

class TADOTable {
public:
    explicit TADOTable(TADOConnection* connection = nullptr);
    ~TADOTable();
    TADOTable(const TADOTable&) = delete;
    TADOTable& operator=(const TADOTable&) = delete;

    TADOConnection* Connection() const;
    void SetConnection(TADOConnection* connection);
    QString TableName() const;
    void SetTableName(const QString& name);

    // Opening makes the first visible row current.
    void Open();
    void Close();
    bool Active() const;
    void SetActive(bool active);
    TDataSetState State() const;

    // The filter text is checked when it is assigned: an unknown column or
    // operator, OR, parentheses, an unreadable date literal or trailing text
    // raise an EDatabaseError and leave the previous filter as it was.
    QString Filter() const;
    void SetFilter(const QString& filter);
    bool Filtered() const;
    void SetFiltered(bool filtered);

    // Makes current the first visible row (ascending ID) whose columns equal
    // the values, exactly and case-sensitively. "keyFields" is a
    // semicolon-separated column list with one value per column.
    bool Locate(const QString& keyFields, const QVariantList& keyValues);
    bool Locate(const QString& keyField, const QVariant& keyValue);

    void First();
    void Next();
    bool Eof() const;
    int RecordCount() const;

    void Append();
    void Edit();
    // Stores the row; an appended row gets its ID and stays current. A row that
    // no longer matches the filter leaves the visible set but stays readable
    // until the cursor moves.
    void Post();
    void Cancel();
    // Removes the current row; the following visible row becomes current.
    void Delete();

    TField* FieldByName(const QString& name);
    TField* Fields(int index);
    int FieldCount() const;

    // A text naming the current row while the table stays open, never "0".
    QString Bookmark() const;
    // Makes that row current again; an error when the row no longer exists.
    void SetBookmark(const QString& bookmark);

    struct Impl;  // defined by the engine's sources

private:
    friend class TField;
    friend class TADOConnection;
    std::unique_ptr<Impl> d_;
};
