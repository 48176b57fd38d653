#pragma once
// Picture bytes as a remote party may send them, made here so that each one says exactly what
// the test needs: real pictures, pictures whose header lies about their size, and pictures that
// are really huge yet compressed to a few bytes. For the tests of tests/app/ui.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QRandomGenerator>
#include <QSize>

namespace quillo::test {

// A picture with some detail in it (noise), so that its compressed size is honest.
inline QImage noisePicture(QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, random.generate() | 0xff000000u);
    }
    return picture;
}

inline QByteArray encoded(const QImage& picture, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

inline quint32 crc32Of(const char* data, int length) {
    quint32 crc = 0xffffffffu;
    for (int i = 0; i < length; ++i) {
        crc ^= static_cast<quint8>(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void putBigEndian(QByteArray& bytes, int at, quint32 value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * (width - 1 - i))) & 0xff);
}

// A PNG whose header (IHDR, with a checksum that fits) claims size; its pixel data stays that
// of the small picture it was.
inline QByteArray pngClaiming(QSize size) {
    QByteArray bytes = encoded(noisePicture(QSize(8, 8)), "PNG");
    putBigEndian(bytes, 16, static_cast<quint32>(size.width()), 4);
    putBigEndian(bytes, 20, static_cast<quint32>(size.height()), 4);
    putBigEndian(bytes, 29, crc32Of(bytes.constData() + 12, 17), 4);
    return bytes;
}

// A JPEG whose frame header (SOF0) claims size.
inline QByteArray jpegClaiming(QSize size) {
    QByteArray bytes = encoded(noisePicture(QSize(16, 16)), "JPEG");
    const qsizetype frame = bytes.indexOf(QByteArray("\xff\xc0", 2));
    if (frame < 0)
        return {};
    putBigEndian(bytes, static_cast<int>(frame) + 5, static_cast<quint32>(size.height()), 2);
    putBigEndian(bytes, static_cast<int>(frame) + 7, static_cast<quint32>(size.width()), 2);
    return bytes;
}

// A real GIF: a logical screen of size with a single 1x1 frame in its corner. A decoder makes a
// picture of the whole screen from its 40 bytes. Sizes whose bytes are all below 0x80 (4096 is
// 00 10, 4976 is 70 13) give bytes that are plain ASCII, which a text body can carry.
inline QByteArray gifScreen(QSize size) {
    QByteArray bytes("GIF89a");
    const auto little = [&bytes](int value) {
        bytes.append(static_cast<char>(value & 0xff));
        bytes.append(static_cast<char>((value >> 8) & 0xff));
    };
    little(size.width());
    little(size.height());
    bytes.append(QByteArray("\x00\x00\x00", 3));         // no colour table, background, aspect
    bytes.append(',');                                   // the frame
    little(0);                                           // left
    little(0);                                           // top
    little(1);                                           // width
    little(1);                                           // height
    bytes.append('\0');                                  // no local colour table
    bytes.append(QByteArray("\x02\x02\x44\x01\x00", 5)); // LZW: one pixel
    bytes.append(';');
    return bytes;
}

} // namespace quillo::test
