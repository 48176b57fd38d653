// The text cursor rests when the person does: the chat window's input (and any other text input)
// stops its blink timer after the idle time without keys or clicks and while its window is not
// active, keeps the focus meanwhile, and blinks again on the next key, click or activation. The
// idle time and the blink period are short here; the blinking is seen as the timer events that
// reach the input and the objects inside it.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyleHints>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "conversation/emoticons.h"
#include "conversation/ui/chat_input.h"
#include "conversation/ui/chat_session.h"
#include "conversation/ui/chat_tab.h"
#include "conversation/ui/chat_window.h"
#include "platform/ui/cursor_blink_timeout.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "support/quiet_chat_session.h"
#include "support/temp_home.h"

using namespace quillo;
using namespace std::chrono_literals;

namespace {

constexpr int kFlashTime = 40; // a blink timer event every 20 ms
constexpr auto kIdleTime = 400ms;
constexpr int kLook = 150; // ms of watching for blinks

const ContactId kZoe(4242);

// Counts the timer events of a widget and everything inside it: a text input's blink timer
// belongs to the input or to its text control, a child object.
class TimerEvents final : public QObject {
public:
    TimerEvents() { qApp->installEventFilter(this); }
    int during(QWidget* widget, int ms) {
        target_ = widget;
        count_ = 0;
        QTest::qWait(ms);
        target_ = nullptr;
        return count_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (target_ && event->type() == QEvent::Timer) {
            for (QObject* o = watched; o; o = o->parent()) {
                if (o == target_) {
                    ++count_;
                    break;
                }
            }
        }
        return false;
    }

private:
    QWidget* target_ = nullptr;
    int count_ = 0;
};

// A window of its own that takes the activation away from the others.
class OtherWindow {
public:
    void activate() {
        window_.resize(120, 80);
        window_.show();
        window_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

private:
    QWidget window_;
};

class CursorBlinkTest : public ::testing::Test {
protected:
    CursorBlinkTest()
        : programFlashTime_(QGuiApplication::styleHints()->cursorFlashTime()) {
        QGuiApplication::styleHints()->setCursorFlashTime(kFlashTime);
        timeout_ = std::make_unique<CursorBlinkTimeout>(kIdleTime);
    }
    ~CursorBlinkTest() override {
        window_.reset();
        timeout_.reset();
        QGuiApplication::styleHints()->setCursorFlashTime(programFlashTime_);
    }

    // The chat window on a conversation with its input focused, in front; answers the input.
    ChatInput* openChat() {
        auto* window =
            new ChatWindow(session_, strings_, settings_, EmoticonFolderUrl(QStringLiteral("/q/")));
        window_.reset(window);
        window->OpenChatWith(kZoe, QStringLiteral("Zoe"));
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        ChatInput* input = window->tabOf(kZoe)->input();
        EXPECT_TRUE(input->hasFocus());
        return input;
    }
    // A plain window holding the input, in front, the input focused.
    QWidget* inWindow(QWidget* input) {
        window_ = std::make_unique<QWidget>();
        (new QVBoxLayout(window_.get()))->addWidget(input);
        window_->show();
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        input->setFocus();
        return input;
    }
    bool restsWithin(std::chrono::milliseconds limit) {
        return QTest::qWaitFor([this] { return !timeout_->blinking(); }, int(limit.count()));
    }

    const int programFlashTime_;
    test::TempHome home_;
    LanguageStrings strings_;
    Settings settings_;
    test::QuietChatSession session_;
    std::unique_ptr<CursorBlinkTimeout> timeout_;
    std::unique_ptr<QWidget> window_;
    TimerEvents timers_;
};

} // namespace

TEST_F(CursorBlinkTest, EachKindOfInputRestsWhenIdleAndBlinksAgainOnAKey) {
    const struct {
        const char* kind;
        std::function<QWidget*()> open;
    } cases[] = {
        {"chat input", [this]() -> QWidget* { return openChat(); }},
        {"line edit", [this] { return inWindow(new QLineEdit); }},
        {"plain text edit", [this] { return inWindow(new QPlainTextEdit); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        QWidget* input = c.open();
        QTest::keyClick(input, Qt::Key_A);
        EXPECT_GT(timers_.during(input, kLook), 0) << "blinks while the person types";
        ASSERT_TRUE(restsWithin(kIdleTime * 10));
        EXPECT_EQ(timers_.during(input, kLook), 0) << "no blink timer once idle";
        EXPECT_TRUE(input->hasFocus()) << "the cursor stays, steady";
        QTest::keyClick(input, Qt::Key_B);
        EXPECT_TRUE(timeout_->blinking());
        EXPECT_GT(timers_.during(input, kLook), 0) << "a key brings the blinking back";
    }
}

TEST_F(CursorBlinkTest, KeysAndClicksPutOffTheRest) {
    ChatInput* input = openChat();
    // Keys closer together than the idle time, for three times the idle time.
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(input, Qt::Key_X);
        QTest::qWait(int(kIdleTime.count()) / 4);
        ASSERT_TRUE(timeout_->blinking()) << "key " << i;
    }
    EXPECT_EQ(input->toPlainText(), QString(12, QLatin1Char('x')));
    ASSERT_TRUE(restsWithin(kIdleTime * 10));
    QTest::mouseClick(input->viewport(), Qt::LeftButton);
    EXPECT_TRUE(timeout_->blinking());
    EXPECT_GT(timers_.during(input, kLook), 0) << "a click brings the blinking back";
}

TEST_F(CursorBlinkTest, NoBlinkingInAWindowThatIsNotActiveAndBlinkingWhenItIsAgain) {
    ChatInput* input = openChat();
    QTest::keyClick(input, Qt::Key_A);
    OtherWindow other;
    other.activate();
    EXPECT_EQ(timers_.during(input, kLook), 0) << "at once, well before the idle time";
    // Long enough in the background to have rested.
    ASSERT_TRUE(restsWithin(kIdleTime * 10));
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    EXPECT_TRUE(input->hasFocus());
    EXPECT_TRUE(timeout_->blinking());
    EXPECT_GT(timers_.during(input, kLook), 0) << "blinks again once in front";
}

TEST_F(CursorBlinkTest, EndingGivesBackTheBlinkPeriodAndAPeriodOfZeroStays) {
    openChat();
    ASSERT_TRUE(restsWithin(kIdleTime * 10));
    EXPECT_EQ(QGuiApplication::styleHints()->cursorFlashTime(), 0);
    timeout_.reset();
    EXPECT_EQ(QGuiApplication::styleHints()->cursorFlashTime(), kFlashTime);

    // A person who turned blinking off keeps it off, also after keys.
    QGuiApplication::styleHints()->setCursorFlashTime(0);
    timeout_ = std::make_unique<CursorBlinkTimeout>(kIdleTime);
    ChatInput* input = window_->findChild<ChatInput*>();
    QTest::keyClick(input, Qt::Key_A);
    EXPECT_EQ(QGuiApplication::styleHints()->cursorFlashTime(), 0);
    EXPECT_EQ(timers_.during(input, kLook), 0);
}
