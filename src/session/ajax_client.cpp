#include "session/ajax_client.h"

#include <QUrl>

#include "session/browser_identity.h"
#include "session/endpoints.h"

namespace quillo {

using namespace browser;

AjaxClient::AjaxClient(const Endpoints& endpoints, const CookieJar& sessionJar)
    : endpoints_(endpoints)
    , transfer_(endpoints, true) {
    for (const Cookie& c : sessionJar.entries())
        jar_.set(c.name, c.value, endpoints.baseDomain);
}

namespace {

HttpRequest ajaxRequest(const QString& url, const CookieJar& jar) {
    HttpRequest request;
    request.url = url;
    addIdentity(request);
    request.headers.append(kKeepAliveLine);
    const QByteArray cookies = jar.headerValueFor(QUrl(url).host());
    if (!cookies.isEmpty())
        request.headers.append(headerLine("Cookie", cookies));
    return request;
}

} // namespace

QString AjaxClient::get(const QString& url) {
    const HttpResponse response = transfer_.perform(ajaxRequest(endpoints_.serviceUrl(url), jar_));
    return response.ok() ? bodyText(response) : QString();
}

std::optional<QString> AjaxClient::post(const QString& url, const QByteArray& formBody,
                                        bool declareType) {
    HttpRequest request = ajaxRequest(endpoints_.serviceUrl(url), jar_);
    request.method = "POST";
    request.body = formBody;
    if (declareType)
        request.headers.append(headerLine("Content-Type", kFormType + "; charset=UTF-8"));
    const HttpResponse response = transfer_.perform(request);
    if (!response.ok())
        return std::nullopt;
    return bodyText(response);
}

} // namespace quillo
