#include "promo/startup_check.h"

#include "promo/startup_check_rules.h"
#include "session/answer_limits.h"
#include "session/plain_requests.h"
#include "session/session_state.h"
#include "session/worker_guard.h"

namespace quillo {

StartupCheck::StartupCheck(const Endpoints& endpoints, const SessionState& state,
                           SharedValue<QString>& ip, SharedValue<QString>& mac,
                           std::function<bool()> autoUpdate, DoneReport done,
                           Interruption interruption)
    : endpoints_(endpoints)
    , state_(state)
    , ip_(ip)
    , mac_(mac)
    , autoUpdate_(std::move(autoUpdate))
    , done_(std::move(done))
    , interruption_(std::move(interruption)) {}

namespace {

// A short text of the maker's or the echo service, trimmed; empty text when the fetch failed,
// as a network failure does, whatever ended it, so that the check still reports its outcome.
QString fetchShortText(const char* what, const Endpoints& endpoints, const QString& url,
                       qsizetype limit, const Interruption& interruption) {
    QString answer;
    runGuarded(what, [&] { answer = PlainGet(endpoints, url, limit, interruption).trimmed(); });
    return answer;
}

} // namespace

QString StartupCheck::PublicAddress() const {
    const QString answer = fetchShortText("the address echo", endpoints_,
                                          QStringLiteral("http://") + endpoints_.ipEchoHost +
                                              QStringLiteral("/automation/n09230945.asp"),
                                          answer_limits::kAddressEcho, interruption_);
    // A redirect's target or an error page is no address.
    return LooksLikeIpAddress(answer) ? answer : QString();
}

QString StartupCheck::FetchRemoteVersion() const {
    const QString answer = fetchShortText("the version check", endpoints_,
                                          QStringLiteral("http://") + endpoints_.updateHost +
                                              QStringLiteral("/version.htm"),
                                          answer_limits::kVersionText, interruption_);
    return LooksLikeVersion(answer) ? answer : QString();
}

QString StartupCheck::downloadPageUrl() const {
    return QStringLiteral("http://") + endpoints_.makerWebHost + QStringLiteral("/download");
}

bool StartupCheck::run() {
    std::lock_guard lock(runMutex_);
    if (ip_.get().isEmpty() && !state_.CancelSignIn)
        ip_.set(PublicAddress());
    if (mac_.get().isEmpty())
        mac_.set(NewMacId());
    const bool online = !ip_.get().isEmpty();
    if (online && remoteVersion_.get().isEmpty() && autoUpdate_ && autoUpdate_()) {
        remoteVersion_.set(FetchRemoteVersion());
        if (IsNewerVersion(remoteVersion_.get())) {
            if (done_)
                done_(1);
            return false;
        }
    }
    if (!goOnPosted_) {
        goOnPosted_ = true;
        if (done_)
            done_(0);
    }
    return online;
}

StartupCheck::UpdateAnswer StartupCheck::CheckForUpdate() {
    remoteVersion_.set(FetchRemoteVersion());
    if (remoteVersion_.get().isEmpty())
        return UpdateAnswer::CheckFailed;
    return IsNewerVersion(remoteVersion_.get()) ? UpdateAnswer::NewVersion
                                                : UpdateAnswer::NoNewVersion;
}

void PostErrorReport(const Endpoints& endpoints, const QString& currentLang, const QString& code,
                     const Interruption& interruption) {
    QString ignored;
    PlainPost(endpoints,
              QStringLiteral("http://") + endpoints.makerWebHost + QStringLiteral("/index.php"),
              ErrorReportFields(currentLang, code), ignored, answer_limits::kErrorReportAnswer,
              interruption);
}

} // namespace quillo
