#pragma once
// The pure rules of the start-up check: what counts as a version text, a newer version, a
// public address, and the machine tag.

#include <QString>

#include "session/http_text.h"

namespace quillo {

// OwnVersion: the version this program is.
inline QString OwnVersion() {
    return QStringLiteral(QUILLO_VERSION);
}

// Digits separated by single dots ("1.361"); anything else (a redirect's URL, an error page)
// is not a version.
bool LooksLikeVersion(const QString& text);

// True when remote is a version whose dotted numbers, compared one by one from the left,
// are greater than own's (missing numbers count as 0). Not a version: false.
bool IsNewerVersion(const QString& remote, const QString& own = OwnVersion());

// A literal IPv4 or IPv6 address.
bool LooksLikeIpAddress(const QString& text);

// 12 upper-case hexadecimal digits: the last six bytes of a new random UUID.
QString NewMacId();

// The fields of an error report: act=err, lang=<language file>#<code>.
FormFields ErrorReportFields(const QString& currentLang, const QString& code);

} // namespace quillo
