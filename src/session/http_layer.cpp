#include "session/http_layer.h"

#include <QMutexLocker>
#include <QUrl>

#include "session/ajax_client.h"
#include "session/answer_limits.h"
#include "session/browser_identity.h"
#include "session/handover.h"
#include "session/http_transfer.h"
#include "session/session_state.h"

namespace quillo {

namespace {

using namespace browser;

constexpr int kServiceTimeoutMs = 60000;
constexpr int kChannelTimeoutMs = 120000; // the channel holds a poll for up to a minute

QString hostOf(const QString& url) {
    return QUrl(url).host();
}

thread_local bool outlastingStopping = false;

} // namespace

HttpLayer::OutlastStopping::OutlastStopping()
    : previous_(outlastingStopping) {
    outlastingStopping = true;
}

HttpLayer::OutlastStopping::~OutlastStopping() {
    outlastingStopping = previous_;
}

Interruption HttpLayer::sessionInterruption() const {
    // Asked on the requesting thread, so the thread's own OutlastStopping is what counts.
    return {&inFlight_,
            [this] { return exiting_.load() || (state_.Stopping && !outlastingStopping); }};
}

Interruption HttpLayer::exitInterruption() {
    return {&inFlight_, [this] { return exiting_.load(); }};
}

void HttpLayer::CancelSessionRequests() {
    inFlight_.wakeAll();
}

void HttpLayer::ShutDown() {
    exiting_ = true;
    inFlight_.wakeAll();
    DropChannelConnection();
}

AjaxClient HttpLayer::ajaxClient() const {
    return AjaxClient(endpoints_, serviceJar(), sessionInterruption());
}

HttpLayer::HttpLayer(SessionState& state, Endpoints endpoints)
    : state_(state)
    , endpoints_(std::move(endpoints)) {}

HttpLayer::~HttpLayer() = default;

void HttpLayer::ResetServiceClient(SessionEventSink* mainWindow) {
    QMutexLocker lock(&serviceLock_);
    service_ = std::make_unique<HttpTransfer>(endpoints_, false);
    lastServiceHeaders_.clear();
    {
        const MarkedLockGuard jarLock(jarMutex_);
        jar_ = CookieJar{};
    }
    state_.MainWindow.store(mainWindow);
}

void HttpLayer::ResetChannelClient() {
    auto fresh = std::make_shared<HttpTransfer>(endpoints_, true);
    {
        const MarkedLockGuard lock(channelMutex_);
        channel_ = std::move(fresh);
    }
    channelLines_.clear();
}

HttpLayer::ChannelClient HttpLayer::channelClient() const {
    const MarkedLockGuard lock(channelMutex_);
    return channel_;
}

CookieJar HttpLayer::serviceJar() const {
    const MarkedLockGuard lock(jarMutex_);
    return jar_;
}

void HttpLayer::storeAndSendCookies() {
    const QString millis = NowUnixMillis();
    const QString seconds = NowUnixSeconds();
    state_.PresenceMillis.set(millis);
    state_.PresenceSeconds.set(seconds);
    CookieJar jar;
    {
        const MarkedLockGuard lock(jarMutex_);
        StoreCookies(jar_, lastServiceHeaders_, endpoints_.baseDomain);
        jar = jar_;
    }
    channelLines_.set(ChannelCookieLines(jar, endpoints_.webHost, state_.ChannelName.get(),
                                         state_.UserId.get(), millis, seconds));
}

void HttpLayer::addServiceHeaders(HttpRequest& request, const QString& referer) const {
    addIdentity(request);
    request.headers.append(kKeepAliveLine);
    addReferer(request, referer);
    const QByteArray cookies = serviceJar().headerValueFor(hostOf(request.url));
    if (!cookies.isEmpty())
        request.headers.append(headerLine("Cookie", cookies));
}

QString HttpLayer::ServiceGet(const QString& url, const QString& referer) {
    return serviceGet(url, referer, kMaxRedirects);
}

QString HttpLayer::serviceGet(const QString& url, const QString& referer, int redirectsLeft) {
    QMutexLocker lock(&serviceLock_);
    if (!service_)
        return {};
    HttpRequest request;
    request.url = endpoints_.serviceUrl(url);
    request.timeoutMs = kServiceTimeoutMs;
    request.maxBodyBytes = answer_limits::kServiceAnswer;
    request.interruption = sessionInterruption();
    request.headers.append(headerLine("Content-Type", kAcceptPages));
    storeAndSendCookies();
    addServiceHeaders(request, referer);
    const HttpResponse response = service_->perform(request);
    lastServiceHeaders_ = response.headerLines;
    if (response.ok())
        return bodyText(response);

    QString location = QString::fromUtf8(response.header("Location"));
    if (location.isEmpty() || redirectsLeft <= 0)
        return {};
    // The service sends the browser to the TLS port of the same place; stay on plain HTTP.
    const qsizetype tlsPort = location.indexOf(QLatin1String(":443"));
    if (tlsPort >= 0)
        location.remove(tlsPort, 4);
    lock.unlock();
    return serviceGet(location, referer, redirectsLeft - 1);
}

QString HttpLayer::ServicePost(const QString& url, const QString& referer,
                               const FormFields& fields) {
    return servicePost(url, referer, fields, kMaxRedirects);
}

QString HttpLayer::servicePost(const QString& url, const QString& referer, const FormFields& fields,
                               int redirectsLeft) {
    QMutexLocker lock(&serviceLock_);
    if (!service_)
        return {};
    HttpRequest request;
    request.method = "POST";
    request.url = endpoints_.serviceUrl(url);
    request.timeoutMs = kServiceTimeoutMs;
    request.maxBodyBytes = answer_limits::kServiceAnswer;
    request.interruption = sessionInterruption();
    request.body = EncodeForm(fields);
    request.headers.append(headerLine("Content-Type", kFormType));
    storeAndSendCookies();
    addServiceHeaders(request, referer);
    const HttpResponse response = service_->perform(request);
    lastServiceHeaders_ = response.headerLines;
    if (response.ok())
        return bodyText(response);

    const QString location = QString::fromUtf8(response.header("Location"));
    if (location.isEmpty() || redirectsLeft <= 0)
        return {};
    lock.unlock();
    if (location == endpoints_.rootUrl())
        return serviceGet(QStringLiteral("/home.php"), QString(), redirectsLeft - 1);
    return serviceGet(location, QString(), redirectsLeft - 1);
}

QString HttpLayer::ChannelGet(const ChannelClient& channel, const QString& url,
                              const QString& referer) {
    { QMutexLocker wait(&serviceLock_); } // no poll starts while a service request runs
    if (!channel)
        return QStringLiteral("reconnect");
    HttpRequest request;
    request.url = url;
    request.timeoutMs = kChannelTimeoutMs;
    request.maxBodyBytes = answer_limits::kServiceAnswer;
    request.interruption = sessionInterruption();
    addIdentity(request, kChannelAgent);
    request.headers.append(headerLine("Content-Type", "Text/html"));
    addReferer(request, referer);
    request.headers.append(channelLines_.get());
    const HttpResponse response = channel->perform(request);
    if (!response.ok())
        return QStringLiteral("reconnect");
    return bodyText(response);
}

void HttpLayer::DropChannelConnection() {
    if (const std::shared_ptr<HttpTransfer> channel = channelClient())
        channel->abort();
}

std::optional<QString> HttpLayer::AjaxPost(const QString& url, const FormFields& fields) {
    return ajaxClient().post(url, fields);
}

} // namespace quillo
