// libFuzzer driver for the table filter parser: any text must either parse
// or be refused with an engine error, for every table's columns.
#include <QString>
#include <cstddef>
#include <cstdint>

#include "store/Adodb.h"
#include "store/Adofilter.h"
#include "store/Adoschema.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const ado::TableDef& table : ado::AllTables()) {
        try {
            const ado::ParsedFilter filter = ado::ParseFilter(text, table);
            // Every accepted term names a column of the table.
            for (const ado::FilterTerm& term : filter.terms)
                if (term.column < 0 || term.column >= static_cast<int>(table.columns.size()))
                    __builtin_trap();
        } catch (const EDatabaseError&) {
        }
    }
    return 0;
}
