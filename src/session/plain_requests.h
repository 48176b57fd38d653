#pragma once
// One-shot requests to parties other than the service session: the maker's servers, the IP
// echo service, pictures. Each uses a client of its own, created and destroyed per call, with
// no session cookies. They never fail loudly: each folds failure into its result. An
// interruption (the program's exit, say) ends one early, as a failure; so does an answer whose
// body would pass maxBodyBytes (the kinds' limits are in answer_limits.h).
//
// Thread: any; nothing is shared between calls.

#include <QByteArray>
#include <QString>

#include "session/http_text.h"
#include "session/http_transfer.h"

namespace quillo {

struct Endpoints;

// The body as text; on failure the Location of the response (empty when none), so that a
// redirecting address yields its target.
QString PlainGet(const Endpoints& endpoints, const QString& url, qsizetype maxBodyBytes,
                 const Interruption& interruption = {});

// POSTs fields; result is set only when a body arrives.
void PlainPost(const Endpoints& endpoints, const QString& url, const FormFields& fields,
               QString& result, qsizetype maxBodyBytes, const Interruption& interruption = {});

// Appends the body (or what arrived of it before the connection broke) to stream; nothing of
// an answer over maxBodyBytes.
void FetchImage(const Endpoints& endpoints, const QString& url, const QString& referer,
                QByteArray& stream, qsizetype maxBodyBytes, const Interruption& interruption = {});

} // namespace quillo
