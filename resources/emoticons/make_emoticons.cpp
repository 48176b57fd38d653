// Draws the emoticon pictures into a program folder:
//   quillo_make_emoticons FOLDER
// writes FOLDER/Emoticons/ref1.png ... ref23.png (three of them .gif, as the chat view names
// them) and FOLDER/emot.bmp, the picture of the chat tab's emoticon button. Runs at build time;
// it paints into images only and needs no display.

#include "emoticon_faces.h"
#include "gif_writer.h"

#include <QDir>
#include <QString>

#include <cstdio>

using namespace quillo::emoticons;

namespace {

bool Save(const QImage& image, const QString& path) {
    const bool saved = path.endsWith(QLatin1String(".gif"))
                           ? WriteGif(image, path)
                           : image.save(path, path.endsWith(QLatin1String(".bmp")) ? "BMP" : "PNG");
    if (!saved)
        std::fprintf(stderr, "quillo_make_emoticons: cannot write %s\n", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillo_make_emoticons FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QString emoticons = folder.filePath(QStringLiteral("Emoticons"));
    if (!QDir().mkpath(emoticons)) {
        std::fprintf(stderr, "quillo_make_emoticons: cannot create %s\n", qPrintable(emoticons));
        return 1;
    }
    bool ok = true;
    for (int i = 0; i < int(kEmoticons.size()); ++i)
        ok = Save(DrawEmoticon(i),
                  emoticons + QLatin1Char('/') + QLatin1String(kEmoticons[i].file)) &&
             ok;
    ok = Save(DrawEmoticonButton(), folder.filePath(QStringLiteral("emot.bmp"))) && ok;
    return ok ? 0 : 1;
}
