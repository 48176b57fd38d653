#include "gif_writer.h"

#include <QFile>
#include <QHash>
#include <QList>

namespace quillo::emoticons {

namespace {

constexpr int kTransparentIndex = 0;
constexpr int kClearCode = 256;
constexpr int kEndCode = 257;
constexpr int kCodeBits = 9;
// Literal codes written between two clear codes: the decoder's table then never reaches 512
// entries, so every code stays 9 bits wide and no compression is needed.
constexpr int kLiteralsPerClear = 250;

void PutWord(QByteArray& out, int value) {
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

// Packs codes least significant bit first and cuts them into sub-blocks of at most 255 bytes.
class CodeWriter {
public:
    void put(int code) {
        bits_ |= quint32(code) << count_;
        count_ += kCodeBits;
        while (count_ >= 8) {
            bytes_ += char(bits_ & 0xFF);
            bits_ >>= 8;
            count_ -= 8;
        }
    }

    QByteArray subBlocks() {
        if (count_ > 0)
            bytes_ += char(bits_ & 0xFF);
        bits_ = 0;
        count_ = 0;
        QByteArray out;
        for (qsizetype at = 0; at < bytes_.size(); at += 255) {
            const qsizetype length = qMin<qsizetype>(255, bytes_.size() - at);
            out += char(length);
            out += bytes_.mid(at, length);
        }
        out += char(0);
        return out;
    }

private:
    QByteArray bytes_;
    quint32 bits_ = 0;
    int count_ = 0;
};

// The picture's pixels as palette indices; index 0 is transparent. Colours are coarsened one bit
// per channel at a time until no more than 255 remain.
QList<int> Quantize(const QImage& image, QList<QRgb>& palette) {
    for (int shift = 0;; ++shift) {
        const quint32 mask = (0xFFu << shift) & 0xFFu;
        const quint32 keep = (mask << 16) | (mask << 8) | mask;
        QHash<QRgb, int> indexOf;
        palette = {qRgb(0, 0, 0)};
        QList<int> pixels;
        pixels.reserve(qsizetype(image.width()) * image.height());
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) < 128) {
                    pixels.append(kTransparentIndex);
                    continue;
                }
                const QRgb colour = (pixel & keep) | 0xFF000000u;
                auto found = indexOf.constFind(colour);
                if (found == indexOf.constEnd()) {
                    found = indexOf.insert(colour, int(palette.size()));
                    palette.append(colour);
                }
                pixels.append(*found);
            }
        }
        if (palette.size() <= 256)
            return pixels;
    }
}

} // namespace

bool WriteGif(const QImage& image, const QString& path) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QList<QRgb> palette;
    const QList<int> pixels = Quantize(argb, palette);

    QByteArray out("GIF89a");
    PutWord(out, argb.width());
    PutWord(out, argb.height());
    out += char(0xF7); // a global palette of 256 entries, 8 bits per primary
    out += char(0);    // background: the transparent colour
    out += char(0);    // square pixels
    for (int i = 0; i < 256; ++i) {
        const QRgb colour = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        out += char(qRed(colour));
        out += char(qGreen(colour));
        out += char(qBlue(colour));
    }
    // Graphic control extension: index 0 is transparent.
    out += QByteArray("\x21\xF9\x04\x01\x00\x00", 6);
    out += char(kTransparentIndex);
    out += char(0);
    // Image descriptor: the whole screen, no local palette, not interlaced.
    out += char(0x2C);
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, argb.width());
    PutWord(out, argb.height());
    out += char(0);

    out += char(8); // LZW minimum code size
    CodeWriter codes;
    for (qsizetype i = 0; i < pixels.size(); ++i) {
        if (i % kLiteralsPerClear == 0)
            codes.put(kClearCode);
        codes.put(pixels[i]);
    }
    codes.put(kEndCode);
    out += codes.subBlocks();
    out += char(0x3B); // trailer

    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(out) == out.size();
}

} // namespace quillo::emoticons
