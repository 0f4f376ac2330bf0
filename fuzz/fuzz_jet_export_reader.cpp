// libFuzzer driver for the reader of the Jet helper's output (what a helper
// fed a hostile file could write): any bytes must either read as tables whose
// rows have one value per column, each of its column's kind, or be refused
// with a Jet error.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "store/Jetfiles.h"

namespace {

bool KindFits(const QVariant& value, TJetType type) {
    if (value.isNull()) return true;
    switch (type) {
        case TJetType::Integer:
        case TJetType::Boolean:
            return value.typeId() == QMetaType::LongLong;
        case TJetType::Real:
        case TJetType::Date:
            return value.typeId() == QMetaType::Double;
        case TJetType::Text:
        case TJetType::Other:
            return value.typeId() == QMetaType::QString;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        for (const TJetTable& table : ParseJetExport(bytes))
            for (const std::vector<QVariant>& row : table.rows) {
                if (row.size() != table.columns.size()) __builtin_trap();
                for (size_t c = 0; c < row.size(); ++c)
                    if (!KindFits(row[c], table.columns[c].type)) __builtin_trap();
            }
    } catch (const EJetError&) {
    }
    return 0;
}
