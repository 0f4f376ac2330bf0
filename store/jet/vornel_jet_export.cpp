// vornel-jet-export: writes the rows of tables of a Jet database (the Windows
// version's "DB.vdb" and "DB.vdbv2") to standard output, for the program to
// read with its own strict reader. libmdb has had memory-safety faults, so it
// only ever runs here, read-only, under CPU and memory limits, and a file
// that makes it crash takes nothing but this process with it.
//
// Usage: vornel-jet-export FILE TABLE...
//
// Output (bytes; every line ends with '\n'; a value is "-" for null or
// "<byte count>:<bytes>", so values may hold any byte, newlines too):
//   VORNEL-JET 1
//   per table:  T <column count> <name value>
//               C <type> <name value>           one per column
//               R  followed by one value line per column, per row
//               E <row count>
//   Z           the end: its absence means the output was cut short.
// Types: int, real, date (the raw day count as %.17g), bool (0/1), text
// (UTF-8), other (libmdb's text of the value).
// Exit codes: 0 done, 2 usage, 3 not a Jet file or unreadable, 4 a table is
// missing, 5 the output could not be written.
// glib first: mdbtools.h includes it inside extern "C", where its C++
// templates cannot be.
#include <glib.h>
#include <mdbtools.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kBindSize = 1 << 20;  // longest value, in bytes of UTF-8
constexpr int kRowOffsetMask = 0x1fff;

void LimitResources() {
    const rlimit cpu{60, 61};
    const rlimit memory{rlim_t(1) << 30, rlim_t(1) << 30};
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CPU, &cpu);
    setrlimit(RLIMIT_AS, &memory);
    setrlimit(RLIMIT_CORE, &none);
}

// Jet 3 and 4 files begin with 00 01 00 00 "Standard Jet DB", later ones
// with "Standard ACE DB".
bool HasJetMagic(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    unsigned char head[19] = {};
    const size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (n != sizeof head || head[0] != 0 || head[1] != 1 || head[2] != 0 || head[3] != 0)
        return false;
    return std::memcmp(head + 4, "Standard Jet DB", 15) == 0 ||
           std::memcmp(head + 4, "Standard ACE DB", 15) == 0;
}

void WriteValue(const char* data, size_t size) {
    std::printf("%zu:", size);
    std::fwrite(data, 1, size, stdout);
    std::fputc('\n', stdout);
}

const char* TypeName(int type) {
    switch (type) {
        case MDB_BOOL:
            return "bool";
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
            return "int";
        case MDB_FLOAT:
        case MDB_DOUBLE:
            return "real";
        case MDB_DATETIME:
            return "date";
        case MDB_TEXT:
        case MDB_MEMO:
            return "text";
        default:
            return "other";
    }
}

struct BoundColumn {
    MdbColumn* column;
    std::vector<char> buffer;
    int length = 0;
};

// The null flags of the row mdb_fetch_row has just read: libmdb's bound text
// is empty for both a null and an empty text, so the row is cracked again.
bool ReadNulls(MdbTableDef* table, std::vector<MdbField>& fields) {
    MdbHandle* mdb = table->entry->mdb;
    int start = 0;
    size_t size = 0;
    if (table->cur_row == 0 || mdb_find_row(mdb, table->cur_row - 1, &start, &size) != 0)
        return false;
    return mdb_crack_row(table, start & kRowOffsetMask, size, fields.data()) ==
           int(table->num_cols);
}

void WriteField(MdbHandle* mdb, const BoundColumn& bound, const MdbField& field) {
    if (field.is_null && bound.column->col_type != MDB_BOOL) {
        std::fputs("-\n", stdout);
        return;
    }
    if (bound.column->col_type == MDB_DATETIME && field.siz == 8 && field.start >= 0 &&
        field.start + 8 <= mdb->fmt->pg_size) {
        char text[40];
        const int n =
            std::snprintf(text, sizeof text, "%.17g", mdb_get_double(mdb->pg_buf, field.start));
        WriteValue(text, size_t(n));
        return;
    }
    const size_t length = std::strlen(bound.buffer.data());
    // libmdb cuts a longer value to the buffer without a word: refuse it.
    if (length + 1 >= bound.buffer.size()) {
        std::fprintf(stderr, "a value of %s is too long\n", bound.column->name);
        std::exit(3);
    }
    WriteValue(bound.buffer.data(), length);
}

int ExportTable(MdbHandle* mdb, const char* name) {
    MdbTableDef* table = mdb_read_table_by_name(mdb, const_cast<gchar*>(name), MDB_TABLE);
    if (!table) {
        std::fprintf(stderr, "no table %s\n", name);
        return 4;
    }
    mdb_read_columns(table);
    mdb_rewind_table(table);
    std::vector<BoundColumn> columns(table->num_cols);
    std::printf("T %u ", table->num_cols);
    WriteValue(name, std::strlen(name));
    for (unsigned i = 0; i < table->num_cols; ++i) {
        BoundColumn& c = columns[i];
        c.column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        c.buffer.assign(kBindSize, '\0');
        mdb_bind_column(table, int(i) + 1, c.buffer.data(), &c.length);
        std::printf("C %s ", TypeName(c.column->col_type));
        WriteValue(c.column->name, std::strlen(c.column->name));
    }
    std::vector<MdbField> fields(table->num_cols);
    long rows = 0;
    while (mdb_fetch_row(table)) {
        if (!ReadNulls(table, fields)) {
            std::fprintf(stderr, "damaged row in table %s\n", name);
            mdb_free_tabledef(table);
            return 3;
        }
        std::fputs("R\n", stdout);
        for (unsigned i = 0; i < table->num_cols; ++i)
            WriteField(mdb, columns[fields[i].colnum], fields[i]);
        ++rows;
    }
    std::printf("E %ld\n", rows);
    mdb_free_tabledef(table);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    LimitResources();
    if (argc < 3) {
        std::fprintf(stderr, "usage: vornel-jet-export FILE TABLE...\n");
        return 2;
    }
    if (!HasJetMagic(argv[1])) {
        std::fprintf(stderr, "not a Jet database\n");
        return 3;
    }
    MdbHandle* mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb || !mdb_read_catalog(mdb, MDB_TABLE)) {
        std::fprintf(stderr, "cannot read the database\n");
        if (mdb) mdb_close(mdb);
        return 3;
    }
    mdb_set_bind_size(mdb, kBindSize);
    static char out[1 << 20];
    std::setvbuf(stdout, out, _IOFBF, sizeof out);
    std::fputs("VORNEL-JET 1\n", stdout);
    int rc = 0;
    for (int i = 2; i < argc && rc == 0; ++i)
        rc = ExportTable(mdb, argv[i]);
    mdb_close(mdb);
    if (rc != 0) return rc;
    std::fputs("Z\n", stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 5;
}
