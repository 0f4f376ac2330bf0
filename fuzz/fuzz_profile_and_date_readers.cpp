// Feeds arbitrary bytes to the readers of outside text: the profile-file
// parser and the readers of dates and real numbers. Build with clang:
//   CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVORNEL_BUILD_FUZZ=ON \
//       -DVORNEL_BUILD_TESTS=OFF -DVORNEL_BUILD_BENCH=OFF
//   cmake --build build-fuzz --target fuzz_profile_and_date_readers
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "platform/DateFormat.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return 0;
        f.write(bytes);
    }
    TIniFile ini(path);
    for (const QString& section : ini.ReadSections()) {
        (void)ini.ReadString(section, QStringLiteral("Desc"), {});
        (void)ini.ReadInteger(section, QStringLiteral("Count"), 0);
        (void)ini.ReadFloat(section, QStringLiteral("Date"), 0);
    }
    ini.WriteString(QStringLiteral("General"), QStringLiteral("Count"), QString::fromUtf8(bytes));
    (void)ini.UpdateFile();

    const QString text = TIniFile::DecodeText(bytes);
    TDateTime when = 0;
    (void)TryStrToDateTime(text, when);
    double number = 0;
    if (TryStrToFloat(text, number)) (void)FloatToStr(number);
    (void)FormatDateTime(text.left(64), number);
    return 0;
}
