#pragma once
// The start-up check: the user's public address (also the test that the internet can be
// reached), the machine tag, and whether the maker has released a newer version. It runs on a
// worker at start and again on the sign-in worker at every attempt; a lock keeps two runs from
// interleaving.
//
// Thread: any; the object lives for the process. It talks to the front end only through the
// done callback, which runs on the checking thread: its owner posts it on.

#include <QString>
#include <functional>
#include <mutex>

#include "session/endpoints.h"
#include "session/http_transfer.h"
#include "session/shared_value.h"

namespace quillo {

struct SessionState;

class StartupCheck {
public:
    // wParam of StartupCheckDone: 1 = a newer version is required (the program ends),
    // 0 = go on (posted once per process).
    using DoneReport = std::function<void(int newVersion)>;

    StartupCheck(const Endpoints& endpoints, const SessionState& state, SharedValue<QString>& ip,
                 SharedValue<QString>& mac, std::function<bool()> autoUpdate, DoneReport done,
                 Interruption interruption = {});

    // True when the public address is known.
    bool run();

    // The IP echo's answer when it is an address; empty otherwise.
    QString PublicAddress() const;
    // The maker's version text, trimmed, when it looks like a version; empty otherwise.
    QString FetchRemoteVersion() const;

    // CheckFailed: no version came back (no answer, or not a version), so nothing is known.
    enum class UpdateAnswer { NewVersion, NoNewVersion, CheckFailed };
    // The Help menu's check: fetches again and says whether to offer the download page.
    UpdateAnswer CheckForUpdate();

    QString remoteVersion() const { return remoteVersion_.get(); }
    QString downloadPageUrl() const;

private:
    const Endpoints endpoints_;
    const SessionState& state_;
    SharedValue<QString>& ip_;
    SharedValue<QString>& mac_;
    std::function<bool()> autoUpdate_;
    DoneReport done_;
    const Interruption interruption_;

    std::mutex runMutex_;
    SharedValue<QString> remoteVersion_;
    bool goOnPosted_ = false;
};

// Reports a failed sign-in ("0001"), a lost connection ("0002") or an expired session ("0003")
// to the maker's web host and waits for the answer, which changes nothing: run it on a worker.
// Ends early when interruption says so.
void PostErrorReport(const Endpoints& endpoints, const QString& currentLang, const QString& code,
                     const Interruption& interruption = {});

} // namespace quillo
