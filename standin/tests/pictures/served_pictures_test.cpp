// The pictures as a client receives them decode in a real decoder at their stated size.
#include <QByteArray>
#include <QImage>

#include "standin_fixture.h"

namespace quillo::standin::test {
namespace {

TEST_F(StandInTest, ServedPicturesDecode) {
    struct Case {
        const char* host;
        const char* path;
        QSize size;
    };
    const Case cases[] = {
        {"profile.facebook.test", "/pics/q42.gif", {50, 50}},
        {"profile.facebook.test", "/pics/n42.jpg", {200, 150}},
        {"profile.facebook.test", "/pics/n4294967311.png", {200, 150}},
        {"banner.quillo.test", "/banners/banner0.png", {468, 60}},
        {"banner.quillo.test", "/banners/banner1.jpg", {468, 60}},
        {"banner.quillo.test", "/banners/banner2.gif", {468, 60}},
        {"www.quillo.test", "/content/en/preview03.png", {120, 90}},
    };
    Browser browser(port());
    for (const Case& c : cases) {
        const Reply reply = browser.Get(c.host, c.path);
        ASSERT_EQ(reply.status, 200) << c.path;
        QImage image;
        EXPECT_TRUE(image.loadFromData(
            QByteArray(reply.body.data(), static_cast<qsizetype>(reply.body.size()))))
            << c.path;
        EXPECT_EQ(image.size(), c.size) << c.path;
    }
}

} // namespace
} // namespace quillo::standin::test
