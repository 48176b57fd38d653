// The emoticon pictures drawn at build time: the program that draws them is run into a folder of
// its own, and every picture the chat view and the chat tab name must be there and readable.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/qt_printers.h"

namespace {

using namespace Qt::StringLiterals;

// The names the chat view's emoticon images point at, ref1 to ref23 in the Emoticons folder.
const char* const kPictures[] = {
    "ref1.png",  "ref2.png",  "ref3.gif",  "ref4.png",  "ref5.png",  "ref6.png",
    "ref7.png",  "ref8.png",  "ref9.png",  "ref10.png", "ref11.png", "ref12.png",
    "ref13.png", "ref14.gif", "ref15.png", "ref16.png", "ref17.png", "ref18.png",
    "ref19.png", "ref20.gif", "ref21.png", "ref22.png", "ref23.png",
};
constexpr int kSide = 19;

int RunDrawer(const QStringList& arguments) {
    QProcess drawer;
    drawer.start(QStringLiteral(QUILLO_MAKE_EMOTICONS_BIN), arguments);
    if (!drawer.waitForFinished(30000))
        return -1;
    return drawer.exitStatus() == QProcess::NormalExit ? drawer.exitCode() : -1;
}

TEST(EmoticonPictures, DrawsEveryPictureTheChatNames) {
    QTemporaryDir dir;
    ASSERT_EQ(RunDrawer({dir.path()}), 0);

    QList<QImage> drawn;
    for (const char* name : kPictures) {
        const QString path = dir.filePath(u"Emoticons/"_s + QLatin1String(name));
        const QImage picture(path);
        ASSERT_FALSE(picture.isNull()) << name;
        EXPECT_EQ(picture.size(), QSize(kSide, kSide)) << name;
        // A round picture on a transparent ground: corners clear, the middle opaque (left of
        // the centre, where :v has no mouth).
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << name;
        EXPECT_EQ(qAlpha(picture.pixel(kSide - 1, kSide - 1)), 0) << name;
        EXPECT_EQ(qAlpha(picture.pixel(kSide / 2 - 3, kSide / 2)), 255) << name;
        const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
        for (qsizetype i = 0; i < drawn.size(); ++i)
            EXPECT_NE(argb, drawn[i]) << name << " looks like " << kPictures[i];
        drawn.append(argb);
    }

    const QImage button(dir.filePath(u"emot.bmp"_s));
    ASSERT_FALSE(button.isNull());
    EXPECT_EQ(button.size(), QSize(kSide, kSide));
    EXPECT_FALSE(button.hasAlphaChannel());
    EXPECT_NE(button.pixel(kSide / 2, kSide / 2), button.pixel(0, 0)); // a face on the ground
}

TEST(EmoticonPictures, FailsLoudlyWhenItCannotWrite) {
    QTemporaryDir dir;
    const QString blocker = dir.filePath(u"blocker"_s);
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    EXPECT_NE(RunDrawer({blocker}), 0); // no folder can be made under a file
    EXPECT_NE(RunDrawer({}), 0);        // no folder given
    EXPECT_FALSE(QDir(blocker).exists());
}

} // namespace
