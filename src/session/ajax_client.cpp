#include "session/ajax_client.h"

#include <QUrl>

#include "session/answer_limits.h"
#include "session/browser_identity.h"
#include "session/endpoints.h"
#include "session/session_state.h"

namespace quillo {

using namespace browser;

AjaxClient::AjaxClient(const Endpoints& endpoints, const CookieJar& sessionJar,
                       Interruption interruption)
    : endpoints_(endpoints)
    , transfer_(endpoints, true)
    , interruption_(std::move(interruption)) {
    for (const Cookie& c : sessionJar.entries())
        jar_.set(c.name, c.value, endpoints.baseDomain);
}

namespace {

HttpRequest ajaxRequest(const QString& url, const CookieJar& jar,
                        const Interruption& interruption) {
    HttpRequest request;
    request.url = url;
    request.maxBodyBytes = answer_limits::kServiceAnswer;
    request.interruption = interruption;
    addIdentity(request);
    request.headers.append(kKeepAliveLine);
    const QByteArray cookies = jar.headerValueFor(QUrl(url).host());
    if (!cookies.isEmpty())
        request.headers.append(headerLine("Cookie", cookies));
    return request;
}

} // namespace

QString AjaxClient::get(const QString& url) {
    const HttpResponse response =
        transfer_.perform(ajaxRequest(endpoints_.serviceUrl(url), jar_, interruption_));
    return response.ok() ? bodyText(response) : QString();
}

std::optional<QString> AjaxClient::post(const QString& url, const QByteArray& formBody,
                                        bool declareType) {
    HttpRequest request = ajaxRequest(endpoints_.serviceUrl(url), jar_, interruption_);
    request.method = "POST";
    request.body = formBody;
    if (declareType)
        request.headers.append(headerLine("Content-Type", kFormType + "; charset=UTF-8"));
    const HttpResponse response = transfer_.perform(request);
    if (!response.ok())
        return std::nullopt;
    return bodyText(response);
}

namespace ajax_tokens {

FormFields pageTokens(const SessionState& state) {
    return {{QStringLiteral("post_form_id"), state.PostFormId.get()},
            {QStringLiteral("fb_dtsg"), state.Dtsg.get()}};
}

FormFields asyncMarks() {
    return {{QStringLiteral("post_form_id_source"), QStringLiteral("AsyncRequest")},
            {QStringLiteral("__a"), QStringLiteral("1")}};
}

FormFields all(const SessionState& state) {
    return pageTokens(state) + asyncMarks();
}

} // namespace ajax_tokens

bool AjaxSucceeded(const QString& answer) {
    return answer.contains(u"\"No error.\"") || answer.contains(u"\"error\":0");
}

bool AjaxSucceeded(const std::optional<QString>& answer) {
    return answer && AjaxSucceeded(*answer);
}

} // namespace quillo
