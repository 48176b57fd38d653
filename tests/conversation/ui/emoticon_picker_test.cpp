// The emoticon picker: 23 buttons in their places, each showing the picture the chat view shows
// for its code, a click handing over exactly " code ", and every other way of closing handing
// over nothing.
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "conversation/emoticons.h"
#include "conversation/ui/emoticon_picker.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace Qt::StringLiterals;

namespace {

// The grid as the picker must show it, in the order of the places.
const struct {
    const char* button;
    int left;
    int top;
    const char* code;
} kExpectedGrid[] = {
    {"SpeedButton1", 7, 9, ":)"},           {"SpeedButton2", 34, 9, ":("},
    {"SpeedButton3", 62, 9, ":P"},          {"SpeedButton4", 90, 9, ":D"},
    {"SpeedButton6", 117, 9, ":O"},         {"SpeedButton5", 145, 9, ";)"},
    {"SpeedButton8", 173, 9, "8)"},         {"SpeedButton7", 201, 9, "B)"},
    {"SpeedButton9", 7, 36, ":3"},          {"SpeedButton10", 34, 36, ">:("},
    {"SpeedButton11", 62, 36, ":/"},        {"SpeedButton12", 90, 36, ":'("},
    {"SpeedButton13", 117, 36, "3:)"},      {"SpeedButton14", 145, 36, ":-*"},
    {"SpeedButton15", 173, 36, "O:)"},      {"SpeedButton16", 201, 36, "^_^"},
    {"SpeedButton17", 7, 63, "-_-"},        {"SpeedButton18", 34, 63, "O.o"},
    {"SpeedButton19", 62, 63, ">:O"},       {"SpeedButton20", 90, 63, "<3"},
    {"SpeedButton21", 117, 63, ":v"},       {"SpeedButton22", 145, 63, ":|]"},
    {"SpeedButton23", 173, 63, ":wombat:"},
};

QToolButton* Button(const EmoticonPicker& picker, const char* name) {
    return picker.findChild<QToolButton*>(QString::fromLatin1(name));
}

// The file the chat view's picture for code points at, found through the chat view's own
// conversion, so a picker that maps a code to another picture cannot agree with itself.
QString ChatViewPicture(const QString& code) {
    static const QRegularExpression source(QStringLiteral("src=\"[^\"]*/([^\"/]+)\""));
    const QRegularExpressionMatch match =
        source.match(ApplyEmoticons(code + u' ', EmoticonFolderUrl(u"/opt/quillo/"_s)));
    return match.hasMatch() ? match.captured(1) : QString();
}

// Counts what the picker hands over.
struct Chosen {
    explicit Chosen(EmoticonPicker& picker) {
        QObject::connect(&picker, &EmoticonPicker::emoticonChosen,
                         [this](const QString& text) { texts.append(text); });
    }
    QStringList texts;
};

} // namespace

TEST(EmoticonPicker, ShowsTheTwentyThreeButtonsInTheirPlaces) {
    const std::span<const PickerCell> cells = EmoticonPickerCells();
    ASSERT_EQ(cells.size(), std::size(kExpectedGrid));
    for (std::size_t i = 0; i < cells.size(); ++i) {
        EXPECT_STREQ(cells[i].button, kExpectedGrid[i].button);
        EXPECT_EQ(cells[i].left, kExpectedGrid[i].left) << kExpectedGrid[i].button;
        EXPECT_EQ(cells[i].top, kExpectedGrid[i].top) << kExpectedGrid[i].button;
        EXPECT_EQ(cells[i].code, QLatin1String(kExpectedGrid[i].code)) << kExpectedGrid[i].button;
    }

    QTemporaryDir noPictures;
    const EmoticonPicker picker(noPictures.path());
    EXPECT_EQ(picker.objectName(), u"Tfrmemot"_s);
    EXPECT_EQ(picker.size(), QSize(235, 97));
    EXPECT_TRUE(picker.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(picker.windowType(), Qt::Popup);
    const auto* panel = picker.findChild<QFrame*>(u"Panel1"_s);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), picker.rect());

    EXPECT_EQ(picker.findChildren<QToolButton*>().size(), 23);
    for (const auto& cell : kExpectedGrid) {
        const QToolButton* button = Button(picker, cell.button);
        ASSERT_NE(button, nullptr) << cell.button;
        EXPECT_EQ(button->parentWidget(), panel) << cell.button;
        EXPECT_EQ(button->geometry(), QRect(cell.left, cell.top, 25, 25)) << cell.button;
        EXPECT_EQ(button->iconSize(), QSize(19, 19)) << cell.button;
        EXPECT_EQ(button->toolTip(), QLatin1String(cell.code)) << cell.button;
        EXPECT_TRUE(button->autoRaise()) << cell.button;
        // Without its picture a button shows its code, so it can still be chosen.
        EXPECT_TRUE(button->icon().isNull()) << cell.button;
        EXPECT_EQ(button->text(), QLatin1String(cell.code)) << cell.button;
    }
}

// What the picker inserts must turn into a picture in the chat view: every code is a code of the
// emoticon table in its plain form (no "&gt;" spelling), completed by the space after it.
TEST(EmoticonPicker, EveryCodeIsAnEmoticonOfTheChatView) {
    for (const PickerCell& cell : EmoticonPickerCells()) {
        const QString inserted = u' ' + cell.code.toString() + u' ';
        bool found = false;
        for (const EmoticonRow& row : EmoticonTable()) {
            const bool plainCodeWithSpace = row.code == cell.code.toString() + u' ';
            const bool noSpaceCode = !row.code.endsWith(u' ') && row.code == cell.code;
            if (!row.image.isEmpty() && (plainCodeWithSpace || noSpaceCode))
                found = true;
        }
        EXPECT_TRUE(found) << cell.button;
        EXPECT_FALSE(cell.code.contains(u'&')) << cell.button;
        EXPECT_TRUE(ApplyEmoticons(inserted, u"file:///e/Emoticons"_s).contains(u"<img "))
            << cell.button;
    }
}

TEST(EmoticonPicker, ButtonsShowThePicturesOfTheChatView) {
    QTemporaryDir dir;
    QProcess drawer;
    drawer.start(QStringLiteral(QUILLO_MAKE_EMOTICONS_BIN), {dir.path()});
    ASSERT_TRUE(drawer.waitForFinished(30000));
    ASSERT_EQ(drawer.exitCode(), 0);
    const QDir folder(dir.filePath(u"Emoticons"_s));

    const EmoticonPicker picker(folder.path());
    for (const PickerCell& cell : EmoticonPickerCells()) {
        const QToolButton* button = Button(picker, cell.button);
        ASSERT_NE(button, nullptr) << cell.button;
        const QString file = ChatViewPicture(cell.code.toString());
        ASSERT_FALSE(file.isEmpty()) << cell.button;
        ASSERT_FALSE(button->icon().isNull()) << cell.button << " lacks " << file.toStdString();
        const QImage shown =
            button->icon().pixmap(QSize(19, 19)).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage expected =
            QImage(folder.filePath(file)).convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(shown, expected) << cell.button << " should show " << file.toStdString();
    }
}

TEST(EmoticonPicker, AMissingPictureLeavesOnlyThatButtonWithoutOne) {
    QTemporaryDir dir;
    QImage picture(19, 19, QImage::Format_ARGB32);
    picture.fill(Qt::yellow);
    ASSERT_TRUE(picture.save(dir.filePath(u"ref1.png"_s)));

    const EmoticonPicker picker(dir.path());
    EXPECT_FALSE(Button(picker, "SpeedButton1")->icon().isNull());
    EXPECT_TRUE(Button(picker, "SpeedButton2")->icon().isNull());
    EXPECT_EQ(Button(picker, "SpeedButton2")->text(), u":("_s);
}

TEST(EmoticonPicker, AClickHandsOverTheCodeBetweenSpacesAndCloses) {
    QTemporaryDir dir;
    EmoticonPicker picker(dir.path());
    Chosen chosen(picker);

    picker.openAt(QPoint(100, 100));
    ASSERT_TRUE(picker.isVisible());
    Button(picker, "SpeedButton3")->click();
    // Not " :p ": the picture ignores case, but what is inserted is the code as it stands.
    EXPECT_EQ(chosen.texts, QStringList{u" :P "_s});
    EXPECT_FALSE(picker.isVisible());

    // The picker is reused: every button, one after the other, hands over its own code.
    for (const auto& cell : kExpectedGrid) {
        chosen.texts.clear();
        picker.openAt(QPoint(100, 100));
        Button(picker, cell.button)->click();
        EXPECT_EQ(chosen.texts, QStringList{u' ' + QLatin1String(cell.code) + u' '}) << cell.button;
        EXPECT_FALSE(picker.isVisible()) << cell.button;
    }
}

TEST(EmoticonPicker, ClosingWithoutAClickHandsOverNothing) {
    QTemporaryDir dir;
    EmoticonPicker picker(dir.path());
    Chosen chosen(picker);

    picker.openAt(QPoint(100, 100));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&picker, &escape);
    EXPECT_FALSE(picker.isVisible()) << "Escape closes";

    // A drop-down receives the click that lands outside it, and closes.
    picker.openAt(QPoint(100, 100));
    const QPointF outside(-20, 40);
    QMouseEvent press(QEvent::MouseButtonPress, outside, picker.mapToGlobal(outside),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&picker, &press);
    EXPECT_FALSE(picker.isVisible()) << "a click elsewhere closes";

    picker.openAt(QPoint(100, 100));
    picker.close();
    EXPECT_FALSE(picker.isVisible());

    EXPECT_TRUE(chosen.texts.isEmpty());
    EXPECT_NE(Button(picker, "SpeedButton1"), nullptr) << "closing only hides the picker";
}

TEST(EmoticonPicker, OpensBesideTheEmoticonButton) {
    // Chat window frame at (200, 150); the emoticon button is the third 29-pixel button of its
    // panel (left 58), the panel 330 pixels down the tab.
    const QPoint place =
        EmoticonPickerPosition(QRect(200, 150, 600, 450), QRect(58, 0, 29, 29), 330, 97);
    EXPECT_EQ(place, QPoint(200 + 58 + 29 + 5, 150 + 330 + 29 + 25 - 97));
    EXPECT_EQ(place, QPoint(292, 437));

    QTemporaryDir dir;
    EmoticonPicker picker(dir.path());
    picker.openAt(place);
    EXPECT_EQ(picker.pos(), place);
    picker.hide();

    // A chat window near the screen's edge must not put the picker out of reach.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    picker.openAt(screen.bottomRight() - QPoint(10, 10));
    EXPECT_TRUE(screen.contains(picker.geometry())) << "kept on the screen";
    picker.hide();
}
