// Names and messages written to attack the windows: markup, links, pictures of local, remote
// and endless files, character references that the service's escaping lets through, a
// right-to-left override, zero-width characters, and 100,000 characters. The whole program
// against a stand-in whose friends carry those names: every place that shows a name or a
// message shows it as bounded plain text, and no file a name mentions is ever opened.
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "app/ui/main_window.h"
#include "app/ui/messenger.h"
#include "contacts/ui/buddy_tree.h"
#include "conversation/shown_text.h"
#include "conversation/ui/chat_log_viewer.h"
#include "conversation/ui/chat_tab.h"
#include "conversation/ui/chat_window.h"
#include "conversation/ui/conversation_view.h"
#include "conversation/ui/link_label.h"
#include "desktop/ui/notice_stack.h"
#include "desktop/ui/notify_dialog.h"
#include "platform/memory_settings_store.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "signed_in_messenger.h"
#include "social/ui/bulk_dialog.h"

using namespace quillo;
using namespace quillo::test;

namespace {

constexpr qint64 kAlice = 100000418294721;
constexpr qint64 kFirstFriend = 100000900000001;

// Watches a folder for any opening of a file in it.
class OpenWatch {
public:
    explicit OpenWatch(const QString& folder)
        : fd_(inotify_init1(IN_NONBLOCK)) {
        if (fd_ >= 0)
            inotify_add_watch(fd_, folder.toLocal8Bit().constData(), IN_OPEN | IN_ACCESS);
    }
    ~OpenWatch() {
        if (fd_ >= 0)
            close(fd_);
    }
    bool watching() const { return fd_ >= 0; }
    // The names opened since the last call.
    QStringList opened() {
        QStringList names;
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t got = read(fd_, buffer, sizeof buffer);
            if (got <= 0)
                break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                names.append(QString::fromLocal8Bit(event->len ? event->name : "(folder)"));
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    int fd_;
};

// The bait: pictures that would show if a name's markup were ever read.
QString baitFolder() {
    static QTemporaryDir folder;
    static const bool made = [] {
        for (const char* name : {"local.png", "ref.png", "own.png", "first.png", "msg.png"}) {
            QImage red(8, 8, QImage::Format_RGB32);
            red.fill(Qt::red);
            red.save(folder.filePath(QLatin1String(name)));
        }
        return true;
    }();
    Q_UNUSED(made);
    return folder.path();
}

QStringList hostileNames() {
    const QString bait = baitFolder();
    return {
        QStringLiteral("<a href=\"file:///usr/bin/xterm\">Click me</a>"),
        QStringLiteral("<a href=\"http://evil.test/\">Link</a> <b>Bold</b>"),
        QStringLiteral("<img src=\"%1/local.png\">Local").arg(bait),
        QStringLiteral("<img src=\"http://evil.test/x.png\">Remote"),
        QStringLiteral("<img src=/dev/zero>Zero"),
        // "/" and the brackets as character references, which get past the service's escaping.
        QStringLiteral("&#60;img src=&#34;%1&#47;ref.png&#34;&#62;Refs").arg(bait),
        QString::fromUtf16(u"Evil\u202Egnp.exe"),
        QString::fromUtf16(u"Zero\u200B\u200Bwidth\uFEFF\u200D"),
        QStringLiteral("<b>long</b>").repeated(10000), // 110,000 characters
    };
}

QString dataFile(const QString& folder) {
    QJsonArray accounts;
    QJsonArray friends;
    const QStringList names = hostileNames();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const qint64 id = kFirstFriend + i;
        friends.append(id);
        accounts.append(QJsonObject{{QStringLiteral("id"), id},
                                    {QStringLiteral("name"), names[i]},
                                    {QStringLiteral("first_name"), names[i].left(40)},
                                    {QStringLiteral("online"), true}});
    }
    const QString bait = baitFolder();
    accounts.prepend(QJsonObject{
        {QStringLiteral("id"), kAlice},
        {QStringLiteral("email"), kAliceEmail},
        {QStringLiteral("password"), QStringLiteral("alice")},
        {QStringLiteral("name"), QStringLiteral("<img src=\"%1/own.png\"><b>Alice</b>").arg(bait)},
        {QStringLiteral("first_name"), QStringLiteral("<img src=\"%1/first.png\">").arg(bait)},
        {QStringLiteral("page_form"), QStringLiteral("plain")},
        {QStringLiteral("friends"), friends}});
    const QString path = folder + QStringLiteral("/hostile.json");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(QJsonDocument(QJsonObject{{QStringLiteral("accounts"), accounts},
                                         {QStringLiteral("conversations"), QJsonArray()}})
                   .toJson());
    return path;
}

StandInProcess::Options hostileStandIn() {
    static QTemporaryDir folder;
    StandInProcess::Options options;
    options.dataFile = dataFile(folder.path());
    return options;
}

// A widget's text that came from outside must be plain: a label in Qt::PlainText, a tooltip
// escaped (declared rich text only by the program's own wrapper).
void expectPlain(QWidget* widget, const char* where) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        const QString text = label->text();
        if (text.contains(u'<') || text.contains(u'&')) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText)
                << where << ": " << label->objectName().toStdString() << " "
                << text.left(80).toStdString();
        }
    }
    const QString tip = widget->toolTip();
    if (!tip.isEmpty() && Qt::mightBeRichText(tip)) {
        QTextDocument document;
        document.setHtml(tip);
        EXPECT_FALSE(tip.contains(QStringLiteral("<img")) || tip.contains(QStringLiteral("<a ")))
            << where << ": tooltip " << tip.left(80).toStdString();
        EXPECT_LE(document.toPlainText().size(), 1001) << where << ": tooltip is bounded";
    }
}

class HostileTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(watch_.watching());
        ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString();
        auto store = std::make_unique<MemorySettingsStore>();
        WriteAccountConsent(*store, kAliceEmail, false);
        messenger_ = std::make_unique<Messenger>(std::move(store), standin_.endpoints());
        messenger_->setUrlOpener([this](const QUrl& url) { opened_.append(url); });
        messenger_->start();
        ASSERT_TRUE(runUntil([this] { return main() && main()->isVisible(); }));
        ASSERT_TRUE(SignInAsAlice(*messenger_));
    }

    MainWindow* main() { return messenger_->mainWindow(); }
    BuddyTree* tree() { return main()->findChild<BuddyTree*>(); }
    ChatWindow* chat() { return messenger_->chatWindow(); }

    // Every window the program shows, walked for plain text.
    void expectEveryWidgetPlain(const char* where) {
        for (QWidget* widget : QApplication::allWidgets())
            expectPlain(widget, where);
    }

    OpenWatch watch_{baitFolder()};
    TempHome home_;
    StandInProcess standin_{hostileStandIn()};
    std::unique_ptr<Messenger> messenger_;
    QList<QUrl> opened_;
};

} // namespace

TEST_F(HostileTextTest, EveryPlaceThatShowsANameShowsItAsBoundedPlainText) {
    const QStringList names = hostileNames();

    // The contact page: the user's own name.
    QLabel* own = main()->findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->textFormat(), Qt::PlainText);
    EXPECT_TRUE(own->text().contains(QStringLiteral("<img src=")));

    // The tree: every friend, one bounded line.
    for (qsizetype i = 0; i < names.size(); ++i) {
        QTreeWidgetItem* node =
            tree()->FindBuddyNode(tree()->onlineGroup(), ContactId(kFirstFriend + i));
        ASSERT_NE(node, nullptr) << i;
        EXPECT_LE(node->text(0).size(), kLongestShownName);
        EXPECT_FALSE(node->text(0).contains(QChar(0x202E)));
        if (names[i].size() > kLongestShownName) {
            EXPECT_FALSE(node->toolTip(0).contains(QStringLiteral("<b>")))
                << "the whole name is in an escaped tooltip";
        }
    }

    // Each friend writes; each tab, the title and the status bar name them.
    for (qsizetype i = 0; i < names.size(); ++i) {
        standin_.control(QStringLiteral("act"),
                         {{QStringLiteral("as"), kFirstFriend + i},
                          {QStringLiteral("send"),
                           QJsonObject{{QStringLiteral("to"), kAlice},
                                       {QStringLiteral("text"),
                                        names[i].left(200) +
                                            QStringLiteral(" <img src=\"%1/msg.png\"> &#60;b&#62;")
                                                .arg(baitFolder())}}}});
    }
    ASSERT_TRUE(runUntil([&] { return chat()->tabs().size() == names.size(); }));
    auto* tabs = chat()->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        EXPECT_LE(tabs->tabText(i).size(), 2 * kLongestShownName) << "&& doubles a &";
        EXPECT_LE(chat()->windowTitle().size(), kLongestShownName + 30);
        EXPECT_FALSE(chat()->windowTitle().contains(QChar(0x202E)));
        auto* tab = static_cast<ChatTab*>(tabs->widget(i));
        ASSERT_TRUE(runUntil([&] { return tab->view()->toPlainText().contains(u"msg.png"); }));
        EXPECT_TRUE(tab->view()->toPlainText().contains(u"<img src=")) << "the message as typed";
        const QString header = tab->view()->toPlainText().section(u'\n', 0, 0);
        EXPECT_FALSE(header.contains(QChar(0x202E))) << "no override runs on from the name";
        EXPECT_LE(header.size(), kLongestShownName + 20);
    }
    EXPECT_LE(chat()->findChild<QStatusBar*>()->currentMessage().size(), kLongestShownName + 60);

    // The clear-history question names the friend: a plain-text box.
    QString asked;
    Qt::TextFormat format = Qt::AutoText;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = box->text();
            format = box->textFormat();
            box->reject();
        }
    });
    answer.start(20);
    tabs->setCurrentIndex(0);
    emit static_cast<ChatTab*>(tabs->widget(0))->clearLink()->clicked();
    ASSERT_TRUE(runUntil([&] { return !asked.isEmpty(); }));
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_TRUE(asked.contains(QStringLiteral("<a href="))) << asked.toStdString();

    // The recommendation's answer names the friend too.
    asked.clear();
    emit tree()->recommendRequested(ContactId(kFirstFriend + 2), ShownName(names[2]));
    ASSERT_TRUE(runUntil([&] { return !asked.isEmpty(); }));
    EXPECT_EQ(format, Qt::PlainText);

    // The log viewer, titled with the name, showing the log written from those messages.
    emit static_cast<ChatTab*>(tabs->widget(2))->showLogRequested();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* log = qobject_cast<ChatLogViewer*>(window)) {
            ASSERT_TRUE(runUntil([&] { return log->isVisible(); }));
            EXPECT_LE(log->windowTitle().size(), kLongestShownName + 40);
        }
    }

    // The bulk dialog lists the recipients by name.
    tree()->clearSelection();
    for (qsizetype i = 0; i < names.size(); ++i)
        tree()
            ->FindBuddyNode(tree()->onlineGroup(), ContactId(kFirstFriend + i))
            ->setSelected(true);
    tree()->popupMenu()->findChild<QAction*>(QStringLiteral("Writetouserswall1"))->trigger();
    BulkDialog* bulk = messenger_->bulkDialog();
    ASSERT_TRUE(bulk->isVisible());
    EXPECT_EQ(bulk->recipients().size(), names.size());

    // Presence notices and the summary, for the same names, with the user's first name as hint.
    const LanguageStrings strings;
    NoticeStack notices(strings);
    notices.setUserFirstName(QStringLiteral("<img src=\"%1/first.png\">").arg(baitFolder()));
    for (qsizetype i = 0; i < 12; ++i)
        notices.ShowPresenceNotice(ShownName(names[i % names.size()]),
                                   ContactId(kFirstFriend + i % names.size()), true);

    expectEveryWidgetPlain("after every window was shown");
    // Laid out and painted: a picture in any of them would be read now.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->grab();
    }
    QTest::qWait(100);
    EXPECT_EQ(watch_.opened(), QStringList()) << "no file a name or message names is opened";
    EXPECT_TRUE(opened_.isEmpty()) << "no link was followed";
    answer.stop();
}
