#include "session/session_workers.h"

#include <QCoreApplication>
#include <QTimer>
#include <memory>

#include "chat/poll_thread.h"
#include "session/http_layer.h"
#include "session/queued_event_sink.h"
#include "session/session_state.h"
#include "session/sign_out.h"

namespace quillo {

SessionWorkers::SessionWorkers(SessionState& state, HttpLayer& http, QueuedEventSink& sink,
                               QObject* parent)
    : QObject(parent)
    , state_(state)
    , http_(http)
    , sink_(sink) {}

SessionWorkers::~SessionWorkers() {
    state_.Stopping = true;
    state_.CancelSignIn = true;
    http_.DropChannelConnection();
    sink_.close();
    for (const QPointer<QThread>& thread : threads_) {
        if (!thread)
            continue;
        // A worker may be waiting for this thread to take a record: let the closed sink
        // release it while we wait.
        while (!thread->wait(10))
            QCoreApplication::sendPostedEvents(&sink_);
        delete thread.data();
    }
}

void SessionWorkers::run(std::function<void()> body, std::function<void()> done) {
    QThread* thread = QThread::create(std::move(body));
    threads_.removeAll(nullptr);
    threads_.append(thread);
    connect(thread, &QThread::finished, this, [thread, done = std::move(done)] {
        thread->deleteLater();
        if (done)
            done();
    });
    thread->start();
}

void SessionWorkers::sendMessage(ChatSender& sender, const QString& to, const QString& text,
                                 std::function<void(SendOutcome)> done) {
    sends_.push_back({&sender, to, text, std::move(done)});
    if (!sending_)
        sendNext();
}

void SessionWorkers::sendNext() {
    if (sends_.empty()) {
        sending_ = false;
        return;
    }
    sending_ = true;
    PendingSend next = std::move(sends_.front());
    sends_.pop_front();
    auto outcome = std::make_shared<SendOutcome>(SendOutcome::NotSent);
    run([sender = next.sender, to = next.to, text = next.text,
         outcome] { *outcome = sender->send(to, text); },
        [this, outcome, done = std::move(next.done)] {
            if (done)
                done(*outcome);
            sendNext();
        });
}

void SessionWorkers::startSignIn(SignInHooks hooks) {
    state_.Stopping = false;
    state_.CancelSignIn = false;
    state_.LastIncomingText.clear();
    run([this, hooks = std::move(hooks)] { SignInThread(state_, http_, &sink_, hooks); });
}

void SessionWorkers::startBuddyList(BuddyThreadTiming timing) {
    state_.BuddyRefreshRunning = true; // set before the thread runs, so a sign-out waits for it
    run([this, timing] { BuddyThread(state_, http_, sink_, timing); });
}

bool SessionWorkers::startPoll() {
    if (state_.ChannelName.get().isEmpty())
        return false;
    state_.PollRunning = true;
    run([this] { PollThread(state_, http_, &sink_); });
    return true;
}

void SessionWorkers::startHistoryReplay(const QString& homePage, EscapedNameLookup escapedName,
                                        std::function<void()> done) {
    run(
        [this, homePage, escapedName = std::move(escapedName)] {
            ReplayHistory(homePage, state_, http_, escapedName);
        },
        std::move(done));
}

void SessionWorkers::signOut(std::function<void()> done) {
    BeginSignOut(state_, http_);
    auto* waiting = new QTimer(this);
    connect(waiting, &QTimer::timeout, this, [this, waiting, done = std::move(done)]() mutable {
        if (!WorkersStopped(state_))
            return;
        waiting->stop();
        waiting->deleteLater();
        run([this] { LogOut(state_, http_); }, std::move(done));
    });
    waiting->start(10);
}

} // namespace quillo
