#pragma once
// The HTML pages of the service's web host, with the markers the service's own scripts and
// the client look for. Pure functions of their inputs.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "hosts.h"
#include "service_state.h"
#include "world.h"

namespace quillo::standin {

// The head of a full page (XHTML doctype, UTF-8, the title as given, already escaped, then
// extra_head), up to and including </head>.
std::string PageHead(std::string_view title, std::string_view extra_head = {});
// The one-line head of the service's smaller pages.
std::string ShortPageHead(std::string_view title);

// &, <, >, " and ' as entities (' as &#039;, as the service wrote it).
std::string HtmlEscape(std::string_view text);

// The root page: a search form, the login form and the sign-up form.
std::string LoginPage(const Urls& urls, bool failed, const std::string& lsd);
std::string ResetPage(const Urls& urls);
// The service's error page (its title is what the client recognises).
std::string ServiceErrorPage(const Urls& urls);
// A script that sends the browser to the home page.
std::string HomeRedirectScript(const Urls& urls);
std::string NotFoundPage(const Urls& urls);

struct HomeView {
    Account account;
    Session session;
    std::string channel;
    std::vector<ConversationSummary> conversations;
    std::map<UserId, Account> people; // the user and everybody in conversations
};

// The signed-in home page in the account's page form.
std::string HomePage(const Urls& urls, const HomeView& view);

// The chat popout window ("/presence/popout.php"): the form id in a hidden input, the tokens in
// the page's plain script, the channel unless the page form leaves it out. Nothing here sits
// inside a script string, whatever the account's page form.
std::string PopoutPage(const Urls& urls, const HomeView& view);
// "/notifications.php" with nothing new.
std::string NotificationsPage(const Urls& urls, const Account& account);

// "/profile.php?v=photos" when the account asks for a script redirect first.
std::string PhotosRedirectPage(const Urls& urls, UserId id);
std::string PhotosPage(const Urls& urls, const Account& account);
// A profile; with a composer (its id in UIComposer.focusInstance) when the viewer may post.
std::string ProfilePage(const Urls& urls, const Account& viewer, const Account& owner,
                        const std::string& composer_id);
// "/home.php?filter=app_2309869772": the link-share composer inside a script string.
std::string HomeFilterPage(const Urls& urls, const Account& viewer, const std::string& composer_id);

} // namespace quillo::standin
