// Feeds arbitrary bytes to the settings file reader. What it reads must be written so that a
// second read finds exactly the same values (damaged lines included, kept as they stood), and
// every name must survive escaping.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/settings_file_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray once = quillo::FormatSettingsFile(quillo::ParseSettingsFile(input));
    const QByteArray twice = quillo::FormatSettingsFile(quillo::ParseSettingsFile(once));
    if (once != twice)
        std::abort();

    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2); // the input need not be aligned
    const QString name = QString::fromStdU16String(units);
    if (quillo::UnescapeValueName(quillo::EscapeValueName(name)) != name)
        std::abort();
    return 0;
}
