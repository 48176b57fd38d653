// The decoder of remote parties' pictures against hostile bytes: a header that lies about the
// size, a picture that really is huge but compressed to a few bytes, truncated and garbage
// bytes, a picture of no size, a format the windows do not take; each is refused before it
// costs anything, or decoded straight to the size it is shown at.
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "app/ui/picture_decoder.h"
#include "hostile_pictures.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace quillo::test;

static void PrintTo(QSize size, std::ostream* os) {
    *os << size.width() << 'x' << size.height();
}

namespace {

const QSize kTab(49, 49);
const QSize kStrip(kLargestPictureSide, 64);

TEST(PictureDecoder, HostileBytesAreRefusedAndPicturesComeAtTheSizeShown) {
    const QByteArray png = encoded(noisePicture(QSize(64, 64)), "PNG");
    const struct {
        const char* what;
        QByteArray bytes;
        QByteArray format; // as the banner's address says; empty: from the bytes
        QSize shown;
        QSize expected; // invalid: refused
    } cases[] = {
        {"a small PNG keeps its own size",
         encoded(noisePicture(QSize(30, 20)), "PNG"),
         {},
         kTab,
         QSize(30, 20)},
        {"a larger JPEG is fitted in proportion",
         encoded(noisePicture(QSize(400, 300)), "JPEG"),
         {},
         kTab,
         QSize(49, 36)},
        {"a GIF is fitted too", gifScreen(QSize(120, 60)), {}, kTab, QSize(49, 24)},
        {"the largest screen a GIF may have, from 40 bytes",
         gifScreen(QSize(4096, 4096)),
         {},
         kTab,
         QSize(49, 49)},
        {"a wide banner fits the strip's height", encoded(noisePicture(QSize(400, 100)), "PNG"),
         "PNG", kStrip, QSize(256, 64)},
        {"a banner within the strip keeps its size", encoded(noisePicture(QSize(468, 60)), "JPEG"),
         "JPEG", kStrip, QSize(468, 60)},
        {"the type comes from the bytes, whatever the address says", png, {}, kTab, QSize(49, 49)},

        {"a PNG whose header claims 5000x5000", pngClaiming(QSize(5000, 5000)), {}, kTab, {}},
        {"a PNG one pixel too wide", pngClaiming(QSize(4097, 1)), {}, kTab, {}},
        {"a PNG of no size", pngClaiming(QSize(0, 0)), {}, kTab, {}},
        {"a PNG with no height", pngClaiming(QSize(50, 0)), {}, kTab, {}},
        {"a real GIF of 4976x4976 in 40 bytes", gifScreen(QSize(4976, 4976)), {}, kTab, {}},
        {"a GIF screen one pixel too tall", gifScreen(QSize(1, 4097)), {}, kTab, {}},
        {"a GIF claiming 65535x65535", gifScreen(QSize(65535, 65535)), {}, kTab, {}},
        {"a real GIF of 8000x2000, within the memory limit but too wide",
         gifScreen(QSize(8000, 2000)),
         {},
         kTab,
         {}},
        {"a JPEG claiming 5000x5000", jpegClaiming(QSize(5000, 5000)), {}, kTab, {}},
        {"a JPEG claiming 65000x65000", jpegClaiming(QSize(65000, 65000)), {}, kTab, {}},
        {"a truncated PNG", png.left(png.size() / 2), {}, kTab, {}},
        {"a PNG cut after its header", png.left(40), {}, kTab, {}},
        {"garbage", QByteArray("\x12\x34not a picture at all\xff\xd8", 24), {}, kTab, {}},
        {"nothing", QByteArray(), {}, kTab, {}},
        {"a BMP, which no remote picture is",
         encoded(noisePicture(QSize(10, 10)), "BMP"),
         {},
         kTab,
         {}},
        {"a PNG at a banner address that says JPEG", png, "JPEG", kStrip, {}},
        {"a banner address of a format the strip cannot show", png, "BMP", kStrip, {}},
        {"no room to show it in", png, {}, QSize(0, 49), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.bytes.isEmpty() && c.expected.isValid());
        QElapsedTimer clock;
        clock.start();
        const QImage picture = DecodePicture(c.bytes, c.shown, c.format);
        if (!c.expected.isValid()) {
            EXPECT_TRUE(picture.isNull()) << picture.width() << 'x' << picture.height();
            // Refused from the header: no time spent decoding what it claims.
            EXPECT_LT(clock.elapsed(), 200);
        } else {
            EXPECT_EQ(picture.size(), c.expected);
        }
    }
}

TEST(PictureDecoder, TheEnginesDecoderCarriesTheImageOrNothing) {
    const QVariant shown =
        DecodeShownPicture(encoded(noisePicture(QSize(200, 150)), "JPEG"), QSize(50, 50));
    ASSERT_TRUE(shown.canConvert<QImage>());
    EXPECT_EQ(shown.value<QImage>().size(), QSize(50, 37));
    EXPECT_FALSE(DecodeShownPicture(pngClaiming(QSize(5000, 5000)), QSize(50, 50)).isValid());
}

} // namespace
