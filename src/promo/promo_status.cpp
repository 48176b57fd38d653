#include "promo/promo_status.h"

#include "conversation/text_codecs.h"
#include "platform/build_settings.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "session/session_state.h"
#include "social/social_requests.h"

namespace quillo {

namespace {

QString statusText(const PromoContext& c, LanguageKey key) {
    return c.strings.format(key, {DecodeUnicodeEscapes(c.state.FullName.get())});
}

void postStatus(PromoContext& c, LanguageKey key) {
    PostToProfile(c.http, c.state, c.state.UserId.get(), statusText(c, key)); // result not used
}

} // namespace

void AskStatusConsent(PromoContext& c, const QString& email,
                      const std::function<bool(const QString& question)>& askUser) {
    const StoreResult<bool> first = ReadAccountConsent(c.store, email, c.settings);
    c.promo.FirstAccountUse = first.value();
    if (!first.value())
        return;
    const bool yes = askUser && askUser(c.strings.text(LanguageKey::msgPromote));
    c.settings.ShowStatus = yes;
    WriteAccountConsent(c.store, email, yes);
}

void PostSignInStatus(PromoContext& c) {
    const QString email = c.state.Email.get();
    c.promo.PostedToday = WasStatusPostedToday(c.store, email).value();
    if (c.settings.ShowStatus && !c.promo.PostedToday) {
        postStatus(c, LanguageKey::msgLoginStatus);
        if (c.promo.FirstAccountUse)
            ShareLink(c.http, c.state, QString::fromLatin1(build::kMakerWebSite));
        // The day is marked whatever the posts did, so a failing post is not retried all day.
        MarkStatusPostedToday(c.store, email);
    }
    c.promo.ChattingPosted = false;
}

void PostSignOutStatus(PromoContext& c) {
    if (c.settings.ShowStatus && !c.promo.PostedToday)
        postStatus(c, LanguageKey::msgLogoutStatus);
}

void PostChattingStatus(PromoContext& c, int tabCount) {
    if (tabCount != 4 || !c.settings.ShowStatus || c.promo.ChattingPosted)
        return;
    postStatus(c, LanguageKey::msgChattingStatus);
    c.promo.ChattingPosted = true;
}

} // namespace quillo
