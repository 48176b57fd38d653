#pragma once
// A GIF89a writer for the few emoticon pictures that the chat view names as .gif files (Qt reads
// GIF but cannot write it).

#include <QImage>
#include <QString>

namespace quillo::emoticons {

// Writes image as a single-frame GIF89a file at path. Pixels less than half opaque become the
// transparent colour; the others keep their colour, reduced to at most 255 colours. False when
// the file cannot be written.
bool WriteGif(const QImage& image, const QString& path);

} // namespace quillo::emoticons
