// The main window by keys and through a screen reader: Tab goes down each page in reading order,
// the contact tree takes the keys once signed in, every menu command has a letter of its own
// (in the program's captions and in those of each shipped language file) and the desktop's key
// where it has one, and every control the keys reach has a name.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/main_window.h"
#include "contacts/ui/buddy_tree.h"
#include "conversation/ui/link_label.h"
#include "prefs/language_file.h"
#include "prefs/language_strings.h"
#include "prefs/ui/language_captions.h"
#include "support/keyboard_walk.h"
#include "support/qt_printers.h"

using namespace quillo;

namespace {

class MainWindowKeys : public ::testing::Test {
protected:
    MainWindowKeys()
        : window_(strings_)
        , tree_(new BuddyTree(strings_)) {
        window_.setContactTree(tree_);
        tree_->BuildBuddyTree({{ContactId(1), QStringLiteral("Ann"), true}});
        window_.resize(300, 600);
        window_.show();
        window_.showLoginPage();
        window_.activateWindow();
    }

    LanguageStrings strings_;
    MainWindow window_;
    BuddyTree* tree_;
};

TEST_F(MainWindowKeys, TabGoesDownTheLoginPageAsItReads) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    window_.chkremember->setChecked(true); // so that the second box takes part
    EXPECT_EQ(QApplication::focusWidget(), window_.txtEmail) << "the keys start at the e-mail";
    const QStringList down{"txtPassword", "chkremember",      "chkAuto",
                           "btnSignin",   "lbForgotPassword", "txtEmail"};
    EXPECT_EQ(test::TabChain(window_.txtEmail, int(down.size())), down);
    QStringList up{"lbForgotPassword", "btnSignin",   "chkAuto",
                   "chkremember",      "txtPassword", "txtEmail"};
    EXPECT_EQ(test::TabChain(window_.txtEmail, int(up.size()), true), up);
}

TEST_F(MainWindowKeys, SignedInTheKeysGoToTheContactsAndTabGoesRoundThePage) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    window_.txtPassword->setFocus(Qt::TabFocusReason); // Enter was pressed here to sign in
    window_.showContactPage();
    EXPECT_EQ(QApplication::focusWidget(), tree_);

    window_.lbSendMail->setEnabled(true); // a friend is selected
    window_.lbSendWall->setEnabled(true);
    EXPECT_EQ(test::TabChain(tree_, 5),
              (QStringList{"Label5", "lbSendMail", "lbSendWall", "lbSignOut", "TreeView1"}));

    // A link the keys reach is followed with Enter or Space, not while it is disabled.
    int signOuts = 0;
    QObject::connect(&window_, &MainWindow::signOutRequested, [&] { ++signOuts; });
    auto* signOut = window_.findChild<LinkLabel*>(QStringLiteral("lbSignOut"));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
        QTest::keyClick(signOut, key);
    EXPECT_EQ(signOuts, 3);
    int mails = 0;
    QObject::connect(&window_, &MainWindow::sendMailRequested, [&] { ++mails; });
    window_.lbSendMail->setEnabled(false);
    QTest::keyClick(window_.lbSendMail, Qt::Key_Return);
    EXPECT_EQ(mails, 0);

    // Back on the contact page later, the keys stay where the person put them.
    window_.lbSendWall->setFocus(Qt::TabFocusReason);
    window_.showContactPage();
    EXPECT_EQ(QApplication::focusWidget(), window_.lbSendWall);
}

TEST_F(MainWindowKeys, EveryMenuCommandHasALetterOfItsOwnInEveryLanguage) {
    const QString langs = QStringLiteral(QUILLO_SOURCE_DIR "/resources/Langs/");
    for (const char* language : {"", "English.lang", "German.lang"}) {
        SCOPED_TRACE(language);
        MainWindow window(strings_);
        if (*language)
            ApplyLanguageCaptions(LanguageFile::Load(langs + QLatin1String(language)), &window);
        const auto unique = [](const QList<QAction*>& actions, const QString& where) {
            QStringList letters;
            for (QAction* action : actions) {
                if (action->isSeparator())
                    continue;
                const QKeySequence letter = QKeySequence::mnemonic(action->text());
                EXPECT_FALSE(letter.isEmpty())
                    << where.toStdString() << ": " << action->text().toStdString();
                EXPECT_FALSE(letters.contains(letter.toString()))
                    << where.toStdString() << ": " << action->text().toStdString()
                    << " repeats a letter";
                letters.append(letter.toString());
            }
        };
        unique(window.menuBar()->actions(), QStringLiteral("menu bar"));
        for (QAction* menuAction : window.menuBar()->actions())
            unique(menuAction->menu<QMenu*>()->actions(), menuAction->text());
    }
}

TEST_F(MainWindowKeys, CommandsWithAKeyOfTheDesktopShowIt) {
    const struct {
        const char* action;
        QKeySequence::StandardKey key;
    } cases[] = {
        {"Exit1", QKeySequence::Quit},
        {"Option1", QKeySequence::Preferences},
        {"Help2", QKeySequence::HelpContents},
    };
    QList<QKeySequence> taken;
    for (QAction* action : window_.findChildren<QAction*>()) {
        for (const QKeySequence& key : action->shortcuts()) {
            EXPECT_FALSE(taken.contains(key)) << key.toString().toStdString() << " twice";
            taken.append(key);
        }
    }
    for (const auto& c : cases) {
        auto* action = window_.findChild<QAction*>(QLatin1String(c.action));
        ASSERT_NE(action, nullptr) << c.action;
        EXPECT_EQ(action->shortcuts(), QKeySequence::keyBindings(c.key)) << c.action;
    }
    // No key of its own for Sign out: its letter in the open menu is enough, and no desktop has
    // a key for it.
    EXPECT_TRUE(window_.Signout1->shortcut().isEmpty());
}

TEST_F(MainWindowKeys, EveryControlTheKeysReachHasAName) {
    EXPECT_EQ(test::UnnamedControls(&window_), QStringList());
    // Those whose caption says nothing read aloud are named by what they do.
    auto* fold = window_.findChild<QWidget*>(QStringLiteral("Label5"));
    const QString folded = fold->accessibleName();
    window_.toggleRecommendPanel();
    EXPECT_NE(fold->accessibleName(), folded) << "the name follows the fold";
    window_.toggleRecommendPanel();
    EXPECT_EQ(fold->accessibleName(), folded);
    // Links are links to a screen reader, and pressing one follows it.
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(window_.lbSendWall);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Name), QStringLiteral("Post on Friend(s) Wall"));
    ASSERT_NE(link->actionInterface(), nullptr);
    int walls = 0;
    QObject::connect(&window_, &MainWindow::sendWallRequested, [&] { ++walls; });
    window_.lbSendWall->setEnabled(true);
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(walls, 1);
}

} // namespace
