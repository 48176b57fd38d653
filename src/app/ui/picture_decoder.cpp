#include "app/ui/picture_decoder.h"

#include <QBuffer>
#include <QImageReader>

namespace quillo {

namespace {

// The largest picture in memory while decoding, in megabytes: a picture of the largest size at
// four bytes a pixel, and a little for the decoder's own. A file whose frames or depth would
// need more than its header let on is refused too.
constexpr int kDecodingLimitMb = kLargestPictureSide * kLargestPictureSide * 4 / (1024 * 1024) + 1;

bool shownFormat(const QByteArray& format) {
    return format == "jpeg" || format == "png" || format == "gif";
}

// The size a GIF decodes to: its logical screen, whatever its first frame (which the reader
// may report instead) says; the first frame's only when the screen claims none.
QSize gifCanvas(const QByteArray& bytes, QSize reported) {
    if (bytes.size() < 10)
        return reported;
    const auto little = [&bytes](int at) {
        return static_cast<quint8>(bytes[at]) | (static_cast<quint8>(bytes[at + 1]) << 8);
    };
    const QSize screen(little(6), little(8));
    return screen.isEmpty() ? reported : screen.expandedTo(reported);
}

bool acceptedSize(QSize size) {
    return size.isValid() && !size.isEmpty() && size.width() <= kLargestPictureSide &&
           size.height() <= kLargestPictureSide;
}

} // namespace

QImage DecodePicture(const QByteArray& bytes, QSize shownSize, const QByteArray& format) {
    if (bytes.isEmpty() || shownSize.isEmpty())
        return {};
    const QByteArray asked = format.toLower();
    if (!asked.isEmpty() && !shownFormat(asked))
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer, asked);
    // A format asked for is the only one taken; otherwise the bytes alone say which it is.
    reader.setAutoDetectImageFormat(asked.isEmpty());
    reader.setDecideFormatFromContent(asked.isEmpty());
    reader.setAllocationLimit(kDecodingLimitMb);
    if (!reader.canRead() || !shownFormat(reader.format()))
        return {};
    const QSize size = reader.format() == "gif" ? gifCanvas(bytes, reader.size()) : reader.size();
    if (!acceptedSize(size))
        return {};
    QSize target = size;
    if (size.width() > shownSize.width() || size.height() > shownSize.height())
        target = size.scaled(shownSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    // JPEG decodes at a fraction of its size directly; the others are scaled after decoding.
    if (target != size && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(target);
    QImage picture;
    if (!reader.read(&picture) || picture.isNull() || !acceptedSize(picture.size()))
        return {};
    if (picture.size() != target)
        picture = picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return picture;
}

QVariant DecodeShownPicture(const QByteArray& bytes, QSize shownSize) {
    const QImage picture = DecodePicture(bytes, shownSize);
    return picture.isNull() ? QVariant() : QVariant::fromValue(picture);
}

} // namespace quillo
