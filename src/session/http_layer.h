#pragma once
// HttpLayer: every exchange with the service. It owns the two long-lived clients (the
// service client with the session's cookie jar, and the channel client that long-polls), the
// service lock, and the cookie lines the system builds itself. Callers get text and never an
// exception: every failure folds into a fixed result (empty text, "reconnect", nullopt), an
// answer over its limit (answer_limits.h) among them. The one-shot requests to other parties
// are in plain_requests.h.
//
// Thread: one instance for the process, shared by every worker and the front end. The service
// lock serialises the service client; the channel client is used by the long-poll worker only,
// and DropChannelConnection may be called from any thread while it waits.
//
// Ending early: a session's requests give up once Stopping is set, at once when
// CancelSessionRequests wakes them; the requests of the session's own end (the sign-out) run on
// a thread that holds an OutlastStopping. After ShutDown every request gives up.

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include "session/ajax_client.h"
#include "session/cookie_jar.h"
#include "session/endpoints.h"
#include "session/http_text.h"
#include "session/http_transfer.h"
#include "session/shared_value.h"

namespace quillo {

class SessionEventSink;
struct SessionState;

class HttpLayer {
public:
    HttpLayer(SessionState& state, Endpoints endpoints);
    ~HttpLayer();
    HttpLayer(const HttpLayer&) = delete;
    HttpLayer& operator=(const HttpLayer&) = delete;

    const Endpoints& endpoints() const { return endpoints_; }

    // New clients with empty jars, at the start of every sign-in. ResetServiceClient also
    // records the receiver of session events.
    void ResetServiceClient(SessionEventSink* mainWindow);
    void ResetChannelClient();

    // GET on the service client; a path is taken on the web host. Empty text on failure; a
    // redirect is followed by the system itself (":443" dropped), at most five in a row.
    QString ServiceGet(const QString& url, const QString& referer);
    // POST of fields (URL-encoded, in order) on the service client; filling and posting are one
    // step under the service lock. A redirect to the root URL yields /home.php.
    QString ServicePost(const QString& url, const QString& referer, const FormFields& fields);
    // The channel client of this sign-in. A long poll keeps the one it started with, so a
    // poll that outlives its session can never drive the next session's client.
    using ChannelClient = std::shared_ptr<HttpTransfer>;
    ChannelClient channelClient() const;
    // GET on the channel client; "reconnect" on any failure or when dropped.
    QString ChannelGet(const ChannelClient& channel, const QString& url, const QString& referer);
    QString ChannelGet(const QString& url, const QString& referer) {
        return ChannelGet(channelClient(), url, referer);
    }
    // One-shot POST carrying a copy of the service jar; nullopt on failure.
    std::optional<QString> AjaxPost(const QString& url, const FormFields& fields);
    // A one-shot client with a copy of the service jar, ended early like the session's requests.
    AjaxClient ajaxClient() const;

    // Fails a pending long poll at once (or the next one, if none is pending). Any thread.
    void DropChannelConnection();

    // Wakes every request in flight so that the session's requests see Stopping at once. Any
    // thread; call after setting Stopping.
    void CancelSessionRequests();
    // The program is ending: every request in flight fails at once, and so does every later one.
    void ShutDown();
    // For requests to other parties (the maker's, the IP echo): they end at ShutDown only.
    Interruption exitInterruption();

    // While one lives, requests made on its thread are not ended by Stopping (only by
    // ShutDown): the sign-out request and the status posted on the way out.
    class OutlastStopping {
    public:
        OutlastStopping();
        ~OutlastStopping();
        OutlastStopping(const OutlastStopping&) = delete;
        OutlastStopping& operator=(const OutlastStopping&) = delete;

    private:
        bool previous_;
    };

    // What the channel client will send besides its own cookies, and the jar, as they stand.
    QList<QByteArray> channelCookieLines() const { return channelLines_.get(); }
    CookieJar serviceJar() const;

    static constexpr int kMaxRedirects = 5;

private:
    QString serviceGet(const QString& url, const QString& referer, int redirectsLeft);
    QString servicePost(const QString& url, const QString& referer, const FormFields& fields,
                        int redirectsLeft);
    // Under the service lock: harvest the last response's cookies and rebuild the channel's.
    void storeAndSendCookies();
    void addServiceHeaders(HttpRequest& request, const QString& referer) const;
    Interruption sessionInterruption() const;

    SessionState& state_;
    const Endpoints endpoints_;

    mutable TransferRegistry inFlight_;
    std::atomic<bool> exiting_{false};

    QMutex serviceLock_; // ServiceLock: every use of the service client
    std::unique_ptr<HttpTransfer> service_;
    QList<QByteArray> lastServiceHeaders_;

    mutable std::mutex jarMutex_; // the jar is read by AjaxPost without the service lock
    CookieJar jar_;

    mutable std::mutex channelMutex_;
    std::shared_ptr<HttpTransfer> channel_;
    SharedValue<QList<QByteArray>> channelLines_; // swapped whole: a poll sees old or new
};

} // namespace quillo
