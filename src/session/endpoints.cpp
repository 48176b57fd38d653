#include "session/endpoints.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "platform/build_settings.h"

namespace quillo {

QString Endpoints::serviceUrl(const QString& pathOrUrl) const {
    if (pathOrUrl.startsWith(u'/'))
        return rootUrl() + pathOrUrl;
    return pathOrUrl;
}

Endpoints Endpoints::fromBuild() {
    Endpoints e;
    e.webHost = QString::fromLatin1(build::kWebHost);
    e.baseDomain = QString::fromLatin1(build::kBaseDomain);
    e.updateHost = QString::fromLatin1(build::kUpdateHost);
    e.bannerHost = QString::fromLatin1(build::kBannerHost);
    e.makerWebHost = QString::fromLatin1(build::kMakerWebHost);
    e.ipEchoHost = QString::fromLatin1(build::kIpEchoHost);
    return e;
}

Endpoints LoadEndpoints(const QString& iniPath) {
    Endpoints e = Endpoints::fromBuild();
    const QFileInfo info(iniPath);
    if (!info.isFile())
        return e;
    QSettings ini(iniPath, QSettings::IniFormat);
    auto apply = [&ini](const char* key, QString& field) {
        const QString value = ini.value(QLatin1String(key)).toString().trimmed();
        if (!value.isEmpty())
            field = value;
    };
    apply("web_host", e.webHost);
    apply("base_domain", e.baseDomain);
    apply("update_host", e.updateHost);
    apply("banner_host", e.bannerHost);
    apply("maker_web_host", e.makerWebHost);
    apply("ipecho_host", e.ipEchoHost);
    apply("connect_to", e.connectTo);
    apply("connect_to_tls", e.connectToTls);
    apply("ca_file", e.caFile);
    // Only a clear yes: a typo must not send the password in the clear.
    const QString plain = ini.value(QLatin1String("plain_sign_in")).toString().trimmed().toLower();
    e.plainSignIn = plain == u"true" || plain == u"1" || plain == u"yes" || plain == u"on";
    if (!e.caFile.isEmpty() && QFileInfo(e.caFile).isRelative())
        e.caFile = info.absoluteDir().filePath(e.caFile);
    return e;
}

} // namespace quillo
