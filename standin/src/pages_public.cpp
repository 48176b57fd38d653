// The pages a visitor sees without a session.
#include "pages.h"

#include "http_text.h"

namespace quillo::standin {

std::string PageHead(std::string_view title, std::string_view extra_head) {
    return "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
           "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en\" lang=\"en\" "
           "id=\"facebook\">\n<head>\n"
           "<meta http-equiv=\"Content-type\" content=\"text/html; charset=utf-8\" />\n"
           "<title>" +
           std::string(title) + "</title>\n" + std::string(extra_head) + "</head>\n";
}

std::string ShortPageHead(std::string_view title) {
    return "<!DOCTYPE html>\n<html><head><meta http-equiv=\"Content-type\" "
           "content=\"text/html; charset=utf-8\" /><title>" +
           std::string(title) + "</title></head>\n";
}

std::string HtmlEscape(std::string_view text) {
    return EscapeEntities(text, true);
}

std::string LoginPage(const Urls& urls, bool failed, const std::string& lsd) {
    const std::string root = urls.Root();
    std::string page = PageHead("Welcome to Facebook! | Facebook");
    page += "<body class=\"fbIndex UIPage_LoggedOut\">\n<div id=\"blueBar\">\n"
            "<a href=\"" +
            root + "/\" title=\"Go to Facebook Home\"><i class=\"fb_logo\"></i></a>\n";
    // The search box comes first: the login form is not the page's first form.
    page += "<form method=\"get\" action=\"" + root +
            "/search/\" id=\"navSearch\" class=\"search_form\">"
            "<input type=\"text\" class=\"inputtext\" name=\"q\" value=\"\" />"
            "<input type=\"hidden\" name=\"init\" value=\"quick\" /></form>\n";
    page += "<form method=\"POST\" action=\"" + HtmlEscape(urls.LoginAction()) +
            "\" id=\"login_form\" onsubmit=\"return Event.__inlineSubmit(this,event)\">\n"
            "<input type=\"hidden\" name=\"charset_test\" "
            "value=\"&euro;,&acute;,\xE2\x82\xAC,\xC2\xB4,\xE6\xB0\xB4,\xD0\x94,\xD0\x84\" />\n"
            "<input type=\"hidden\" id=\"locale\" name=\"locale\" value=\"en_US\" "
            "autocomplete=\"off\" />\n"
            "<input type=\"hidden\" name=\"lsd\" value=\"" +
            lsd +
            "\" autocomplete=\"off\" />\n"
            "<table cellspacing=\"0\"><tr><td class=\"html7magic\"><label "
            "for=\"email\">Email</label></td><td class=\"html7magic\"><label "
            "for=\"pass\">Password</label></td></tr>\n"
            "<tr><td><input type=\"text\" class=\"inputtext\" name=\"email\" id=\"email\" "
            "value=\"\" tabindex=\"1\" /></td>\n"
            "<td><input type=\"password\" class=\"inputtext\" name=\"pass\" id=\"pass\" "
            "tabindex=\"2\" /></td>\n"
            "<td><label class=\"uiButton uiButtonConfirm\" for=\"u0\"><input value=\"Login\" "
            "tabindex=\"4\" type=\"submit\" id=\"u0\" /></label></td></tr>\n"
            "<tr><td class=\"login_form_label_field\"><input type=\"checkbox\" "
            "id=\"persistent\" name=\"persistent\" value=\"1\" tabindex=\"3\" />"
            "<label for=\"persistent\">Keep me logged in</label></td>\n"
            "<td class=\"login_form_label_field\"><a href=\"" +
            root +
            "/reset.php\" rel=\"nofollow\">Forgot your password?</a></td></tr></table>\n"
            "</form>\n</div>\n";
    if (failed) {
        page += "<div id=\"error\" class=\"UIMessageBox UIMessageBox_ERROR\">"
                "<h2 id=\"standard_error\" class=\"main_message\">"
                "Incorrect Email/Password Combination</h2>"
                "<p class=\"sub_message\">Facebook passwords are case sensitive. Please check "
                "your CAPS lock key.</p></div>\n";
    }
    page += "<div id=\"content\"><div class=\"UIFullPage_Container\">\n"
            "<h2>Sign Up</h2><div class=\"mbm\">It's free and anyone can join</div>\n"
            "<form method=\"post\" id=\"reg\" name=\"reg\" action=\"" +
            root +
            "/r.php\" onsubmit=\"return function(event){return false;}.call(this,event)\">\n"
            "<input type=\"hidden\" name=\"lsd\" value=\"" +
            lsd +
            "\" />\n"
            "<input type=\"text\" class=\"inputtext\" id=\"firstname\" name=\"firstname\" />\n"
            "<input type=\"text\" class=\"inputtext\" id=\"lastname\" name=\"lastname\" />\n"
            "<input type=\"text\" class=\"inputtext\" id=\"reg_email__\" name=\"reg_email__\" />\n"
            "<input type=\"password\" class=\"inputtext\" id=\"reg_passwd__\" "
            "name=\"reg_passwd__\" />\n"
            "<select class=\"select\" name=\"sex\" id=\"sex\"><option value=\"0\">Select "
            "Sex:</option><option value=\"1\">Female</option><option "
            "value=\"2\">Male</option></select>\n"
            "<input type=\"submit\" class=\"UIButton_Text\" value=\"Sign Up\" />\n"
            "</form>\n</div></div>\n"
            "<div id=\"pageFooter\"><a href=\"" +
            root + "/facebook?ref=pf\">About</a></div>\n</body>\n</html>\n";
    return page;
}

std::string ResetPage(const Urls& urls) {
    std::string page = PageHead("Forgot your password? | Facebook");
    page += "<body class=\"UIPage_LoggedOut\">\n<div id=\"content\">\n"
            "<h2 class=\"uiHeaderTitle\">Reset Your Password</h2>\n"
            "<form method=\"post\" action=\"" +
            urls.Web("/reset.php") +
            "\" id=\"reset_form\">\n"
            "<label for=\"email\">Email:</label><input type=\"text\" class=\"inputtext\" "
            "id=\"email\" name=\"email\" value=\"\" />\n"
            "<input type=\"submit\" value=\"Search\" name=\"search\" />\n</form>\n"
            "</div>\n</body>\n</html>\n";
    return page;
}

std::string ServiceErrorPage(const Urls& urls) {
    std::string page = PageHead("Facebook | Error");
    page += "<body class=\"UIPage_LoggedOut\">\n<div id=\"content\">\n"
            "<h2 class=\"main_message\">Sorry, something went wrong.</h2>\n"
            "<p>We're working on getting this fixed as soon as we can.</p>\n"
            "<p><a href=\"" +
            urls.Root() + "/\">Go Back</a></p>\n</div>\n</body>\n</html>\n";
    return page;
}

std::string HomeRedirectScript(const Urls& urls) {
    return "<script type=\"text/javascript\">\nwindow.location.replace(" +
           JsString(urls.Web("/home.php")) + ");\n</script>\n";
}

std::string NotFoundPage(const Urls& urls) {
    std::string page = PageHead("Page Not Found | Facebook");
    page += "<body>\n<div id=\"content\"><h2 class=\"main_message\">The page you requested "
            "was not found.</h2>\n<p>You may have clicked an expired link or mistyped the "
            "address.</p><p><a href=\"" +
            urls.Root() + "/\">Go Back</a></p></div>\n</body>\n</html>\n";
    return page;
}

} // namespace quillo::standin
