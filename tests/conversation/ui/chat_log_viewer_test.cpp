// The chat log viewer: the log asked for, and only that one, in a window of its own; a new log
// replaces the one shown even when the viewer is open already; and nothing a log holds reaches
// outside the emoticon folder.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>
#include <gtest/gtest.h>

#include "conversation/chat_log.h"
#include "conversation/emoticons.h"
#include "conversation/message_block.h"
#include "conversation/message_html.h"
#include "conversation/ui/chat_log_viewer.h"
#include "conversation/ui/conversation_view.h"
#include "prefs/language_strings.h"
#include "support/qt_printers.h"
#include "support/shipped_languages.h"

using namespace quillo;
using namespace Qt::StringLiterals;

namespace {

// A folder of logs with the program's emoticon folder beside them, and a viewer on it.
class ChatLogViewerTest : public ::testing::Test {
protected:
    ChatLogViewerTest()
        : folderUrl_(EmoticonFolderUrl(dir_.path() + u'/'))
        , viewer_(strings_, folderUrl_) {}

    QString logPath(const QString& name) const { return dir_.filePath(name); }

    // Writes the block of one message from sender to the log at path, as the chat tab does.
    void log(const QString& path, const QString& sender, const QString& text) {
        const QString block = MessageLogBlock(kOtherPartyColor, sender, QString(),
                                              MessageBodyHtml(text, folderUrl_), QDate(2024, 3, 5));
        const ChatLogWrite written = AppendLogLine(path, block);
        ASSERT_TRUE(written.ok) << written.error.toStdString();
    }

    QString shown() const { return viewer_.view()->toPlainText(); }

    QTemporaryDir dir_;
    QString folderUrl_;
    LanguageStrings strings_;
    ChatLogViewer viewer_;
};

// Whether a resource of the page is a picture that was read: the document keeps what it loaded
// as a pixmap, an image or the file's bytes.
// The view answers a picture it may not load with an empty 1x1 one, which is no picture.
bool HoldsPicture(const QVariant& resource) {
    switch (resource.typeId()) {
    case QMetaType::QPixmap:
        return resource.value<QPixmap>().width() > 1;
    case QMetaType::QImage:
        return !resource.value<QImage>().isNull();
    case QMetaType::QByteArray:
        return !QImage::fromData(resource.toByteArray()).isNull();
    default:
        return false;
    }
}

} // namespace

TEST_F(ChatLogViewerTest, ShowsTheLogInAWindowOfItsOwn) {
    EXPECT_EQ(viewer_.objectName(), u"TchatlogDlg"_s);
    EXPECT_EQ(viewer_.windowTitle(), u"Chat log"_s);
    EXPECT_TRUE(viewer_.isWindow());
    EXPECT_EQ(viewer_.parentWidget(), nullptr);
    EXPECT_EQ(viewer_.size(), QSize(731, 399));
    EXPECT_FALSE(viewer_.isVisible()) << "created hidden";
    ASSERT_NE(viewer_.view(), nullptr);
    EXPECT_EQ(viewer_.view()->objectName(), u"WebBrowser1"_s);
    EXPECT_EQ(viewer_.findChild<ConversationView*>(u"WebBrowser1"_s), viewer_.view());

    const QString alice = logPath(u"1_2.htm"_s);
    log(alice, u"Alice"_s, u"see you at eight"_s);
    log(alice, u"Alice"_s, u"bring the map"_s);
    viewer_.ShowChatLog(alice, u"Alice"_s);

    EXPECT_TRUE(viewer_.isVisible());
    EXPECT_EQ(viewer_.windowTitle(), u"Alice 's chat history"_s);
    EXPECT_EQ(viewer_.path(), alice);
    EXPECT_FALSE(viewer_.loadPending());
    EXPECT_TRUE(shown().contains(u"Alice"));
    EXPECT_LT(shown().indexOf(u"see you at eight"), shown().indexOf(u"bring the map"));
    EXPECT_EQ(viewer_.view()->geometry(), viewer_.rect()) << "the view fills the window";
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((viewer_.frameGeometry().center() - screen.center()).manhattanLength(), 2)
        << "centred on the screen";

    // The caption follows the language texts in force when the log is shown.
    strings_.setText(LanguageKey::msgChatHistoryCaption, u"Historique de %s"_s);
    viewer_.ShowChatLog(alice, u"Alice"_s);
    EXPECT_EQ(viewer_.windowTitle(), u"Historique de Alice"_s);
}

TEST_F(ChatLogViewerTest, AnOpenViewerShowsTheNewLogAtOnce) {
    const QString alice = logPath(u"1_2.htm"_s);
    const QString bob = logPath(u"1_3.htm"_s);
    log(alice, u"Alice"_s, u"from alice"_s);
    log(bob, u"Bob"_s, u"from bob"_s);

    viewer_.ShowChatLog(alice, u"Alice"_s);
    ASSERT_TRUE(shown().contains(u"from alice"));

    viewer_.ShowChatLog(bob, u"Bob"_s);
    EXPECT_TRUE(shown().contains(u"from bob"));
    EXPECT_FALSE(shown().contains(u"from alice"));
    EXPECT_EQ(viewer_.windowTitle(), u"Bob 's chat history"_s);

    // No log yet (or a cleared one): an empty page, not the log shown before.
    viewer_.ShowChatLog(logPath(u"1_4.htm"_s), u"Carol"_s);
    EXPECT_TRUE(shown().isEmpty());

    // A minimised viewer comes back with the log asked for.
    viewer_.showMinimized();
    viewer_.ShowChatLog(alice, u"Alice"_s);
    EXPECT_FALSE(viewer_.isMinimized());
    EXPECT_TRUE(viewer_.isVisible());
    EXPECT_TRUE(shown().contains(u"from alice"));
}

TEST_F(ChatLogViewerTest, ReturningToTheViewerDoesNotReloadTheLog) {
    const QString alice = logPath(u"1_2.htm"_s);
    log(alice, u"Alice"_s, u"first"_s);
    viewer_.ShowChatLog(alice, u"Alice"_s);
    log(alice, u"Alice"_s, u"written since"_s);

    viewer_.hide();
    viewer_.show();
    viewer_.activateWindow();
    QApplication::processEvents();
    EXPECT_TRUE(shown().contains(u"first"));
    EXPECT_FALSE(shown().contains(u"written since")) << "the reader's page is left alone";

    viewer_.ShowChatLog(alice, u"Alice"_s);
    EXPECT_TRUE(shown().contains(u"written since")) << "asking again reads it again";
}

TEST_F(ChatLogViewerTest, AnOlderWindows1252LogShowsItsCharacters) {
    const QString path = logPath(u"1_2.htm"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<font color=\"#0000FF\">Ren\xE9 (Tuesday, March 05, 2024):<br /></font>"
               "caf\xE9 \x80"
               "5<br />\r\n");
    file.close();

    viewer_.ShowChatLog(path, u"René"_s);
    EXPECT_TRUE(shown().contains(u"René")) << shown().toStdString();
    EXPECT_TRUE(shown().contains(u"café €5")) << shown().toStdString();
}

TEST_F(ChatLogViewerTest, AnUnreadableLogShowsWhyAsText) {
    // A folder where the log should be: it exists but cannot be read. Its name is markup.
    const QString path = logPath(u"<i>1_2.htm"_s);
    ASSERT_TRUE(QDir().mkpath(path));

    viewer_.ShowChatLog(path, u"Alice"_s);
    EXPECT_TRUE(shown().contains(u"<i>1_2.htm")) << shown().toStdString();
    EXPECT_FALSE(viewer_.view()->toHtml().contains(u"font-style:italic"));
}

// The sentence is the language's of the moment the log is shown, not of when the viewer was made.
TEST_F(ChatLogViewerTest, TheUnreadableLogsSentenceIsInTheLanguageInUse) {
    const QString path = logPath(u"1_2.htm"_s);
    ASSERT_TRUE(QDir().mkpath(path));
    for (const test::LanguageCase& language : test::kLanguageCases) {
        SCOPED_TRACE(language.name);
        strings_ = language.strings();
        viewer_.ShowChatLog(path, u"Alice"_s);
        // The system's reason comes last and is left out here.
        const QString expected =
            strings_.format(LanguageKey::msgChatLogReadFail, {QDir::toNativeSeparators(path)});
        EXPECT_TRUE(shown().startsWith(expected)) << shown().toStdString();
        EXPECT_EQ(expected.startsWith(u"Could not read"), !language.translatesLaterKeys);
    }
}

TEST_F(ChatLogViewerTest, LoadsNoPictureFromOutsideTheEmoticonFolder) {
    const QString emoticons = dir_.filePath(u"Emoticons"_s);
    ASSERT_TRUE(QDir().mkpath(emoticons));
    QImage picture(19, 19, QImage::Format_ARGB32);
    picture.fill(Qt::yellow);
    ASSERT_TRUE(picture.save(emoticons + u"/ref1.png"_s));
    ASSERT_TRUE(picture.save(dir_.filePath(u"private.png"_s)));

    const QUrl smiley = QUrl::fromLocalFile(emoticons + u"/ref1.png"_s);
    const QUrl outside = QUrl::fromLocalFile(dir_.filePath(u"private.png"_s));
    const QUrl remote(u"http://127.0.0.1:1/x.png"_s);
    // A log edited by someone else may hold any element; the lines go in as they are.
    const QString path = logPath(u"1_2.htm"_s);
    for (const QUrl& url : {smiley, outside, remote})
        ASSERT_TRUE(
            AppendLogLine(path, u"<img src=\""_s + url.toString(QUrl::FullyEncoded) + u"\">"_s).ok);

    viewer_.ShowChatLog(path, u"Alice"_s);
    viewer_.grab(); // laid out and drawn: every picture the page will ever ask for is asked for
    const QTextDocument* page = viewer_.view()->document();
    EXPECT_TRUE(HoldsPicture(page->resource(QTextDocument::ImageResource, smiley)));
    EXPECT_FALSE(HoldsPicture(page->resource(QTextDocument::ImageResource, outside)));
    EXPECT_FALSE(HoldsPicture(page->resource(QTextDocument::ImageResource, remote)));
}
