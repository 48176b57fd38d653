#pragma once
// The emoticon pictures: simple round faces drawn with QPainter, one per emoticon code of the
// chat view and the picker, and the picture of the chat tab's emoticon button.

#include <QImage>

#include <array>

namespace quillo::emoticons {

struct Emoticon {
    const char* code; // the plain form, as the picker inserts it
    const char* file; // the picture's name in the Emoticons folder
};

// In the order of the file numbers: kEmoticons[n - 1] is "refn".
extern const std::array<Emoticon, 23> kEmoticons;

// Side of every emoticon picture, in pixels: the picker's pictures are 19 by 19.
constexpr int kPictureSize = 19;

// The picture of kEmoticons[index] on a transparent background, kPictureSize square.
QImage DrawEmoticon(int index);

// The emoticon button's picture (emot.bmp): a smiling face on the button's face colour, as a
// bitmap has no transparency.
QImage DrawEmoticonButton();

} // namespace quillo::emoticons
