#include "session/sign_in.h"

#include <QStringList>

#include "session/form_extract.h"
#include "session/http_layer.h"
#include "session/login_target.h"
#include "session/markers.h"
#include "session/session_event.h"
#include "session/session_state.h"
#include "session/sign_in_tokens.h"

namespace quillo {

bool CheckSignInInput(const QString& email, const QString& password) {
    return !email.isEmpty() && !password.isEmpty() && email.indexOf(u'@') > 0;
}

namespace {

// The one event of the attempt.
void report(SessionEventSink* mainWindow, SessionEventName name) {
    if (mainWindow)
        mainWindow->postEvent(name);
}

// The login form's fields, last control first, with the typed credentials in place of the
// page's values for "email" and "pass".
FormFields loginFields(const QStringList& controls, const QString& email, const QString& password) {
    FormFields fields;
    for (auto it = controls.crbegin(); it != controls.crend(); ++it) {
        const QString name = NthField(*it, kControlSeparator, 1);
        if (name == u"email")
            fields.append({name, email});
        else if (name == u"pass")
            fields.append({name, password});
        else
            fields.append({name, NthField(*it, kControlSeparator, 2)});
    }
    return fields;
}

} // namespace

void SignInThread(SessionState& state, HttpLayer& http, SessionEventSink* mainWindow,
                  const SignInHooks& hooks) {
    using enum SessionEventName;
    state.MainWindow.store(mainWindow);
    state.BuddyTail.clear();
    state.PictureUrl.clear();

    if (hooks.startupCheck && !hooks.startupCheck())
        return report(mainWindow, StartupCheckFailed);
    if (hooks.startBannerOnce)
        hooks.startBannerOnce();

    const QString email = state.Email.get();
    const QString password = state.Password.get();
    if (email.isEmpty() || password.isEmpty())
        return report(mainWindow, LoginFailed);

    http.ResetServiceClient(mainWindow);
    http.ResetChannelClient();
    const Endpoints& endpoints = http.endpoints();

    QString page = http.ServiceGet(endpoints.rootUrl(), QString());
    if (state.CancelSignIn)
        return report(mainWindow, SignInCancelled);

    const QString form = FindFormBlock(page, u"id=\"login_form");
    if (form.isEmpty())
        return report(mainWindow, LoginFailed);
    QStringList controls;
    // A relative action is resolved against the root page it came from.
    const QString action = ExtractForm(form, endpoints.rootUrl(), controls);
    // The page came over plain HTTP and anyone on the way may have rewritten the form: the
    // credentials go to the service's own hosts over TLS, or nowhere.
    const QString target = loginPostTarget(action, endpoints);
    if (target.isEmpty())
        return report(mainWindow, LoginFailed);

    page = http.ServicePost(target, endpoints.serviceUrl(QStringLiteral("/login.php")),
                            loginFields(controls, email, password));
    if (state.CancelSignIn)
        return report(mainWindow, SignInCancelled);
    if (page.isEmpty())
        return report(mainWindow, LoginFailed);
    state.HomePage.set(page);

    QString logoutTarget = LogoutLink(page);
    if (logoutTarget.isEmpty())
        logoutTarget = FindFormBlock(page, u"id=\"logout_form\"");
    state.LogoutTarget.set(logoutTarget);
    if (logoutTarget.isEmpty())
        return report(mainWindow, LoginFailed); // the credentials were refused

    ParseTokens(page, state);
    state.FirstName.set(FirstWord(state.FullName.get()));

    if (state.PictureUrl.get().isEmpty()) {
        QString photos = http.ServiceGet(QStringLiteral("/profile.php?v=photos"), QString());
        const QString redirect = PhotosPageRedirect(photos);
        if (!redirect.isEmpty())
            photos = http.ServiceGet(redirect, QString());
        state.PictureUrl.set(PictureFromPhotosPage(photos));
    }
    const QString picture = state.PictureUrl.get();
    if (!picture.isEmpty() && hooks.showPicture)
        hooks.showPicture(picture);
    if (state.CancelSignIn)
        return report(mainWindow, SignInCancelled);

    state.ChannelUrl.set(ChannelFromHomePage(page, endpoints.baseDomain));
    if (state.ChannelName.get().isEmpty()) {
        const QString answer = http.ServiceGet(
            QStringLiteral(
                "/ajax/presence/reconnect.php?reason=5&iframe_loaded=true&post_form_id=") +
                state.PostFormId.get() + QStringLiteral("&__a=1"),
            endpoints.rootUrl());
        if (state.CancelSignIn)
            return report(mainWindow, SignInCancelled);
        state.ChannelName.set(ChannelFromReconnect(answer, endpoints.baseDomain, state));
    }
    report(mainWindow, state.ChannelName.get().isEmpty() ? ConnectionLost : SignedIn);
}

} // namespace quillo
