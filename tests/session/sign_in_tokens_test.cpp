#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include "session/session_state.h"
#include "session/sign_in_tokens.h"

using namespace quillo;

namespace {

struct Tokens {
    QString user, postFormId, dtsg, fullName, picture, channel;
};

Tokens parse(const QString& page, const QString& oldPicture = {}) {
    SessionState state;
    state.PictureUrl.set(oldPicture);
    ParseTokens(page, state);
    return {state.UserId.get(),   state.PostFormId.get(), state.Dtsg.get(),
            state.FullName.get(), state.PictureUrl.get(), state.ChannelName.get()};
}

const QString kName = QStringLiteral("4000000001\\\", \\\"Alice Zo\\u00eb\\\"");
const QString kPicture = QStringLiteral(
    "<img class=\"UIProfileImage UIProfileImage_LARGE\"  src=\"http:\\/\\/pic.test\\/a.jpg\">");
const QString kChannel = QStringLiteral("\"http:\\/\\/static.test\\/x.js\\\", \\\"channel06\\\"");

} // namespace

TEST(ParseTokens, EveryMarkerForm) {
    const struct {
        const char* what;
        QString page;
        Tokens expected;
    } cases[] = {
        {"plain html",
         QStringLiteral("<input name=\"user\" value=\"4000000001\"> post_form_id:\"pf1\" "
                        "fb_dtsg:\"dt1\" ") +
             kName + kPicture + kChannel,
         {"4000000001", "pf1", "dt1", "Alice Zo\\u00eb", "http://pic.test/a.jpg", "channel06"}},
        {"inside script strings",
         QStringLiteral("s=\"<input name=\\\"user\\\" value=\\\"4000000001\\\">\"; "
                        "post_form_id:\\\"pf2\\\" fb_dtsg:\\\"dt2\\\" ") +
             kName +
             QStringLiteral("class=\\\"UIComposer_Pic\\\"><img alt=\\\"\\\" "
                            "class=\\\"UIProfileImage UIProfileImage_LARGE\\\"  "
                            "src=\\\"http:\\/\\/pic.test\\/b.jpg\\\"") +
             kChannel,
         {"4000000001", "pf2", "dt2", "Alice Zo\\u00eb", "http://pic.test/b.jpg", "channel06"}},
        {"user: in script",
         QStringLiteral("{user:4000000001, post_form_id:\"pf3\", fb_dtsg:\"dt3\"}") + kChannel,
         {"4000000001", "pf3", "dt3", "", "", "channel06"}},
        {"no channel on the page",
         QStringLiteral("user:7, post_form_id:\"p\" fb_dtsg:\"d\""),
         {"7", "p", "d", "", "", ""}},
        {"fb_dtsg before post_form_id stops after the form id",
         QStringLiteral("user:7, fb_dtsg:\"d\" post_form_id:\"p\" ") + kPicture + kChannel,
         {"7", "p", "", "", "", ""}},
        {"no user marker: nothing", QStringLiteral("post_form_id:\"p\" fb_dtsg:\"d\""), {}},
        {"user marker without terminator", QStringLiteral("name=\"user\" value=\"123"), {}},
        {"name marker without terminator stops",
         QStringLiteral("user:7, post_form_id:\"p\" fb_dtsg:\"d\" 7\\\", \\\"Bob") + kPicture,
         {"7", "p", "d", "", "", ""}},
    };
    for (const auto& c : cases) {
        const Tokens t = parse(c.page);
        EXPECT_EQ(t.user, c.expected.user) << c.what;
        EXPECT_EQ(t.postFormId, c.expected.postFormId) << c.what;
        EXPECT_EQ(t.dtsg, c.expected.dtsg) << c.what;
        EXPECT_EQ(t.fullName, c.expected.fullName) << c.what;
        EXPECT_EQ(t.picture, c.expected.picture) << c.what;
        EXPECT_EQ(t.channel, c.expected.channel) << c.what;
    }
}

TEST(ParseTokens, KeepsAnEarlierPictureWhenThePageHasNone) {
    EXPECT_EQ(parse(QStringLiteral("user:7, post_form_id:\"p\" fb_dtsg:\"d\""),
                    QStringLiteral("http://old"))
                  .picture,
              QStringLiteral("http://old"));
}

TEST(SignInTokens, FirstWord) {
    EXPECT_EQ(FirstWord(QStringLiteral("Alice Smith Jones")), QStringLiteral("Alice"));
    EXPECT_EQ(FirstWord(QStringLiteral("Cher")), QString());
    EXPECT_EQ(FirstWord(QString()), QString());
}

TEST(SignInTokens, PhotosPage) {
    EXPECT_EQ(PhotosPageRedirect(QStringLiteral(
                  "x</script><script>window.location.replace(\"http:\\/\\/w.test\\/p.php\")")),
              QStringLiteral("http://w.test/p.php"));
    EXPECT_EQ(PhotosPageRedirect(QStringLiteral("<html>")), QString());
    EXPECT_EQ(PictureFromPhotosPage(QStringLiteral(
                  "id=\\\"top_bar_pic\\\"><img class=\\\"UIProfileImage UIProfileImage_LARGE "
                  "img\\\" src=\\\"http:\\/\\/p.test\\/1.jpg\\\"")),
              QStringLiteral("http://p.test/1.jpg"));
    EXPECT_EQ(PictureFromPhotosPage(
                  QStringLiteral("id=\"top_bar_pic\"><img class=\"UIProfileImage "
                                 "UIProfileImage_LARGE img\" src=\"http://p.test/2.jpg\"")),
              QStringLiteral("http://p.test/2.jpg"));
    EXPECT_EQ(PictureFromPhotosPage(QStringLiteral("id=\"top_bar_pic\"><img class=\"UIProfileImage "
                                                   "UIProfileImage_LARGE img\" src=\"http://cut")),
              QString());
}

TEST(SignInTokens, ChannelFromHomePageAndReconnect) {
    EXPECT_EQ(ChannelFromHomePage(
                  QStringLiteral("channelManager.iframeLoad(\"\\/iframe\\/12?r=1\", \"channel12\", "
                                 "true);"),
                  QStringLiteral("facebook.test")),
              QStringLiteral("http://0.channel12.facebook.test/iframe/12?r=1"));
    EXPECT_EQ(ChannelFromHomePage(QStringLiteral("channelManager.iframeLoad(\"\\/x\", \"c\")"),
                                  QStringLiteral("f.test")),
              QString());

    SessionState state;
    state.ChannelUrl.set(QStringLiteral("unchanged"));
    EXPECT_EQ(
        ChannelFromReconnect(QStringLiteral("for (;;);{\"error\":0,\"payload\":{\"host\":"
                                            "\"channel12\",\"path\":\"\\/x\\/y\",\"seq\":3}}"),
                             QStringLiteral("facebook.test"), state),
        QStringLiteral("channel12"));
    EXPECT_EQ(state.ChannelUrl.get(), QStringLiteral("http://0.channel12.facebook.test/x/y"));

    state.ChannelUrl.set(QStringLiteral("unchanged"));
    EXPECT_EQ(
        ChannelFromReconnect(QStringLiteral("{\"error\":1357001}"), QStringLiteral("f"), state),
        QString());
    EXPECT_EQ(state.ChannelUrl.get(), QStringLiteral("unchanged"));
}

// The channel name becomes the host of the long polls, which carry the session's cookies: a
// name of any other form than "channel" and ASCII digits must count as no channel at all.
TEST(SignInTokens, ChannelNameOnlyOfTheServiceForm) {
    const struct {
        QString name;
        bool taken;
    } cases[] = {
        {QStringLiteral("channel06"), true},
        {QStringLiteral("channel12"), true},
        {QStringLiteral("evil.example/"), false},
        {QStringLiteral("channel06.evil"), false},
        {QStringLiteral("channel"), false},
        {QStringLiteral("channelx1"), false},
        {QStringLiteral("channel1/x"), false},
        {QStringLiteral("channel 1"), false},
        {QStringLiteral("channel1@evil.example"), false},
        {QStringLiteral("channel\u0661"), false}, // a digit, but not an ASCII one
        {QString(), false},
    };
    const QString domain = QStringLiteral("facebook.test");
    for (const auto& c : cases) {
        const std::string what = c.name.toStdString();
        const QString page = QStringLiteral("user:7, post_form_id:\"p\" fb_dtsg:\"d\" "
                                            "\"http:\\/\\/static.test\\/x.js\\\", \\\"") +
                             c.name + QStringLiteral("\\\"");
        EXPECT_EQ(parse(page).channel, c.taken ? c.name : QString()) << what;

        const QString home = QStringLiteral("channelManager.iframeLoad(\"\\/iframe\\/1\", \"") +
                             c.name + QStringLiteral("\", true);");
        EXPECT_EQ(ChannelFromHomePage(home, domain),
                  c.taken ? QStringLiteral("http://0.") + c.name +
                                QStringLiteral(".facebook.test/iframe/1")
                          : QString())
            << what;

        SessionState state;
        state.ChannelUrl.set(QStringLiteral("unchanged"));
        const QString answer = QStringLiteral("for (;;);{\"error\":0,\"payload\":{\"host\":\"") +
                               c.name + QStringLiteral("\",\"path\":\"\\/x\\/y\",\"seq\":3}}");
        EXPECT_EQ(ChannelFromReconnect(answer, domain, state), c.taken ? c.name : QString())
            << what;
        EXPECT_EQ(state.ChannelUrl.get(), c.taken ? QStringLiteral("http://0.") + c.name +
                                                        QStringLiteral(".facebook.test/x/y")
                                                  : QStringLiteral("unchanged"))
            << what;
    }
}

// The channel address is the Referer of every long poll. A path with a line break would end
// that header and add one of the page's choosing; a path that does not start with "/" would
// run on into the host. Either counts as no address; the channel name still stands.
TEST(SignInTokens, ChannelAddressOnlyWithAPlainPath) {
    const struct {
        const char* what;
        QString path; // as the page writes it
        QString address;
    } cases[] = {
        {"the service's path", QStringLiteral("\\/iframe\\/11"),
         QStringLiteral("http://0.channel12.facebook.test/iframe/11")},
        {"a query", QStringLiteral("\\/x?a=1&b=2"),
         QStringLiteral("http://0.channel12.facebook.test/x?a=1&b=2")},
        {"a header after a line break", QStringLiteral("\\/x\r\nX-Injected: 1"), QString()},
        {"a bare line feed", QStringLiteral("\\/x\ny"), QString()},
        {"a tab", QStringLiteral("\\/x\ty"), QString()},
        {"a delete character", QStringLiteral("\\/x\u007f"), QString()},
        {"a host after the channel's", QStringLiteral(".evil.test\\/x"), QString()},
        {"a user part before another host", QStringLiteral("@evil.test\\/x"), QString()},
        {"no path at all", QString(), QStringLiteral("http://0.channel12.facebook.test")},
    };
    const QString domain = QStringLiteral("facebook.test");
    for (const auto& c : cases) {
        const QString home = QStringLiteral("channelManager.iframeLoad(\"") + c.path +
                             QStringLiteral("\", \"channel12\", true);");
        EXPECT_EQ(ChannelFromHomePage(home, domain), c.address) << c.what;

        SessionState state;
        state.ChannelUrl.set(QStringLiteral("unchanged"));
        const QString answer =
            QStringLiteral(
                "for (;;);{\"error\":0,\"payload\":{\"host\":\"channel12\",\"path\":\"") +
            c.path + QStringLiteral("\",\"seq\":3}}");
        EXPECT_EQ(ChannelFromReconnect(answer, domain, state), QStringLiteral("channel12"))
            << c.what;
        EXPECT_EQ(state.ChannelUrl.get(),
                  c.address.isEmpty() ? QStringLiteral("unchanged") : c.address)
            << c.what;
    }
}

TEST(SignInTokens, LogoutLink) {
    EXPECT_EQ(LogoutLink(QStringLiteral("<li class=\"fb_menu\" id=\"fb_menu_logout\"><a "
                                        "href=\"http://w.test/logout.php?h=1&amp;t=2\">")),
              QStringLiteral("http://w.test/logout.php?h=1&t=2"));
    EXPECT_EQ(LogoutLink(QStringLiteral("<li class=\"fb_menu\">")), QString());
}
