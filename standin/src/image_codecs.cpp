#include "image_codecs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace quillo::standin {

namespace {

void PutBig32(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

void PutBig16(std::string& out, unsigned value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void PutLittle16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void PngChunk(std::string& out, const char* type, const std::string& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out += type;
    out += data;
    PutBig32(out, Crc32(out, start, out.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& raw) {
    std::string out;
    out += static_cast<char>(0x78);
    out += static_cast<char>(0x01);
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - offset);
        const bool last = offset + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        PutLittle16(out, static_cast<unsigned>(length));
        PutLittle16(out, static_cast<unsigned>(~length & 0xFFFF));
        out.append(raw, offset, length);
        offset += length;
    } while (offset < raw.size());
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(out, (b << 16) | a);
    return out;
}

// Bits written least significant first (GIF) or most significant first (JPEG).
class BitWriter {
public:
    explicit BitWriter(bool msb_first)
        : msb_first_(msb_first) {}

    void Put(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            const int bit = msb_first_ ? (value >> (count - 1 - i)) & 1 : (value >> i) & 1;
            if (msb_first_) {
                current_ = static_cast<std::uint8_t>(current_ | (bit << (7 - filled_)));
            } else {
                current_ = static_cast<std::uint8_t>(current_ | (bit << filled_));
            }
            if (++filled_ == 8) {
                Flush();
            }
        }
    }

    // JPEG pads with one bits; GIF with zero bits.
    std::string Finish(bool pad_with_ones) {
        if (filled_ > 0) {
            if (pad_with_ones) {
                for (int i = filled_; i < 8; ++i) {
                    current_ = static_cast<std::uint8_t>(current_ | (1 << (7 - i)));
                }
            }
            Flush();
        }
        return bytes_;
    }

    void set_stuffing(bool on) { stuffing_ = on; }

private:
    void Flush() {
        bytes_ += static_cast<char>(current_);
        if (stuffing_ && current_ == 0xFF) {
            bytes_ += '\0';
        }
        current_ = 0;
        filled_ = 0;
    }

    bool msb_first_;
    bool stuffing_ = false;
    std::uint8_t current_ = 0;
    int filled_ = 0;
    std::string bytes_;
};

std::vector<Rgb> Palette(const RgbImage& image, std::vector<std::uint8_t>& indices) {
    std::map<std::uint32_t, int> counts;
    for (const Rgb& pixel : image.pixels) {
        ++counts[(std::uint32_t(pixel.r) << 16) | (pixel.g << 8) | pixel.b];
    }
    std::vector<std::pair<int, std::uint32_t>> by_use;
    for (const auto& [colour, count] : counts) {
        by_use.emplace_back(-count, colour);
    }
    std::sort(by_use.begin(), by_use.end());
    std::vector<Rgb> palette;
    for (std::size_t i = 0; i < by_use.size() && i < 256; ++i) {
        const std::uint32_t c = by_use[i].second;
        palette.push_back({std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)});
    }
    indices.clear();
    std::map<std::uint32_t, std::uint8_t> chosen;
    for (const Rgb& pixel : image.pixels) {
        const std::uint32_t key = (std::uint32_t(pixel.r) << 16) | (pixel.g << 8) | pixel.b;
        auto found = chosen.find(key);
        if (found == chosen.end()) {
            int best = 0;
            long best_distance = -1;
            for (std::size_t i = 0; i < palette.size(); ++i) {
                const long dr = long(pixel.r) - palette[i].r;
                const long dg = long(pixel.g) - palette[i].g;
                const long db = long(pixel.b) - palette[i].b;
                const long distance = dr * dr + dg * dg + db * db;
                if (best_distance < 0 || distance < best_distance) {
                    best_distance = distance;
                    best = static_cast<int>(i);
                }
            }
            found = chosen.emplace(key, static_cast<std::uint8_t>(best)).first;
        }
        indices.push_back(found->second);
    }
    palette.resize(256);
    return palette;
}

} // namespace

std::uint32_t Crc32(const std::string& bytes, std::size_t from, std::size_t length) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFU;
    for (std::size_t i = from; i < from + length; ++i) {
        crc = table[(crc ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFU;
}

std::string EncodePng(const RgbImage& image) {
    std::string out("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    PutBig32(header, static_cast<std::uint32_t>(image.width));
    PutBig32(header, static_cast<std::uint32_t>(image.height));
    header += '\x08'; // bits per sample
    header += '\x02'; // truecolour
    header += std::string(3, '\0');
    PngChunk(out, "IHDR", header);
    std::string raw;
    raw.reserve(std::size_t(image.height) * (1 + std::size_t(image.width) * 3));
    for (int y = 0; y < image.height; ++y) {
        raw += '\0'; // no filter
        for (int x = 0; x < image.width; ++x) {
            const Rgb& p = image.at(x, y);
            raw += static_cast<char>(p.r);
            raw += static_cast<char>(p.g);
            raw += static_cast<char>(p.b);
        }
    }
    PngChunk(out, "IDAT", StoredZlib(raw));
    PngChunk(out, "IEND", std::string());
    return out;
}

std::string EncodeGif(const RgbImage& image) {
    std::vector<std::uint8_t> indices;
    const std::vector<Rgb> palette = Palette(image, indices);
    std::string out = "GIF89a";
    PutLittle16(out, static_cast<unsigned>(image.width));
    PutLittle16(out, static_cast<unsigned>(image.height));
    out += static_cast<char>(0xF7); // global table of 256 colours
    out += '\0';
    out += '\0';
    for (const Rgb& colour : palette) {
        out += static_cast<char>(colour.r);
        out += static_cast<char>(colour.g);
        out += static_cast<char>(colour.b);
    }
    out += ',';
    PutLittle16(out, 0);
    PutLittle16(out, 0);
    PutLittle16(out, static_cast<unsigned>(image.width));
    PutLittle16(out, static_cast<unsigned>(image.height));
    out += '\0';
    out += '\x08'; // LZW minimum code size
    // Every pixel goes out as its own 9-bit code, and a clear code comes before the decoder's
    // table would reach 512 entries, so the code width never changes.
    constexpr std::uint32_t kClear = 256;
    constexpr std::uint32_t kEnd = 257;
    BitWriter bits(false);
    bits.Put(kClear, 9);
    int since_clear = 0;
    for (std::uint8_t index : indices) {
        if (since_clear == 250) {
            bits.Put(kClear, 9);
            since_clear = 0;
        }
        bits.Put(index, 9);
        ++since_clear;
    }
    bits.Put(kEnd, 9);
    const std::string data = bits.Finish(false);
    for (std::size_t offset = 0; offset < data.size(); offset += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - offset);
        out += static_cast<char>(length);
        out.append(data, offset, length);
    }
    out += '\0';
    out += ';';
    return out;
}

std::string EncodeJpeg(const RgbImage& image) {
    std::string out("\xFF\xD8", 2);
    // JFIF header.
    out += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    // One quantisation table of ones.
    out += std::string("\xFF\xDB\x00\x43\x00", 5);
    out += std::string(64, '\x01');
    // Baseline frame, three components, no subsampling, all on table 0.
    out += std::string("\xFF\xC0\x00\x11\x08", 5);
    PutBig16(out, static_cast<unsigned>(image.height));
    PutBig16(out, static_cast<unsigned>(image.width));
    out += std::string("\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 10);
    // DC table: the twelve size categories, each a 4-bit code equal to the category. AC table:
    // only end-of-block, one bit.
    out += std::string("\xFF\xC4\x00\x31", 4);
    out += '\x00';
    out += std::string("\x00\x00\x00\x0C", 4) + std::string(12, '\0');
    for (char v = 0; v < 12; ++v) {
        out += v;
    }
    out += '\x10';
    out += '\x01' + std::string(15, '\0');
    out += '\x00';
    out += std::string("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x00\x03\x00\x00\x3F\x00", 14);

    const int blocks_x = (image.width + 7) / 8;
    const int blocks_y = (image.height + 7) / 8;
    BitWriter bits(true);
    bits.set_stuffing(true);
    int previous[3] = {0, 0, 0};
    for (int by = 0; by < blocks_y; ++by) {
        for (int bx = 0; bx < blocks_x; ++bx) {
            double sums[3] = {0, 0, 0};
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    // Edge blocks repeat the last row and column, as encoders do.
                    const Rgb& p = image.at(std::min(bx * 8 + x, image.width - 1),
                                            std::min(by * 8 + y, image.height - 1));
                    sums[0] += 0.299 * p.r + 0.587 * p.g + 0.114 * p.b;
                    sums[1] += 128.0 - 0.168736 * p.r - 0.331264 * p.g + 0.5 * p.b;
                    sums[2] += 128.0 + 0.5 * p.r - 0.418688 * p.g - 0.081312 * p.b;
                }
            }
            for (int c = 0; c < 3; ++c) {
                // A flat block's DC coefficient is eight times its level-shifted value.
                const int dc = static_cast<int>(std::lround((sums[c] / 64.0 - 128.0) * 8.0));
                const int diff = dc - previous[c];
                previous[c] = dc;
                int category = 0;
                for (int magnitude = std::abs(diff); magnitude > 0; magnitude >>= 1) {
                    ++category;
                }
                bits.Put(static_cast<std::uint32_t>(category), 4);
                if (category > 0) {
                    const int extra = diff >= 0 ? diff : diff + (1 << category) - 1;
                    bits.Put(static_cast<std::uint32_t>(extra), category);
                }
                bits.Put(0, 1); // end of block
            }
        }
    }
    out += bits.Finish(true);
    out += std::string("\xFF\xD9", 2);
    return out;
}

} // namespace quillo::standin
