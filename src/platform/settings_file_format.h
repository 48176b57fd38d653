#pragma once
// The text form of the settings file, where no registry exists: one value per line,
//
//   name=dword:0000002a     a 32-bit integer, eight hexadecimal digits
//   name=sz:text            text; "\\", "\n", "\r", "\t" and "\uXXXX" escapes
//   name=hex:0011ff         binary, two hexadecimal digits a byte (none for empty)
//
// in UTF-8. A name keeps its characters except "%", "=", "#", "/", "\", control characters
// and unpaired surrogates, which become "%XX" ("%uXXXX" for a surrogate); the empty name is
// "%". Blank lines and lines starting with "#" are comments.
//
// The map that QSettings hands to and from these functions is keyed by the escaped name, so
// that no name is ever taken apart at a "/" by QSettings. A line whose value cannot be read is
// kept as it stands (an UnreadableSettingValue) and written back unchanged, so a damaged line
// costs that one value and nothing else. When a name appears twice in any spelling, the later
// line wins.
//
// Pure functions; any thread.

#include <QByteArray>
#include <QSettings>
#include <QString>

namespace quillo {

// The value part of a line that could not be read.
struct UnreadableSettingValue {
    QByteArray text;
    bool operator==(const UnreadableSettingValue&) const = default;
};

QString EscapeValueName(const QString& name);
// Undoes EscapeValueName; anything that is not a valid escape stands for itself.
QString UnescapeValueName(const QString& escaped);

QSettings::SettingsMap ParseSettingsFile(const QByteArray& contents);
QByteArray FormatSettingsFile(const QSettings::SettingsMap& values);

} // namespace quillo

Q_DECLARE_METATYPE(quillo::UnreadableSettingValue)
