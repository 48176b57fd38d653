// Windows kept on the screen by their frame, within the area the desktop's panels leave.
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/ui/placement.h"
#include "support/qt_printers.h"

using namespace quillo;

TEST(Placement, AFrameIsMovedAndIfNeedBeShrunkIntoTheArea) {
    const QRect area(0, 24, 1280, 740); // a 1280x800 screen with a top bar and a bottom panel
    const struct {
        const char* name;
        QRect frame;
        QRect expected;
    } cases[] = {
        {"inside stays", {100, 100, 400, 300}, {100, 100, 400, 300}},
        {"under the bottom panel", {930, 400, 350, 420}, {930, 344, 350, 420}},
        {"off to the left and above", {-50, 0, 300, 200}, {0, 24, 300, 200}},
        {"off to the right", {1200, 100, 300, 200}, {980, 100, 300, 200}},
        {"taller than the area", {0, 0, 350, 900}, {0, 24, 350, 740}},
        {"larger every way", {-10, -10, 3000, 2000}, {0, 24, 1280, 740}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fitWithin(c.frame, area), c.expected);
    }
    EXPECT_EQ(fitWithin(QRect(5, 5, 10, 10), QRect()), QRect(5, 5, 10, 10)) << "no area known";
}

TEST(Placement, WindowsAreBroughtBackAndCentredWithinTheScreen) {
    QWidget window;
    window.resize(4000, 3000);
    window.move(-500, 5000);
    window.show();
    keepOnScreen(&window);
    const QRect area = availableArea(&window);
    EXPECT_TRUE(area.contains(window.frameGeometry()));

    window.resize(200, 100);
    centreOnScreen(&window);
    EXPECT_LE((window.frameGeometry().center() - area.center()).manhattanLength(), 2);
}
