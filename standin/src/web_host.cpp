// The service's web host: the root page and login, the signed-in pages, sign-out. The AJAX
// endpoints under /ajax/ have their own file.
#include <ctime>

#include "exchange.h"
#include "pages.h"

namespace quillo::standin {

namespace {

constexpr std::time_t kDay = 24 * 60 * 60;

std::time_t Now() {
    return std::time(nullptr);
}

HomeView BuildHomeView(Backend& backend, const Account& account, const Session& session) {
    HomeView view;
    view.account = account;
    view.session = session;
    view.channel = backend.state.ChannelName(account.id);
    view.conversations = backend.state.OpenConversations(account.id);
    view.people[account.id] = account;
    for (const ConversationSummary& summary : view.conversations) {
        for (UserId id : {summary.other, summary.last ? summary.last->from : summary.other}) {
            if (!view.people.contains(id)) {
                if (auto person = backend.state.FindAccount(id)) {
                    view.people[id] = *person;
                }
            }
        }
    }
    return view;
}

void GiveBrowserCookie(Exchange& exchange) {
    if (!FieldValue(exchange.cookies, "datr")) {
        exchange.SetCookie("datr", std::to_string(Now()) + "-" + RandomHex(24), Now() + 730 * kDay);
    }
}

void ServeHome(Exchange& exchange, const Session& session) {
    const auto account = exchange.backend.state.FindAccount(session.user);
    if (!account) {
        exchange.Html(NotFoundPage(exchange.backend.urls), 404);
        return;
    }
    exchange.Html(
        HomePage(exchange.backend.urls, BuildHomeView(exchange.backend, *account, session)));
}

void ServeRoot(Exchange& exchange) {
    Backend& backend = exchange.backend;
    if (backend.state.Settings().root_redirect_443 && !FieldValue(exchange.cookies, "datr")) {
        // The service sent new visitors through its TLS port first.
        GiveBrowserCookie(exchange);
        exchange.Redirect("http://" + backend.urls.names().web + ":443" + exchange.request.target);
        return;
    }
    GiveBrowserCookie(exchange);
    if (const auto session = backend.state.LiveSession(exchange.cookies)) {
        ServeHome(exchange, *session);
        return;
    }
    exchange.Html(LoginPage(backend.urls, false, RandomToken(5)));
}

void SignIn(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const std::string email = FieldValue(exchange.form, "email").value_or("");
    const std::string password = FieldValue(exchange.form, "pass").value_or("");
    const auto account = backend.state.FindLogin(Trimmed(email), password);
    if (!account) {
        GiveBrowserCookie(exchange);
        exchange.Html(LoginPage(backend.urls, true, RandomToken(5)));
        return;
    }
    const std::string persistent = FieldValue(exchange.form, "persistent").value_or("");
    const bool keep = persistent == "1" || persistent == "on";
    const Session session = backend.state.StartSession(account->id, keep);
    const std::time_t now = Now();
    const std::time_t until = now + (keep ? 30 * kDay : kDay);
    exchange.SetCookie("made_write_conn", std::to_string(now), now + 365 * kDay);
    exchange.SetCookie("c_user", std::to_string(account->id), until);
    exchange.SetCookie("xs", session.xs, until);
    exchange.SetCookie("sct", std::to_string(now), until);
    exchange.SetCookie("lu", "Rg" + RandomToken(22), now + 730 * kDay);
    exchange.SetCookie("locale", "en_US", now + 7 * kDay);
    if (backend.state.Settings().login_redirect_root) {
        exchange.Redirect(backend.urls.Root());
        return;
    }
    exchange.Html(HomePage(backend.urls, BuildHomeView(backend, *account, session)));
}

// The login page, or with credentials the sign-in; the same on the web and the login host.
void ServeLogin(Exchange& exchange) {
    if (exchange.request.method == "POST") {
        SignIn(exchange);
        return;
    }
    GiveBrowserCookie(exchange);
    exchange.Html(LoginPage(exchange.backend.urls, false, RandomToken(5)));
}

void SignOut(Exchange& exchange) {
    Backend& backend = exchange.backend;
    if (const auto xs = FieldValue(exchange.cookies, "xs")) {
        backend.state.EndSession(*xs);
    }
    const std::time_t gone = Now() - 365 * kDay;
    for (const char* name : {"c_user", "xs", "sct", "made_write_conn"}) {
        exchange.SetCookie(name, "deleted", gone);
    }
    exchange.Redirect(backend.urls.Web("/index.php?stype=lo&lh=" + RandomHex(12)));
}

std::string NewComposerId() {
    std::string id = RandomHex(13);
    id.insert(id.begin(), 'c');
    return id;
}

void ServeProfile(Exchange& exchange, const Session& session) {
    Backend& backend = exchange.backend;
    const auto viewer = backend.state.FindAccount(session.user);
    const auto id_text = FieldValue(exchange.query, "id");
    const auto view = FieldValue(exchange.query, "v");
    const UserId owner_id = id_text ? ParseId(*id_text).value_or(0) : session.user;
    const auto owner = backend.state.FindAccount(owner_id);
    if (!viewer || !owner) {
        exchange.Html(NotFoundPage(backend.urls), 404);
        return;
    }
    if (view == "photos") {
        if (!id_text && viewer->photos_redirect) {
            exchange.Html(PhotosRedirectPage(backend.urls, viewer->id));
            return;
        }
        exchange.Html(PhotosPage(backend.urls, *owner));
        return;
    }
    const bool may_post =
        owner->id == viewer->id || backend.state.AreFriends(viewer->id, owner->id);
    exchange.Html(ProfilePage(backend.urls, *viewer, *owner, may_post ? NewComposerId() : ""));
}

void ServePopout(Exchange& exchange, const Session& session) {
    const auto account = exchange.backend.state.FindAccount(session.user);
    if (!account) {
        exchange.Html(NotFoundPage(exchange.backend.urls), 404);
        return;
    }
    exchange.Html(
        PopoutPage(exchange.backend.urls, BuildHomeView(exchange.backend, *account, session)));
}

} // namespace

void HandleLoginHost(Exchange& exchange) {
    if (exchange.path == "/login.php") {
        ServeLogin(exchange);
        return;
    }
    exchange.Html(NotFoundPage(exchange.backend.urls), 404);
}

void HandleWebHost(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const std::string& path = exchange.path;
    const std::string& method = exchange.request.method;
    if (path.starts_with("/ajax/")) {
        HandleAjax(exchange);
        return;
    }
    if (path == "/" || path == "/index.php") {
        if (method == "POST") {
            exchange.Html(LoginPage(backend.urls, false, RandomToken(5)));
            return;
        }
        ServeRoot(exchange);
        return;
    }
    if (path == "/login.php") {
        ServeLogin(exchange);
        return;
    }
    if (path == "/logout.php") {
        SignOut(exchange);
        return;
    }
    if (path == "/reset.php") {
        exchange.Html(ResetPage(backend.urls));
        return;
    }
    if (path == "/home.php" || path == "/profile.php" || path == "/presence/popout.php" ||
        path == "/notifications.php") {
        const auto session = backend.state.LiveSession(exchange.cookies);
        if (!session) {
            exchange.Redirect(backend.urls.Web(
                "/login.php?next=" + PercentEncode(backend.urls.Web(exchange.request.target))));
            return;
        }
        if (path == "/profile.php") {
            ServeProfile(exchange, *session);
        } else if (path == "/presence/popout.php") {
            ServePopout(exchange, *session);
        } else if (path == "/notifications.php") {
            if (const auto viewer = backend.state.FindAccount(session->user)) {
                exchange.Html(NotificationsPage(backend.urls, *viewer));
            } else {
                exchange.Html(NotFoundPage(backend.urls), 404);
            }
        } else if (FieldValue(exchange.query, "filter") == "app_2309869772") {
            const auto viewer = backend.state.FindAccount(session->user);
            exchange.Html(HomeFilterPage(backend.urls, *viewer, NewComposerId()));
        } else {
            ServeHome(exchange, *session);
        }
        return;
    }
    exchange.Html(NotFoundPage(backend.urls), 404);
}

} // namespace quillo::standin
