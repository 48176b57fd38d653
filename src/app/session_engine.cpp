#include "app/session_engine.h"

#include <QCryptographicHash>

#include "chat/history.h"
#include "chat/poll_thread.h"
#include "conversation/received_text.h"
#include "conversation/text_codecs.h"
#include "session/answer_limits.h"
#include "session/handover.h"
#include "session/plain_requests.h"
#include "session/sign_in.h"
#include "session/sign_out.h"
#include "session/worker_guard.h"

namespace quillo {

SessionEngine::SessionEngine(Endpoints endpoints, const LanguageStrings& strings, QObject* parent)
    : QObject(parent)
    , strings_(strings)
    , http_(state_, std::move(endpoints))
    , sink_(*this)
    , sender_(state_, http_)
    , startupCheck_(
          http_.endpoints(), state_, demographic_.IP, demographic_.Mac,
          [this] { return autoUpdate_; },
          [this](int newVersion) {
              // The check runs on a worker; the report belongs on this thread.
              deliverHere([this, newVersion] { emit startupCheckDone(newVersion); });
          },
          http_.exitInterruption())
    , pictures_([this](const QString& url) {
        QByteArray bytes;
        FetchImage(http_.endpoints(), url, http_.endpoints().rootUrl(), bytes,
                   answer_limits::kProfilePicture, http_.exitInterruption());
        return bytes;
    }) {}

SessionEngine::~SessionEngine() {
    // Nothing reaches the front end any more, every request ends now, and no new one starts.
    sink_.close();
    state_.Stopping = true;
    state_.CancelSignIn = true;
    bannerStop_ = true;
    http_.ShutDown();
    pictures_.stop(); // their downloads have just ended
    senderThread_.stop([this] { sink_.releaseWaitingWorkers(); });
    for (const QPointer<QThread>& worker : std::as_const(workers_))
        waitForWorker(worker);
}

void SessionEngine::startBanners() {
    if (bannersStarted_ || !bannerDecoder_ || demographic_.IP.get().isEmpty())
        return;
    bannersStarted_ = true;
    runWorker([this, decode = bannerDecoder_] {
        RunBanners(
            MakerBannerSources(http_.endpoints(), bannerStop_, http_.exitInterruption()),
            demographic_, decode,
            [this](const Banner& banner) {
                deliverHere([this, banner] { emit bannerReady(banner); });
            },
            bannerStop_);
    });
}

void SessionEngine::enablePromotion(SettingsStore& store, Settings& settings) {
    promoContext_.emplace(PromoContext{store, settings, promo_, state_, http_, strings_});
}

void SessionEngine::waitForWorker(QThread* thread) {
    if (!thread)
        return;
    // A worker may be blocked handing over a message record: the closed sink lets it go.
    while (!thread->wait(5))
        sink_.releaseWaitingWorkers();
    TakeOver(thread);
    delete thread;
}

QThread* SessionEngine::startThread(std::function<void()> body) {
    // The thread's own address is the key of its last deed, taken over by whoever learns that
    // it ended (its finished slots, waitForWorker).
    auto self = std::make_shared<const void*>(nullptr);
    QThread* thread = QThread::create([body = std::move(body), self] {
        // A worker that throws has failed; what it left unset counts as its operation's failure.
        runGuarded("a worker", body);
        HandOver(*self);
    });
    *self = thread;
    workers_.removeAll(nullptr);
    workers_.append(thread);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    return thread;
}

void SessionEngine::runWorker(std::function<void()> body, std::function<void()> done) {
    QThread* thread = startThread(std::move(body));
    if (done) {
        connect(thread, &QThread::finished, this, [thread, done = std::move(done)] {
            TakeOver(thread);
            done();
        });
    }
    thread->start();
}

void SessionEngine::runSessionWorker(std::function<void()> body, std::function<void()> done) {
    QThread* thread = startThread(std::move(body));
    sessionWorkers_.append(thread);
    connect(thread, &QThread::finished, this,
            [this, thread, session = sessionNumber_, done = std::move(done)] {
                TakeOver(thread);
                // What the worker reported, lines waiting for their turn included, comes
                // before anything that follows its end.
                sink_.handOnWaiting();
                sessionWorkers_.removeAll(thread);
                // What follows a worker belongs to its session; a later one has its own.
                if (done && session == sessionNumber_)
                    done();
                if (sessionWorkers_.isEmpty())
                    afterSessionWorkers();
            });
    thread->start();
}

void SessionEngine::afterSessionWorkers() {
    if (std::exchange(attemptWaitsForWorkers_, false))
        beginAttempt();
    if (std::exchange(signOutWaitsForWorkers_, false))
        continueSignOut();
}

template <typename... Args>
std::function<void(Args...)> SessionEngine::forContext(QObject* context,
                                                       std::function<void(Args...)> done) {
    // Made here, on the front end's thread, so the guard is only ever read here.
    return [context = QPointer<QObject>(context), done = std::move(done)](Args... args) {
        if (context && done)
            done(args...);
    };
}

void SessionEngine::deliverHere(std::function<void()> report) {
    RunOnThreadOf(this, std::move(report));
}

void SessionEngine::runStartupCheck() {
    runWorker([this] { startupCheck_.run(); });
}

bool SessionEngine::signIn(const QString& email, const QString& password,
                           SignInQuestions questions) {
    const bool cancelledAttemptEnding =
        (phase_ == Phase::Preparing || phase_ == Phase::SigningIn) && state_.CancelSignIn;
    if ((phase_ != Phase::Idle && !cancelledAttemptEnding) || nextAttempt_)
        return false;
    if (state_.ExpiryCount > 3 &&
        !(questions.goOnAfterExpiries &&
          questions.goOnAfterExpiries(strings_.text(LanguageKey::msgConflic)))) {
        emit signInRefused(SignInRefusal::Declined);
        return false;
    }
    if (!CheckSignInInput(email, password)) {
        emit signInRefused(SignInRefusal::IncorrectInput);
        return false;
    }
    if (promoContext_)
        AskStatusConsent(*promoContext_, email, questions.allowStatusPosts);
    if (cancelledAttemptEnding) {
        // At most one attempt at a time: this one follows when the cancelled one has ended.
        nextAttempt_ = Credentials{email, password};
        return true;
    }
    prepareAttempt({email, password});
    return true;
}

void SessionEngine::prepareAttempt(Credentials credentials) {
    phase_ = Phase::Preparing;
    state_.CancelSignIn = false;
    auto address = std::make_shared<QString>();
    runWorker([this, address] { *address = startupCheck_.PublicAddress(); },
              [this, address, credentials = std::move(credentials)] {
                  if (phase_ != Phase::Preparing)
                      return;
                  if (address->isEmpty()) {
                      phase_ = Phase::Idle;
                      nextAttempt_.reset(); // no attempt would get further
                      emit signInRefused(SignInRefusal::NoInternet);
                      return;
                  }
                  demographic_.IP.set(*address);
                  state_.Email.set(credentials.email);
                  state_.Password.set(credentials.password);
                  beginAttempt();
              });
}

void SessionEngine::beginAttempt() {
    phase_ = Phase::SigningIn;
    // The workers of the session before must really have ended: a long poll that saw Stopping
    // cleared again would poll on beside the new session's.
    if (!sessionWorkers_.isEmpty()) {
        attemptWaitsForWorkers_ = true;
        return;
    }
    // So must the sends queued in that session: they see Stopping and end without a request.
    senderThread_.post([this] { deliverHere([this] { startAttempt(); }); });
}

void SessionEngine::startAttempt() {
    if (phase_ != Phase::SigningIn)
        return;
    attemptRunning_ = true;
    ++sessionNumber_;
    seenThisSession_.clear();
    state_.Stopping = false;
    sender_.reset();
    SignInHooks hooks;
    hooks.startupCheck = [this] { return startupCheck_.run(); };
    hooks.showPicture = [this](const QString& url) {
        deliverHere([this, url] { emit pictureFound(url); });
    };
    runWorker([this, hooks = std::move(hooks)] {
        // The attempt's one outcome must come: one that broke down failed. A second outcome,
        // should the first have gone out already, finds the attempt over and changes nothing.
        if (!runGuarded("the sign-in", [&] { SignInThread(state_, http_, &sink_, hooks); }))
            sink_.postEvent(SessionEventName::LoginFailed);
    });
}

void SessionEngine::cancelSignIn() {
    if (phase_ == Phase::Preparing || phase_ == Phase::SigningIn) {
        state_.CancelSignIn = true;
        nextAttempt_.reset(); // a sign-in asked for since is cancelled with it
    }
}

void SessionEngine::handleSessionEvent(int kind, int code) {
    const std::optional<SessionEventName> name = sessionEventName(kind, code);
    if (!name)
        return; // outside the table: nothing changes
    using enum SessionEventName;
    switch (*name) {
    case SignedIn:
        if (!attemptRunning_)
            return;
        attemptRunning_ = false;
        // Asked for another attempt in vain: the user wants to be signed in, and is.
        nextAttempt_.reset();
        phase_ = Phase::Live;
        reportSessionEvent(SignedIn);
        startBanners();
        // Set before the worker runs, so an end of the session that comes first waits for it.
        state_.BuddyRefreshRunning = true;
        runSessionWorker(
            [this, timing = buddyTiming_] { BuddyThread(state_, http_, sink_, timing); });
        return;
    case LoginFailed:
    case SignInCancelled:
    case StartupCheckFailed:
        if (attemptRunning_)
            endAttempt(*name);
        return;
    case ConnectionLost:
        if (attemptRunning_) {
            endAttempt(*name); // signed in, but no channel
        } else if (phase_ == Phase::Live) {
            phase_ = Phase::Idle;
            reportSessionEvent(*name);
        }
        return; // otherwise a worker's report that crossed the user's sign-out
    case SessionExpired:
    case NoContacts:
        if (phase_ != Phase::Live)
            return;
        phase_ = Phase::Idle;
        if (*name == SessionExpired)
            ++state_.ExpiryCount;
        reportSessionEvent(*name);
        return;
    case BannerReady:
        reportSessionEvent(*name);
        return;
    case BuddyListLoaded:
    case PresenceChanged:
    case MessageArrived:
        return; // these travel with their data
    }
}

void SessionEngine::endAttempt(SessionEventName outcome) {
    attemptRunning_ = false;
    phase_ = Phase::Idle;
    if (nextAttempt_) {
        // The cancelled attempt's outcome is moot: the one asked for since takes its place.
        prepareAttempt(*std::exchange(nextAttempt_, std::nullopt));
        return;
    }
    reportSessionEvent(outcome);
}

void SessionEngine::reportSessionEvent(SessionEventName name) {
    using enum SessionEventName;
    const char* code = name == LoginFailed      ? "0001"
                       : name == ConnectionLost ? "0002"
                       : name == SessionExpired ? "0003"
                                                : nullptr;
    if (code && errorReportLang_) {
        runWorker([this, lang = *errorReportLang_, code = QString::fromLatin1(code)] {
            PostErrorReport(http_.endpoints(), lang, code, http_.exitInterruption());
        });
    }
    emit sessionEvent(name);
}

void SessionEngine::handleBuddyList(int code, BuddyList lines) {
    if (phase_ != Phase::Live || state_.Stopping)
        return; // a refresh from a session that is ending changes nothing
    if (code == 1) {
        emit presenceChanged(ParseOnlineIds(lines));
        return;
    }
    afterFirstBuddyList(lines);
}

void SessionEngine::afterFirstBuddyList(const BuddyList& lines) {
    promo_.ChattingPosted = false;
    state_.HistoryLoading = false;
    const QList<BuddyEntry> contacts = ParseBuddyLines(lines);
    emit buddyListLoaded(contacts);

    const QString homePage = state_.HomePage.get();
    const bool replay = replayHistory_;
    // Decided here, where the settings live; the worker only posts.
    const StatusPosts posts = promoContext_ ? SignInStatusPosts(*promoContext_) : StatusPosts{};
    runSessionWorker(
        [this, contacts, homePage, replay, posts] {
            MakeStatusPosts(http_, state_, strings_, posts);
            if (!replay)
                return;
            // The replay names other people's lines as the contact list shows them, escaped
            // again; the table is made here, off the window thread, as the list may be long.
            QHash<QString, QString> names;
            names.reserve(contacts.size());
            for (const BuddyEntry& entry : contacts)
                names.insert(entry.id.toText(),
                             EncodeUnicodeEscapes(DecodeUnicodeEscapes(entry.name)));
            ReplayHistory(homePage, state_, http_,
                          [&names](const QString& id) { return names.value(id); });
        },
        [this] {
            state_.HomePage.clear();
            startPoll();
        });
}

void SessionEngine::startPoll() {
    if (phase_ != Phase::Live || state_.Stopping || state_.ChannelName.get().isEmpty())
        return;
    state_.PollRunning = true;
    runSessionWorker([this] { PollThread(state_, http_); });
}

void SessionEngine::handleMessages(std::vector<std::unique_ptr<TMSg>> records) {
    // A line read as the session ended has no window to go to; while the user signs out the
    // session still shows what arrives.
    if (phase_ != Phase::Live && phase_ != Phase::SigningOut)
        return;
    QList<ChatMessage> messages;
    messages.reserve(qsizetype(records.size()));
    for (const std::unique_ptr<TMSg>& record : records) {
        if (std::optional<ChatMessage> message = messageOf(*record))
            messages.append(std::move(*message));
    }
    if (!messages.isEmpty())
        emit messagesArrived(messages);
}

std::optional<ChatMessage> SessionEngine::messageOf(const TMSg& record) {
    ChatMessage message;
    message.from = ContactId::fromText(record.FromId);
    message.own = record.FromId == state_.UserId.get();
    message.conversation = message.own ? ContactId::fromText(record.To) : message.from;
    message.fromName = message.own ? state_.FullName.get() : record.FromName;
    message.text = message.own ? OwnLineText(record.Text) : record.Text;
    message.time = record.Time;
    message.live = record.Live;
    message.replayed = record.Replayed;
    if (!message.conversation.isValid())
        return std::nullopt;
    // A line that arrives while the history is replayed can come both ways, from the history
    // and live on the channel, in either order, and the channel may hand a line on again after a
    // reconnect; the window shows it once. A line is known by the service's id where it has one,
    // and by its time and text: a history gives the service's time where the channel gives the
    // sender's. Only the last lines of each conversation are kept: only those can still come
    // again.
    if (!message.own) {
        // The text by its digest: a thousand long lines would otherwise be kept whole.
        const QString byText =
            message.time + u'\n' +
            QString::fromLatin1(QCryptographicHash::hash(DecodeReceivedText(message.text).toUtf8(),
                                                         QCryptographicHash::Sha1)
                                    .toHex());
        const QString byId =
            record.MessageId.isEmpty() ? QString() : QStringLiteral("id\n") + record.MessageId;
        const QString friendId = message.from.toText();
        auto kept = seenThisSession_.find(friendId);
        if (kept == seenThisSession_.end())
            kept = seenThisSession_.insert(friendId, RecentKeys(kSeenLinesKept));
        const bool seen = kept->contains(byText) || (!byId.isEmpty() && kept->contains(byId));
        kept->insert(byText);
        if (!byId.isEmpty())
            kept->insert(byId);
        if (seen)
            return std::nullopt;
    }
    return message;
}

void SessionEngine::handleMessagesMayBeMissing(const QList<ContactId>& friends) {
    if (phase_ == Phase::Live || phase_ == Phase::SigningOut)
        emit messagesMayBeMissing(friends);
}

void SessionEngine::handleTypingNotice(ContactId from, bool typing) {
    if (phase_ == Phase::Live)
        emit typingNotice(from, typing);
}

void SessionEngine::signOut() {
    if (phase_ != Phase::Live)
        return;
    phase_ = Phase::SigningOut;
    state_.Stopping = true;
    // The sign-out status goes out while the long poll is still held, as the service's page
    // did; then every request of the session ends.
    runWorker(
        [this, posts = promoContext_ ? SignOutStatusPosts(*promoContext_) : StatusPosts{}] {
            const HttpLayer::OutlastStopping statusOnTheWayOut;
            MakeStatusPosts(http_, state_, strings_, posts);
        },
        [this] {
            InterruptSessionWork(http_);
            if (sessionWorkers_.isEmpty())
                continueSignOut();
            else
                signOutWaitsForWorkers_ = true;
        });
}

void SessionEngine::continueSignOut() {
    state_.PollRunning = false;
    runWorker([this] { LogOut(state_, http_); },
              [this] {
                  sink_.handOnWaiting(); // the session's last lines still show
                  phase_ = Phase::Idle;
                  emit signedOut();
              });
}

void SessionEngine::sendMessage(ContactId to, const QString& text) {
    senderThread_.post([this, to, text] {
        SendOutcome outcome = SendOutcome::NotSent;
        runGuarded("sending a message", [&] { outcome = sender_.send(to.toText(), text); });
        deliverHere([this, to, text, outcome] { emit messageSent(to, text, outcome); });
    });
}

void SessionEngine::recommend(ContactId to, const QString& text, QObject* context,
                              std::function<void(SendOutcome)> done) {
    senderThread_.post([this, to, text, done = forContext(context, std::move(done))] {
        SendOutcome outcome = SendOutcome::NotSent;
        runGuarded("the recommendation",
                   [&] { outcome = RecommendToBuddy(http_, state_, to.toText(), text); });
        deliverHere([done, outcome] { done(outcome); });
    });
}

void SessionEngine::clearHistory(ContactId with, QObject* context, std::function<void(bool)> done) {
    auto cleared = std::make_shared<bool>(false);
    runWorker([this, with, cleared] { *cleared = ClearHistory(http_, state_, with.toText()); },
              [done = forContext(context, std::move(done)), cleared] { done(*cleared); });
}

void SessionEngine::checkForUpdate(QObject* context,
                                   std::function<void(StartupCheck::UpdateAnswer, QString)> done) {
    // What a check that broke down leaves.
    auto answer =
        std::make_shared<StartupCheck::UpdateAnswer>(StartupCheck::UpdateAnswer::CheckFailed);
    runWorker([this, answer] { *answer = startupCheck_.CheckForUpdate(); },
              [this, done = forContext(context, std::move(done)), answer] {
                  done(*answer, startupCheck_.remoteVersion());
              });
}

void SessionEngine::fetchPicture(const QString& url, QSize shownSize, QObject* context,
                                 std::function<void(QVariant)> done) {
    pictures_.load(url, shownSize, context, std::move(done));
}

void SessionEngine::sendToMany(BulkJob job, QObject* context, BulkReports reports,
                               std::function<void(bool)> finished) {
    // Wrapped here, on this thread; the worker only hands values over to it.
    auto sendingTo = forContext(context, std::move(reports.sendingTo));
    auto progress = forContext(context, std::move(reports.progress));
    auto completed = std::make_shared<bool>(false);
    runWorker(
        [this, job = std::move(job), sendingTo, progress, completed] {
            BulkReports here;
            here.sendingTo = [this, sendingTo](const QString& name) {
                deliverHere([sendingTo, name] { sendingTo(name); });
            };
            here.progress = [this, progress](int done, int total) {
                deliverHere([progress, done, total] { progress(done, total); });
            };
            *completed = RunBulkSend(http_, state_, job, here);
        },
        // The thread's end is posted after its last report, so this comes last.
        [done = forContext(context, std::move(finished)), completed] { done(*completed); });
}

void SessionEngine::postChattingStatus(int tabCount) {
    if (!promoContext_ || phase_ != Phase::Live)
        return;
    const StatusPosts posts = ChattingStatusPosts(*promoContext_, tabCount);
    if (posts.status)
        runWorker([this, posts] { MakeStatusPosts(http_, state_, strings_, posts); });
}

} // namespace quillo
