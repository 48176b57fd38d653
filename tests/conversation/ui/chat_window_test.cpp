// The chat window on its own, with a session double: tabs, what a line does to the window, the
// send path with each outcome, logs, the links and the input's keyboard. The same window against
// the stand-in is in tests/app/ui.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

#include "conversation/chat_log.h"
#include "conversation/emoticons.h"
#include "conversation/shown_text.h"
#include "conversation/ui/chat_input.h"
#include "conversation/ui/chat_session.h"
#include "conversation/ui/chat_tab.h"
#include "conversation/ui/chat_window.h"
#include "conversation/ui/conversation_view.h"
#include "conversation/ui/emoticon_picker.h"
#include "conversation/ui/link_label.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "support/qt_printers.h"
#include "support/shipped_languages.h"
#include "support/temp_home.h"

using namespace quillo;

namespace {

const ContactId kMe(100001);
const ContactId kZoe(4242);
const ContactId kBob(77);

class FakeSession final : public ChatSession {
public:
    QString ownEscapedName() const override { return QStringLiteral("Al \\u00ee"); }
    ContactId ownId() const override { return kMe; }
    bool historyLoading() const override { return loading; }
    bool sessionEnding() const override { return ending; }
    void sendMessage(ContactId to, const QString& markup) override { sent.append({to, markup}); }
    void postChattingStatus(int tabCount) override { statusTabCounts.append(tabCount); }
    void clearHistory(ContactId with) override { cleared.append(with); }
    void fetchFriendPicture(ContactId, QSize, QObject*, std::function<void(QImage)>) override {}

    bool loading = false;
    bool ending = false;
    QList<QPair<ContactId, QString>> sent;
    QList<int> statusTabCounts;
    QList<ContactId> cleared;
};

ChatMessage friendLine(ContactId from, const QString& name, const QString& text,
                       const QString& time = QStringLiteral("1262304000000")) {
    ChatMessage m;
    m.conversation = from;
    m.from = from;
    m.fromName = name;
    m.text = text;
    m.time = time;
    m.live = true;
    return m;
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class ChatWindowTest : public ::testing::Test {
protected:
    ChatWindowTest()
        : window_(session_, strings_, settings_, EmoticonFolderUrl(QStringLiteral("/opt/q/"))) {
        ChatWindowDialogs dialogs;
        dialogs.confirm = [this](QWidget*, const QString& q) {
            questions_.append(q);
            return answer_;
        };
        dialogs.saveFileName = [this](QWidget*) { return savePath_; };
        dialogs.inform = [this](QWidget*, const QString& text) { informed_.append(text); };
        window_.setDialogs(dialogs);
    }

    ChatTab* zoeTab() { return window_.tabOf(kZoe); }
    ChatTab* openOnline(ContactId id, const QString& name) {
        window_.OpenChatWith(id, name);
        return window_.tabOf(id);
    }
    void type(ChatTab* tab, const QString& text) {
        tab->input()->setFocus();
        // Key by key, as typed; QTest::keyClicks knows only ASCII.
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(tab->input(), &press);
        }
    }
    void pressEnter(ChatTab* tab) { QTest::keyClick(tab->input(), Qt::Key_Return); }
    QString logOf(ContactId id) { return readFile(ChatLogPath(kMe, id)); }
    QString shown(ChatTab* tab) { return tab->view()->toPlainText(); }

    test::TempHome home_;
    LanguageStrings strings_;
    Settings settings_;
    FakeSession session_;
    ChatWindow window_;
    QStringList questions_;
    bool answer_ = true;
    QString savePath_;
    QStringList informed_;
};

} // namespace

TEST_F(ChatWindowTest, AFriendsLineOpensATabWithoutTakingTheActiveOne) {
    ChatTab* bob = openOnline(kBob, QStringLiteral("Bob"));
    window_.hide();
    window_.ShowMessage(friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("Hi :) ")),
                        {QStringLiteral("Zoë"), true});
    ASSERT_NE(zoeTab(), nullptr);
    EXPECT_TRUE(window_.isVisible()) << "a hidden window comes back";
    EXPECT_EQ(window_.activeTab(), bob);
    EXPECT_EQ(window_.pages()->indexOf(zoeTab()), 1) << "at the end of the row";
    EXPECT_EQ(zoeTab()->image(), TabImage::Unread);
    EXPECT_EQ(window_.tabCaption(zoeTab()), QStringLiteral("Zoë"));
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Quillo for Facebook - Bob"));
    EXPECT_EQ(zoeTab()->statusText(), QStringLiteral("Zoë  is online."));
    EXPECT_TRUE(zoeTab()->saveLink()->isEnabled());
    EXPECT_EQ(window_.statusText(), QStringLiteral("Message received from Zoë"));
    EXPECT_TRUE(shown(zoeTab()).contains(QStringLiteral("Zoë (")));

    window_.pages()->setCurrentWidget(zoeTab());
    EXPECT_EQ(zoeTab()->image(), TabImage::Online) << "read once it is looked at";
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Quillo for Facebook - Zoë"));
}

TEST_F(ChatWindowTest, ALineFromAFriendNotOnlineShowsTheOfflineTab) {
    window_.ShowMessage(friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("hello")), {});
    ASSERT_NE(zoeTab(), nullptr);
    EXPECT_EQ(zoeTab()->image(), TabImage::Offline);
    EXPECT_EQ(zoeTab()->statusText(), QStringLiteral("Zoë  is offline."));
    EXPECT_FALSE(zoeTab()->input()->isEnabled());
    EXPECT_FALSE(zoeTab()->emoticonButton()->isEnabled());

    window_.SetConversationPresence(kZoe, true);
    EXPECT_EQ(zoeTab()->image(), TabImage::Online);
    EXPECT_TRUE(zoeTab()->input()->isEnabled());
    EXPECT_TRUE(zoeTab()->sendButton()->isEnabled());
    EXPECT_EQ(zoeTab()->statusText(), QStringLiteral("Zoë  is online."));
}

TEST_F(ChatWindowTest, RepeatsAreDroppedOnlyWhenTheServiceHandsOutTheSameItemAgain) {
    openOnline(kZoe, QStringLiteral("Zoë"));
    openOnline(kBob, QStringLiteral("Bob"));
    const ChatMessage ok = friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("ok"));
    window_.ShowMessage(ok, {QStringLiteral("Zoë"), true});
    window_.ShowMessage(ok, {QStringLiteral("Zoë"), true}); // the same item again
    ChatMessage later = ok;
    later.time = QStringLiteral("1262304060000");
    window_.ShowMessage(later, {QStringLiteral("Zoë"), true}); // typed again a minute later
    window_.ShowMessage(friendLine(kBob, QStringLiteral("Bob"), QStringLiteral("ok")),
                        {QStringLiteral("Bob"), true}); // another friend says the same
    EXPECT_EQ(shown(zoeTab()).count(QStringLiteral("ok")), 2);
    EXPECT_EQ(shown(window_.tabOf(kBob)).count(QStringLiteral("ok")), 1);
    EXPECT_EQ(logOf(kZoe).count(QStringLiteral("\r\n")), 2);
}

TEST_F(ChatWindowTest, HostileTextShowsAsTypedInTheViewAndTheLog) {
    const QString texts[] = {
        QStringLiteral("\\u003cscript>alert(1)\\u003c/script>"),
        QStringLiteral("<img src=\"http://127.0.0.1:9/x.png\">"),
        QStringLiteral("&lt;b&gt;not bold&lt;/b&gt;"),
        QStringLiteral("broken \\u00"),
        QStringLiteral("lone \\ud800 surrogate"),
    };
    for (const QString& text : texts)
        window_.ShowMessage(friendLine(kZoe, QStringLiteral("Zo\\u00eb"), text),
                            {QStringLiteral("Zoë"), true});
    const QString view = shown(zoeTab());
    EXPECT_TRUE(view.contains(QStringLiteral("<script>alert(1)</script>")));
    EXPECT_TRUE(view.contains(QStringLiteral("<img src=\"http://127.0.0.1:9/x.png\">")));
    EXPECT_TRUE(view.contains(QStringLiteral("<b>not bold</b>")));
    EXPECT_TRUE(view.contains(QStringLiteral("broken \\u00")));
    const QString html = zoeTab()->view()->toHtml();
    EXPECT_FALSE(html.contains(QStringLiteral("<img src=\"http"))) << "no live element";
    const QString log = logOf(kZoe);
    EXPECT_TRUE(log.contains(QStringLiteral("&lt;script&gt;")));
    EXPECT_FALSE(log.contains(QStringLiteral("<script")));
    EXPECT_FALSE(log.contains(QStringLiteral("<img src=\"http")));
}

TEST_F(ChatWindowTest, ALineWhoseTimeIsNotANumberIsShownWithoutATime) {
    window_.ShowMessage(friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("still here"),
                                   QStringLiteral("12:00")),
                        {QStringLiteral("Zoë"), true});
    EXPECT_TRUE(shown(zoeTab()).contains(QStringLiteral("Zoë:\nstill here")));
    EXPECT_TRUE(logOf(kZoe).contains(QStringLiteral("still here")));
}

TEST_F(ChatWindowTest, AReplayedLineIsShownButNeitherLoggedNorAnnounced) {
    ChatMessage replayed = friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("earlier"));
    replayed.live = false;
    replayed.replayed = true;
    window_.ShowMessage(replayed, {QStringLiteral("Zoë"), true});
    EXPECT_TRUE(shown(zoeTab()).contains(QStringLiteral("earlier")));
    EXPECT_TRUE(window_.statusText().isEmpty());
    EXPECT_FALSE(QFile::exists(ChatLogPath(kMe, kZoe)));
}

TEST_F(ChatWindowTest, TheUsersOwnReplayedLineGoesToItsConversationInFront) {
    openOnline(kBob, QStringLiteral("Bob"));
    ChatMessage own;
    own.conversation = kZoe;
    own.from = kMe;
    own.fromName = session_.ownEscapedName();
    own.text = QStringLiteral("see you<Br>tomorrow");
    own.time = QStringLiteral("1262304000000");
    own.own = true;
    window_.ShowMessage(own, {QStringLiteral("Zoë"), false});
    ASSERT_NE(zoeTab(), nullptr);
    EXPECT_EQ(window_.activeTab(), zoeTab());
    EXPECT_EQ(window_.tabCaption(zoeTab()), QStringLiteral("Zoë"));
    EXPECT_EQ(zoeTab()->image(), TabImage::Offline);
    EXPECT_TRUE(shown(zoeTab()).contains(QStringLiteral("Al î (")));
    EXPECT_TRUE(shown(zoeTab()).contains(QStringLiteral("see you\ntomorrow")));
    EXPECT_FALSE(QFile::exists(ChatLogPath(kMe, kZoe))) << "a replay adds nothing to the log";
    EXPECT_TRUE(window_.tabOf(kBob)->view()->document()->isEmpty());
}

TEST_F(ChatWindowTest, SendShowsLogsAndSendsTheTextAsTyped) {
    ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
    tab->toggleBold();
    type(tab, QStringLiteral("Привет"));
    tab->toggleBold();
    type(tab, QStringLiteral(" <3 "));
    pressEnter(tab);
    ASSERT_EQ(session_.sent.size(), 1);
    EXPECT_EQ(session_.sent[0].first, kZoe);
    EXPECT_EQ(session_.sent[0].second, QStringLiteral(" *Привет*  <3 "));
    EXPECT_EQ(session_.statusTabCounts, QList<int>{1});
    EXPECT_TRUE(tab->input()->toPlainText().isEmpty());
    EXPECT_TRUE(tab->input()->isReadOnly()) << "until the outcome";
    EXPECT_FALSE(tab->sendButton()->isEnabled());
    EXPECT_TRUE(shown(tab).contains(QStringLiteral("Привет")));
    EXPECT_TRUE(zoeTab()->view()->toHtml().contains(QStringLiteral("ref20.gif")));
    const QString log = logOf(kZoe);
    EXPECT_TRUE(log.contains(QStringLiteral("#800000")));
    EXPECT_TRUE(log.contains(QStringLiteral("Привет")));
    EXPECT_TRUE(window_.statusText().isEmpty()) << "one's own line announces nothing";

    window_.onMessageSent(kZoe, session_.sent[0].second, SendOutcome::Sent);
    EXPECT_EQ(window_.statusText(), QStringLiteral("Message sent."));
    EXPECT_FALSE(tab->input()->isReadOnly());
    EXPECT_TRUE(tab->sendButton()->isEnabled());
}

TEST_F(ChatWindowTest, EnterInAnEmptyInputSendsNothingButOffersToSave) {
    ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
    EXPECT_FALSE(tab->saveLink()->isEnabled());
    pressEnter(tab);
    EXPECT_TRUE(session_.sent.isEmpty());
    EXPECT_TRUE(tab->saveLink()->isEnabled());
    EXPECT_TRUE(tab->view()->document()->isEmpty());
}

TEST_F(ChatWindowTest, EachOutcomeOfASend) {
    struct Case {
        SendOutcome outcome;
        bool ending;
        const char* status; // the status bar afterwards
        bool notice;        // the undelivered notice in the conversation
        bool offlineSignal; // the tree is told the friend went
        bool inputWritable;
    };
    const Case cases[] = {
        {SendOutcome::Sent, false, "Message sent.", false, false, true},
        {SendOutcome::Offline, false, "", false, true, true},
        {SendOutcome::NotSent, false, "No reponsding from server. Send message fail!", false, false,
         true},
        {SendOutcome::NotSent, true, "", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.outcome));
        window_.removeAllTabs();
        ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
        QList<ContactId> wentOffline;
        const auto connection = QObject::connect(&window_, &ChatWindow::friendWentOffline,
                                                 [&](ContactId id) { wentOffline.append(id); });
        type(tab, QStringLiteral("are you there?"));
        pressEnter(tab);
        window_.clearStatus();
        session_.ending = c.ending;
        window_.onMessageSent(kZoe, QStringLiteral("are you there?"), c.outcome);
        session_.ending = false;
        QObject::disconnect(connection);
        EXPECT_EQ(window_.statusText(), QLatin1String(c.status));
        EXPECT_EQ(wentOffline, c.offlineSignal ? QList<ContactId>{kZoe} : QList<ContactId>{});
        EXPECT_EQ(!tab->input()->isReadOnly(), c.inputWritable);
        EXPECT_TRUE(shown(tab).contains(QStringLiteral("are you there?"))) << "kept in the view";
        if (c.outcome == SendOutcome::Offline) {
            EXPECT_TRUE(shown(tab).contains(QStringLiteral(
                "Zoë is no longer online. Following message \"are you there?\" has not been "
                "sent.")));
        }
    }
}

TEST_F(ChatWindowTest, TypingNoticesNameTheTabAndEndWhenTheFriendStops) {
    openOnline(kZoe, QStringLiteral("Alice"));
    window_.clearStatus();
    window_.showTypingNotice(kBob, true);
    window_.showTypingNotice(kMe, true);
    EXPECT_TRUE(window_.statusText().isEmpty()) << "no tab, or the user's own id";
    window_.showTypingNotice(kZoe, true);
    EXPECT_EQ(window_.statusText(), QStringLiteral("Alice is typing message..."));
    window_.showTypingNotice(kZoe, false);
    EXPECT_TRUE(window_.statusText().isEmpty());
    window_.ShowMessage(friendLine(kZoe, QStringLiteral("Alice"), QStringLiteral("x")),
                        {QStringLiteral("Alice"), true});
    window_.showTypingNotice(kZoe, false);
    EXPECT_EQ(window_.statusText(), QStringLiteral("Message received from Alice"))
        << "a stop does not take away another notice";
}

TEST_F(ChatWindowTest, BoldAndUnderlineButtonsKeepTheirMask) {
    ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
    auto* bold = tab->findChild<QToolButton*>(QStringLiteral("btnBold"));
    auto* underline = tab->findChild<QToolButton*>(QStringLiteral("btnUnderLine"));
    bold->click();
    bold->click();
    EXPECT_EQ(tab->formatMask(), 0);
    EXPECT_FALSE(bold->property("formatOn").toBool());
    bold->click();
    underline->click();
    EXPECT_EQ(tab->formatMask(), 3);
    EXPECT_TRUE(underline->property("formatOn").toBool());
    type(tab, QStringLiteral("x"));
    pressEnter(tab);
    EXPECT_EQ(session_.sent.value(0).second, QStringLiteral(" * _x_ * "));
    EXPECT_TRUE(tab->input()->currentCharFormat().fontUnderline()) << "kept for the next line";
    EXPECT_EQ(tab->input()->currentCharFormat().fontWeight(), QFont::Bold);
}

TEST_F(ChatWindowTest, TheInputHoldsAThousandCharactersAndShiftEnterBreaksTheLine) {
    ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
    tab->input()->insertPlainText(QString(1200, u'a'));
    EXPECT_EQ(tab->input()->length(), ChatInput::kMaxLength);
    tab->input()->clear();
    type(tab, QStringLiteral("one"));
    QTest::keyClick(tab->input(), Qt::Key_Return, Qt::ShiftModifier);
    type(tab, QStringLiteral("two"));
    pressEnter(tab);
    EXPECT_EQ(session_.sent.value(0).second, QStringLiteral("one\n\rtwo"));
    EXPECT_TRUE(shown(tab).contains(QStringLiteral("one\ntwo")));
}

TEST_F(ChatWindowTest, PickedEmoticonGoesIntoTheActiveInputAtTheCaret) {
    ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
    type(tab, QStringLiteral("Hi"));
    emit window_.emoticonPicker()->emoticonChosen(QStringLiteral(" :) "));
    EXPECT_EQ(tab->input()->toPlainText(), QStringLiteral("Hi :) "));
    pressEnter(tab);
    EXPECT_TRUE(tab->view()->toHtml().contains(QStringLiteral("ref1.png")));
}

TEST_F(ChatWindowTest, ALogThatCannotBeWrittenCostsTheLogLineOnly) {
    settings_.DisableChatLog = false;
    // A folder where the log file should be: nothing can be appended to it.
    QDir().mkpath(ChatLogPath(kMe, kZoe));
    window_.ShowMessage(friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("kept")),
                        {QStringLiteral("Zoë"), true});
    EXPECT_TRUE(shown(zoeTab()).contains(QStringLiteral("kept")));
    EXPECT_TRUE(window_.statusText().contains(QStringLiteral("100001_4242.htm")))
        << window_.statusText().toStdString();
}

TEST_F(ChatWindowTest, DisableChatLogWritesNoFile) {
    settings_.DisableChatLog = true;
    ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
    window_.ShowMessage(friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("a")),
                        {QStringLiteral("Zoë"), true});
    type(tab, QStringLiteral("b"));
    pressEnter(tab);
    EXPECT_EQ(shown(tab).count(QStringLiteral("Zo")), 1);
    EXPECT_FALSE(QFile::exists(ChatLogPath(kMe, kZoe)));
}

TEST_F(ChatWindowTest, ClearHistoryAsksThenClearsTheServiceTheLogAndTheView) {
    ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
    window_.ShowMessage(friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("a")),
                        {QStringLiteral("Zoë"), true});
    ASSERT_TRUE(QFile::exists(ChatLogPath(kMe, kZoe)));

    session_.loading = true;
    emit tab->clearLink()->clicked();
    EXPECT_TRUE(questions_.isEmpty()) << "refused while the history is replayed";
    session_.loading = false;

    answer_ = false;
    emit tab->clearLink()->clicked();
    EXPECT_EQ(questions_.value(0),
              QStringLiteral("Are you sure you wish to clear the chat history with Zoë?"));
    EXPECT_TRUE(session_.cleared.isEmpty());
    EXPECT_FALSE(tab->view()->document()->isEmpty());

    answer_ = true;
    emit tab->clearLink()->clicked();
    EXPECT_EQ(session_.cleared, QList<ContactId>{kZoe});
    EXPECT_FALSE(QFile::exists(ChatLogPath(kMe, kZoe)));
    EXPECT_TRUE(tab->view()->document()->isEmpty());
    EXPECT_FALSE(tab->saveLink()->isEnabled());
    EXPECT_TRUE(tab->clearLink()->isEnabled());
}

TEST_F(ChatWindowTest, ClosingWithAutoClearClearsOnlyConversationsWithContent) {
    for (const bool autoClear : {false, true}) {
        SCOPED_TRACE(autoClear);
        window_.removeAllTabs();
        session_.cleared.clear();
        settings_.AutoClearHistory = autoClear;
        openOnline(kBob, QStringLiteral("Bob")); // nothing said
        window_.ShowMessage(friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("a")),
                            {QStringLiteral("Zoë"), true});
        window_.close();
        EXPECT_TRUE(window_.isHidden());
        EXPECT_EQ(window_.tabs().size(), 2) << "closing only hides";
        EXPECT_EQ(session_.cleared, autoClear ? QList<ContactId>{kZoe} : QList<ContactId>{});
        EXPECT_EQ(QFile::exists(ChatLogPath(kMe, kZoe)), !autoClear);
    }
}

TEST_F(ChatWindowTest, TheCloseButtonClosesItsTabAndTheLastOneHidesTheWindow) {
    ChatTab* zoe = openOnline(kZoe, QStringLiteral("Zoë"));
    openOnline(kBob, QStringLiteral("Bob"));
    zoe->closeButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(window_.tabOf(kZoe), nullptr);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Quillo for Facebook - Bob"));
    window_.tabOf(kBob)->closeButton()->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window_.tabs().isEmpty());
    EXPECT_TRUE(window_.isHidden());
}

TEST_F(ChatWindowTest, SaveConversationWritesTheViewOrSaysItCouldNot) {
    ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
    savePath_ = home_.path() + QStringLiteral("/saved.htm");
    emit tab->saveLink()->clicked();
    EXPECT_TRUE(informed_.isEmpty()) << "an empty conversation is not saved";

    window_.ShowMessage(friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("keep me")),
                        {QStringLiteral("Zoë"), true});
    emit tab->saveLink()->clicked();
    EXPECT_EQ(informed_.value(0), QStringLiteral("Conversation saved successfully!"));
    EXPECT_TRUE(readFile(savePath_).contains(QStringLiteral("keep me")));

    savePath_ = home_.path() + QStringLiteral("/no/such/folder/saved.htm");
    emit tab->saveLink()->clicked();
    EXPECT_TRUE(informed_.value(1).startsWith(QStringLiteral("The conversation could not")));
}

// The texts the window makes itself come from the language strings of the moment they show: the
// strings change after the window was made, and a file without the later keys shows them in
// English.
TEST_F(ChatWindowTest, ItsOwnTextsAreInTheLanguageInUse) {
    settings_.DisableChatLog = false;
    ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
    const QString logPath = QDir::toNativeSeparators(ChatLogPath(kMe, kZoe));
    QDir().mkpath(ChatLogPath(kMe, kZoe)); // a folder where the log should be: no line reaches it
    const auto line = [](const QString& text) {
        return friendLine(kZoe, QStringLiteral("Zo\\u00eb"), text);
    };
    const QString unsaved = home_.path() + QStringLiteral("/no/such/folder/saved.htm");
    const struct {
        const char* what;
        LanguageKey key;
        QStringList values; // a system's reason at the end is left out
        std::function<QString()> show;
    } cases[] = {
        {"a line whose log cannot be written",
         LanguageKey::msgChatLogWriteFail,
         {logPath},
         [&] {
             window_.ShowMessage(line(QStringLiteral("one")), {QStringLiteral("Zoë"), true});
             return window_.statusText();
         }},
        {"a burst whose log cannot be written",
         LanguageKey::msgChatLogWriteFail,
         {logPath},
         [&] {
             window_.showMessages({{line(QStringLiteral("two")), {QStringLiteral("Zoë"), true}}});
             return window_.statusText();
         }},
        {"a message cut in the view",
         LanguageKey::msgMessageCut,
         {QStringLiteral("7")},
         [&] {
             window_.ShowMessage(line(QString(kLongestShownMessage + 7, u'a')),
                                 {QStringLiteral("Zoë"), true});
             return shown(tab);
         }},
        {"messages the service dropped",
         LanguageKey::msgMessagesMissed,
         {},
         [&] {
             window_.showMessagesMayBeMissing(kZoe);
             return shown(tab);
         }},
        {"a conversation that cannot be saved",
         LanguageKey::msgSaveConversationFail,
         {QDir::toNativeSeparators(unsaved)},
         [&] {
             window_.ShowMessage(line(QStringLiteral("three")), {QStringLiteral("Zoë"), true});
             savePath_ = unsaved;
             emit tab->saveLink()->clicked();
             return informed_.value(0);
         }},
    };
    for (const test::LanguageCase& language : test::kLanguageCases) {
        strings_ = language.strings();
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(language.name) + ": " + c.what);
            EXPECT_EQ(strings_.text(c.key) != DefaultLanguageText(c.key),
                      language.translatesLaterKeys);
            window_.clearStatus();
            tab->view()->clearConversation();
            informed_.clear();
            const QString shownText = c.show();
            const QString expected = strings_.format(c.key, c.values);
            EXPECT_TRUE(shownText.contains(expected))
                << shownText.left(300).toStdString() << "\n  lacks: " << expected.toStdString();
        }
    }
}

TEST_F(ChatWindowTest, ANameWithAnAmpersandShowsInTheTabRowAsItIs) {
    openOnline(kZoe, QStringLiteral("Tom & Jerry"));
    EXPECT_EQ(window_.pages()->tabText(0), QStringLiteral("Tom && Jerry"));
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Quillo for Facebook - Tom & Jerry"));
}

// A burst: the window takes in a slice at a time, so it never freezes, and every line reaches
// the view and the log once, in order, with the user's own line after those that came first.
TEST_F(ChatWindowTest, ABurstIsTakenInSliceBySliceWholeAndInOrder) {
    ChatTab* tab = openOnline(kZoe, QStringLiteral("Zoë"));
    QList<IncomingLine> burst;
    for (int i = 1; i <= 3000; ++i)
        burst.append({friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("n%1.").arg(i)),
                      {QStringLiteral("Zoë"), true}});
    int attention = 0;
    QObject::connect(&window_, &ChatWindow::attentionWanted, [&] { ++attention; });
    window_.showMessages(burst);
    EXPECT_GT(window_.waitingLines(), 0) << "not all at once";
    EXPECT_LT(window_.waitingLines(), 3000) << "the first slice at once";

    // The user answers in the middle of it: the answer follows every line that arrived.
    type(tab, QStringLiteral("mine"));
    pressEnter(tab);
    EXPECT_EQ(window_.waitingLines(), 0);
    window_.showMessages({{friendLine(kZoe, QStringLiteral("Zo\\u00eb"), QStringLiteral("last.")),
                           {QStringLiteral("Zoë"), true}}});
    window_.showMessagesMayBeMissing(kZoe);
    for (int i = 0; i < 1000 && window_.waitingLines() > 0; ++i)
        QCoreApplication::processEvents();

    const QString view = shown(tab);
    const QString log = logOf(kZoe);
    for (const QString& text : {view, log}) {
        qsizetype at = 0;
        for (int i = 1; i <= 3000; ++i) {
            const QString line = QStringLiteral("n%1.").arg(i);
            ASSERT_EQ(text.count(line), 1) << line.toStdString();
            const qsizetype next = text.indexOf(line, at);
            ASSERT_GT(next, at - 1) << line.toStdString() << " out of order";
            at = next;
        }
        EXPECT_GT(text.indexOf(QStringLiteral("mine")), at);
        EXPECT_GT(text.indexOf(QStringLiteral("last.")), text.indexOf(QStringLiteral("mine")));
    }
    EXPECT_TRUE(view.contains(QStringLiteral("may have been missed")));
    EXPECT_LT(attention, 100) << "once per slice, not once per line";
}
