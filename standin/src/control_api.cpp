// The control interface under /__control/ on every host: act as any account, change how the
// service answers, put faults on hosts and paths, read back what happened, reset.
#include <stdexcept>

#include "control_page.h"
#include "exchange.h"
#include "http_text.h"

namespace quillo::standin {

namespace {

struct ControlError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The Host header as sent, not the exchange's host: the router puts the web host in for a
// request without one, and that must not open the control interface.
bool ControlHostAllowed(const Exchange& exchange) {
    const std::string host = HostOf(exchange.request);
    if (host.empty()) {
        return false;
    }
    return host == "127.0.0.1" || host == "localhost" || host == "[::1]" ||
           ClassifyHost(exchange.backend.urls.names(), host).kind != HostKind::Unknown;
}

void Reply(Exchange& exchange, const Json& body, int status = 200) {
    exchange.Text(body.dump(1, ' ', false, Json::error_handler_t::replace) + "\n",
                  "application/json; charset=utf-8", status);
}

Json Body(const Exchange& exchange) {
    if (exchange.request.body.empty()) {
        return Json::object();
    }
    try {
        return Json::parse(exchange.request.body);
    } catch (const Json::parse_error& error) {
        throw ControlError(std::string("the body is not JSON: ") + error.what());
    }
}

UserId IdIn(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found != body.end()) {
        if (found->is_number_unsigned()) {
            return found->get<UserId>();
        }
        if (found->is_string()) {
            if (auto id = ParseId(found->get<std::string>())) {
                return *id;
            }
        }
    }
    throw ControlError(std::string("\"") + key + "\" must name an account id");
}

Account KnownAccount(Backend& backend, UserId id) {
    auto account = backend.state.FindAccount(id);
    if (!account) {
        throw ControlError("no account " + std::to_string(id));
    }
    return *account;
}

std::string DeliveryName(ServiceState::Delivery delivery) {
    switch (delivery) {
    case ServiceState::Delivery::Delivered:
        return "delivered";
    case ServiceState::Delivery::NotOnline:
        return "not_online";
    case ServiceState::Delivery::Unknown:
        return "unknown";
    }
    return "unknown";
}

Json AccountJson(Backend& backend, const Account& account) {
    Json out;
    out["id"] = account.id;
    out["email"] = account.email;
    out["password"] = account.password;
    out["name"] = account.name;
    out["first_name"] = account.first_name;
    out["online"] = backend.state.IsOnline(account.id);
    out["bot"] = account.bot;
    out["friends"] = account.friends.size();
    out["channel"] = backend.state.ChannelName(account.id);
    out["page_form"] = PageFormName(account.page_form);
    out["reconnect_mode"] = ReconnectModeName(account.reconnect_mode);
    out["photos_redirect"] = account.photos_redirect;
    out["home_picture"] = account.home_picture;
    out["logout_link"] = account.logout_link;
    out["picture"] = backend.urls.Picture(account.id, 'q', account.picture_format);
    return out;
}

Json SettingsJson(const ServiceSettings& settings) {
    Json out;
    out["hold_ms"] = settings.hold.count();
    out["bot_delay_ms"] = settings.bot_delay.count();
    out["version"] = settings.version;
    out["root_redirect_443"] = settings.root_redirect_443;
    out["login_redirect_root"] = settings.login_redirect_root;
    out["ip"] = settings.ip_answer ? Json(*settings.ip_answer) : Json(nullptr);
    out["history_kept"] = settings.history_kept;
    return out;
}

void State(Exchange& exchange) {
    Backend& backend = exchange.backend;
    Json accounts = Json::array();
    for (const Account& account : backend.state.Accounts()) {
        accounts.push_back(AccountJson(backend, account));
    }
    Json sessions = Json::array();
    for (const Session& session : backend.state.Sessions()) {
        Json entry;
        entry["user"] = session.user;
        entry["post_form_id"] = session.post_form_id;
        entry["fb_dtsg"] = session.fb_dtsg;
        entry["started"] = session.started_ms;
        sessions.push_back(std::move(entry));
    }
    Json out;
    out["accounts"] = std::move(accounts);
    out["sessions"] = std::move(sessions);
    out["settings"] = SettingsJson(backend.state.Settings());
    out["web_host"] = backend.urls.names().web;
    out["ca_file"] = backend.ca_file;
    out["held_polls"] = backend.held_polls.load();
    Reply(exchange, out);
}

void Act(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const Json body = Body(exchange);
    const UserId as = IdIn(body, "as");
    KnownAccount(backend, as);
    Json results = Json::object();
    if (const auto online = body.find("online"); online != body.end()) {
        if (online->is_null()) {
            backend.state.SetPresence(as, std::nullopt);
        } else if (online->is_boolean()) {
            backend.state.SetPresence(as, online->get<bool>());
        } else {
            throw ControlError("\"online\" must be true, false or null");
        }
        results["online"] = backend.state.IsOnline(as);
    }
    if (const auto send = body.find("send"); send != body.end()) {
        const UserId to = IdIn(*send, "to");
        const std::string text = send->value("text", std::string());
        // A count sends that many messages at once, numbered " #1", " #2", ... after the text.
        const auto count_field = send->find("count");
        std::int64_t count = 1;
        if (count_field != send->end()) {
            if (!count_field->is_number_integer() || count_field->get<std::int64_t>() < 1 ||
                count_field->get<std::int64_t>() > 100000) {
                throw ControlError("\"count\" must be a whole number from 1 to 100000");
            }
            count = count_field->get<std::int64_t>();
        }
        auto delivery = ServiceState::Delivery::Unknown;
        for (std::int64_t i = 1; i <= count; ++i) {
            const std::string numbered =
                count_field == send->end() ? text : text + " #" + std::to_string(i);
            // The friend's clock agrees with the service's: the line's client time is the time
            // the service stamps it with (kServiceTime), as a history entry shows it.
            delivery = backend.state.SendChat(as, to, numbered, ServiceState::kServiceTime, "");
            RecordChat(backend, as, to, numbered, Json::object(), delivery, "control");
        }
        results["send"] = DeliveryName(delivery);
    }
    if (const auto typing = body.find("typing"); typing != body.end()) {
        const UserId to = IdIn(*typing, "to");
        const int state = typing->value("st", 1);
        if (state != 0 && state != 1) {
            throw ControlError("\"st\" must be 0 or 1");
        }
        results["typing"] = DeliveryName(backend.state.SendTyping(as, to, state));
    }
    if (body.value("expire", false)) {
        results["expired"] = backend.state.ExpireSessions(as);
    }
    if (body.value("move_channel", false)) {
        results["channel"] = backend.state.MoveChannel(as);
    }
    Json out;
    out["ok"] = true;
    out["results"] = std::move(results);
    Reply(exchange, out);
}

void ChangeAccount(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const Json body = Body(exchange);
    const UserId id = IdIn(body, "id");
    Account changed = KnownAccount(backend, id);
    if (body.contains("page_form") &&
        !ParsePageForm(body["page_form"].get<std::string>(), changed.page_form)) {
        throw ControlError("page_form: plain, escaped, script_user or no_channel");
    }
    if (body.contains("reconnect_mode") &&
        !ParseReconnectMode(body["reconnect_mode"].get<std::string>(), changed.reconnect_mode)) {
        throw ControlError("reconnect_mode: normal, error_page or redirect_home");
    }
    changed.photos_redirect = body.value("photos_redirect", changed.photos_redirect);
    changed.home_picture = body.value("home_picture", changed.home_picture);
    changed.logout_link = body.value("logout_link", changed.logout_link);
    changed.password = body.value("password", changed.password);
    backend.state.ChangeAccount(id, [&](Account& account) { account = changed; });
    Reply(exchange, AccountJson(backend, changed));
}

void ChangeSettings(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const Json body = Body(exchange);
    ServiceSettings settings = backend.state.Settings();
    if (body.contains("hold_ms")) {
        settings.hold = std::chrono::milliseconds(body["hold_ms"].get<std::int64_t>());
    }
    if (body.contains("bot_delay_ms")) {
        settings.bot_delay = std::chrono::milliseconds(body["bot_delay_ms"].get<std::int64_t>());
    }
    settings.version = body.value("version", settings.version);
    settings.root_redirect_443 = body.value("root_redirect_443", settings.root_redirect_443);
    settings.login_redirect_root = body.value("login_redirect_root", settings.login_redirect_root);
    if (body.contains("ip")) {
        settings.ip_answer =
            body["ip"].is_null() ? std::nullopt : std::optional(body["ip"].get<std::string>());
    }
    if (body.contains("history_kept")) {
        if (!body["history_kept"].is_number_unsigned()) {
            throw ControlError("\"history_kept\" must be a whole number, 0 for every line");
        }
        settings.history_kept = body["history_kept"].get<std::size_t>();
    }
    if (settings.hold.count() < 0 || settings.bot_delay.count() < 0) {
        throw ControlError("times must not be negative");
    }
    backend.state.ChangeSettings([&](ServiceSettings& current) { current = settings; });
    Reply(exchange, SettingsJson(settings));
}

void Faults(Exchange& exchange, const std::string& rest) {
    Backend& backend = exchange.backend;
    if (rest == "faults" && exchange.request.method == "GET") {
        Reply(exchange, backend.faults.List());
        return;
    }
    if (rest == "faults/clear") {
        backend.faults.Clear();
        Reply(exchange, Json::object({{"ok", true}}));
        return;
    }
    if (rest == "faults/remove") {
        const Json body = Body(exchange);
        Reply(exchange, Json::object({{"ok", backend.faults.Remove(body.value("id", 0))}}));
        return;
    }
    const Json body = Body(exchange);
    const Json rules = body.contains("rules") ? body["rules"] : Json::array({body});
    Json ids = Json::array();
    for (const Json& given : rules) {
        try {
            ids.push_back(backend.faults.Add(FaultFromJson(given, backend.state_dir)));
        } catch (const std::invalid_argument& error) {
            throw ControlError(error.what());
        }
    }
    Reply(exchange,
          ids.size() == 1 ? Json::object({{"id", ids[0]}}) : Json::object({{"ids", ids}}));
}

void Requests(Exchange& exchange) {
    const std::uint64_t since =
        ParseId(FieldValue(exchange.query, "since").value_or("0")).value_or(0);
    Json requests =
        exchange.backend.recorder.Requests(since, FieldValue(exchange.query, "host").value_or("*"),
                                           FieldValue(exchange.query, "path").value_or("*"));
    Json out;
    out["last"] = requests.empty() ? since : requests.back()["n"].get<std::uint64_t>();
    out["requests"] = std::move(requests);
    Reply(exchange, out);
}

void Records(Exchange& exchange) {
    const auto kind = FieldValue(exchange.query, "kind");
    Reply(exchange,
          kind ? exchange.backend.recorder.Entries(*kind) : exchange.backend.recorder.AllEntries());
}

void ChannelView(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const UserId id = ParseId(FieldValue(exchange.query, "id").value_or("")).value_or(0);
    KnownAccount(backend, id);
    const auto channel = backend.state.ChannelOf(id);
    Json items = Json::array();
    for (const auto& [seq, item] : channel->Snapshot()) {
        items.push_back(Json::object({{"seq", seq}, {"item", item}}));
    }
    Json out;
    out["channel"] = backend.state.ChannelName(id);
    out["next_seq"] = channel->NextSeq();
    out["items"] = std::move(items);
    Reply(exchange, out);
}

void Conversation(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const UserId a = ParseId(FieldValue(exchange.query, "a").value_or("")).value_or(0);
    const UserId b = ParseId(FieldValue(exchange.query, "b").value_or("")).value_or(0);
    Json messages = Json::array();
    for (const StoredMessage& message : backend.state.History(a, b)) {
        messages.push_back(Json::object({{"from", message.from},
                                         {"to", message.to},
                                         {"text", message.text},
                                         {"time", message.time_ms}}));
    }
    Reply(exchange, messages);
}

void Reset(Exchange& exchange) {
    Backend& backend = exchange.backend;
    backend.faults.Clear();
    backend.state.Reset();
    backend.recorder.Clear();
    Reply(exchange, Json::object({{"ok", true}}));
}

} // namespace

void HandleControl(Exchange& exchange) {
    std::string rest = exchange.path.substr(std::string_view("/__control").size());
    while (!rest.empty() && rest.front() == '/') {
        rest.erase(0, 1);
    }
    const bool post = exchange.request.method == "POST";
    // A web page in the same browser could otherwise drive the control interface: a foreign
    // Host (DNS rebinding) is refused, and a change must come as JSON, which a page cannot
    // post to another origin without asking first.
    if (!ControlHostAllowed(exchange)) {
        Reply(exchange,
              Json::object({{"error", "the control interface answers its own names only (a "
                                      "Host header naming the stand-in is needed)"}}),
              403);
        return;
    }
    if (post &&
        !exchange.request.get_header_value("Content-Type").starts_with("application/json")) {
        Reply(exchange, Json::object({{"error", "control requests are application/json"}}), 415);
        return;
    }
    try {
        if (rest.empty() || rest == "index.html") {
            exchange.Html(ControlPageHtml());
        } else if (rest == "state") {
            State(exchange);
        } else if (rest == "act" && post) {
            Act(exchange);
        } else if (rest == "account" && post) {
            ChangeAccount(exchange);
        } else if (rest == "settings" && post) {
            ChangeSettings(exchange);
        } else if (rest == "faults" || (rest.starts_with("faults/") && post)) {
            Faults(exchange, rest);
        } else if (rest == "requests") {
            Requests(exchange);
        } else if (rest == "records") {
            Records(exchange);
        } else if (rest == "channel") {
            ChannelView(exchange);
        } else if (rest == "conversation") {
            Conversation(exchange);
        } else if (rest == "reset" && post) {
            Reset(exchange);
        } else {
            Reply(exchange, Json::object({{"error", "no such control endpoint: " + rest}}), 404);
        }
    } catch (const ControlError& error) {
        Reply(exchange, Json::object({{"error", error.what()}}), 400);
    } catch (const Json::exception& error) {
        Reply(exchange, Json::object({{"error", std::string("wrong value: ") + error.what()}}),
              400);
    }
}

} // namespace quillo::standin
