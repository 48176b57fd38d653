#pragma once
// The whole program (Messenger: engine, main window, contact tree, dispatcher, chat window and
// dialogs) against a stand-in of its own, signed in as alice with the Sign in button, as a
// person does. For the tests of tests/app/ui.

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "app/ui/main_window.h"
#include "app/ui/messenger.h"
#include "contacts/ui/buddy_tree.h"
#include "harness/standin_process.h"
#include "platform/memory_settings_store.h"
#include "prefs/settings.h"
#include "support/temp_home.h"

namespace quillo::test {

inline const QString kAliceEmail = QStringLiteral("alice@quillo.test");

// Runs the event loop until check holds; false when the time is up.
inline bool runUntil(const std::function<bool()>& check, int timeoutMs = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!check()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qWait(1);
    }
    return true;
}

// Types alice's e-mail address and password into the login page and presses Sign in; true once
// the contact page shows and the replay of recent conversations is over.
inline bool SignInAsAlice(Messenger& messenger) {
    MainWindow* main = messenger.mainWindow();
    main->txtEmail->setText(kAliceEmail);
    main->txtPassword->setText(QStringLiteral("alice"));
    main->btnSignin->click();
    return runUntil(
        [&] { return main->contactPageShown() && !messenger.engine().state().HistoryLoading; });
}

class SignedInMessengerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString();
        auto store = std::make_unique<MemorySettingsStore>();
        store_ = store.get();
        WriteAccountConsent(*store, kAliceEmail, false); // no question at sign-in
        messenger_ = std::make_unique<Messenger>(std::move(store), standin_.endpoints());
        messenger_->start();
        ASSERT_TRUE(runUntil([this] { return main() && main()->isVisible(); }));
        ASSERT_TRUE(SignInAsAlice(*messenger_));
        // Lines replayed from the service's history have arrived by the first held poll.
        ASSERT_TRUE(runUntil([this] { return standin_.waitForHeldPolls(1, 0); }));
    }

    MainWindow* main() { return messenger_->mainWindow(); }
    BuddyTree* tree() { return main()->findChild<BuddyTree*>(); }
    QTreeWidgetItem* onlineNode(const QString& id) {
        return tree()->FindBuddyNode(tree()->onlineGroup(), ContactId::fromText(id));
    }

    TempHome home_;
    StandInProcess standin_;
    MemorySettingsStore* store_ = nullptr; // the messenger's
    std::unique_ptr<Messenger> messenger_;
};

} // namespace quillo::test
