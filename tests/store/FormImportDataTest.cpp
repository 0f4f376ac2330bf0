// The previous version's data import driven by its control names: the rows
// it appends, its progress and status, and the files it refuses, which
// leave the current database as it was.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "store/Adoschema.h"
#include "store/Uformimportdata.h"
#include "support/DialogScript.h"
#include "support/JetFixtures.h"
#include "support/TestDatabase.h"
#include "support/TestSupport.h"

namespace {

const QString kFailed = "The database operation was not executed. An error was fixed!";

// The Desc texts, or the colours, of all rows of a database's table.
QStringList Column(TestDatabase& db, const char* table, const char* column) {
    TADOConnection other;
    TADOTable t(&other);
    db.OpenOther(other, t, table);
    QStringList out;
    for (; !t.Eof(); t.Next())
        out << t.FieldByName(QLatin1String(column))->AsString();
    return out;
}

// The current database with one event and one day colour of its own, closed
// as the main window leaves it, and the previous version's file beside it.
struct ImportFixture : ::testing::Test {
    void SetUp() override {
        db.AddEvent(0, "mine", At(2024, 1, 1));
        db.AddColor(0, At(2024, 1, 1), 0x10);
        db.connection.Close();
    }

    // "DB.vdb" holding the events r1 .. r5 and the colours 1 .. 3.
    void WriteOldDatabase() {
        TestDatabase old;
        for (int i = 1; i <= 5; ++i)
            old.AddEvent(1, QStringLiteral("r%1").arg(i), At(2005, 3, i), {.nParam = i});
        for (int i = 1; i <= 3; ++i)
            old.AddColor(1, At(2005, 4, i), uint32_t(i));
        old.connection.Close();
        ASSERT_TRUE(QFile::copy(old.path, oldPath));
    }

    // The version 1.0 file as the Windows version left it: a Jet database,
    // cut to "bytes" when not 0.
    void WriteOldJetDatabase(qsizetype bytes = 0) {
        QByteArray data = FileBytes(JetFixture("v1-DB.vdb"));
        if (bytes) data.truncate(bytes);
        QFile file(oldPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    void UseHelper(const QByteArray& script) {
        helper.emplace(WriteHelperScript(helpers, "helper", script));
    }

    template <class W>
    W* Find(const char* name) {
        return form.findChild<W*>(name);
    }

    TestDatabase db;
    QString oldPath = db.dir.filePath("DB.vdb");
    bool imported = false;
    ScopedDialogScript script;
    TFormImportData form{nullptr, imported, oldPath, db.path};
    QTemporaryDir helpers;
    std::optional<ScopedJetHelper> helper;
};

}  // namespace

TEST_F(ImportFixture, AppendsAllButTheFirstRowsAndDeletesTheOldFile) {
    WriteOldDatabase();
    EXPECT_EQ(form.windowTitle(), "Import Data");
    EXPECT_EQ(Find<QLineEdit>("EditSource")->text(), "DB.vdb");
    EXPECT_FALSE(Find<QLineEdit>("EditDest")->isEnabled());
    EXPECT_EQ(Find<QLabel>("LabelStatus")->text(), "Status");
    EXPECT_TRUE(Find<QCheckBox>("check_DelOldDB")->isChecked());
    EXPECT_TRUE(Find<QPushButton>("btnImport")->isDefault());
    form.show();
    form.grab().save(TestOutputDir() + "/import_data.png");

    Find<QPushButton>("btnImport")->click();
    EXPECT_EQ(script.Messages(), QStringList{"Data imported successfully."});
    EXPECT_TRUE(imported);
    EXPECT_FALSE(Find<QPushButton>("btnImport")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("btnEnd")->isEnabled());
    EXPECT_FALSE(QFile::exists(oldPath));
    EXPECT_EQ(Column(db, "Events", "Desc"), (QStringList{"mine", "r2", "r3", "r4", "r5"}));
    EXPECT_EQ(Column(db, "Events", "nParam"), (QStringList{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(Column(db, "BColors", "Color"), (QStringList{"16", "2", "3"}));
    // The last table copied, with one step per row.
    EXPECT_EQ(Find<QLabel>("LabelStatus")->text(), "Events");
    EXPECT_EQ(Find<QProgressBar>("ProgressBar")->maximum(), 4);
    EXPECT_EQ(Find<QProgressBar>("ProgressBar")->value(), 4);
    form.grab().save(TestOutputDir() + "/import_data_done.png");
}

// The Windows version's "DB.vdb": its rows but the first, column by column
// after the key; the columns it lacks (Notes, Completed) stay empty.
TEST_F(ImportFixture, AVersionOneJetFileAppendsAllButItsFirstRows) {
    WriteOldJetDatabase();
    Find<QPushButton>("btnImport")->click();
    EXPECT_EQ(script.Messages(), QStringList{"Data imported successfully."});
    EXPECT_TRUE(imported);
    EXPECT_EQ(Find<QProgressBar>("ProgressBar")->maximum(), 14);
    EXPECT_EQ(Find<QProgressBar>("ProgressBar")->value(), 14);
    for (const char* name : {"BColors", "Events"}) {
        const QJsonObject expected = ExpectedTable("v1-DB.vdb", name);
        const QJsonArray columns = expected["columns"].toArray();
        const QJsonArray rows = expected["rows"].toArray();
        TADOConnection other;
        TADOTable t(&other);
        db.OpenOther(other, t, name);
        ASSERT_EQ(t.RecordCount(), rows.size());  // one of the database's own, less the first
        t.Next();
        for (int r = 1; r < rows.size(); ++r, t.Next()) {
            QStringList got;
            for (int c = 1; c < t.FieldCount(); ++c) {
                const TField* f = t.Fields(c);
                got << ValueText(
                    f->IsNull() ? QVariant() : f->AsVariant(),
                    ado::FindTableDef(name)->columns[c].type == ado::ColumnType::DateTime);
            }
            const QStringList want = RowText(rows[r].toArray()).mid(1);
            EXPECT_EQ(got.mid(0, want.size()), want) << name << " row " << r;
            // Notes and Completed, which the old file lacks.
            EXPECT_EQ(got.mid(want.size()), QStringList(got.size() - want.size(), "null"));
            EXPECT_EQ(got.size(), columns.size() - 1 + (QLatin1String(name) == "Events" ? 2 : 0));
        }
    }
}

TEST_F(ImportFixture, KeepsTheOldFileWhenAskedTo) {
    WriteOldDatabase();
    Find<QCheckBox>("check_DelOldDB")->setChecked(false);
    Find<QPushButton>("btnImport")->click();
    EXPECT_TRUE(imported);
    EXPECT_TRUE(QFile::exists(oldPath));
}

TEST_F(ImportFixture, AnErrorAmidTheRowsKeepsThoseCopiedAndIsNoSuccess) {
    WriteOldDatabase();
    sqlite3* h = nullptr;
    sqlite3_open(QFile::encodeName(oldPath).constData(), &h);
    ASSERT_EQ(sqlite3_exec(h, "UPDATE Events SET Date = 1e999 WHERE Desc = 'r4'", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(h);
    Find<QPushButton>("btnImport")->click();
    ASSERT_EQ(script.Count(TDialogKind::Error), 1);
    EXPECT_NE(script.Messages().first(), kFailed);  // the engine's own text
    EXPECT_FALSE(imported);
    EXPECT_TRUE(QFile::exists(oldPath));
    EXPECT_TRUE(Find<QPushButton>("btnImport")->isEnabled());
    EXPECT_EQ(Column(db, "Events", "Desc"), (QStringList{"mine", "r2", "r3"}));
}

struct BadSource {
    const char* name;
    void (*make)(ImportFixture& f);
    // A Windows (Jet) file adds why it could not be read to the message.
    const char* reason = nullptr;
};

void PrintTo(const BadSource& row, std::ostream* os) {
    *os << row.name;
}

class ImportRefuses : public ImportFixture, public ::testing::WithParamInterface<BadSource> {};

TEST_P(ImportRefuses, WithItsMessageAndTheCurrentRowsAsTheyWere) {
    GetParam().make(*this);
    const bool existed = QFile::exists(oldPath);
    Find<QPushButton>("btnImport")->click();
    if (!GetParam().reason) {
        EXPECT_EQ(script.Messages(), QStringList{kFailed});
    } else {
        ASSERT_EQ(script.Count(TDialogKind::Error), 1);
        EXPECT_TRUE(script.Messages()[0].startsWith(kFailed + "\n\n"));
        EXPECT_TRUE(script.Messages()[0].contains(QLatin1String(GetParam().reason)))
            << script.Messages()[0].toStdString();
    }
    EXPECT_FALSE(imported);
    EXPECT_TRUE(Find<QPushButton>("btnImport")->isEnabled());
    EXPECT_EQ(QFile::exists(oldPath), existed);
    EXPECT_EQ(Column(db, "Events", "Desc"), QStringList{"mine"});
    EXPECT_EQ(Column(db, "BColors", "Color"), QStringList{"16"});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ImportRefuses,
    ::testing::Values(
        BadSource{"Missing", [](ImportFixture&) {}},
        BadSource{"NotADatabase",
                  [](ImportFixture& f) {
                      QFile file(f.oldPath);
                      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                      file.write("\0\1\0\0Standard Jet DB\0", 20);
                  },
                  "or it is damaged"},
        // Its colours must not be copied when its events cannot be.
        BadSource{"WithoutEvents",
                  [](ImportFixture& f) {
                      f.WriteOldDatabase();
                      sqlite3* h = nullptr;
                      sqlite3_open(QFile::encodeName(f.oldPath).constData(), &h);
                      ASSERT_EQ(sqlite3_exec(h, "DROP TABLE Events", nullptr, nullptr, nullptr),
                                SQLITE_OK);
                      sqlite3_close(h);
                  }},
        BadSource{"TextFile",
                  [](ImportFixture& f) {
                      QFile file(f.oldPath);
                      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                      file.write("Events and colours\n");
                  }},
        BadSource{"TruncatedJetFile", [](ImportFixture& f) { f.WriteOldJetDatabase(100000); },
                  "or it is damaged"},
        BadSource{"HelperKilledMidway",
                  [](ImportFixture& f) {
                      f.WriteOldJetDatabase();
                      f.UseHelper(kHelperKilledMidway);
                  },
                  "stopped unexpectedly"},
        BadSource{"HelperNeverEnding",
                  [](ImportFixture& f) {
                      f.WriteOldJetDatabase();
                      f.UseHelper(kHelperNeverEnding);
                  },
                  "took too long and was stopped"},
        BadSource{"TheCurrentDatabaseItself",
                  [](ImportFixture& f) { ASSERT_TRUE(QFile::link(f.db.path, f.oldPath)); }}),
    [](const auto& info) { return std::string(info.param.name); });
