#pragma once
// HttpTransfer: one HTTP/1.1 client on libcurl, as the session layer needs it: exact request
// header lines, raw response header lines, no automatic redirects, TLS always verified, and an
// abort that another thread can trigger and that takes effect at once.
//
// Thread: perform() runs on one thread at a time (the owner serialises); abort() may be called
// from any thread. The connection is kept between requests of the same transfer object.

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "session/answer_limits.h"

namespace quillo {

struct Endpoints;
class HttpTransfer;

// The transfers in flight that one owner may need to end early (at sign-out, at exit). A
// transfer registers itself for as long as it runs; wakeAll makes each look at its request's
// cancellation at once instead of at its next periodic look.
class TransferRegistry {
public:
    void wakeAll();

    // A transfer is in the registry from the start of its request to its end.
    void add(HttpTransfer* transfer);
    void remove(HttpTransfer* transfer);

private:
    std::mutex mutex_;
    std::vector<HttpTransfer*> inFlight_;
};

// What may end a request before its answer: asked before it starts, and whenever the registry
// wakes it (whoever cancels must wake the registry: a registered transfer does not look on its
// own more often than every 30 seconds); without a registry, once a second. Asked on the thread
// that performs the request.
struct Interruption {
    TransferRegistry* registry = nullptr;
    std::function<bool()> cancelled;
};

struct HttpRequest {
    QByteArray method = "GET"; // "GET" or "POST"
    QString url;
    QByteArray userAgent;      // empty: no User-Agent line
    QList<QByteArray> headers; // complete lines, "Name: value"
    QByteArray body;           // POST body
    int timeoutMs = 60000;     // whole transfer
    Interruption interruption; // none: only abort() ends it early
    // An answer whose body would pass this (announced or as it arrives) is ended at once and
    // fails like a broken connection. Unless said otherwise, as much as the largest kind of
    // answer, so that no request is ever unbounded. The header lines are bounded by libcurl
    // itself (300 KB an answer, 100 KB a line).
    qsizetype maxBodyBytes = answer_limits::kLargest;
};

struct HttpResponse {
    bool received = false; // a status line arrived (whatever the status)
    long status = 0;
    QList<QByteArray> headerLines; // raw lines of the final response, CRLF stripped
    QByteArray body;
    QString error; // why nothing usable came back (not for the user's eyes)

    bool ok() const { return received && status >= 200 && status < 300; }
    // Value of the first header line with that name (case-insensitive), trimmed.
    QByteArray header(QByteArrayView name) const;
};

class HttpTransfer {
public:
    // keepCookies: an own cookie store that sends back what responses set.
    HttpTransfer(const Endpoints& endpoints, bool keepCookies);
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    HttpResponse perform(const HttpRequest& request);

    // Ends the transfer in progress at once (it fails); with none in progress, the next
    // perform fails at once. Any thread.
    void abort();

private:
    friend class TransferRegistry;
    void wake();

    struct Handles;
    std::unique_ptr<Handles> handles_;
    std::atomic<bool> abort_{false};
};

} // namespace quillo
