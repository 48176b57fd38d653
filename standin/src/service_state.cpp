#include "service_state.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "chat_items.h"

namespace quillo::standin {

namespace {

std::string ChannelNumbered(unsigned number) {
    char text[16];
    std::snprintf(text, sizeof text, "channel%02u", number);
    return text;
}

// Whether the conversation is the one between a and b, whoever started it.
bool Joins(const StoredConversation& conversation, UserId a, UserId b) {
    return (conversation.a == a && conversation.b == b) ||
           (conversation.a == b && conversation.b == a);
}

std::string NewMsgId() {
    // The service's ids were signed 64-bit numbers written in decimal, often negative.
    return std::to_string(RandomBetween(-9007199254740991LL, 9007199254740991LL));
}

} // namespace

ServiceState::ServiceState(WorldData world, ServiceSettings settings)
    : initial_(std::move(world))
    , initial_settings_(std::move(settings)) {
    std::lock_guard lock(mutex_);
    LoadLocked();
}

ServiceState::~ServiceState() {
    Shutdown();
}

std::string ServiceState::InitialChannel(UserId id) {
    return ChannelNumbered(static_cast<unsigned>(id % 99) + 1);
}

void ServiceState::LoadLocked() {
    accounts_.clear();
    channel_names_.clear();
    for (const Account& account : initial_.accounts) {
        accounts_[account.id] = account;
        channel_names_[account.id] = InitialChannel(account.id);
    }
    sessions_.clear();
    live_sessions_.clear();
    presence_.clear();
    conversations_ = initial_.conversations;
    bot_answers_.clear();
    settings_ = initial_settings_;
}

const Account* ServiceState::AccountLocked(UserId id) const {
    const auto found = accounts_.find(id);
    return found == accounts_.end() ? nullptr : &found->second;
}

std::optional<Account> ServiceState::FindAccount(UserId id) const {
    std::lock_guard lock(mutex_);
    if (const Account* account = AccountLocked(id)) {
        return *account;
    }
    return std::nullopt;
}

std::optional<Account> ServiceState::FindLogin(std::string_view email,
                                               std::string_view password) const {
    std::lock_guard lock(mutex_);
    for (const auto& [id, account] : accounts_) {
        // The service matched e-mail addresses without regard to case; passwords exactly.
        if (!account.email.empty() && EqualsIgnoringCase(account.email, email) &&
            account.password == password) {
            return account;
        }
    }
    return std::nullopt;
}

std::vector<Account> ServiceState::Accounts() const {
    std::lock_guard lock(mutex_);
    std::vector<Account> out;
    for (const auto& [id, account] : accounts_) {
        out.push_back(account);
    }
    return out;
}

bool ServiceState::ChangeAccount(UserId id, const std::function<void(Account&)>& change) {
    std::lock_guard lock(mutex_);
    const auto found = accounts_.find(id);
    if (found == accounts_.end()) {
        return false;
    }
    change(found->second);
    return true;
}

bool ServiceState::AreFriends(UserId a, UserId b) const {
    std::lock_guard lock(mutex_);
    const Account* account = AccountLocked(a);
    return account &&
           std::find(account->friends.begin(), account->friends.end(), b) != account->friends.end();
}

Session ServiceState::StartSession(UserId user, bool persistent) {
    Session session;
    session.xs = RandomToken(32);
    session.user = user;
    session.post_form_id = RandomHex(32);
    session.fb_dtsg = RandomToken(5);
    session.logout_hash = RandomHex(10);
    session.persistent = persistent;
    session.started_ms = NowMillis();
    std::shared_ptr<Channel> channel;
    {
        std::lock_guard lock(mutex_);
        sessions_[session.xs] = session;
        ++live_sessions_[user];
        channel = ChannelLocked(user);
    }
    // What waited for an earlier session is not replayed to this one.
    channel->DropBacklog();
    return session;
}

std::optional<Session> ServiceState::LiveSession(const Fields& cookies) const {
    const auto xs = FieldValue(cookies, "xs");
    const auto c_user = FieldValue(cookies, "c_user");
    if (!xs || !c_user) {
        return std::nullopt;
    }
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(*xs);
    if (found == sessions_.end() || std::to_string(found->second.user) != *c_user) {
        return std::nullopt;
    }
    return found->second;
}

void ServiceState::EndSession(const std::string& xs) {
    std::shared_ptr<Channel> channel;
    {
        std::lock_guard lock(mutex_);
        const auto found = sessions_.find(xs);
        if (found == sessions_.end()) {
            return;
        }
        const UserId user = found->second.user;
        sessions_.erase(found);
        --live_sessions_[user];
        channel = ChannelLocked(user);
    }
    channel->Wake();
}

int ServiceState::ExpireSessions(UserId user) {
    int ended = 0;
    std::shared_ptr<Channel> channel;
    {
        std::lock_guard lock(mutex_);
        ended = static_cast<int>(
            std::erase_if(sessions_, [&](const auto& entry) { return entry.second.user == user; }));
        live_sessions_.erase(user);
        channel = ChannelLocked(user);
    }
    channel->Wake();
    return ended;
}

std::vector<Session> ServiceState::Sessions() const {
    std::lock_guard lock(mutex_);
    std::vector<Session> out;
    for (const auto& [xs, session] : sessions_) {
        out.push_back(session);
    }
    return out;
}

std::vector<UserId> ServiceState::SwapAvailable(const std::string& xs,
                                                const std::vector<UserId>& now) {
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(xs);
    if (found == sessions_.end()) {
        return {};
    }
    const std::set<UserId> current(now.begin(), now.end());
    std::vector<UserId> gone;
    for (UserId id : found->second.last_available) {
        if (!current.contains(id)) {
            gone.push_back(id);
        }
    }
    found->second.last_available = now;
    return gone;
}

bool ServiceState::IsOnlineLocked(UserId id) const {
    if (const auto forced = presence_.find(id); forced != presence_.end()) {
        return forced->second;
    }
    const Account* account = AccountLocked(id);
    if (!account) {
        return false;
    }
    if (account->online) {
        return true;
    }
    const auto sessions = live_sessions_.find(id);
    return sessions != live_sessions_.end() && sessions->second > 0;
}

bool ServiceState::IsOnline(UserId id) const {
    std::lock_guard lock(mutex_);
    return IsOnlineLocked(id);
}

void ServiceState::SetPresence(UserId id, std::optional<bool> online) {
    std::lock_guard lock(mutex_);
    if (online) {
        presence_[id] = *online;
    } else {
        presence_.erase(id);
    }
}

std::vector<UserId> ServiceState::OnlineFriends(UserId id) const {
    std::lock_guard lock(mutex_);
    std::vector<UserId> out;
    if (const Account* account = AccountLocked(id)) {
        for (UserId friend_id : account->friends) {
            if (IsOnlineLocked(friend_id)) {
                out.push_back(friend_id);
            }
        }
    }
    return out;
}

std::string ServiceState::ChannelNameLocked(UserId id) const {
    const auto found = channel_names_.find(id);
    return found == channel_names_.end() ? InitialChannel(id) : found->second;
}

std::string ServiceState::ChannelName(UserId id) const {
    std::lock_guard lock(mutex_);
    return ChannelNameLocked(id);
}

std::shared_ptr<Channel> ServiceState::ChannelLocked(UserId id) {
    auto& channel = channels_[id];
    if (!channel) {
        channel = std::make_shared<Channel>();
        if (shut_down_) {
            channel->Shutdown();
        }
    }
    return channel;
}

std::shared_ptr<Channel> ServiceState::ChannelOf(UserId id) {
    std::lock_guard lock(mutex_);
    return ChannelLocked(id);
}

std::string ServiceState::MoveChannel(UserId id) {
    std::string name;
    std::shared_ptr<Channel> channel;
    {
        std::lock_guard lock(mutex_);
        const std::string old = ChannelNameLocked(id);
        const unsigned number = static_cast<unsigned>(std::stoul(old.substr(7)));
        name = ChannelNumbered(number % 99 + 1);
        channel_names_[id] = name;
        channel = ChannelLocked(id);
    }
    channel->Wake();
    return name;
}

bool ServiceState::PollAllowed(UserId user, const std::string& channel,
                               const Fields& cookies) const {
    const auto session = LiveSession(cookies);
    if (!session || session->user != user) {
        return false;
    }
    std::lock_guard lock(mutex_);
    return ChannelNameLocked(user) == channel;
}

StoredConversation& ServiceState::ConversationLocked(UserId a, UserId b) {
    for (StoredConversation& conversation : conversations_) {
        if (Joins(conversation, a, b)) {
            return conversation;
        }
    }
    conversations_.push_back({a, b, {}});
    return conversations_.back();
}

ServiceState::Delivery ServiceState::SendChat(UserId from, UserId to, const std::string& text,
                                              std::int64_t client_time, std::string msg_id) {
    if (msg_id.empty()) {
        msg_id = NewMsgId();
    }
    Json item;
    std::shared_ptr<Channel> receiver;
    std::shared_ptr<Channel> sender;
    bool bot_answers = false;
    {
        std::lock_guard lock(mutex_);
        const Account* from_account = AccountLocked(from);
        const Account* to_account = AccountLocked(to);
        // Nobody chats with themselves: the service had no such conversation.
        if (!from_account || !to_account || from == to) {
            return Delivery::Unknown;
        }
        if (!IsOnlineLocked(to)) {
            return Delivery::NotOnline;
        }
        const std::int64_t now = NowMillis();
        if (client_time == kServiceTime) {
            client_time = now;
        }
        item = MessageItem(*from_account, *to_account, text, now, client_time, msg_id);
        ConversationLocked(from, to).messages.push_back({from, to, text, now, msg_id});
        receiver = ChannelLocked(to);
        sender = ChannelLocked(from);
        // Bots answer people, never each other.
        bot_answers = to_account->bot == "echo" && from_account->bot.empty();
    }
    receiver->Append(item);
    // The sender's own channel carries the message too, so the user's other windows see it.
    sender->Append(std::move(item));
    if (bot_answers) {
        AnswerAsBot(to, from, text);
    }
    return Delivery::Delivered;
}

ServiceState::Delivery ServiceState::SendTyping(UserId from, UserId to, int state) {
    std::shared_ptr<Channel> receiver;
    {
        std::lock_guard lock(mutex_);
        if (!AccountLocked(from) || !AccountLocked(to)) {
            return Delivery::Unknown;
        }
        if (!IsOnlineLocked(to)) {
            return Delivery::NotOnline;
        }
        receiver = ChannelLocked(to);
    }
    receiver->Append(TypingItem(from, to, state));
    return Delivery::Delivered;
}

void ServiceState::AnswerAsBot(UserId bot, UserId to, const std::string& text) {
    std::chrono::milliseconds delay;
    bool stops_typing = false;
    {
        std::lock_guard lock(mutex_);
        delay = settings_.bot_delay;
        // Every second answer also says that the bot stopped typing, as a browser did when
        // the text was sent before the typing timer ran out.
        stops_typing = (bot_answers_[bot]++ % 2) == 1;
    }
    scheduler_.After(delay / 2, [this, bot, to] { SendTyping(bot, to, 1); });
    scheduler_.After(delay, [this, bot, to, text, stops_typing] {
        if (SendChat(bot, to, text, NowMillis(), NewMsgId()) == Delivery::Delivered &&
            stops_typing) {
            SendTyping(bot, to, 0);
        }
    });
}

std::vector<StoredMessage> ServiceState::History(UserId a, UserId b) const {
    std::lock_guard lock(mutex_);
    for (const StoredConversation& conversation : conversations_) {
        if (Joins(conversation, a, b)) {
            return conversation.messages;
        }
    }
    return {};
}

void ServiceState::ClearHistory(UserId a, UserId b) {
    std::lock_guard lock(mutex_);
    for (StoredConversation& conversation : conversations_) {
        if (Joins(conversation, a, b)) {
            conversation.messages.clear();
        }
    }
}

std::vector<ConversationSummary> ServiceState::OpenConversations(UserId user) const {
    std::lock_guard lock(mutex_);
    std::vector<ConversationSummary> out;
    for (const StoredConversation& conversation : conversations_) {
        if (conversation.a != user && conversation.b != user) {
            continue;
        }
        ConversationSummary summary;
        summary.other = conversation.a == user ? conversation.b : conversation.a;
        summary.count = conversation.messages.size();
        if (!conversation.messages.empty()) {
            summary.last = conversation.messages.back();
        }
        out.push_back(std::move(summary));
    }
    return out;
}

ServiceSettings ServiceState::Settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

void ServiceState::ChangeSettings(const std::function<void(ServiceSettings&)>& change) {
    std::lock_guard lock(mutex_);
    change(settings_);
}

std::vector<std::shared_ptr<Channel>> ServiceState::AllChannelsLocked() const {
    std::vector<std::shared_ptr<Channel>> out;
    for (const auto& [id, channel] : channels_) {
        out.push_back(channel);
    }
    return out;
}

void ServiceState::Reset() {
    scheduler_.Clear();
    std::vector<std::shared_ptr<Channel>> channels;
    {
        std::lock_guard lock(mutex_);
        LoadLocked();
        channels = AllChannelsLocked();
    }
    for (const auto& channel : channels) {
        channel->Restart();
    }
}

void ServiceState::Shutdown() {
    scheduler_.Stop();
    std::vector<std::shared_ptr<Channel>> channels;
    {
        std::lock_guard lock(mutex_);
        shut_down_ = true;
        channels = AllChannelsLocked();
    }
    for (const auto& channel : channels) {
        channel->Shutdown();
    }
}

} // namespace quillo::standin
