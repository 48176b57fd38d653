// The service's AJAX endpoints under /ajax/: every one checks the session cookies, and the
// anti-forgery tokens as far as the service did.
#include <algorithm>

#include "chat_items.h"
#include "exchange.h"
#include "pages.h"

namespace quillo::standin {

namespace {

// How an endpoint treats one token.
enum class Check {
    Required, // it must come, and be the session's
    IfSent,   // it may be left out (the service took such requests), but a sent one must match
    Ignored,  // anything goes, even the literal "(null)" a client sends before it has the token
};

struct TokenRule {
    Check post_form_id = Check::Required;
    Check fb_dtsg = Check::Required;
};

bool TokenPasses(const Exchange& exchange, std::string_view name, Check check,
                 const std::string& expected) {
    const auto sent = exchange.Field(name);
    switch (check) {
    case Check::Required:
        return sent == expected;
    case Check::IfSent:
        return !sent || sent->empty() || *sent == expected;
    case Check::Ignored:
        return true;
    }
    return false;
}

// The session of the request, or nothing after the refusal has been written.
std::optional<Session> Authorise(Exchange& exchange, TokenRule rule) {
    const auto session = exchange.backend.state.LiveSession(exchange.cookies);
    if (!session) {
        exchange.Ajax(NotLoggedInAnswer());
        return std::nullopt;
    }
    if (!TokenPasses(exchange, "post_form_id", rule.post_form_id, session->post_form_id) ||
        !TokenPasses(exchange, "fb_dtsg", rule.fb_dtsg, session->fb_dtsg)) {
        exchange.Ajax(StaleTokenAnswer());
        return std::nullopt;
    }
    return session;
}

Json InvalidRequestAnswer(std::string_view description) {
    return ErrorAnswer(1346001, "Invalid request", description);
}

std::int64_t NumberField(const Exchange& exchange, std::string_view name, std::int64_t fallback) {
    return ParseInteger(exchange.Field(name).value_or("")).value_or(fallback);
}

void Reconnect(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const auto session = Authorise(exchange, {Check::Required, Check::Ignored});
    if (!session) {
        return;
    }
    const auto account = backend.state.FindAccount(session->user);
    const ReconnectMode mode = account ? account->reconnect_mode : ReconnectMode::Normal;
    if (mode == ReconnectMode::ErrorPage) {
        exchange.Html(ServiceErrorPage(backend.urls));
        return;
    }
    if (mode == ReconnectMode::RedirectHome) {
        exchange.Html(HomeRedirectScript(backend.urls));
        return;
    }
    Json payload;
    payload["host"] = backend.state.ChannelName(session->user);
    payload["path"] = "/iframe/11";
    // Nothing may follow the seq: the service's own script read it up to a comma or a brace.
    payload["seq"] = backend.state.ChannelOf(session->user)->NextSeq();
    exchange.Ajax(OkAnswer(std::move(payload)));
}

// The buddy list as of now; remembers who was online for the session's next answer.
Json BuddyListJson(Backend& backend, const Session& session) {
    const std::vector<UserId> online = backend.state.OnlineFriends(session.user);
    const std::vector<UserId> gone = backend.state.SwapAvailable(session.xs, online);
    Json available = Json::object();
    Json infos = Json::object();
    auto add_info = [&](const Account& person) {
        Json info;
        info["name"] = person.name;
        info["firstName"] = person.first_name;
        info["thumbSrc"] = backend.urls.Picture(person.id, 'q', person.picture_format);
        info["status"] = nullptr;
        infos[std::to_string(person.id)] = std::move(info);
    };
    if (const auto self = backend.state.FindAccount(session.user)) {
        add_info(*self);
    }
    for (UserId id : online) {
        Json flags;
        flags["i"] = false;
        available[std::to_string(id)] = std::move(flags);
        if (const auto person = backend.state.FindAccount(id)) {
            add_info(*person);
        }
    }
    Json list;
    list["listChanged"] = true;
    list["availableCount"] = online.size();
    list["nowAvailableList"] = std::move(available);
    list["wasAvailableIDs"] = gone;
    list["userInfos"] = std::move(infos);
    list["forcedRender"] = true;
    return list;
}

void BuddyList(Exchange& exchange) {
    const auto session = Authorise(exchange, {});
    if (!session) {
        return;
    }
    Json payload;
    payload["buddy_list"] = BuddyListJson(exchange.backend, *session);
    payload["time"] = NowMillis();
    exchange.Ajax(OkAnswer(std::move(payload)));
}

// The popout window's presence update: the buddy list and the notification counts, each when
// asked for. A client's first update carries "(null)" for both tokens, before it has read
// them, and the service answered it on the session cookies alone.
void PresenceUpdate(Exchange& exchange) {
    const auto session = Authorise(exchange, {Check::Ignored, Check::Ignored});
    if (!session) {
        return;
    }
    Json payload;
    if (exchange.Field("buddy_list") == "1") {
        payload["buddy_list"] = BuddyListJson(exchange.backend, *session);
    }
    payload["time"] = NowMillis();
    if (exchange.Field("notifications") == "1") {
        // Nothing here keeps an inbox, so nothing in it is unread.
        Json notifications;
        notifications["inboxCount"] = 0;
        payload["notifications"] = std::move(notifications);
    }
    exchange.Ajax(OkAnswer(std::move(payload)));
}

void FriendPage(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const auto session = Authorise(exchange, {});
    if (!session) {
        return;
    }
    const auto account = backend.state.FindAccount(session->user);
    const std::int64_t page = std::max<std::int64_t>(0, NumberField(exchange, "page", 0));
    std::int64_t limit = NumberField(exchange, "limit", 100);
    if (limit <= 0 || limit > 100) {
        limit = 100;
    }
    const std::vector<UserId>& friends = account->friends;
    Json entries = Json::array();
    const std::uint64_t first =
        static_cast<std::uint64_t>(page) * static_cast<std::uint64_t>(limit);
    for (std::uint64_t i = first;
         i < friends.size() && i < first + static_cast<std::uint64_t>(limit); ++i) {
        const auto person = backend.state.FindAccount(friends[i]);
        if (!person) {
            continue;
        }
        Json entry;
        entry["id"] = person->id;
        entry["title"] = person->name;
        entry["pic"] = backend.urls.Picture(person->id, 'q', person->picture_format);
        entry["subtext"] = "";
        entry["type"] = "user";
        entries.push_back(std::move(entry));
    }
    Json payload;
    payload["entries"] = std::move(entries);
    payload["edge_type"] = exchange.Field("edge_type").value_or("everyone");
    payload["page"] = page;
    payload["has_more"] = first + static_cast<std::uint64_t>(limit) < friends.size();
    exchange.Ajax(OkAnswer(std::move(payload)));
}

void SendMessage(Exchange& exchange) {
    Backend& backend = exchange.backend;
    // Clients that sent the form id alone had their messages delivered.
    const auto session = Authorise(exchange, {Check::Required, Check::IfSent});
    if (!session) {
        return;
    }
    const std::string text = exchange.Field("msg_text").value_or("");
    const std::string msg_id = exchange.Field("msg_id").value_or("");
    const std::int64_t client_time = NumberField(exchange, "client_time", NowMillis());
    const auto to = ParseId(exchange.Field("to").value_or(""));
    ServiceState::Delivery delivery = ServiceState::Delivery::Unknown;
    if (to) {
        delivery = backend.state.SendChat(session->user, *to, text, client_time, msg_id);
    }
    RecordChat(backend, session->user, to.value_or(0), text,
               Json::object({{"msg_id", msg_id}, {"client_time", client_time}}), delivery, "web");
    if (delivery == ServiceState::Delivery::Delivered) {
        exchange.Ajax(OkAnswer(Json::array()));
    } else {
        exchange.Ajax(NotOnlineAnswer());
    }
}

// A typing notice: st 1 when the user started typing, 0 when they stopped.
void Typing(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const auto session = Authorise(exchange, {Check::Required, Check::IfSent});
    if (!session) {
        return;
    }
    const std::string state = exchange.Field("typ").value_or("");
    const auto to = ParseId(exchange.Field("to").value_or(""));
    if ((state != "0" && state != "1") || !to) {
        exchange.Ajax(InvalidRequestAnswer("A typing notice needs typ 0 or 1 and a receiver."));
        return;
    }
    // A notice that reached nobody is not reported as sent.
    const ServiceState::Delivery delivery =
        *to == session->user ? ServiceState::Delivery::Unknown
                             : backend.state.SendTyping(session->user, *to, state == "1" ? 1 : 0);
    if (delivery == ServiceState::Delivery::Delivered) {
        exchange.Ajax(OkAnswer(Json::array()));
    } else {
        exchange.Ajax(NotOnlineAnswer());
    }
}

void History(Exchange& exchange) {
    Backend& backend = exchange.backend;
    // The history page sent no tokens, only the cookies.
    const auto session = Authorise(exchange, {Check::Ignored, Check::Ignored});
    if (!session) {
        return;
    }
    const UserId other = ParseId(exchange.Field("id").value_or("")).value_or(0);
    const auto self = backend.state.FindAccount(session->user);
    const auto person = backend.state.FindAccount(other);
    Json history = Json::array();
    std::vector<StoredMessage> stored = backend.state.History(session->user, other);
    // The service kept only a conversation's recent lines.
    const std::size_t kept = backend.state.Settings().history_kept;
    if (kept > 0 && stored.size() > kept) {
        stored.erase(stored.begin(), stored.end() - static_cast<std::ptrdiff_t>(kept));
    }
    for (const StoredMessage& message : stored) {
        const Account* from =
            message.from == session->user ? &*self : (person ? &*person : nullptr);
        const Account* to = message.to == session->user ? &*self : (person ? &*person : nullptr);
        history.push_back(HistoryEntry(message, from, to));
    }
    Json payload;
    payload["history"] = std::move(history);
    exchange.Ajax(OkAnswer(std::move(payload)));
}

// Clearing a conversation's history, closing a conversation, or going invisible in chat.
void ChatSettings(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const auto session = Authorise(exchange, {Check::Required, Check::Ignored});
    if (!session) {
        return;
    }
    const auto clear = exchange.Field("clear_history_id");
    const auto visibility = exchange.Field("visibility");
    const auto closed = exchange.Field("close_chat");
    if (!clear && visibility) {
        if (*visibility != "true" && *visibility != "false") {
            exchange.Ajax(InvalidRequestAnswer("Visibility is true or false."));
            return;
        }
        // Invisible is offline to every friend until the user comes back; coming back leaves
        // the presence to the sessions again.
        backend.state.SetPresence(session->user, *visibility == "false" ? std::optional<bool>(false)
                                                                        : std::nullopt);
        exchange.Ajax(OkAnswer(Json::array()));
        return;
    }
    if (!clear && closed) {
        // Closing is a matter of the client's window: the history stays.
        if (!ParseId(*closed)) {
            exchange.Ajax(InvalidRequestAnswer("The conversation is unknown."));
            return;
        }
        exchange.Ajax(OkAnswer(Json::array()));
        return;
    }
    const auto other = ParseId(clear.value_or(""));
    if (!other) {
        exchange.Ajax(InvalidRequestAnswer("The conversation is unknown."));
        return;
    }
    backend.state.ClearHistory(session->user, *other);
    Json record;
    record["user"] = session->user;
    record["cleared"] = *other;
    backend.recorder.Add("history", std::move(record));
    exchange.Ajax(OkAnswer(Json::array()));
}

void RecordPost(Exchange& exchange, const Session& session, const std::string& kind) {
    Json record;
    record["kind"] = kind;
    record["user"] = session.user;
    record["path"] = exchange.path;
    record["fields"] = FieldsJson(exchange.form);
    exchange.backend.recorder.Add("posts", std::move(record));
}

void UpdateStatus(Exchange& exchange) {
    // Status updates sent with the form id alone were taken.
    const auto session = Authorise(exchange, {Check::Required, Check::IfSent});
    if (!session) {
        return;
    }
    const auto target = ParseId(exchange.Field("target_id").value_or(""));
    RecordPost(exchange, *session, !target || *target == session->user ? "status" : "wall");
    Json payload;
    payload["story_id"] = RandomHex(16);
    exchange.Ajax(OkAnswer(std::move(payload)));
}

void PrivateMessage(Exchange& exchange) {
    const auto session = Authorise(exchange, {});
    if (!session) {
        return;
    }
    if (!exchange.Field("ids[0]")) {
        exchange.Ajax(ErrorAnswer(1345004, "No recipients", "Please choose a recipient."));
        return;
    }
    RecordPost(exchange, *session, "message");
    exchange.Ajax(OkAnswer(Json::object()));
}

// What the service found at a shared address: its title and description.
void ShareStage(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const auto session = Authorise(exchange, {});
    if (!session) {
        return;
    }
    const std::string url = Trimmed(exchange.Field("data[url]").value_or(""));
    const std::string maker = backend.urls.Maker("");
    std::string title = url;
    std::string summary;
    std::string final_url = url;
    if (url.starts_with(maker) || url.starts_with("http://" + backend.urls.names().maker_web)) {
        title = "Quillo for Facebook - it's chat, on your desktop";
        summary = "Chat with your Facebook friends without a browser: tabs, emoticons, "
                  "logs & notifications.";
        final_url = maker + "/";
    }
    const std::string marker = "class=\"UIShareStage_InlineEdit inline_edit\">";
    const std::string html =
        "<div class=\"UIShareStage clearfix\"><div class=\"UIShareStage_Title\"><span " + marker +
        HtmlEscape(title) + "</span></div><div class=\"UIShareStage_Summary\"><span " + marker +
        HtmlEscape(summary) +
        "</span></div><input type=\"hidden\" name=\"attachment[params][url]\" value=\"" +
        HtmlEscape(url) +
        "\" /><input type=\"hidden\" name=\"attachment[params][finalUrl]\" value=\"" +
        HtmlEscape(final_url) + "\" /></div>";
    RecordPost(exchange, *session, "share_stage");
    Json payload;
    payload["html"] = html;
    exchange.Ajax(OkAnswer(std::move(payload)));
}

void ShareLink(Exchange& exchange) {
    const auto session = Authorise(exchange, {});
    if (!session) {
        return;
    }
    RecordPost(exchange, *session, "share");
    Json payload;
    payload["story_id"] = RandomHex(16);
    exchange.Ajax(OkAnswer(std::move(payload)));
}

// The stream's newer stories for one filter, polled by other clients; there never are any.
void Intent(Exchange& exchange) {
    const auto session = Authorise(exchange, {Check::Ignored, Check::Ignored});
    if (!session) {
        return;
    }
    Json payload;
    payload["html"] = "";
    exchange.Ajax(OkAnswer(std::move(payload)));
}

} // namespace

void HandleAjax(Exchange& exchange) {
    using Handler = void (*)(Exchange&);
    struct Route {
        const char* path;
        Handler handler;
    };
    static const Route kRoutes[] = {
        {"/ajax/presence/reconnect.php", Reconnect},
        {"/ajax/chat/buddy_list.php", BuddyList},
        {"/ajax/presence/update.php", PresenceUpdate},
        {"/ajax/social_graph/fetch.php", FriendPage},
        {"/ajax/chat/send.php", SendMessage},
        {"/ajax/chat/typ.php", Typing},
        {"/ajax/chat/history.php", History},
        {"/ajax/chat/settings.php", ChatSettings},
        {"/ajax/updatestatus.php", UpdateStatus},
        {"/ajax/gigaboxx/endpoint/MessageComposerEndpoint.php", PrivateMessage},
        {"/ajax/composer/attachment.php", ShareStage},
        {"/ajax/profile/composer.php", ShareLink},
        {"/ajax/intent.php", Intent},
    };
    for (const Route& route : kRoutes) {
        if (exchange.path == route.path) {
            route.handler(exchange);
            return;
        }
    }
    exchange.Ajax(ErrorAnswer(1346001, "Page Not Found", "The page you requested was not found."),
                  404);
}

} // namespace quillo::standin
