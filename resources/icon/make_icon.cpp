// Makes the desktop's icon files from the mark the program draws:
//   quillo_make_icon FOLDER NAME
// writes FOLDER/hicolor/<N>x<N>/apps/NAME.png for every size the icon theme asks for and
// FOLDER/hicolor/scalable/apps/NAME.svg. Runs at build time; paints into images only and needs
// no display.

#include "desktop/ui/application_mark.h"

#include <QDir>
#include <QImage>
#include <QString>
#include <QSvgGenerator>

#include <cstdio>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kScalableSide = 256; // the SVG's view box; any size scales from it

bool MakeFolder(const QString& path) {
    if (QDir().mkpath(path))
        return true;
    std::fprintf(stderr, "quillo_make_icon: cannot create %s\n", qPrintable(path));
    return false;
}

bool WritePng(int side, const QString& path) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    quillo::DrawApplicationMark(painter, side);
    painter.end();
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "quillo_make_icon: cannot write %s\n", qPrintable(path));
    return false;
}

bool WriteSvg(const QString& path) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(kScalableSide, kScalableSide));
    svg.setViewBox(QRect(0, 0, kScalableSide, kScalableSide));
    svg.setTitle(QStringLiteral("Quillo for Facebook"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        std::fprintf(stderr, "quillo_make_icon: cannot write %s\n", qPrintable(path));
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    quillo::DrawApplicationMark(painter, kScalableSide);
    return painter.end();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: quillo_make_icon FOLDER NAME\n");
        return 2;
    }
    const QString theme = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("hicolor"));
    const QString name = QString::fromLocal8Bit(argv[2]);
    bool ok = true;
    for (const int side : kSizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(theme).arg(side);
        ok = MakeFolder(folder) && WritePng(side, folder + QLatin1Char('/') + name + ".png") && ok;
    }
    const QString scalable = theme + QStringLiteral("/scalable/apps");
    ok = MakeFolder(scalable) && WriteSvg(scalable + QLatin1Char('/') + name + ".svg") && ok;
    return ok ? 0 : 1;
}
