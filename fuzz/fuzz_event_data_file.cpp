// Feeds arbitrary bytes to the reader of event data files (the import
// format, which other programs write too) and writes what it read back out.
// Build with clang (see fuzz_profile_and_date_readers.cpp):
//   cmake --build build-fuzz --target fuzz_event_data_file
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "reminder/Vneventfiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.edf"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const TvnEventDataFile file = ReadEventDataFile(path);
    if (!file.Readable) __builtin_trap();  // a regular file of this size always is
    TvnEventDataWriter writer(dir.filePath(QStringLiteral("out.edf")), ~0);
    for (const TvnEventParams& event : file.Events) {
        (void)IsImportableEvent(event);
        (void)TvnTextReportWriter::EventBlock(event);
        writer.Add(event);
    }
    (void)writer.Commit();
    return 0;
}
