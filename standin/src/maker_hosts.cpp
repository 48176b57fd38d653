// The maker's update, banner and web hosts (one set of paths, whichever of the three names
// was asked), the IP echo service and the picture host.
#include <charconv>

#include "exchange.h"
#include "pages.h"

namespace quillo::standin {

namespace {

struct BannerEntry {
    const char* country;
    const char* language;
    const char* gender;
    const char* age;
    const char* education;
    const char* income;
    const char* format;
    const char* tooltip;
    const char* duration;
    const char* rank;
};

// Some for everybody, some aimed at an English-speaking user, some at nobody in particular.
constexpr BannerEntry kBanners[] = {
    {"all", "all", "all", "all", "all", "all", "png", "Quillo for Facebook: chat from your desktop",
     "1m", "1"},
    {"United States, United Kingdom, Ireland, Canada, Australia", "English", "male, female", "all",
     "all", "all", "jpg", "Talk to your friends & family", "2m", "10"},
    {"all", "English, German, French", "all", "&lt;18, 18-24, 25-34, 35-44, 45-54, 55+", "all",
     "all", "gif", "Meet new friends online", "1", "2"},
    {"Germany, Austria, Switzerland", "German", "all", "all", "all", "all", "png",
     "Chatten mit Freunden", "3m", "3"},
    {"all", "all", "female", "18-24", "College", "all", "jpg", "Student offers", "1m", "4"},
};

std::string BannerXml(const Urls& urls) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<BANNERS>\n";
    int number = 0;
    for (const BannerEntry& entry : kBanners) {
        const std::string image =
            urls.Banner("/banners/banner" + std::to_string(number) + "." + entry.format);
        xml += "  <BANNER>\n    <COUNTRY>" + std::string(entry.country) +
               "</COUNTRY>\n    <LANGUAGE>" + entry.language + "</LANGUAGE>\n    <GENDER>" +
               entry.gender + "</GENDER>\n    <AGE>" + entry.age + "</AGE>\n    <EDUCATION>" +
               entry.education + "</EDUCATION>\n    <INCOME>" + entry.income +
               "</INCOME>\n    <IMAGE>" + image + "</IMAGE>\n    <LINKTO>" +
               HtmlEscape(urls.Maker("/index.php?lang=en&banner=" + std::to_string(number))) +
               "</LINKTO>\n    <DURATION>" + entry.duration + "</DURATION>\n    <TOOLTIP>" +
               HtmlEscape(entry.tooltip) + "</TOOLTIP>\n    <RANK>" + entry.rank +
               "</RANK>\n  </BANNER>\n";
        ++number;
    }
    xml += "</BANNERS>\n";
    return xml;
}

std::string MakerPage(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\" /><title>" + HtmlEscape(title) +
           "</title></head>\n<body>\n<h1>" + HtmlEscape(title) + "</h1>\n" + body +
           "\n</body></html>\n";
}

void ServePicture(Exchange& exchange, const std::optional<Picture>& picture) {
    if (!picture) {
        exchange.Text("Not Found", "text/plain", 404);
        return;
    }
    exchange.Text(picture->bytes, picture->content_type);
}

} // namespace

void HandleMakerHost(Exchange& exchange) {
    Backend& backend = exchange.backend;
    const std::string& path = exchange.path;
    if (path == "/version.htm") {
        exchange.Html(backend.state.Settings().version);
        return;
    }
    if (path == "/settings.xml") {
        exchange.Text(BannerXml(backend.urls), "text/xml; charset=utf-8");
        return;
    }
    if (path.starts_with("/banners/banner")) {
        const std::string name = path.substr(15);
        const std::size_t dot = name.find('.');
        int number = -1;
        if (dot != std::string::npos) {
            std::from_chars(name.data(), name.data() + dot, number);
        }
        if (number < 0 || number >= static_cast<int>(std::size(kBanners))) {
            exchange.Text("Not Found", "text/plain", 404);
            return;
        }
        ServePicture(exchange, backend.pictures.Banner(number, name.substr(dot + 1)));
        return;
    }
    if (path == "/content/en/preview02.png" || path == "/content/en/preview03.png") {
        ServePicture(exchange, backend.pictures.Preview(path[20] - '0'));
        return;
    }
    if (path == "/index.php" && exchange.Field("act") == "err") {
        Json report;
        report["fields"] =
            FieldsJson(exchange.request.method == "POST" ? exchange.form : exchange.query);
        report["lang"] = exchange.Field("lang").value_or("");
        report["method"] = exchange.request.method;
        report["remote"] = exchange.request.remote_addr;
        backend.recorder.Add("reports", std::move(report));
        exchange.Html(MakerPage("Thank you", "<p>The report was received.</p>"));
        return;
    }
    if (path == "/index.php" && exchange.Field("act") == "hlp") {
        exchange.Html(MakerPage("Quillo for Facebook - Help",
                                "<p>Language: " + HtmlEscape(exchange.Field("lang").value_or("")) +
                                    "</p><p>Sign in with your Facebook e-mail address and "
                                    "password.</p>"));
        return;
    }
    if (path == "/" || path == "/index.php") {
        exchange.Html(MakerPage("Quillo for Facebook",
                                "<p>Chat with your Facebook friends from the desktop.</p>"
                                "<p><a href=\"" +
                                    backend.urls.Maker("/download") + "\">Download</a></p>"));
        return;
    }
    if (path == "/download") {
        exchange.Html(MakerPage(
            "Download Quillo for Facebook",
            "<p>Version " + HtmlEscape(backend.state.Settings().version) + "</p><p><a href=\"" +
                backend.urls.Maker("/files/QuilloSetup.exe") + "\">QuilloSetup.exe</a></p>"));
        return;
    }
    exchange.Html(MakerPage("Not Found", "<p>No such page.</p>"), 404);
}

void HandleIpEcho(Exchange& exchange) {
    if (exchange.path != "/automation/n09230945.asp") {
        exchange.Html("", 404);
        return;
    }
    const auto answer = exchange.backend.state.Settings().ip_answer;
    exchange.Html(answer ? *answer : exchange.request.remote_addr);
}

void HandlePictureHost(Exchange& exchange) {
    char size = 'q';
    UserId id = 0;
    std::string format;
    if (!exchange.path.starts_with("/pics/") ||
        !ParseProfilePictureName(exchange.path.substr(6), size, id, format)) {
        exchange.Text("Not Found", "text/plain", 404);
        return;
    }
    const auto account = exchange.backend.state.FindAccount(id);
    if (!account) {
        exchange.Text("Not Found", "text/plain", 404);
        return;
    }
    ServePicture(exchange, exchange.backend.pictures.Profile(
                               exchange.path.substr(6), account->first_name, id, size, format));
}

} // namespace quillo::standin
