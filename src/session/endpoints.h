#pragma once
// Where the remote parties are: the build's host names, optionally overridden by an
// endpoints.ini beside the program. connect_to sends every connection to one address while the
// Host header, the URLs and the cookie domains keep the real names (how the local stand-in is
// reached); ca_file names the authority to trust for TLS. Certificates are always verified.
// plain_sign_in=true lets the login form be posted over plain HTTP, for a test setup whose
// stand-in has no TLS; without it the credentials go over https only.

#include <QString>

namespace quillo {

struct Endpoints {
    QString webHost;
    QString baseDomain;
    QString updateHost;
    QString bannerHost;
    QString makerWebHost;
    QString ipEchoHost;
    QString connectTo;        // "host:port" for plain HTTP connections, empty for none
    QString connectToTls;     // "host:port" for connections to port 443, empty for none
    QString caFile;           // PEM file of the authority to trust, empty for the system's
    bool plainSignIn = false; // the login form may be posted over http (test setups only)

    // "http://" + web host, no trailing slash.
    QString rootUrl() const { return QStringLiteral("http://") + webHost; }
    // A path ("/home.php") becomes a URL on the web host; a URL is kept.
    QString serviceUrl(const QString& pathOrUrl) const;

    static Endpoints fromBuild();
};

// The build's endpoints with the keys of the ini file applied (web_host, base_domain,
// update_host, banner_host, maker_web_host, ipecho_host, connect_to, connect_to_tls, ca_file,
// plain_sign_in). A missing file changes nothing. A relative ca_file is taken relative to the
// file's folder. plain_sign_in is on for "true", "1", "yes" or "on" (any case), off otherwise.
Endpoints LoadEndpoints(const QString& iniPath);

} // namespace quillo
