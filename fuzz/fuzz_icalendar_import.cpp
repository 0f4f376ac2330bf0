// Feeds arbitrary bytes to the iCalendar import mapping and writes what it
// read back out, reading that once more: the reader must stay bounded in time
// and memory for every file, must take back what the writer wrote, and must
// never hand on an action or a sound file.
// Build with clang (see fuzz_profile_and_date_readers.cpp):
//   cmake --build build-fuzz --target fuzz_icalendar_import
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "reminder/Vnicalendar.h"

namespace {

void CheckNoFiles(const TvnIcsReadResult& read) {
    for (const TvnIcsEvent& item : read.Events)
        if (!item.Event.Action_File.isEmpty() || !item.Event.Sound_File.isEmpty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TDateTime now = EncodeDate(2026, 12, 9) + 0.5;
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const TvnIcsReadResult read = ReadICalendar(text, now);
    CheckNoFiles(read);
    const QByteArray written = WriteICalendar(read.Events, now, QStringLiteral("Europe/Berlin"));
    const TvnIcsReadResult again = ReadICalendar(written, now);
    if (!again.Error.isEmpty()) __builtin_trap();  // our own output is always a calendar
    CheckNoFiles(again);
    return 0;
}
