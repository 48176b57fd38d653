#include "promo/promo_status.h"

#include "conversation/text_codecs.h"
#include "platform/build_settings.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "session/session_state.h"
#include "social/social_requests.h"

namespace quillo {

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

StatusPosts SignInStatusPosts(PromoContext& c) {
    StatusPosts posts;
    const QString email = c.state.Email.get();
    c.promo.PostedToday = WasStatusPostedToday(c.store, email).value();
    if (c.settings.ShowStatus && !c.promo.PostedToday) {
        posts.status = LanguageKey::msgLoginStatus;
        posts.shareLink = c.promo.FirstAccountUse;
        MarkStatusPostedToday(c.store, email);
    }
    c.promo.ChattingPosted = false;
    return posts;
}

StatusPosts SignOutStatusPosts(const PromoContext& c) {
    StatusPosts posts;
    if (c.settings.ShowStatus && !c.promo.PostedToday)
        posts.status = LanguageKey::msgLogoutStatus;
    return posts;
}

StatusPosts ChattingStatusPosts(PromoContext& c, int tabCount) {
    StatusPosts posts;
    if (tabCount != 4 || !c.settings.ShowStatus || c.promo.ChattingPosted)
        return posts;
    posts.status = LanguageKey::msgChattingStatus;
    c.promo.ChattingPosted = true;
    return posts;
}

void MakeStatusPosts(HttpLayer& http, SessionState& state, const LanguageStrings& strings,
                     const StatusPosts& posts) {
    if (posts.status) {
        const QString text =
            strings.format(*posts.status, {DecodeUnicodeEscapes(state.FullName.get())});
        PostToProfile(http, state, state.UserId.get(), text); // result not used
    }
    if (posts.shareLink)
        ShareLink(http, state, QString::fromLatin1(build::kMakerWebSite));
}

} // namespace quillo
