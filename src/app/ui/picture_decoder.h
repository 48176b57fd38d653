#pragma once
// Pictures from remote parties (profile pictures, banners) made into what a window shows. Their
// bytes are whatever the party sent, and a header can claim any size: the size is read from
// the header first and a picture that claims none, or more than kLargestPictureSide, is refused
// before any pixel is allocated. The rest is decoded straight to the size it is shown at, so
// the window keeps a picture of a few kilobytes whatever arrived.
//
// Thread: any; the program calls it on its picture and banner workers, never on the
// user-interface thread. It makes QImages only (a QPixmap belongs to that thread).

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QVariant>

namespace quillo {

// The longest side of a picture decoded at all.
inline constexpr int kLargestPictureSide = 4096;

// The picture in bytes, fitted within shownSize with its proportions kept (a smaller picture
// keeps its own size); a null image when the bytes are no JPEG, PNG or GIF picture, claim no
// size or a side beyond kLargestPictureSide, or do not decode. Without a format the type comes
// from the bytes, whatever the address says; with one ("JPEG", "PNG" or "GIF") only a picture
// of that format is taken.
QImage DecodePicture(const QByteArray& bytes, QSize shownSize, const QByteArray& format = {});

// DecodePicture for the engine's picture workers (PictureDecoder): the image in a QVariant,
// or an empty one.
QVariant DecodeShownPicture(const QByteArray& bytes, QSize shownSize);

} // namespace quillo
