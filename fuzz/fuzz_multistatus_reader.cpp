// Feeds arbitrary bytes to the readers of a CalDAV server's answers: the
// multistatus reader, both ways it is called, and the reader of DAV errors.
// Every answer must be read in bounded time and memory, never crash, and the
// two ways must agree.
// Build with clang (see fuzz_profile_and_date_readers.cpp):
//   cmake --build build-fuzz --target fuzz_multistatus_reader
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "sync/Vncaldavxml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TvnDavMultistatus all;
    const bool read = DavParseMultistatus(body, &all);
    size_t handed = 0;
    QString token;
    const bool streamed = DavReadMultistatus(
        body,
        [&handed](TvnDavItem&& item) {
            ++handed;
            return !item.Href.isEmpty();
        },
        &token);
    if (read != streamed || handed != all.Items.size() || token != all.SyncToken) __builtin_trap();
    DavErrorNames(body, QStringLiteral("valid-sync-token"));
    return 0;
}
