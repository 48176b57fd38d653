// Every picture the stand-in makes must decode in a real decoder, at the size it claims.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include "pictures.h"

namespace quillo::standin {
namespace {

QImage Decode(const Picture& picture, const char* format) {
    QImage image;
    image.loadFromData(
        QByteArray(picture.bytes.data(), static_cast<qsizetype>(picture.bytes.size())), format);
    return image;
}

TEST(Pictures, EveryFormatAndSizeDecodes) {
    struct Case {
        char size;
        const char* format;
        const char* qt_format;
        int width;
        int height;
    };
    const Case cases[] = {
        {'q', "jpg", "JPG", 50, 50},   {'n', "jpg", "JPG", 200, 150}, {'q', "png", "PNG", 50, 50},
        {'n', "png", "PNG", 200, 150}, {'q', "gif", "GIF", 50, 50},   {'n', "gif", "GIF", 200, 150},
    };
    for (const Case& c : cases) {
        const auto picture =
            EncodePicture(DrawProfilePicture(100000000000001ULL, "Alice", c.size), c.format);
        ASSERT_TRUE(picture);
        const QImage image = Decode(*picture, c.qt_format);
        ASSERT_FALSE(image.isNull()) << c.format << " " << c.size;
        EXPECT_EQ(image.width(), c.width);
        EXPECT_EQ(image.height(), c.height);
    }
}

TEST(Pictures, DecodedColoursAreTheDrawnOnes) {
    RgbImage drawn(40, 24, {200, 30, 60});
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            drawn.at(x, y) = {10, 220, 90};
        }
    }
    for (const char* format : {"png", "gif", "jpg"}) {
        const auto picture = EncodePicture(drawn, format);
        ASSERT_TRUE(picture);
        const QImage image = Decode(*picture, nullptr);
        ASSERT_FALSE(image.isNull()) << format;
        // JPEG keeps flat 8 by 8 blocks within rounding; the others are exact.
        const int tolerance = std::string(format) == "jpg" ? 4 : 0;
        for (const auto& [x, y, expected] :
             {std::tuple{3, 3, Rgb{10, 220, 90}}, std::tuple{20, 12, Rgb{200, 30, 60}}}) {
            const QRgb pixel = image.pixel(x, y);
            EXPECT_NEAR(qRed(pixel), expected.r, tolerance) << format;
            EXPECT_NEAR(qGreen(pixel), expected.g, tolerance) << format;
            EXPECT_NEAR(qBlue(pixel), expected.b, tolerance) << format;
        }
    }
}

TEST(Pictures, LargePicturesSpanSeveralDeflateAndLzwBlocks) {
    RgbImage drawn(300, 250, {1, 2, 3}); // 225 KB of raw PNG data, 75000 GIF codes
    for (int x = 0; x < 300; ++x) {
        drawn.at(x, 249) = {250, 250, 250};
    }
    for (const char* format : {"png", "gif"}) {
        const QImage image = Decode(*EncodePicture(drawn, format), nullptr);
        ASSERT_EQ(image.size(), QSize(300, 250)) << format;
        EXPECT_EQ(image.pixel(299, 249), qRgb(250, 250, 250)) << format;
    }
}

TEST(Pictures, NamesOfProfilePictures) {
    char size = 0;
    UserId id = 0;
    std::string format;
    EXPECT_TRUE(ParseProfilePictureName("q4294967311.png", size, id, format));
    EXPECT_EQ(size, 'q');
    EXPECT_EQ(id, 4294967311ULL);
    EXPECT_EQ(format, "png");
    for (const char* bad : {"x42.jpg", "q.jpg", "q42.bmp", "q42", "q4x.jpg"}) {
        EXPECT_FALSE(ParseProfilePictureName(bad, size, id, format)) << bad;
    }
}

} // namespace
} // namespace quillo::standin
