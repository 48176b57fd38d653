#include "chat/poll_thread.h"

#include <QRandomGenerator>
#include <chrono>
#include <exception>
#include <optional>

#include "chat/channel_answer.h"
#include "session/http_layer.h"
#include "session/recent_keys.h"
#include "session/session_event.h"
#include "session/session_state.h"
#include "session/sign_in_tokens.h"
#include "session/sign_out.h"

namespace quillo {

namespace {

class PollLoop {
public:
    PollLoop(SessionState& state, HttpLayer& http)
        : state_(state)
        , http_(http)
        , channel_(http.channelClient()) {}

    // Runs until the session stops or this loop ends it.
    void run() {
        std::optional<QString> answer = fetch(firstUrl());
        if (!answer)
            return;
        if (!handleItems(*answer) && answer->contains(u"seq"))
            takeSeq(SeqOf(*answer));
        state_.ReconnectCount = 0;
        while (!state_.Stopping) {
            answer = fetch(laterUrl());
            if (!answer)
                return;
            if (!classify(*answer))
                return;
        }
    }

private:
    enum class Step { Continue, End };

    QString channelBase() const {
        return QStringLiteral("http://0.") + state_.ChannelName.get() + u'.' +
               http_.endpoints().baseDomain;
    }
    QString firstUrl() const {
        return channelBase() + QStringLiteral("/x/0/true/p_") + state_.UserId.get() +
               QStringLiteral("=0?__a=1&nctr[n]=1");
    }
    QString laterUrl() const {
        const quint32 r = QRandomGenerator::global()->bounded(1000000000u, 2147483646u);
        return channelBase() + QStringLiteral("/x/") + QString::number(r) +
               QStringLiteral("/false/p_") + state_.UserId.get() + u'=' + QString::number(seq_) +
               QStringLiteral("?__a=1&nctr[n]=1 ");
    }

    // Up to three tries while the answer is empty; nullopt once the session is stopping.
    std::optional<QString> fetch(const QString& url) {
        QString answer;
        for (int attempt = 0; attempt < 3 && answer.isEmpty(); ++attempt) {
            if (state_.Stopping)
                return std::nullopt;
            answer = http_.ChannelGet(channel_, url, state_.ChannelUrl.get());
        }
        return answer;
    }

    // A seq the service names, if it is one the loop can count on from: counting items on
    // from a value near the top of the range would overflow.
    static std::optional<qint64> seqFrom(const QString& text) {
        bool ok = false;
        const qint64 value = text.trimmed().toLongLong(&ok);
        if (!ok || value < 0 || value > kLargestSeq)
            return std::nullopt;
        return value;
    }

    void takeSeq(const QString& text) {
        if (const std::optional<qint64> value = seqFrom(text))
            seq_ = *value;
    }

    // Hands over every item of a message answer; false when the answer carries none.
    bool handleItems(const QString& answer) {
        const bool typingOnly =
            answer.contains(u"\"type\":\"typ\"") && !answer.contains(u"\"text\":\"");
        if (!answer.contains(u"\"t\":\"msg\"") && !typingOnly)
            return false;
        const QList<ChannelItem> items = ChannelItems(answer);
        for (const ChannelItem& item : items) {
            if (item.kind == ChannelItem::Kind::Message)
                deliverMessage(item);
            else if (item.kind == ChannelItem::Kind::Typing)
                typingNotice(item);
        }
        // Each item has its own sequence number.
        seq_ += std::max<qsizetype>(items.size(), 1);
        return true;
    }

    void typingNotice(const ChannelItem& item) {
        if (SessionEventSink* mainWindow = state_.MainWindow.load())
            mainWindow->postTypingNotice(ContactId(item.from), item.typing);
    }

    void deliverMessage(const ChannelItem& item) {
        auto record = std::make_unique<TMSg>();
        record->Live = true;
        ParseMessage(item.text, *record);
        if (record->Text.isEmpty() || record->FromId.isEmpty() ||
            record->FromId == state_.UserId.get())
            return; // the user's own lines come back from the channel too
        const QString key = item.messageId.isEmpty()
                                ? record->FromId + u'\n' + record->Time + u'\n' + record->Text
                                : item.messageId;
        if (!delivered_.insert(key))
            return;
        if (SessionEventSink* mainWindow = state_.MainWindow.load())
            mainWindow->sendMessage(std::move(record));
    }

    // False when the loop must end.
    bool classify(const QString& answer) {
        if (handleItems(answer)) {
            state_.ReconnectCount = 0;
            return true;
        }
        if (answer.contains(u"\"error\":0") || answer.contains(u"{\"t\":\"continue\"}"))
            return true;
        if (answer.contains(u"{\"t\":\"refresh\"}") || answer == u"reconnect" ||
            answer.contains(u"\"error\":"))
            return reconnect() == Step::Continue;
        if (answer.contains(u"seq")) {
            takeSeq(SeqOf(answer));
            state_.ReconnectCount = 0;
            return true;
        }
        if (answer.contains(u"\"error\"") && state_.ReconnectCount >= 2) {
            endSession(2);
            return false;
        }
        // An answer that says nothing: do not hammer a confused host.
        pause();
        return true;
    }

    Step reconnect() {
        const QString url =
            QStringLiteral(
                "/ajax/presence/reconnect.php?reason=3&iframe_loaded=true&post_form_id=") +
            state_.PostFormId.get() + QStringLiteral("&__a=1");
        QString reply;
        for (int attempt = 0; attempt < 3 && reply.isEmpty(); ++attempt) {
            if (state_.Stopping)
                return Step::End;
            ++state_.ReconnectCount; // every try counts toward giving up
            reply = http_.ServiceGet(url, QString());
        }
        if (state_.Stopping)
            return Step::End;

        if (reply.contains(u"You must be logged in")) {
            endSession(3);
            return Step::End;
        }
        if (reply.contains(u"<title>Facebook | Error</title>") || state_.ReconnectCount >= 2) {
            state_.ReconnectCount = 0;
            endSession(2);
            return Step::End;
        }
        const QString homeRedirect = QStringLiteral("window.location.replace(\"http:\\/\\/") +
                                     http_.endpoints().webHost + QStringLiteral("\\/home");
        if (reply.contains(homeRedirect))
            return Step::Continue;

        const std::optional<qint64> newSeq = seqFrom(SeqOf(reply));
        if (!newSeq) {
            endSession(2); // an answer we cannot read leaves no channel to poll
            return Step::End;
        }
        // Never forward past what this loop has seen: the items between would be lost. Going
        // back is safe, since a message handed over once is not handed over again.
        seq_ = std::min(seq_, *newSeq);
        state_.ChannelName.set(ChannelFromReconnect(reply, http_.endpoints().baseDomain, state_));
        if (!state_.ChannelName.get().isEmpty() || state_.ReconnectCount < 2)
            return Step::Continue;
        if (!state_.Stopping)
            endSession(2);
        return Step::End;
    }

    void endSession(int code) { EndSession(state_, http_, code); }

    // One second, cut short when the session stops.
    void pause() { state_.Stopping.waitFor(std::chrono::seconds(1)); }

    SessionState& state_;
    HttpLayer& http_;
    const HttpLayer::ChannelClient channel_; // this session's, for the whole loop
    static constexpr qint64 kLargestSeq = qint64(1) << 53;
    qint64 seq_ = 0;
    // The messages already handed over: one the service delivers again (after a reconnect,
    // say) is shown once.
    RecentKeys delivered_;
};

} // namespace

void PollThread(SessionState& state, HttpLayer& http) {
    state.PollRunning = true;
    try {
        PollLoop(state, http).run();
    } catch (const std::exception&) {
        // falls through: a loop that broke down ends the session like a lost channel
    }
    if (!state.Stopping)
        EndSession(state, http, 2);
    state.PollRunning = false;
}

} // namespace quillo
