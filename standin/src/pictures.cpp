#include "pictures.h"

#include <array>
#include <cctype>
#include <functional>

#include "http_text.h"

namespace quillo::standin {

namespace {

// 5 by 7 capitals, one row per entry, the highest bit on the left.
const std::array<std::array<std::uint8_t, 7>, 27>& Glyphs() {
    static const std::array<std::array<std::uint8_t, 7>, 27> glyphs = {{
        {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}, // A
        {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}, // B
        {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}, // C
        {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}, // D
        {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}, // E
        {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}, // F
        {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}, // G
        {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}, // H
        {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, // I
        {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}, // J
        {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}, // K
        {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}, // L
        {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}, // M
        {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}, // N
        {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}, // O
        {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}, // P
        {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}, // Q
        {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}, // R
        {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}, // S
        {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, // T
        {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}, // U
        {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}, // V
        {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}, // W
        {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}, // X
        {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}, // Y
        {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}, // Z
        {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}, // ?
    }};
    return glyphs;
}

void DrawLetter(RgbImage& image, char letter, int left, int top, int scale, Rgb colour) {
    const unsigned char upper =
        static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(letter)));
    const std::size_t index = (upper >= 'A' && upper <= 'Z') ? upper - 'A' : 26;
    const auto& glyph = Glyphs()[index];
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 5; ++column) {
            if (!(glyph[row] & (0x10 >> column))) {
                continue;
            }
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    const int x = left + column * scale + dx;
                    const int y = top + row * scale + dy;
                    if (x >= 0 && y >= 0 && x < image.width && y < image.height) {
                        image.at(x, y) = colour;
                    }
                }
            }
        }
    }
}

Rgb ColourOf(std::uint64_t seed) {
    seed ^= seed >> 29;
    seed *= 0xBF58476D1CE4E5B9ULL;
    seed ^= seed >> 32;
    // Darkish colours, so that a white letter stands out.
    return {std::uint8_t(40 + seed % 140), std::uint8_t(40 + (seed >> 8) % 140),
            std::uint8_t(40 + (seed >> 16) % 140)};
}

} // namespace

RgbImage DrawProfilePicture(UserId id, const std::string& first_name, char size) {
    const int width = size == 'q' ? 50 : 200;
    const int height = size == 'q' ? 50 : 150;
    RgbImage image(width, height, ColourOf(id));
    const Rgb frame{230, 230, 235};
    for (int x = 0; x < width; ++x) {
        image.at(x, 0) = frame;
        image.at(x, height - 1) = frame;
    }
    for (int y = 0; y < height; ++y) {
        image.at(0, y) = frame;
        image.at(width - 1, y) = frame;
    }
    const char initial =
        first_name.empty() || static_cast<unsigned char>(first_name[0]) > 127 ? '?' : first_name[0];
    const int scale = height / 10;
    DrawLetter(image, initial, (width - 5 * scale) / 2, (height - 7 * scale) / 2, scale,
               {255, 255, 255});
    return image;
}

RgbImage DrawBanner(int number, const std::string& word) {
    RgbImage image(468, 60, ColourOf(0xB4A7ULL + static_cast<unsigned>(number)));
    for (int x = 0; x < image.width; ++x) {
        for (int y = 50; y < 60; ++y) {
            image.at(x, y) = {250, 220, 60};
        }
    }
    int left = 16;
    for (char c : word) {
        DrawLetter(image, c, left, 8, 5, {255, 255, 255});
        left += 6 * 5;
    }
    return image;
}

std::optional<Picture> EncodePicture(const RgbImage& image, const std::string& format) {
    if (format == "jpg" || format == "jpeg") {
        return Picture{EncodeJpeg(image), "image/jpeg"};
    }
    if (format == "png") {
        return Picture{EncodePng(image), "image/png"};
    }
    if (format == "gif") {
        return Picture{EncodeGif(image), "image/gif"};
    }
    return std::nullopt;
}

bool ParseProfilePictureName(const std::string& name, char& size, UserId& id, std::string& format) {
    const std::size_t dot = name.rfind('.');
    if (name.size() < 3 || (name[0] != 'q' && name[0] != 'n') || dot == std::string::npos) {
        return false;
    }
    const auto parsed = ParseId(std::string_view(name).substr(1, dot - 1));
    format = name.substr(dot + 1);
    if (!parsed || (format != "jpg" && format != "png" && format != "gif")) {
        return false;
    }
    size = name[0];
    id = *parsed;
    return true;
}

std::optional<Picture> PictureStore::Cached(const std::string& key,
                                            const std::function<std::optional<Picture>()>& make) {
    {
        std::lock_guard lock(mutex_);
        if (const auto found = cache_.find(key); found != cache_.end()) {
            return found->second;
        }
    }
    std::optional<Picture> picture = make();
    if (picture) {
        std::lock_guard lock(mutex_);
        cache_.emplace(key, *picture);
    }
    return picture;
}

std::optional<Picture> PictureStore::Profile(const std::string& file, const std::string& first_name,
                                             UserId id, char size, const std::string& format) {
    return Cached("pics/" + file,
                  [&] { return EncodePicture(DrawProfilePicture(id, first_name, size), format); });
}

std::optional<Picture> PictureStore::Banner(int number, const std::string& format) {
    static const char* const kWords[] = {"QUILLO", "CHAT", "FRIENDS", "ONLINE", "HELLO"};
    return Cached("banner/" + std::to_string(number) + "." + format,
                  [&] { return EncodePicture(DrawBanner(number, kWords[number % 5]), format); });
}

std::optional<Picture> PictureStore::Preview(int number) {
    return Cached("preview/" + std::to_string(number), [&] {
        RgbImage image(120, 90, ColourOf(0x77ULL + static_cast<unsigned>(number)));
        DrawLetter(image, 'Q', 45, 24, 6, {255, 255, 255});
        return EncodePicture(image, "png");
    });
}

} // namespace quillo::standin
