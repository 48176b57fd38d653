// Exit ends the program from whatever a person did before: the application's event loop
// returns, however many windows are open or were shown.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/ui/main_window.h"
#include "app/ui/messenger.h"
#include "signed_in_messenger.h"

using namespace quillo;
using namespace quillo::test;

namespace {

class ExitTest : public SignedInMessengerTest {
protected:
    QAction* menuAction(const char* name) {
        return main()->findChild<QAction*>(QLatin1String(name));
    }
    // Runs the application's own loop as main() does, with steps taken from inside it, and
    // returns its exit code; 99 when Exit did not end it within a few seconds.
    int runProgram(const std::function<void()>& steps) {
        EndProgramWhenFinished(*messenger_);
        QTimer::singleShot(0, messenger_.get(), steps);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(8000);
        return QApplication::exec();
    }
};

} // namespace

TEST_F(ExitTest, ExitEndsTheProgramWithTheChatWindowOpenAndAfterPreferences) {
    const int code = runProgram([this] {
        tree()->OpenChatWith(tree()->onlineGroup()->child(0));
        // Preferences, then Escape, as a person does; then Messenger, Exit.
        QTimer::singleShot(200, messenger_.get(), [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
            QTimer::singleShot(100, messenger_.get(), [this] { menuAction("Exit1")->trigger(); });
        });
        menuAction("Option1")->trigger();
    });
    EXPECT_EQ(code, 0) << "Exit did not end the program";
}
