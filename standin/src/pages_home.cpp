// The signed-in home page. Its markers come in the forms the service used: HTML in the page,
// HTML inside script strings (quotes backslash-escaped), the user id only in the page's
// script, and a page without the channel.
#include "pages.h"

#include "chat_items.h"

namespace quillo::standin {

namespace {

// The service delivered parts of its pages as JSON inside a script: content as HTML text,
// onload as JavaScript text. Both end up with backslash-escaped quotes in the page.
std::string Pagelet(const std::string& id, const Json& content, const Json& onload) {
    Json pagelet;
    pagelet["id"] = id;
    pagelet["phase"] = 1;
    if (!content.is_null()) {
        pagelet["content"] = content;
    }
    if (!onload.is_null()) {
        pagelet["onload"] = onload;
    }
    return "<script type=\"text/javascript\">big_pipe.onPageletArrive(" + ServiceJsonText(pagelet) +
           ");</script>\n";
}

std::string MenuBar(const Urls& urls, const HomeView& view) {
    const Account& account = view.account;
    const std::string id = std::to_string(account.id);
    std::string html = "<div id=\"fb_menubar\" class=\"fb_menubar_core\">\n"
                       "<ul id=\"fb_menubar_core\" class=\"fb_menu_list\">\n"
                       "<li class=\"fb_menu\" id=\"fb_menu_home\"><a href=\"" +
                       urls.Web("/home.php?ref=home") +
                       "\" class=\"fb_menu_link\">Home</a></li>\n"
                       "<li class=\"fb_menu\" id=\"fb_menu_profile\"><a href=\"" +
                       urls.Web("/profile.php?id=" + id + "&amp;ref=profile") +
                       "\" class=\"fb_menu_link\">Profile</a></li>\n</ul>\n"
                       "<ul id=\"fb_menubar_aux\" class=\"fb_menu_list\">\n"
                       "<li class=\"fb_menu\" id=\"fb_menu_account\"><a href=\"" +
                       urls.Web("/editaccount.php?ref=mb") + "\">Settings</a></li>\n";
    if (account.logout_link) {
        html += "<li class=\"fb_menu\" id=\"fb_menu_logout\"><a href=\"" +
                urls.Web("/logout.php?h=" + view.session.logout_hash + "&amp;ref=mb") +
                "\">Logout</a></li>\n";
    }
    html += "</ul>\n<form method=\"post\" id=\"logout_form\" action=\"" + urls.Web("/logout.php") +
            "\"><input type=\"hidden\" name=\"post_form_id\" value=\"" + view.session.post_form_id +
            "\" autocomplete=\"off\" /><input type=\"hidden\" name=\"fb_dtsg\" value=\"" +
            view.session.fb_dtsg +
            "\" autocomplete=\"off\" /><input type=\"hidden\" name=\"h\" value=\"" +
            view.session.logout_hash +
            "\" /><input type=\"hidden\" name=\"ref\" value=\"mb\" /></form>\n</div>\n";
    return html;
}

std::string EnvScript(const Urls& urls, const HomeView& view) {
    return "window.Env={user:" + std::to_string(view.account.id) +
           ",method:\"GET\",dev:0,start:(new Date()).getTime(),ps_limit:5,ps_ratio:4,"
           "svn_rev:143627,static_base:" +
           JsString("http://static." + urls.names().base_domain + "/") +
           ",www_base:" + JsString(urls.Root() + "/") +
           ",rep_lag:2,post_form_id:" + JsString(view.session.post_form_id) +
           ",fb_dtsg:" + JsString(view.session.fb_dtsg) +
           ",lhsh:" + JsString(view.session.logout_hash) +
           ",domain:" + JsString(urls.names().base_domain) + ",locale:\"en_US\"};";
}

std::string PresenceForm(const Urls& urls, const HomeView& view) {
    return "<form action=\"" + urls.Web("/ajax/presence/update.php") +
           "\" method=\"post\" id=\"presence_form\" onsubmit=\"return false;\">"
           "<input type=\"hidden\" name=\"user\" value=\"" +
           std::to_string(view.account.id) +
           "\" /><input type=\"hidden\" name=\"popped_out\" value=\"false\" /></form>\n";
}

std::string PictureHtml(const Urls& urls, const Account& account, bool in_composer) {
    const std::string picture = urls.Picture(account.id, 'n', account.picture_format);
    if (in_composer) {
        return "<div class=\"UIComposer_Pic\"><img alt=\"\" class=\"UIProfileImage "
               "UIProfileImage_LARGE\"  src=\"" +
               picture + "\" /></div>";
    }
    return "<a href=\"" + urls.Web("/profile.php?id=" + std::to_string(account.id)) +
           "\" class=\"UIProfileImage_link\"><img class=\"UIProfileImage "
           "UIProfileImage_LARGE\"  src=\"" +
           picture + "\" alt=\"" + HtmlEscape(account.name) + "\" /></a>";
}

// The user's presence object: its arguments start with the quoted id and the quoted name.
std::string PresenceInit(const Urls& urls, const HomeView& view) {
    const Account& account = view.account;
    return "presence.init(" + JsString(std::to_string(account.id)) + ", " + JsString(account.name) +
           ", " + JsString(account.first_name) + ", " +
           JsString(urls.Picture(account.id, 'q', account.picture_format)) + ", 0, true);";
}

std::string ChannelInit(const Urls& urls, const HomeView& view) {
    return "channelManager = new ChannelManager(\"http://static." + urls.names().base_domain +
           "/rsrc.php/zB1X2/js/channel.js\", \"" + view.channel + "\", 80, \"p_" +
           std::to_string(view.account.id) + "\", " + std::to_string(view.session.started_ms) +
           ");";
}

// The open conversations: their last messages under "history", then one entry per
// conversation with its message count "m".
std::string ChatDisplayInit(const HomeView& view) {
    Json history = Json::array();
    Json tabs = Json::object();
    for (const ConversationSummary& summary : view.conversations) {
        if (summary.last) {
            const auto from = view.people.find(summary.last->from);
            const auto to = view.people.find(summary.last->to);
            history.push_back(HistoryEntry(*summary.last,
                                           from == view.people.end() ? nullptr : &from->second,
                                           to == view.people.end() ? nullptr : &to->second));
        }
    }
    tabs["history"] = std::move(history);
    for (const ConversationSummary& summary : view.conversations) {
        const auto other = view.people.find(summary.other);
        Json tab;
        tab["n"] = other == view.people.end() ? std::string() : other->second.name;
        tab["m"] = summary.count;
        tabs[std::to_string(summary.other)] = std::move(tab);
    }
    return "window.chatDisplay = new ChatDisplay(" + ServiceJsonText(tabs) + ", " +
           std::to_string(view.account.id) + ", false);";
}

} // namespace

std::string HomePage(const Urls& urls, const HomeView& view) {
    const Account& account = view.account;
    const PageForm form = account.page_form;
    std::string page =
        PageHead("Facebook | Home",
                 "<link type=\"text/css\" rel=\"stylesheet\" href=\"http://static." +
                     urls.names().base_domain + "/rsrc.php/z9X8Y/css/common.css\" />\n") +
        "<body class=\"home fbx Locale_en_US\">\n";
    page += MenuBar(urls, view);
    page += "<div id=\"content\">\n";

    // The user id, then the tokens: the client reads them in this order.
    if (form == PageForm::Escaped) {
        Json content;
        content["pagelet_presence_form"] = PresenceForm(urls, view);
        page += Pagelet("pagelet_env", content, Json::array({EnvScript(urls, view)}));
    } else {
        if (form != PageForm::ScriptUser) {
            page += PresenceForm(urls, view);
        }
        page += "<script type=\"text/javascript\">" + EnvScript(urls, view) + "</script>\n";
    }

    page += Pagelet("pagelet_presence", Json(), Json::array({PresenceInit(urls, view)}));

    if (account.home_picture) {
        if (form == PageForm::Escaped) {
            Json content;
            content["pagelet_composer"] = PictureHtml(urls, account, true);
            page += Pagelet("pagelet_composer", content, Json());
        } else {
            page += "<div id=\"home_left_column\"><div class=\"UIProfileBox\">" +
                    PictureHtml(urls, account, false) + "</div></div>\n";
        }
    }

    if (form != PageForm::NoChannel) {
        page += Pagelet("pagelet_channel", Json(), Json::array({ChannelInit(urls, view)}));
        page += "<script type=\"text/javascript\">channelManager.iframeLoad(" +
                JsString("/iframe/11") + ", " + JsString(view.channel) + ", 80);</script>\n";
    }

    page += Pagelet("pagelet_chat", Json(), Json::array({ChatDisplayInit(view)}));

    page += "<div id=\"home_stream\" class=\"UIStream\"><h3>News Feed</h3>"
            "<div class=\"UIIntentionalStory\">Nothing new since your last visit.</div></div>\n"
            "</div>\n<div id=\"pageFooter\"><a href=\"" +
            urls.Web("/facebook?ref=pf") + "\">About</a></div>\n</body>\n</html>\n";
    return page;
}

std::string PopoutPage(const Urls& urls, const HomeView& view) {
    const Account& account = view.account;
    // The form id first, then the script with the tokens, then the channel: other clients cut
    // them out in this order, with plain quotes.
    std::string page = PageHead("Facebook | Chat") + "<body class=\"chat_popout fbx\">\n" +
                       "<form method=\"post\" id=\"popout_form\" action=\"" +
                       urls.Web("/ajax/presence/update.php") +
                       "\" onsubmit=\"return false;\"><input type=\"hidden\" id=\"post_form_id\" "
                       "name=\"post_form_id\" value=\"" +
                       view.session.post_form_id +
                       "\" autocomplete=\"off\" /><input type=\"hidden\" name=\"user\" value=\"" +
                       std::to_string(account.id) +
                       "\" /><input type=\"hidden\" name=\"popped_out\" value=\"true\" /></form>\n";
    page += "<script type=\"text/javascript\">" + EnvScript(urls, view) + PresenceInit(urls, view) +
            "</script>\n";
    if (account.page_form != PageForm::NoChannel) {
        page += "<script type=\"text/javascript\">" + ChannelInit(urls, view) +
                "channelManager.iframeLoad(" + JsString("/iframe/11") + ", " +
                JsString(view.channel) + ", 80);</script>\n";
    }
    page += "<div id=\"buddy_list\" class=\"buddy_list_popout\"><div class=\"buddy_list_loading\">"
            "Loading...</div></div>\n</body>\n</html>\n";
    return page;
}

std::string NotificationsPage(const Urls& urls, const Account& account) {
    return ShortPageHead("Facebook | Notifications") + "<body class=\"notifications\">\n" +
           "<div id=\"notifications_header\"><h2>Notifications</h2><a href=\"" +
           urls.Web("/profile.php?id=" + std::to_string(account.id)) + "\">" +
           HtmlEscape(account.name) +
           "</a></div>\n<div id=\"notifications_list\" class=\"UIStream\">"
           "<div class=\"UIStream_Empty\">You have no new notifications.</div></div>\n"
           "</body></html>\n";
}

std::string PhotosRedirectPage(const Urls& urls, UserId id) {
    return "<html><head><script type=\"text/javascript\">var bigPipe = null;</script>"
           "<script>window.location.replace(" +
           JsString(urls.Web("/profile.php?id=" + std::to_string(id) + "&v=photos&ref=profile")) +
           ")</script></head><body></body></html>\n";
}

std::string PhotosPage(const Urls& urls, const Account& account) {
    const std::string picture = urls.Picture(account.id, 'n', account.picture_format);
    const std::string bar = "<div id=\"top_bar\"><a href=\"" +
                            urls.Web("/profile.php?id=" + std::to_string(account.id)) +
                            "\" id=\"top_bar_pic\"><img class=\"UIProfileImage "
                            "UIProfileImage_LARGE img\" src=\"" +
                            picture + "\" alt=\"" + HtmlEscape(account.name) +
                            "\" /></a><h2>Photos of " + HtmlEscape(account.name) + "</h2></div>";
    std::string page =
        ShortPageHead("Facebook | Photos of " + HtmlEscape(account.name)) + "<body>\n";
    if (account.page_form == PageForm::Escaped) {
        Json content;
        content["top_bar"] = bar;
        page += Pagelet("pagelet_top_bar", content, Json());
    } else {
        page += bar + "\n";
    }
    page += "<div id=\"photos\">No photos.</div>\n</body></html>\n";
    return page;
}

std::string ProfilePage(const Urls& urls, const Account& viewer, const Account& owner,
                        const std::string& composer_id) {
    std::string page = ShortPageHead("Facebook | " + HtmlEscape(owner.name)) +
                       "<body class=\"profile\">\n<div id=\"profile_name\"><h1>" +
                       HtmlEscape(owner.name) + "</h1></div>\n";
    if (!composer_id.empty()) {
        const bool own = viewer.id == owner.id;
        page += "<div class=\"UIComposer UIComposer_STATE_INPUT_NewHighLight\" id=\"" +
                composer_id + "\">\n<form method=\"post\" action=\"" +
                urls.Web("/ajax/updatestatus.php") +
                "\"><textarea class=\"UIComposer_TextArea DOMControl_placeholder\" "
                "name=\"status\" title=\"" +
                std::string(own ? "What&#039;s on your mind?" : "Write something...") +
                "\" onfocus=\"UIComposer.focusInstance(&quot;" + composer_id +
                "&quot;);\"></textarea><input type=\"hidden\" name=\"target_id\" value=\"" +
                std::to_string(owner.id) + "\" /></form>\n</div>\n";
    }
    page += "<div id=\"profile_minifeed\">Recent Activity</div>\n</body></html>\n";
    return page;
}

std::string HomeFilterPage(const Urls& urls, const Account& viewer,
                           const std::string& composer_id) {
    Json content;
    content["pagelet_composer"] =
        "<div class=\"UIComposer UIComposer_STATE_INPUT_NewHighLight\"  id=\"" + composer_id +
        "\"><div class=\"UIComposer_Pic\"><img alt=\"\" class=\"UIProfileImage "
        "UIProfileImage_SMALL\" src=\"" +
        urls.Picture(viewer.id, 'q', viewer.picture_format) +
        "\" /></div><textarea class=\"UIComposer_TextArea\" name=\"status\"></textarea>"
        "<a class=\"UIComposer_AttachmentLink\" href=\"#\" "
        "onclick=\"UIComposer.getInstance(&quot;" +
        composer_id + "&quot;).attach(2309869772);\">Link</a></div>";
    return ShortPageHead("Facebook | Links") + "<body class=\"home\">\n" +
           Pagelet("pagelet_composer", content, Json()) +
           "<div id=\"home_stream\">Links</div>\n</body></html>\n";
}

} // namespace quillo::standin
