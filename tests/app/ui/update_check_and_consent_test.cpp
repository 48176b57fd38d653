// The program's own questions and answers around the main window: the Check for Update command
// shows that it is at work while the maker's server is slow, and the question whether the
// program may post the user's status shows the program's icon.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <gtest/gtest.h>

#include "desktop/ui/desktop_pictures.h"
#include "signed_in_messenger.h"

using namespace quillo;
using namespace quillo::test;

namespace {

// What a message box showed when it came up, before it was answered.
struct SeenBox {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QImage picture;
    QImage standardQuestion; // the style's question icon at the same size
    int iconSide = 0;
    bool busyPointer = false;
    bool commandEnabled = false;
    QString commandText;
};

class ProgramBoxesTest : public ::testing::Test {
protected:
    // consentAsked: alice has answered the status question before.
    void startMessenger(bool consentAsked) {
        ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString();
        auto store = std::make_unique<MemorySettingsStore>();
        if (consentAsked)
            WriteAccountConsent(*store, kAliceEmail, false);
        messenger_ = std::make_unique<Messenger>(std::move(store), standin_.endpoints());
        messenger_->start();
        ASSERT_TRUE(runUntil([this] { return main() && main()->isVisible(); }));
        answerMessageBoxes();
    }

    MainWindow* main() { return messenger_->mainWindow(); }
    QAction* updateCommand() {
        return main()->findChild<QAction*>(QStringLiteral("Checkforupdate1"));
    }
    static bool busyPointer() {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        return cursor && cursor->shape() == Qt::BusyCursor;
    }
    qsizetype versionRequests() {
        return standin_.requests(QStringLiteral("path=/version.htm")).size();
    }

    // Notes every message box as it comes up, with the state of the windows at that moment, and
    // answers it with No (or OK).
    void answerMessageBoxes() {
        auto* watcher = new QTimer(messenger_.get());
        QObject::connect(watcher, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            SeenBox seen;
            seen.text = box->text();
            seen.icon = box->icon();
            seen.picture = box->iconPixmap().toImage();
            seen.iconSide = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box);
            seen.standardQuestion = box->style()
                                        ->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, box)
                                        .pixmap(QSize(seen.iconSide, seen.iconSide))
                                        .toImage();
            seen.busyPointer = QGuiApplication::overrideCursor() != nullptr;
            if (QAction* command = main() ? updateCommand() : nullptr) {
                seen.commandEnabled = command->isEnabled();
                seen.commandText = command->text();
            }
            boxes_.append(seen);
            if (QAbstractButton* no = box->button(QMessageBox::No))
                no->click();
            else
                box->accept();
        });
        watcher->start(20);
    }

    TempHome home_;
    StandInProcess standin_;
    std::unique_ptr<Messenger> messenger_;
    QList<SeenBox> boxes_;
};

} // namespace

// The answer comes late, or late and failed: meanwhile the command says it is at work, cannot
// run twice, and the window goes on answering; the answer shows with everything back as it was.
TEST_F(ProgramBoxesTest, CheckForUpdateShowsItIsAtWorkUntilTheAnswer) {
    ASSERT_NO_FATAL_FAILURE(startMessenger(true));
    const LanguageStrings strings;
    const QString caption = updateCommand()->text();
    const struct {
        const char* what;
        QJsonArray rules;
        LanguageKey answer;
    } cases[] = {
        {"a slow answer",
         {QJsonObject{{"path", "/version.htm"}, {"action", "delay"}, {"ms", 1500}}},
         LanguageKey::msgNoNewVersion},
        {"a slow failure",
         {QJsonObject{{"path", "/version.htm"}, {"action", "delay"}, {"ms", 1500}},
          QJsonObject{{"path", "/version.htm"}, {"action", "status"}, {"status", 503}}},
         LanguageKey::msgUpdateCheckFail},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_.clear();
        standin_.control(QStringLiteral("faults/clear"));
        standin_.control(QStringLiteral("faults"), {{"rules", c.rules}});
        const qsizetype before = versionRequests();

        QElapsedTimer clock;
        clock.start();
        updateCommand()->trigger();
        EXPECT_LT(clock.elapsed(), 500) << "the command waited for the network";
        EXPECT_FALSE(updateCommand()->isEnabled());
        EXPECT_EQ(updateCommand()->text(),
                  caption + QStringLiteral(" - ") + strings.text(LanguageKey::msgPleasewait));
        EXPECT_TRUE(busyPointer());

        // Asked again another way while the first check runs: still one check.
        emit main()->checkForUpdateRequested();
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        ASSERT_TRUE(runUntil([&] { return versionRequests() > before; }));
        EXPECT_TRUE(runUntil([&] { return ticks >= 5; }, 1000)) << "the window stopped answering";
        EXPECT_TRUE(boxes_.isEmpty()) << "answered before the server did";
        EXPECT_TRUE(busyPointer());

        ASSERT_TRUE(runUntil([&] { return !boxes_.isEmpty(); }));
        const SeenBox& answer = boxes_.first();
        EXPECT_EQ(answer.text, strings.text(c.answer));
        EXPECT_FALSE(answer.busyPointer) << "the answer shows under a busy pointer";
        EXPECT_TRUE(answer.commandEnabled);
        EXPECT_EQ(answer.commandText, caption);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(boxes_.size(), 1);
        EXPECT_EQ(versionRequests(), before + 1);
    }
}

TEST_F(ProgramBoxesTest, ThePointerComesBackWhenTheProgramEndsDuringACheck) {
    ASSERT_NO_FATAL_FAILURE(startMessenger(true));
    standin_.control(QStringLiteral("faults"),
                     {{"path", "/version.htm"}, {"action", "delay"}, {"ms", 3000}});
    const qsizetype before = versionRequests();
    updateCommand()->trigger();
    ASSERT_TRUE(runUntil([&] { return versionRequests() > before; }));
    ASSERT_TRUE(busyPointer());
    messenger_.reset();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(boxes_.isEmpty());
}

TEST_F(ProgramBoxesTest, TheStatusQuestionShowsTheProgramsIcon) {
    ASSERT_NO_FATAL_FAILURE(startMessenger(false));
    ASSERT_TRUE(SignInAsAlice(*messenger_));
    const LanguageStrings strings;
    ASSERT_EQ(boxes_.size(), 1);
    const SeenBox& question = boxes_.first();
    EXPECT_EQ(question.text, WithSingleLineBreaks(strings.text(LanguageKey::msgPromote)));
    EXPECT_NE(question.icon, QMessageBox::Question);
    ASSERT_FALSE(question.picture.isNull());
    EXPECT_NE(question.picture, question.standardQuestion);
    const QImage programIcon =
        DrawApplicationIcon()
            .pixmap(QSize(question.iconSide, question.iconSide), main()->devicePixelRatio())
            .toImage();
    EXPECT_EQ(question.picture.convertToFormat(QImage::Format_ARGB32),
              programIcon.convertToFormat(QImage::Format_ARGB32));
}
