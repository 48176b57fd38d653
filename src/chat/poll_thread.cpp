#include "chat/poll_thread.h"

#include <QDateTime>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <chrono>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "chat/channel_answer.h"
#include "chat/gap_fill.h"
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
        startedAt_ = QDateTime::currentMSecsSinceEpoch();
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
            if (gap_)
                fillGap(*answer);
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
        handOverBatch();
        // Each item has its own sequence number.
        seq_ += std::max<qsizetype>(items.size(), 1);
        return true;
    }

    void typingNotice(const ChannelItem& item) {
        handOverBatch(); // a notice that follows a line must not overtake it
        if (SessionEventSink* mainWindow = state_.MainWindow.load())
            mainWindow->postTypingNotice(ContactId(item.from), item.typing);
    }

    void deliverMessage(const ChannelItem& item) {
        lastServiceTime_ = std::max(lastServiceTime_, item.serviceTime);
        auto record = std::make_unique<TMSg>();
        record->Live = true;
        record->MessageId = item.messageId;
        record->ServiceTime = item.serviceTime;
        ParseMessage(item.text, *record);
        if (record->Text.isEmpty() || record->FromId.isEmpty() ||
            record->FromId == state_.UserId.get())
            return; // the user's own lines come back from the channel too
        if (!delivered_.insert(HandedOnKey(*record)))
            return;
        friendNames_.insert(record->FromId, record->FromName);
        batch_.push_back(std::move(record));
    }

    // Posts the lines gathered so far as one batch: the window takes them in when it can, and
    // this loop goes back to the channel at once.
    void handOverBatch() {
        if (batch_.empty())
            return;
        if (SessionEventSink* mainWindow = state_.MainWindow.load())
            mainWindow->postMessages(std::move(batch_));
        batch_.clear();
    }

    // The channel skipped from seq_ to newSeq: the items between are gone from it.
    void noteGap(qint64 newSeq) {
        if (newSeq <= seq_)
            return;
        if (!gap_)
            gap_ = Gap{0, lastServiceTime_ > 0 ? lastServiceTime_ : startedAt_};
        gap_->dropped += newSeq - seq_;
    }

    // Asks the history of every conversation this session has seen, and of those in the answer
    // that follows the gap, for the lines the gap took; hands them over before the answer's own.
    // What the histories cannot give back is reported per conversation.
    void fillGap(const QString& answer) {
        QStringList friends = friendNames_.keys();
        const QSet<QString> shownBefore(friends.cbegin(), friends.cend());
        for (const ChannelItem& item : ChannelItems(answer)) {
            if (item.kind != ChannelItem::Kind::Message)
                continue;
            TMSg line;
            ParseMessage(item.text, line);
            if (!line.FromId.isEmpty() && line.FromId != state_.UserId.get() &&
                !friends.contains(line.FromId)) {
                friends.append(line.FromId);
                friendNames_.insert(line.FromId, line.FromName);
            }
        }
        if (friends.isEmpty())
            return; // nobody to ask yet: the gap waits for the first line after it
        const Gap gap = *std::exchange(gap_, std::nullopt);
        const QString userId = state_.UserId.get();
        auto handedOn = [this](const TMSg& record) {
            return delivered_.contains(HandedOnKey(record));
        };
        qint64 recovered = 0;
        QList<ContactId> cutShort;  // their histories start after their last line shown
        QList<ContactId> uncertain; // new to the session: their histories may be all there is
        for (const QString& id : std::as_const(friends)) {
            if (state_.Stopping)
                return;
            const QString history = http_.ServiceGet(QStringLiteral("/ajax/chat/history.php?id=") +
                                                         id + QStringLiteral("&__a=1"),
                                                     QString());
            MissingLines missing = FindMissingLines(history, userId, id, handedOn, gap.start,
                                                    shownBefore.contains(id));
            // A friend whose lines were shown has a gap of their own when the history does
            // not reach back to them; one new to the session may have written only now.
            if (!missing.reachesBack)
                (shownBefore.contains(id) ? cutShort : uncertain).append(ContactId::fromText(id));
            for (std::unique_ptr<TMSg>& record : missing.lines) {
                delivered_.insert(HandedOnKey(*record));
                // Lines that came late, not a replay: they are logged and noticed like any.
                record->Live = true;
                record->Replayed = false;
                record->FromName = friendNames_.value(id);
                lastServiceTime_ = std::max(lastServiceTime_, record->ServiceTime);
                batch_.push_back(std::move(record));
                ++recovered;
            }
        }
        handOverBatch();
        // A gap can hold typing notices and the user's own lines too: when as many lines came
        // back as items were dropped, the new friends' histories held the whole gap.
        if (recovered < gap.dropped)
            cutShort.append(uncertain);
        if (!cutShort.isEmpty()) {
            if (SessionEventSink* mainWindow = state_.MainWindow.load())
                mainWindow->postMessagesMayBeMissing(cutShort);
        }
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
            // The service cannot serve the seq asked for and names the one to go on from.
            if (const std::optional<qint64> newSeq = seqFrom(SeqOf(answer)))
                noteGap(*newSeq);
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
    std::vector<std::unique_ptr<TMSg>> batch_; // the answer's lines, not posted yet
    // The friends whose lines this loop handed on, with their names as the channel wrote them.
    QHash<QString, QString> friendNames_;
    qint64 startedAt_ = 0;       // this machine's clock when the loop began (ms since 1970)
    qint64 lastServiceTime_ = 0; // the service's time of the newest line read, 0 before any
    struct Gap {
        qint64 dropped; // items the channel skipped
        qint64 start;   // no line from before this service time can be in the gap
    };
    std::optional<Gap> gap_; // items were skipped and have not been looked for yet
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
