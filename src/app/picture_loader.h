#pragma once
// PictureLoader: the pictures of remote parties (the user's own, each friend's), fetched and
// decoded on a small pool of workers shared by every caller, however many chat tabs open at
// once. A picture's bytes are whatever the remote party sent, so they are decoded only on a
// worker, by the window layer's decoder, straight to the size they are shown at: the thread
// that shows them only takes the small result.
//
// The same address asked for at the same size while its fetch is queued or under way shares
// that fetch. A request whose every asker is gone before its fetch begins is not fetched.
//
// Thread: lives on its owner's thread (the engine's); every method is called there and every
// completion runs there. Destroying it drops the requests not yet begun and waits for those
// under way (the owner ends their downloads first).

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>

#include "session/worker_pool.h"

namespace quillo {

// The picture shown for bytes at shownSize (the window layer's own kind of picture), or an
// empty QVariant when the bytes are none it will show. Called on a worker, never the owner's
// thread.
using PictureDecoder = std::function<QVariant(const QByteArray& bytes, QSize shownSize)>;
// A picture's bytes at an address, empty on failure. Called on a worker.
using PictureFetch = std::function<QByteArray(const QString& url)>;

class PictureLoader final : public QObject {
    Q_OBJECT
public:
    static constexpr int kThreads = 2;

    explicit PictureLoader(PictureFetch fetch, int threads = kThreads, QObject* parent = nullptr);
    ~PictureLoader() override;

    // Set before the first load; without a decoder nothing is fetched.
    void setDecoder(PictureDecoder decode) { decode_ = std::move(decode); }

    // Fetches url and decodes it for shownSize on a worker; done gets the decoder's result
    // (empty when the fetch or the decoding failed) here, only while context lives.
    void load(const QString& url, QSize shownSize, QObject* context,
              std::function<void(QVariant picture)> done);

    // Drops the requests not yet begun and waits for those under way; no completion follows.
    void stop();

    // The workers started so far (at most the threads given).
    int threadCount() const { return pool_.threadCount(); }

private:
    struct Waiter {
        QPointer<QObject> context;
        const QObject* identity; // to find it again once the object is gone
        QMetaObject::Connection gone;
        std::function<void(QVariant)> done;
    };
    // One fetch in flight and everyone waiting for it. Set, abandoned tells the worker that
    // nobody waits any more.
    struct Request {
        std::shared_ptr<std::atomic<bool>> abandoned;
        QList<Waiter> waiters;
    };

    void dropWaiter(const QString& key, const QObject* identity);
    void finish(const QString& key, const std::shared_ptr<std::atomic<bool>>& token,
                const QVariant& picture);

    PictureFetch fetch_;
    PictureDecoder decode_;
    QHash<QString, Request> inFlight_; // by address and size
    bool stopped_ = false;
    WorkerPool pool_; // last: its workers end before the rest goes
};

} // namespace quillo
