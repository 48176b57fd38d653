// The maker's hosts, the IP echo and the picture host.
#include "standin_fixture.h"

namespace quillo::standin::test {
namespace {

using ::testing::HasSubstr;

// Width and height from a picture's header; the decoding itself is checked by the picture
// tests, with a real decoder.
std::pair<int, int> HeaderSize(const std::string& bytes) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes.at(i)); };
    if (bytes.starts_with("\x89PNG")) {
        return {byte(18) << 8 | byte(19), byte(22) << 8 | byte(23)};
    }
    if (bytes.starts_with("GIF89a")) {
        return {byte(7) << 8 | byte(6), byte(9) << 8 | byte(8)};
    }
    for (std::size_t i = 2; i + 8 < bytes.size(); ++i) {
        if (byte(i) == 0xFF && byte(i + 1) == 0xC0) {
            return {byte(i + 7) << 8 | byte(i + 8), byte(i + 5) << 8 | byte(i + 6)};
        }
    }
    return {0, 0};
}

TEST_F(StandInTest, VersionIpEchoAndErrorReports) {
    Browser browser(port());
    EXPECT_EQ(browser.Get("update.quillo.test", "/version.htm").body, "1.361");
    Control("POST", "/__control/settings",
            Json::object({{"version", "1.362\r\n"}, {"ip", "203.0.113.9"}}));
    EXPECT_EQ(browser.Get("update.quillo.test", "/version.htm").body, "1.362\r\n");
    EXPECT_EQ(browser.Get("ipecho.test", "/automation/n09230945.asp").body, "203.0.113.9");
    Control("POST", "/__control/settings", Json::object({{"ip", ""}}));
    EXPECT_EQ(browser.Get("ipecho.test", "/automation/n09230945.asp").body, "");

    browser.Post("www.quillo.test", "/index.php", {{"act", "err"}, {"lang", "German.lang#0001"}});
    const Json reports = Json::parse(Control("GET", "/__control/records?kind=reports").body);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["lang"], "German.lang#0001");
    EXPECT_EQ(reports[0]["fields"][0], Json::array({"act", "err"}));
    for (const char* target :
         {"/download", "/index.php?act=hlp&lang=German", "/index.php?lang=en"}) {
        EXPECT_EQ(browser.Get("www.quillo.test", target).status, 200) << target;
    }
}

TEST_F(StandInTest, BannerListHasTheElevenElementsAndPicturesThatLoad) {
    Browser browser(port());
    const std::string xml = browser.Get("banner.quillo.test", "/settings.xml").body;
    const std::string entry = Between(xml, "<BANNER>", "</BANNER>");
    for (const char* element : {"COUNTRY", "LANGUAGE", "GENDER", "AGE", "EDUCATION", "INCOME",
                                "IMAGE", "LINKTO", "DURATION", "TOOLTIP", "RANK"}) {
        EXPECT_THAT(entry, HasSubstr(std::string("<") + element + ">")) << element;
    }
    EXPECT_THAT(xml, HasSubstr("<AGE>&lt;18, "));
    std::size_t pictures = 0;
    for (std::size_t at = xml.find("<IMAGE>"); at != std::string::npos;
         at = xml.find("<IMAGE>", at + 1)) {
        const std::string url = xml.substr(at + 7, xml.find("</IMAGE>", at) - at - 7);
        const std::string prefix = "http://banner.quillo.test";
        ASSERT_EQ(url.rfind(prefix, 0), 0u) << url;
        const Reply picture = browser.Get("banner.quillo.test", url.substr(prefix.size()));
        EXPECT_EQ(picture.status, 200) << url;
        EXPECT_EQ(HeaderSize(picture.body), std::pair(468, 60)) << url;
        ++pictures;
    }
    EXPECT_GE(pictures, 4u);
}

TEST_F(StandInTest, PictureHostServesEveryAccountInEveryFormat) {
    Browser browser(port());
    for (const char* format : {"jpg", "png", "gif"}) {
        const Reply reply =
            browser.Get("profile.facebook.test", std::string("/pics/n42.") + format);
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(HeaderSize(reply.body), std::pair(200, 150)) << format;
        EXPECT_EQ(HeaderOf(reply, "Content-Type"),
                  std::string(format) == "jpg" ? "image/jpeg" : "image/" + std::string(format));
    }
    EXPECT_EQ(browser.Get("profile.facebook.test", "/pics/q999.jpg").status, 404);
    EXPECT_EQ(browser.Get("profile.facebook.test", "/pics/q42.bmp").status, 404);
    EXPECT_EQ(browser.Get("www.quillo.test", "/content/en/preview02.png").status, 200);
}

} // namespace
} // namespace quillo::standin::test
