#pragma once
// The live state of the stand-in service: accounts, sessions and their tokens, who is online,
// each user's channel, stored conversations and the bots. Thread-safe: every request thread,
// the scheduler thread of the bots and the control interface use it at once. One lock guards
// the tables; channels have their own locks and are never touched while the table lock is
// held, so a long poll never blocks anything but itself.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "channel.h"
#include "http_text.h"
#include "scheduler.h"
#include "world.h"

namespace quillo::standin {

struct Session {
    std::string xs; // the session cookie
    UserId user = 0;
    std::string post_form_id;
    std::string fb_dtsg;
    std::string logout_hash; // the "h" of the logout link and form
    bool persistent = false;
    std::int64_t started_ms = 0;
    std::vector<UserId> last_available; // online friends at the previous buddy-list answer
};

// Behaviour that the control interface may change while the stand-in runs.
struct ServiceSettings {
    std::chrono::milliseconds hold{50000};    // how long a long poll waits
    std::chrono::milliseconds bot_delay{800}; // from a message to a bot's answer
    std::string version = "1.361";            // the maker's version file
    bool root_redirect_443 = false;           // a first root GET goes to the same URL on :443
    bool login_redirect_root = false;         // the credential POST answers with the root URL
    std::optional<std::string> ip_answer; // what the IP echo says; the caller's address if unset
    std::size_t history_kept = 0; // the history endpoint's last N lines of a conversation; 0: all
};

struct ConversationSummary {
    UserId other = 0;
    std::size_t count = 0;
    std::optional<StoredMessage> last;
};

class ServiceState {
public:
    enum class Delivery { Delivered, NotOnline, Unknown };

    ServiceState(WorldData world, ServiceSettings settings);
    ~ServiceState();
    ServiceState(const ServiceState&) = delete;
    ServiceState& operator=(const ServiceState&) = delete;

    // Accounts are handed out as copies: a reset may replace them at any time.
    std::optional<Account> FindAccount(UserId id) const;
    std::optional<Account> FindLogin(std::string_view email, std::string_view password) const;
    std::vector<Account> Accounts() const;
    bool ChangeAccount(UserId id, const std::function<void(Account&)>& change);
    bool AreFriends(UserId a, UserId b) const;

    Session StartSession(UserId user, bool persistent);
    // The live session named by the c_user and xs cookies.
    std::optional<Session> LiveSession(const Fields& cookies) const;
    void EndSession(const std::string& xs);
    // Ends every live session of the user (signed in elsewhere); returns how many.
    int ExpireSessions(UserId user);
    // The live sessions.
    std::vector<Session> Sessions() const;
    // Records the online set of this answer; returns who was online at the previous one and
    // is not now.
    std::vector<UserId> SwapAvailable(const std::string& xs, const std::vector<UserId>& now);

    bool IsOnline(UserId id) const;
    // true or false forces the state; nothing goes back to the data file's flag and sessions.
    void SetPresence(UserId id, std::optional<bool> online);
    std::vector<UserId> OnlineFriends(UserId id) const;

    std::string ChannelName(UserId id) const;
    std::shared_ptr<Channel> ChannelOf(UserId id);
    // Gives the user's channel another host; polls on the old one are told to reconnect.
    std::string MoveChannel(UserId id);
    // Whether a poll on host channel for user with these cookies may still be served.
    bool PollAllowed(UserId user, const std::string& channel, const Fields& cookies) const;

    // client_time for a sender whose clock agrees with the service's: the item's clientTime is
    // then the time the service stamps the line with.
    static constexpr std::int64_t kServiceTime = -1;
    // text is as typed; the items carry it with <, > and & as entities.
    Delivery SendChat(UserId from, UserId to, const std::string& text, std::int64_t client_time,
                      std::string msg_id);
    Delivery SendTyping(UserId from, UserId to, int state);
    std::vector<StoredMessage> History(UserId a, UserId b) const;
    void ClearHistory(UserId a, UserId b);
    std::vector<ConversationSummary> OpenConversations(UserId user) const;

    ServiceSettings Settings() const;
    void ChangeSettings(const std::function<void(ServiceSettings&)>& change);

    // Back to the data file's state: sessions, presence, channels, conversations, settings.
    void Reset();
    // Ends every held poll and stops the bots; called before the servers stop.
    void Shutdown();

private:
    static std::string InitialChannel(UserId id);
    void LoadLocked();
    bool IsOnlineLocked(UserId id) const;
    const Account* AccountLocked(UserId id) const;
    std::shared_ptr<Channel> ChannelLocked(UserId id);
    std::string ChannelNameLocked(UserId id) const;
    StoredConversation& ConversationLocked(UserId a, UserId b);
    void AnswerAsBot(UserId bot, UserId to, const std::string& text);
    std::vector<std::shared_ptr<Channel>> AllChannelsLocked() const;

    const WorldData initial_;
    const ServiceSettings initial_settings_;

    mutable std::mutex mutex_;
    std::map<UserId, Account> accounts_;
    // Live sessions only: an ended session and one never made get the same refusal.
    std::map<std::string, Session> sessions_;
    std::map<UserId, int> live_sessions_;
    std::map<UserId, bool> presence_;
    std::map<UserId, std::string> channel_names_;
    std::map<UserId, std::shared_ptr<Channel>> channels_;
    std::vector<StoredConversation> conversations_;
    std::map<UserId, unsigned> bot_answers_;
    ServiceSettings settings_;
    bool shut_down_ = false;

    Scheduler scheduler_;
};

} // namespace quillo::standin
