// The service's AJAX endpoints under /ajax/: every one checks the session cookies and the
// anti-forgery tokens that its page sent with it, as the service did.
#include <algorithm>

#include "chat_items.h"
#include "exchange.h"
#include "pages.h"

namespace quillo::standin {

namespace {

struct TokenRule {
    bool post_form_id = true;
    bool fb_dtsg = true;
};

// The session of the request, or nothing after the refusal has been written.
std::optional<Session> Authorise(Exchange& exchange, TokenRule rule) {
    const auto session = exchange.backend.state.LiveSession(exchange.cookies);
    if (!session) {
        exchange.Ajax(NotLoggedInAnswer());
        return std::nullopt;
    }
    if ((rule.post_form_id && exchange.Field("post_form_id") != session->post_form_id) ||
        (rule.fb_dtsg && exchange.Field("fb_dtsg") != session->fb_dtsg)) {
        exchange.Ajax(StaleTokenAnswer());
        return std::nullopt;
    }
    return session;
}

std::int64_t NumberField(const Exchange& exchange, std::string_view name, std::int64_t fallback) {
    return ParseInteger(exchange.Field(name).value_or("")).value_or(fallback);
}

void Reconnect(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const auto session = Authorise(exchange, {true, false});
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

void BuddyList(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const auto session = Authorise(exchange, {});
    if (!session) {
        return;
    }
    const std::vector<UserId> online = backend.state.OnlineFriends(session->user);
    const std::vector<UserId> gone = backend.state.SwapAvailable(session->xs, online);
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
    if (const auto self = backend.state.FindAccount(session->user)) {
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
    Json payload;
    payload["buddy_list"] = std::move(list);
    payload["time"] = NowMillis();
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
    const auto session = Authorise(exchange, {});
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

void History(Exchange& exchange) {
    Backend& backend = exchange.backend;
    // The history page sent no tokens, only the cookies.
    const auto session = Authorise(exchange, {false, false});
    if (!session) {
        return;
    }
    const UserId other = ParseId(exchange.Field("id").value_or("")).value_or(0);
    const auto self = backend.state.FindAccount(session->user);
    const auto person = backend.state.FindAccount(other);
    Json history = Json::array();
    for (const StoredMessage& message : backend.state.History(session->user, other)) {
        const Account* from =
            message.from == session->user ? &*self : (person ? &*person : nullptr);
        const Account* to = message.to == session->user ? &*self : (person ? &*person : nullptr);
        history.push_back(HistoryEntry(message, from, to));
    }
    Json payload;
    payload["history"] = std::move(history);
    exchange.Ajax(OkAnswer(std::move(payload)));
}

void ClearHistory(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const auto session = Authorise(exchange, {true, false});
    if (!session) {
        return;
    }
    const auto other = ParseId(exchange.Field("clear_history_id").value_or(""));
    if (!other) {
        exchange.Ajax(ErrorAnswer(1346001, "Invalid request", "The conversation is unknown."));
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
    const auto session = Authorise(exchange, {});
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
        {"/ajax/social_graph/fetch.php", FriendPage},
        {"/ajax/chat/send.php", SendMessage},
        {"/ajax/chat/history.php", History},
        {"/ajax/chat/settings.php", ClearHistory},
        {"/ajax/updatestatus.php", UpdateStatus},
        {"/ajax/gigaboxx/endpoint/MessageComposerEndpoint.php", PrivateMessage},
        {"/ajax/composer/attachment.php", ShareStage},
        {"/ajax/profile/composer.php", ShareLink},
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
