#include "contacts/buddy_thread.h"

#include <exception>

#include "session/ajax_client.h"
#include "session/http_layer.h"
#include "session/session_event.h"
#include "session/session_state.h"
#include "session/sign_out.h"

namespace quillo {

namespace {

constexpr int kMaxAttempts = 3; // three retries: four answers in all

} // namespace

void FetchFriendList(SessionState& state, HttpLayer& http, BuddyList& list) {
    QStringList pictures;
    const auto fetchPage = [&state, &http](int page) {
        const FormFields fields =
            FormFields{{QStringLiteral("edge_type"), QStringLiteral("everyone")},
                       {QStringLiteral("page"), QString::number(page)},
                       {QStringLiteral("limit"), QStringLiteral("100")},
                       {QStringLiteral("class"), QStringLiteral("FriendManager")},
                       {QStringLiteral("node_id"), state.UserId.get()}} +
            ajax_tokens::all(state);
        return http.ServicePost(QStringLiteral("/ajax/social_graph/fetch.php"), QString(), fields);
    };
    ReadFriendList(
        fetchPage, [&state] { return bool(state.Stopping); }, list, pictures);
    state.FriendPictures.set(PackFriendPictures(pictures));
}

bool FetchBuddyList(SessionState& state, HttpLayer& http, BuddyList& list, bool withFriends) {
    int attempts = 0;
    QString answer;
    for (;;) {
        list.clear();
        if (withFriends) {
            FetchFriendList(state, http, list);
            if (list.isEmpty()) {
                if (attempts >= kMaxAttempts) {
                    if (SessionEventSink* mainWindow = state.MainWindow.load())
                        mainWindow->postEvent(SessionEventName::NoContacts);
                    return false;
                }
                ++attempts;
                continue;
            }
        }
        FormFields fields{{QStringLiteral("user"), state.UserId.get()},
                          {QStringLiteral("popped_out"), QStringLiteral("false")},
                          {QStringLiteral("force_render"), QStringLiteral("true")},
                          {QStringLiteral("buddy_list"), QStringLiteral("1")}};
        fields.append(ajax_tokens::all(state));
        answer = http.ServicePost(QStringLiteral("/ajax/chat/buddy_list.php"), QString(), fields);
        if (!answer.isEmpty())
            break;
        if (state.Stopping)
            return false;
        if (attempts >= kMaxAttempts) {
            EndSession(state, http, 2, /*calledByBuddyWorker=*/true);
            return false;
        }
        ++attempts;
    }

    const OnlineSet online = OnlineSetOf(answer);
    if (!online.found)
        return true;
    state.BuddyTail.set(online.tail);
    if (withFriends)
        MarkOnline(list, online.ids, online.tail);
    else
        list = online.ids;
    return true;
}

void BuddyThread(SessionState& state, HttpLayer& http, SessionEventSink& sink,
                 BuddyThreadTiming timing) {
    state.BuddyRefreshRunning = true;
    try {
        BuddyList list;
        if (!state.Stopping.waitFor(timing.firstWait) && FetchBuddyList(state, http, list, true) &&
            !state.Stopping && !list.isEmpty()) {
            // Handed over, not copied: the next fetch starts from an empty list anyway, and the
            // worker would otherwise keep every friend's line until then.
            sink.postBuddyList(0, std::move(list));
            while (!state.Stopping.waitFor(timing.refreshEvery)) {
                if (FetchBuddyList(state, http, list, false))
                    sink.postBuddyList(1, std::move(list));
            }
        }
    } catch (const std::exception&) {
        // the worker ends; the long poll and sign-out see BuddyRefreshRunning clear
    }
    state.BuddyRefreshRunning = false;
}

} // namespace quillo
