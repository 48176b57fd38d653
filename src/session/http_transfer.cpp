#include "session/http_transfer.h"

#include <algorithm>
#include <curl/curl.h>
#include <mutex>

#include "session/endpoints.h"
#include "session/handover.h"

namespace quillo {

namespace {

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlList {
    curl_slist* list = nullptr;
    ~CurlList() { curl_slist_free_all(list); }
    void add(const QByteArray& line) {
        if (curl_slist* grown = curl_slist_append(list, line.constData()))
            list = grown;
    }
};

// The body as it arrives, up to the request's limit. It is kept in pieces that are never
// outgrown, so while an answer arrives it costs its size: a buffer that doubled as it grew would
// leave its outgrown copies behind (with some allocators for good), and an answer cut off at the
// limit would have cost about twice the limit.
class BodyReceiver {
public:
    explicit BodyReceiver(qsizetype maxBytes)
        : maxBytes_(std::max<qsizetype>(maxBytes, 0)) {}

    qsizetype maxBytes() const { return maxBytes_; }
    bool tooLarge() const { return tooLarge_; }

    // Takes all of the bytes, or none when they would pass the limit.
    bool take(const char* data, qsizetype size) {
        if (size > maxBytes_ - received_) {
            tooLarge_ = true;
            return false;
        }
        while (size > 0) {
            if (pieces_.empty() || pieces_.back().size() == pieces_.back().capacity()) {
                pieces_.emplace_back();
                pieces_.back().reserve(std::min(kPieceBytes, maxBytes_ - received_));
            }
            QByteArray& piece = pieces_.back();
            const qsizetype part = std::min(size, piece.capacity() - piece.size());
            piece.append(data, part);
            received_ += part;
            data += part;
            size -= part;
        }
        return true;
    }

    // The body in one piece; the receiver is empty afterwards.
    QByteArray takeBody() {
        QByteArray body;
        if (pieces_.size() == 1) {
            body = std::move(pieces_.front());
        } else {
            body.reserve(received_);
            for (const QByteArray& piece : pieces_)
                body.append(piece);
        }
        pieces_.clear();
        received_ = 0;
        return body;
    }

private:
    static constexpr qsizetype kPieceBytes = 64 * 1024;
    const qsizetype maxBytes_;
    qsizetype received_ = 0;
    bool tooLarge_ = false;
    std::vector<QByteArray> pieces_;
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
    const size_t bytes = size * count;
    // Taking less than was given makes curl end the transfer (CURLE_WRITE_ERROR).
    return static_cast<BodyReceiver*>(user)->take(data, static_cast<qsizetype>(bytes)) ? bytes : 0;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto* response = static_cast<HttpResponse*>(user);
    QByteArray line(data, static_cast<qsizetype>(size * count));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.startsWith("HTTP/")) {
        // A new response begins (after a 100 Continue, say): keep only the final one's lines.
        response->headerLines.clear();
        response->received = true;
    }
    if (!line.isEmpty())
        response->headerLines.append(line);
    return size * count;
}

// "host:port" of an override, for curl's CONNECT_TO: "[from-host]:[from-port]:host:port".
QByteArray connectToRule(const QString& fromPort, const QString& target) {
    return (QStringLiteral(":") + fromPort + u':' + target).toUtf8();
}

} // namespace

struct HttpTransfer::Handles {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    CurlList connectTo;
    QByteArray caFile;
    std::mutex wakeMutex; // multi stays valid while abort() wakes it
};

QByteArray HttpResponse::header(QByteArrayView name) const {
    for (const QByteArray& line : headerLines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 &&
            QByteArrayView(line).first(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

HttpTransfer::HttpTransfer(const Endpoints& endpoints, bool keepCookies)
    : handles_(std::make_unique<Handles>()) {
    initCurlOnce();
    handles_->easy = curl_easy_init();
    handles_->multi = curl_multi_init();
    CURL* easy = handles_->easy;
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, 15000L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    if (keepCookies)
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, ""); // an own store, in memory only
    if (!endpoints.connectToTls.isEmpty())
        handles_->connectTo.add(connectToRule(QStringLiteral("443"), endpoints.connectToTls));
    if (!endpoints.connectTo.isEmpty())
        handles_->connectTo.add(connectToRule(QString(), endpoints.connectTo));
    if (handles_->connectTo.list)
        curl_easy_setopt(easy, CURLOPT_CONNECT_TO, handles_->connectTo.list);
    if (!endpoints.caFile.isEmpty()) {
        handles_->caFile = endpoints.caFile.toLocal8Bit();
        curl_easy_setopt(easy, CURLOPT_CAINFO, handles_->caFile.constData());
    }
}

HttpTransfer::~HttpTransfer() {
    std::lock_guard lock(handles_->wakeMutex);
    curl_multi_cleanup(handles_->multi);
    curl_easy_cleanup(handles_->easy);
}

void HttpTransfer::abort() {
    abort_.store(true);
    wake();
}

void HttpTransfer::wake() {
    std::lock_guard lock(handles_->wakeMutex);
    curl_multi_wakeup(handles_->multi);
}

void TransferRegistry::add(HttpTransfer* transfer) {
    const MarkedLockGuard lock(mutex_);
    inFlight_.push_back(transfer);
}

void TransferRegistry::remove(HttpTransfer* transfer) {
    const MarkedLockGuard lock(mutex_);
    std::erase(inFlight_, transfer);
}

void TransferRegistry::wakeAll() {
    // Under the lock: a registered transfer cannot finish and go away while it is woken.
    const MarkedLockGuard lock(mutex_);
    for (HttpTransfer* transfer : inFlight_)
        transfer->wake();
}

namespace {

// Keeps a transfer in its registry for as long as it runs.
class InFlight {
public:
    InFlight(TransferRegistry* registry, HttpTransfer* transfer)
        : registry_(registry)
        , transfer_(transfer) {
        if (registry_)
            registry_->add(transfer_);
    }
    ~InFlight() {
        if (registry_)
            registry_->remove(transfer_);
    }
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;

private:
    TransferRegistry* registry_;
    HttpTransfer* transfer_;
};

} // namespace

HttpResponse HttpTransfer::perform(const HttpRequest& request) {
    HttpResponse response;
    // Registered before the first look at the cancellation, so a cancellation that comes after
    // that look finds this transfer and wakes it.
    const InFlight inFlight(request.interruption.registry, this);
    const auto cancelled = [&request] {
        return request.interruption.cancelled && request.interruption.cancelled();
    };
    if (abort_.exchange(false) || cancelled()) {
        response.error = QStringLiteral("connection dropped");
        return response;
    }
    CURL* easy = handles_->easy;
    CURLM* multi = handles_->multi;

    // A space is not allowed in a request line; the channel URLs end with one.
    QByteArray url = request.url.toUtf8();
    url.replace(' ', "%20");
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    CurlList headers;
    for (const QByteArray& line : request.headers)
        headers.add(line);
    // libcurl adds these on its own unless told not to; the request says exactly what it wants.
    headers.add("Expect:");
    if (request.userAgent.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_USERAGENT, nullptr);
    } else {
        curl_easy_setopt(easy, CURLOPT_USERAGENT, request.userAgent.constData());
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.list);
    if (request.method == "POST") {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.constData());
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeoutMs));
    BodyReceiver receiver(request.maxBodyBytes);
    // An announced length over the limit fails before any of the body is read (0 would mean
    // no limit to curl; onBody refuses every byte then).
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(receiver.maxBytes()));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &receiver);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &response);

    curl_multi_add_handle(multi, easy);
    CURLcode result = CURLE_OK;
    bool done = false;
    bool aborted = false;
    while (!done) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
            if (msg->msg == CURLMSG_DONE) {
                result = msg->data.result;
                done = true;
            }
        }
        if (done)
            break;
        if (abort_.exchange(false) || cancelled()) {
            aborted = true;
            break;
        }
        // A registered transfer is woken by whatever cancels it, so it sleeps until curl itself
        // has work (an answer, its own timers); one without a registry looks once a second.
        curl_multi_poll(multi, nullptr, 0, request.interruption.registry ? 30000 : 1000, nullptr);
        if (abort_.exchange(false) || cancelled()) {
            aborted = true;
            break;
        }
    }
    curl_multi_remove_handle(multi, easy);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, nullptr);

    if (aborted) {
        // An unfinished transfer leaves its connection unusable; curl closes it.
        response = HttpResponse{};
        response.error = QStringLiteral("connection dropped");
        return response;
    }
    if (receiver.tooLarge() || result == CURLE_FILESIZE_EXCEEDED) {
        // Nothing of an answer too large to take counts: not its status, cookies or body.
        response = HttpResponse{};
        response.error =
            QStringLiteral("answer too large (over %1 bytes)").arg(receiver.maxBytes());
        return response;
    }
    response.body = receiver.takeBody();
    if (result != CURLE_OK) {
        response.error = QString::fromUtf8(curl_easy_strerror(result));
        if (!response.received)
            response.body.clear();
        return response;
    }
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    response.status = status;
    response.received = true;
    return response;
}

} // namespace quillo
