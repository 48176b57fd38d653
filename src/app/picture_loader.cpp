#include "app/picture_loader.h"

#include "session/handover.h"
#include "session/worker_guard.h"

namespace quillo {

namespace {

QString requestKey(const QString& url, QSize shownSize) {
    return QString::number(shownSize.width()) + u'x' + QString::number(shownSize.height()) + u' ' +
           url;
}

} // namespace

PictureLoader::PictureLoader(PictureFetch fetch, int threads, QObject* parent)
    : QObject(parent)
    , fetch_(std::move(fetch))
    , pool_(QStringLiteral("quillo-pictures"), threads) {}

PictureLoader::~PictureLoader() {
    stop();
}

void PictureLoader::stop() {
    stopped_ = true;
    pool_.stop();
    // A worker's report still queued finds no request and no waiter: nothing follows.
    for (const Request& request : std::as_const(inFlight_)) {
        for (const Waiter& waiter : request.waiters)
            disconnect(waiter.gone);
    }
    inFlight_.clear();
}

void PictureLoader::load(const QString& url, QSize shownSize, QObject* context,
                         std::function<void(QVariant)> done) {
    if (stopped_ || !decode_ || !context || !done || url.isEmpty() || shownSize.isEmpty())
        return;
    const QString key = requestKey(url, shownSize);
    Waiter waiter{context, context, {}, std::move(done)};
    waiter.gone = connect(context, &QObject::destroyed, this,
                          [this, key, context] { dropWaiter(key, context); });
    if (const auto existing = inFlight_.find(key); existing != inFlight_.end()) {
        existing->waiters.append(std::move(waiter));
        return;
    }
    auto abandoned = std::make_shared<std::atomic<bool>>(false);
    inFlight_.insert(key, Request{abandoned, {std::move(waiter)}});
    pool_.post([this, fetch = fetch_, decode = decode_, url, shownSize, key, abandoned] {
        if (*abandoned)
            return;
        QVariant picture;
        // A fetch or decoding that throws has failed; its askers still hear of it, and a
        // later ask starts afresh.
        if (!runGuarded("a picture", [&] {
                const QByteArray bytes = fetch(url);
                if (!bytes.isEmpty() && !*abandoned)
                    picture = decode(bytes, shownSize);
            }))
            picture = QVariant();
        RunOnThreadOf(this, [this, key, abandoned, picture] { finish(key, abandoned, picture); });
    });
}

void PictureLoader::dropWaiter(const QString& key, const QObject* identity) {
    const auto request = inFlight_.find(key);
    if (request == inFlight_.end())
        return;
    request->waiters.removeIf([identity](const Waiter& w) { return w.identity == identity; });
    if (request->waiters.isEmpty()) {
        // Nobody waits: a fetch not yet begun is skipped, and a later ask starts afresh.
        *request->abandoned = true;
        inFlight_.erase(request);
    }
}

void PictureLoader::finish(const QString& key, const std::shared_ptr<std::atomic<bool>>& token,
                           const QVariant& picture) {
    const auto request = inFlight_.find(key);
    // The request was abandoned, and perhaps asked for again since: that ask has its own fetch.
    if (request == inFlight_.end() || request->abandoned != token)
        return;
    const QList<Waiter> waiters = std::move(request->waiters);
    inFlight_.erase(request);
    for (const Waiter& waiter : waiters) {
        disconnect(waiter.gone);
        // One waiter's completion may close another's tab: only the living hear of it.
        if (waiter.context)
            waiter.done(picture);
    }
}

} // namespace quillo
