#pragma once
// Where the login form may send the typed e-mail address and password. The login page comes
// over plain HTTP, so whoever sits on the way can rewrite its form; the credentials must
// still reach the service's own hosts only, and over TLS. Pure function; any thread.

#include <QString>
#include <QStringView>

namespace quillo {

struct Endpoints;

// The URL to post the credentials to, or empty when `actionUrl` (the form's resolved,
// entity-decoded action) is no place for them. Accepted: "https://HOST/..." (also "http://"
// when endpoints.plainSignIn), where HOST is the web host or a host under the base domain
// ("login.<base domain>"), compared without regard to case. Refused: any user part ("@"),
// a port other than the scheme's own, a host that is not plain ASCII letters, digits, "-" and
// dot-separated labels (no percent signs, brackets, empty labels or trailing dot), and any
// control character, space, backslash or non-ASCII character anywhere in the URL. The result
// has scheme and host in lower case and no fragment; the rest is kept as written.
QString loginPostTarget(QStringView actionUrl, const Endpoints& endpoints);

} // namespace quillo
