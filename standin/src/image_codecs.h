#pragma once
// Minimal encoders for the pictures the stand-in serves: PNG (stored deflate blocks), GIF
// (LZW with a reset before the code width grows) and baseline JPEG (one flat colour per 8 by 8
// block, so only DC coefficients are coded). Every decoder reads them; none is small or
// pretty, which the stand-in does not need. Pure functions.

#include <cstdint>
#include <string>
#include <vector>

namespace quillo::standin {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels; // row by row

    RgbImage(int w, int h, Rgb fill)
        : width(w)
        , height(h)
        , pixels(std::size_t(w) * h, fill) {}
    Rgb& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    const Rgb& at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

std::string EncodePng(const RgbImage& image);
// Up to 256 distinct colours are kept; beyond that, colours fold onto the nearest kept one.
std::string EncodeGif(const RgbImage& image);
std::string EncodeJpeg(const RgbImage& image);

std::uint32_t Crc32(const std::string& bytes, std::size_t from, std::size_t length);

} // namespace quillo::standin
