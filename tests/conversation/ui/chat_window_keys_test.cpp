// The chat window by keys and through a screen reader: the tab keys of tabbed windows, the tab
// order inside a conversation, the emoticon picker without the mouse, and a name for every
// control the keys reach.
#include <QAccessible>
#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

#include "conversation/emoticons.h"
#include "conversation/ui/chat_input.h"
#include "conversation/ui/chat_session.h"
#include "conversation/ui/chat_tab.h"
#include "conversation/ui/chat_window.h"
#include "conversation/ui/conversation_view.h"
#include "conversation/ui/emoticon_picker.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "support/keyboard_walk.h"
#include "support/qt_printers.h"
#include "support/quiet_chat_session.h"
#include "support/temp_home.h"

using namespace quillo;

namespace {

class ChatWindowKeys : public ::testing::Test {
protected:
    ChatWindowKeys()
        : window_(session_, strings_, settings_, EmoticonFolderUrl(QStringLiteral("/opt/q/"))) {}

    // Ann, Bea and Cid online, Ann's tab in front, the window active.
    void openThree() {
        const QStringList names{"Ann", "Bea", "Cid"};
        for (int i = 0; i < names.size(); ++i)
            window_.OpenChatWith(ContactId(i + 1), names.at(i));
        window_.pages()->setCurrentIndex(0);
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    QString activeCaption() const { return window_.tabCaption(window_.activeTab()); }
    QStringList captions() const {
        QStringList all;
        for (ChatTab* tab : window_.tabs())
            all.append(window_.tabCaption(tab));
        return all;
    }

    test::TempHome home_;
    LanguageStrings strings_;
    Settings settings_;
    test::QuietChatSession session_;
    ChatWindow window_;
};

struct TabKeyCase {
    const char* name;
    QKeyCombination key;
    int presses;
    const char* active; // the tab in front afterwards
    QStringList left;   // the tabs still open
};

TEST_F(ChatWindowKeys, TheTabKeysOfTabbedWindowsWorkFromTheInput) {
    const QStringList all{"Ann", "Bea", "Cid"};
    const TabKeyCase cases[] = {
        {"Ctrl+Tab", Qt::CTRL | Qt::Key_Tab, 1, "Bea", all},
        {"Ctrl+Tab round the row", Qt::CTRL | Qt::Key_Tab, 3, "Ann", all},
        {"Ctrl+Shift+Tab", Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, 1, "Cid", all},
        {"Ctrl+PgDown", Qt::CTRL | Qt::Key_PageDown, 2, "Cid", all},
        {"Ctrl+PgUp", Qt::CTRL | Qt::Key_PageUp, 1, "Cid", all},
        {"Ctrl+W", Qt::CTRL | Qt::Key_W, 1, "Bea", {"Bea", "Cid"}},
    };
    for (const TabKeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        window_.removeAllTabs();
        window_.show();
        openThree();
        for (int i = 0; i < c.presses; ++i) {
            // From wherever the keys are: the input of the tab in front, as a person types.
            QTest::keyClick(window_.activeTab()->input(), c.key.key(), c.key.keyboardModifiers());
            QCoreApplication::processEvents(); // a tab closes once the key has returned
        }
        EXPECT_EQ(activeCaption(), QString::fromLatin1(c.active));
        EXPECT_EQ(captions(), c.left);
        // The keys follow into the tab that came to the front.
        EXPECT_EQ(window_.focusWidget(), window_.activeTab()->input());
    }
}

TEST_F(ChatWindowKeys, CtrlWOnTheLastTabPutsTheWindowAway) {
    window_.show();
    window_.OpenChatWith(ContactId(1), QStringLiteral("Ann"));
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    QTest::keyClick(window_.activeTab()->input(), Qt::Key_W, Qt::ControlModifier);
    QTest::keyClick(window_.activeTab()->input(), Qt::Key_W, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(window_.pages()->count(), 0);
    EXPECT_FALSE(window_.isVisible());
}

TEST_F(ChatWindowKeys, TabGoesFromTheInputToSendTheConversationAndTheLinks) {
    window_.show();
    openThree();
    ChatTab* tab = window_.activeTab();
    // "Save conversation" (Label1) is skipped: it waits for a line to save.
    EXPECT_EQ(test::TabChain(tab->input(), 9),
              (QStringList{"CancelBtn", "ConversationView", "Label2", "TntLabel1", "SpeedButton1",
                           "btnBold", "btnUnderLine", "btnemot", "qt_tabwidget_tabbar"}));
    EXPECT_EQ(test::TabChain(tab->sendButton(), 2, true),
              (QStringList{"RichEdit1", "qt_tabwidget_tabbar"}));
}

TEST_F(ChatWindowKeys, TheEmoticonPickerIsUsedByKeys) {
    window_.show();
    openThree();
    ChatTab* tab = window_.activeTab();
    EmoticonPicker* picker = window_.emoticonPicker();
    const auto openPicker = [&] {
        tab->emoticonButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(tab->emoticonButton(), Qt::Key_Space);
        ASSERT_TRUE(picker->isVisible());
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        ASSERT_EQ(QApplication::focusWidget()->window(), picker) << "the keys go to the picker";
    };
    const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };

    openPicker();
    press(Qt::Key_Escape);
    EXPECT_FALSE(picker->isVisible()) << "Escape closes without choosing";
    EXPECT_EQ(tab->input()->toPlainText(), QString());

    // The grid is three rows of eight: Right, Down and Enter choose the tenth, ">:(".
    openPicker();
    press(Qt::Key_Left); // stays at the row's start
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(tab->input()->toPlainText(), QStringLiteral(" >:( "));
    EXPECT_EQ(QApplication::focusWidget(), tab->input()) << "the keys go back to the input";

    // Down from the last row and Right from the last picture stay where they are.
    tab->input()->clear();
    openPicker();
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Down);
    for (int i = 0; i < 9; ++i)
        press(Qt::Key_Right);
    press(Qt::Key_Space);
    EXPECT_EQ(tab->input()->toPlainText(), QStringLiteral(" :wombat: "));
}

TEST_F(ChatWindowKeys, EveryControlTheKeysReachHasANameAndTheConversationCanBeRead) {
    window_.show();
    openThree();
    EXPECT_EQ(test::UnnamedControls(&window_), QStringList());

    ChatTab* tab = window_.activeTab();
    ConversationView* view = tab->view();
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_TRUE(view->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(view->textInteractionFlags() & Qt::TextSelectableByKeyboard)
        << "a caret to read line by line";

    // The new line is there to read through the view's text interface. (The insertion event
    // that tells a listening screen reader at once goes out only through an active bridge, which
    // the offscreen platform has none of: the end-to-end walk covers that.)
    window_.ShowMessage(
        [] {
            ChatMessage m;
            m.conversation = m.from = ContactId(1);
            m.fromName = QStringLiteral("Ann");
            m.text = QStringLiteral("see you at noon");
            m.live = true;
            return m;
        }(),
        {QStringLiteral("Ann"), true});
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(view);
    ASSERT_NE(reader, nullptr);
    ASSERT_NE(reader->textInterface(), nullptr);
    const QAccessibleTextInterface* text = reader->textInterface();
    EXPECT_TRUE(text->text(0, text->characterCount()).contains(QStringLiteral("see you at noon")));
    EXPECT_TRUE(reader->state().readOnly);
}

} // namespace
