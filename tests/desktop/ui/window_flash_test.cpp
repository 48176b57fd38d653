// Flashing the chat window: only while it is not the window in front.
#include <QApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "desktop/ui/window_flash.h"
#include "event_waiting.h"

namespace quillo {
namespace {

bool Activate(QWidget& window) {
    window.show();
    window.activateWindow();
    return WaitUntil([&] { return QApplication::activeWindow() == &window; });
}

TEST(WindowFlash, FlashesOnlyAChatWindowThatIsNotInFront) {
    QWidget chat;
    auto* input = new QLineEdit(&chat);
    QWidget other;
    ASSERT_TRUE(Activate(chat));
    EXPECT_FALSE(FlashChatWindow(&chat)) << "the user already sees it";
    EXPECT_FALSE(FlashChatWindow(input)) << "a control of it counts as the window";

    ASSERT_TRUE(Activate(other));
    EXPECT_TRUE(FlashChatWindow(&chat));
    EXPECT_TRUE(FlashChatWindow(input));

    EXPECT_FALSE(FlashChatWindow(nullptr));
}

} // namespace
} // namespace quillo
