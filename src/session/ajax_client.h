#pragma once
// AjaxClient: a one-shot client that carries a copy of the session's cookies, for the requests
// the service's page scripts made (sending, history, wall posts, private messages). It keeps
// what its own responses set for its later requests; nothing goes back into the session's jar.
// The token fields every such request echoes and the check of its answer live here too, so the
// requests differ only in their own fields and order.
//
// Thread: any; one thread uses an instance, which lives for one operation.

#include <QByteArray>
#include <QString>
#include <optional>

#include "session/cookie_jar.h"
#include "session/http_text.h"
#include "session/http_transfer.h"

namespace quillo {

struct Endpoints;
struct SessionState;

class AjaxClient {
public:
    AjaxClient(const Endpoints& endpoints, const CookieJar& sessionJar,
               Interruption interruption = {});

    // A path is taken on the service's web host. Empty text / nullopt on failure.
    QString get(const QString& url);
    // The body as URL-encoded form with Content-Type "application/x-www-form-urlencoded;
    // charset=UTF-8"; when `declareType` is false the request names no type of its own.
    std::optional<QString> post(const QString& url, const QByteArray& formBody,
                                bool declareType = true);
    std::optional<QString> post(const QString& url, const FormFields& fields) {
        return post(url, EncodeForm(fields));
    }

private:
    const Endpoints& endpoints_;
    CookieJar jar_;
    HttpTransfer transfer_;
    Interruption interruption_;
};

// The fields by which the service's scripts proved a request came from the session's page.
namespace ajax_tokens {
// "post_form_id" and "fb_dtsg", in that order.
FormFields pageTokens(const SessionState& state);
// "post_form_id_source" = "AsyncRequest" and "__a" = "1", in that order.
FormFields asyncMarks();
// pageTokens then asyncMarks: the tail most requests end with.
FormFields all(const SessionState& state);
} // namespace ajax_tokens

// True when an answer says the request was done ("No error." or "error":0).
bool AjaxSucceeded(const QString& answer);
bool AjaxSucceeded(const std::optional<QString>& answer);

} // namespace quillo
