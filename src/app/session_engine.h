#pragma once
// SessionEngine: the messenger's session as every front end drives it. It owns the session
// record, the HTTP layer, the workers and what they use (the chat sender, the start-up check),
// and runs the session's sequence itself: sign-in with its checks, the buddy list after
// SignedIn, the sign-in status and the history replay after the first list, then the long
// poll; the user's sign-out with its status post; the end of a session that a worker gives up.
// Front ends call its methods and observe its signals; nothing they do waits on the network.
//
// Thread: lives on the front end's thread, and every method is called there; every signal is
// emitted there, and every completion callback runs there, only while its context object
// lives. messagesArrived hands on each batch a worker read (a long-poll answer, a replayed
// line) in order, each line once; the long poll does not wait for it. Destroying the engine ends
// every request in flight and waits for the workers, which end at once; it does not sign out of the
// service. A worker that throws (runGuarded) ends alone, and its operation counts as failed.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <functional>
#include <memory>
#include <optional>

#include "app/picture_loader.h"
#include "chat/chat_message.h"
#include "chat/send_message.h"
#include "contacts/buddy_entry.h"
#include "contacts/buddy_thread.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "promo/banner_thread.h"
#include "promo/promo_status.h"
#include "promo/startup_check.h"
#include "session/http_layer.h"
#include "session/queued_event_sink.h"
#include "session/recent_keys.h"
#include "session/session_state.h"
#include "session/task_thread.h"
#include "social/bulk_send.h"

namespace quillo {

class SettingsStore;

// The questions a sign-in may ask the user. Each gets the question's text and returns true for
// Yes; a missing one counts as No.
struct SignInQuestions {
    // Asked when this run was told more than three times that the session expired.
    std::function<bool(const QString&)> goOnAfterExpiries;
    // The consent to status posts, asked the first time an address is used.
    std::function<bool(const QString&)> allowStatusPosts;
};

// Why a sign-in did not begin.
enum class SignInRefusal {
    Declined,       // the user answered No to the expiries question
    IncorrectInput, // an address and a password are needed (msgIncorrectPassword)
    NoInternet,     // the public address could not be learned (msgInternetProblem)
};

class SessionEngine final : public QObject, private SessionEventHandler {
    Q_OBJECT
public:
    SessionEngine(Endpoints endpoints, const LanguageStrings& strings, QObject* parent = nullptr);
    ~SessionEngine() override;

    // Settings of the run (before the first sign-in).
    void setReplayHistory(bool replay) { replayHistory_ = replay; }
    void setBuddyTiming(BuddyThreadTiming timing) { buddyTiming_ = timing; }
    void setAutoUpdate(bool check) { autoUpdate_ = check; }
    // The promotional status posts and their consent, kept per account in store. Without this
    // call no status is posted and no consent is asked.
    void enablePromotion(SettingsStore& store, Settings& settings);

    const SessionState& state() const { return state_; }
    SessionState& state() { return state_; }
    HttpLayer& http() { return http_; }
    TDemographic& demographic() { return demographic_; }
    bool signedIn() const { return phase_ == Phase::Live; }

    // The start-up check at program start; startupCheckDone reports it.
    void runStartupCheck();

    // The Sign in button: the expiries question, the input check, the consent question, the
    // connectivity test, then one attempt, which reports exactly one sign-in event. False when
    // nothing was started (signInRefused says why, or a session or attempt is under way). A
    // call after cancelSignIn, while the cancelled attempt still waits for its answer, starts
    // once that attempt has ended, and the cancelled attempt then reports nothing.
    bool signIn(const QString& email, const QString& password, SignInQuestions questions = {});
    void cancelSignIn();

    // The user's sign-out: stops the workers, posts the sign-out status, ends every request of
    // the session, waits for the long poll and the buddy list, signs out of the service, then
    // signedOut. No session event follows.
    void signOut();

    // Sends on the sender worker, one message at a time in the order given; messageSent reports
    // each outcome. Three failures in a row end the session (ConnectionLost).
    void sendMessage(ContactId to, const QString& text);

    // The recommendation: one retry, and a second failure ends the session.
    void recommend(ContactId to, const QString& text, QObject* context,
                   std::function<void(SendOutcome)> done);
    void clearHistory(ContactId with, QObject* context, std::function<void(bool cleared)> done);
    void checkForUpdate(QObject* context,
                        std::function<void(StartupCheck::UpdateAnswer, QString version)> done);
    // The banner strip: decode makes a shown picture of a banner's bytes (the window layer's
    // own kind of picture). Banners start, at most once per run, at the first startBanners or
    // SignedIn that finds the public address known; each one ready comes as bannerReady.
    void enableBanners(BannerDecoder decode) { bannerDecoder_ = std::move(decode); }
    void startBanners();

    // Pictures of remote parties (the user's own, a friend's): decode makes the shown picture of
    // a picture's bytes at the size it is shown (the window layer's own kind of picture), on a
    // picture worker. Without this call no picture is fetched.
    void enablePictures(PictureDecoder decode) { pictures_.setDecoder(std::move(decode)); }
    // A picture fetched and decoded for shownSize on the picture workers (a few, shared by every
    // caller; PictureLoader); done gets the decoder's result, empty on failure, while context
    // lives. The same address and size asked for while in flight share one fetch.
    void fetchPicture(const QString& url, QSize shownSize, QObject* context,
                      std::function<void(QVariant picture)> done);
    // From now on a failed sign-in, a lost connection and an expired session are each reported
    // to the maker's web host, naming the language file in use, on a worker this engine owns.
    void enableErrorReports(const QString& currentLang) { errorReportLang_ = currentLang; }
    // The "chatting with friends" status, when the user sends from one of tabCount tabs.
    void postChattingStatus(int tabCount);
    // Wall posts or private messages to several friends, on a worker of its own (a second call
    // while one runs starts a second worker). The reports and finished (true when every
    // recipient had its turn, false when the session ended first) run here while context lives.
    void sendToMany(BulkJob job, QObject* context, BulkReports reports,
                    std::function<void(bool completed)> finished);

signals:
    // A session event by name: the sign-in outcomes, the session's end (ConnectionLost,
    // SessionExpired, NoContacts), BannerReady.
    void sessionEvent(quillo::SessionEventName name);
    void signInRefused(quillo::SignInRefusal why);
    void buddyListLoaded(const QList<quillo::BuddyEntry>& contacts);
    void presenceChanged(const QList<quillo::ContactId>& online);
    // Lines for the conversations, oldest first, each once.
    void messagesArrived(const QList<quillo::ChatMessage>& messages);
    // The channel dropped lines that the histories could not give back: these conversations may
    // miss some.
    void messagesMayBeMissing(const QList<quillo::ContactId>& friends);
    void typingNotice(quillo::ContactId from, bool typing);
    void messageSent(quillo::ContactId to, const QString& text, quillo::SendOutcome outcome);
    void pictureFound(const QString& url);
    // A banner to show, its picture as the decoder made it, with its link and hint.
    void bannerReady(const quillo::Banner& banner);
    void startupCheckDone(int newVersion);
    void signedOut();

private:
    enum class Phase { Idle, Preparing, SigningIn, Live, SigningOut };
    struct Credentials {
        QString email;
        QString password;
    };

    void handleSessionEvent(int kind, int code) override;
    void handleMessages(std::vector<std::unique_ptr<TMSg>> records) override;
    void handleMessagesMayBeMissing(const QList<ContactId>& friends) override;
    // The line a record stands for; nullopt when it is none to show (see the .cpp).
    std::optional<ChatMessage> messageOf(const TMSg& record);
    void handleTypingNotice(ContactId from, bool typing) override;
    void handleBuddyList(int code, BuddyList lines) override;

    void prepareAttempt(Credentials credentials);
    void beginAttempt();
    void startAttempt();
    void afterFirstBuddyList(const BuddyList& lines);
    void startPoll();
    void continueSignOut();
    void afterSessionWorkers();

    QThread* startThread(std::function<void()> body);
    // Runs body on a tracked worker thread; done runs here afterwards.
    void runWorker(std::function<void()> body, std::function<void()> done = {});
    // A worker of the session (buddy list, long poll, what follows the first list): a new
    // sign-in and the sign-out wait until all have ended, and done runs only while the session
    // that started it is the current one.
    void runSessionWorker(std::function<void()> body, std::function<void()> done = {});
    void waitForWorker(QThread* thread);
    void endAttempt(SessionEventName outcome);
    // Every session event reaches the front end through here.
    void reportSessionEvent(SessionEventName name);
    // A front end's callback that runs only while context lives; call it on this thread only.
    template <typename... Args>
    static std::function<void(Args...)> forContext(QObject* context,
                                                   std::function<void(Args...)> done);
    // Runs report on this thread (called from workers).
    void deliverHere(std::function<void()> report);

    const LanguageStrings& strings_;
    SessionState state_;
    TDemographic demographic_;
    HttpLayer http_;
    QueuedEventSink sink_;
    ChatSender sender_;
    StartupCheck startupCheck_;
    TaskThread senderThread_{QStringLiteral("quillo-sender")};
    PictureLoader pictures_;

    BannerDecoder bannerDecoder_;
    WaitableFlag bannerStop_; // the program ends: the banner worker's waits end at once
    bool bannersStarted_ = false;

    PromoState promo_;
    std::optional<PromoContext> promoContext_;

    std::optional<QString> errorReportLang_; // set: failures are reported
    bool replayHistory_ = true;
    bool autoUpdate_ = true;
    BuddyThreadTiming buddyTiming_;

    Phase phase_ = Phase::Idle;
    std::optional<Credentials> nextAttempt_; // asked for while a cancelled attempt ends
    bool attemptRunning_ = false;            // its sign-in worker runs: its outcome is awaited
    bool attemptWaitsForWorkers_ = false;
    bool signOutWaitsForWorkers_ = false;
    quint64 sessionNumber_ = 0; // one per attempt
    // Friends' lines handed on this session (time and a digest of the text), per friend: the end
    // of each conversation, far more than the few hundred items a channel can hand out again.
    static constexpr qsizetype kSeenLinesKept = 1024;
    QHash<QString, RecentKeys> seenThisSession_;
    QList<QThread*> sessionWorkers_;   // running; each leaves the list when it finishes
    QList<QPointer<QThread>> workers_; // every worker, for the end
};

} // namespace quillo
