#include "session/queued_event_sink.h"

#include <QThread>

namespace quillo {

QueuedEventSink::QueuedEventSink(SessionEventHandler& handler, QObject* parent)
    : QObject(parent)
    , handler_(handler) {}

void QueuedEventSink::postEvent(int kind, int code) {
    QMetaObject::invokeMethod(
        this, [this, kind, code] { handler_.handleSessionEvent(kind, code); },
        Qt::QueuedConnection);
}

void QueuedEventSink::sendMessage(std::unique_ptr<TMSg> record) {
    if (QThread::currentThread() == thread()) {
        handler_.handleMessage(std::move(record));
        return;
    }
    // Held by the call: if the call never runs, the record is freed with it.
    auto held = std::make_shared<std::unique_ptr<TMSg>>(std::move(record));
    QMetaObject::invokeMethod(
        this, [this, held] { handler_.handleMessage(std::move(*held)); },
        Qt::BlockingQueuedConnection);
}

} // namespace quillo
