// The conversation view: blocks appended at the end without disturbing what is there, the
// reader's place kept, and nothing loaded from outside the emoticon folder.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QUrl>
#include <gtest/gtest.h>

#include "conversation/emoticons.h"
#include "conversation/message_block.h"
#include "conversation/message_html.h"
#include "conversation/ui/conversation_view.h"

using namespace quillo;

namespace {

const QString kProgramFolder = QStringLiteral("/opt/quillo/");

QString folderUrl() {
    return EmoticonFolderUrl(kProgramFolder);
}

QString block(const QString& escapedText) {
    return MessageViewBlock(kOtherPartyColor, QStringLiteral("Zo\\u00eb"), QString(),
                            ReceivedMessageHtml(escapedText, folderUrl()));
}

} // namespace

TEST(ConversationView, LoadsOnlyFilesOfTheEmoticonFolder) {
    const ConversationView view(folderUrl());
    const struct {
        const char* url;
        bool allowed;
    } cases[] = {
        {"file:///opt/quillo/Emoticons/ref1.png", true},
        {"file:///opt/quillo/Emoticons/ref14.gif", true},
        {"file:///opt/quillo/Emoticons/../secret.png", false},
        {"file:///opt/quillo/Emoticons/../../etc/passwd", false},
        {"file:///opt/quillo/EmoticonsX/ref1.png", false},
        {"file:///tmp/x.png", false},
        {"http://example.test/tracker.png", false},
        {"https://example.test/x.png", false},
        {"data:image/png;base64,AAAA", false},
        {"qrc:/x.png", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(view.mayLoad(QUrl(QString::fromLatin1(c.url))), c.allowed) << c.url;
}

TEST(ConversationView, HostileTextShowsAsTyped) {
    ConversationView view(folderUrl());
    view.appendBlock(block(QStringLiteral("<img src=http://example.test/x.png> \\u003cb\\u003ehi")),
                     true);
    EXPECT_TRUE(view.toPlainText().contains(u"<img src=http://example.test/x.png> <b>hi"));
    EXPECT_FALSE(view.toHtml().contains(u"example.test/x.png\"")) << "no picture element";
}

TEST(ConversationView, AppendingKeepsWhatIsThereAndTheOrder) {
    ConversationView view(folderUrl());
    view.appendBlock(block(QStringLiteral("first")), true);
    // The reader has selected part of the first line; a rewrite of the document would lose it.
    QTextCursor selection(view.document());
    selection.setPosition(0);
    selection.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    view.setTextCursor(selection);
    const QString selected = view.textCursor().selectedText();
    ASSERT_FALSE(selected.isEmpty());
    view.appendBlock(block(QStringLiteral("second")), true);
    view.appendBlock(block(QStringLiteral("third")), true);
    EXPECT_EQ(view.textCursor().selectedText(), selected);
    const QString text = view.toPlainText();
    EXPECT_LT(text.indexOf(u"first"), text.indexOf(u"second"));
    EXPECT_LT(text.indexOf(u"second"), text.indexOf(u"third"));
}

TEST(ConversationView, FollowsNewLinesOnlyFromTheBottom) {
    ConversationView view(folderUrl());
    view.resize(300, 120);
    view.show();
    for (int i = 0; i < 60; ++i)
        view.appendBlock(block(QStringLiteral("line %1").arg(i)), true);
    QScrollBar* bar = view.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << "at the bottom, the view follows";

    bar->setValue(0); // the reader goes back up
    view.appendBlock(block(QStringLiteral("while reading")), true);
    EXPECT_EQ(bar->value(), 0) << "the reader's place is kept";
}

TEST(ConversationView, UndeliveredNoticeIsTextAndSavingKeepsTheConversation) {
    ConversationView view(folderUrl());
    view.appendBlock(block(QStringLiteral("hello")), true);
    view.ShowUndeliveredNotice(QStringLiteral("Zoë is no longer online. <b>\"x\"</b> not sent."));
    EXPECT_TRUE(view.toPlainText().contains(u"<b>\"x\"</b>"));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("saved.htm"));
    ASSERT_TRUE(view.saveToFile(path));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(saved.readAll());
    EXPECT_TRUE(html.contains(u"hello"));
    EXPECT_TRUE(html.contains(u"Zoë"));
    EXPECT_FALSE(view.saveToFile(folder.filePath(QStringLiteral("no/such/folder/x.htm"))));

    view.clearConversation();
    EXPECT_TRUE(view.toPlainText().isEmpty());
}

// A chat log edited on disk is read as HTML: whatever form a picture's name takes there, only
// the emoticon folder's own files show. The red picture beside the folder must never be drawn.
TEST(ConversationView, APictureOutsideTheEmoticonFolderIsNeverReadWhateverItsName) {
    QTemporaryDir program;
    ASSERT_TRUE(QDir(program.path()).mkdir(QStringLiteral("Emoticons")));
    const QString outside = program.filePath(QStringLiteral("red.png"));
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(outside));
    const QString relative = QStringLiteral("red.png");

    const QString names[] = {
        outside,                                    // a bare path
        QUrl::fromLocalFile(outside).toString(),    // file:
        QStringLiteral("Emoticons/../") + relative, // relative
        QStringLiteral("../red.png"),               // relative to the folder
        QStringLiteral("qrc:") + outside,           // qrc:
        QStringLiteral(":") + outside,              // a resource path
        QStringLiteral("//localhost") + outside,    // no scheme, a host
    };
    const auto showsRed = [&program](const QString& name) {
        ConversationView view(EmoticonFolderUrl(program.path()));
        view.resize(200, 120);
        view.setHtml(ViewDocument(QStringLiteral("<img src=\"") + name +
                                  QStringLiteral("\" width=40 height=40>")));
        QImage shown(view.size(), QImage::Format_RGB32);
        shown.fill(Qt::white);
        view.render(&shown);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if (shown.pixelColor(x, y) == QColor(Qt::red))
                    return true;
            }
        }
        return false;
    };
    // The folder's own pictures do show, so the check below can see a picture.
    const QString inside = program.filePath(QStringLiteral("Emoticons/red.png"));
    ASSERT_TRUE(red.save(inside));
    EXPECT_TRUE(showsRed(QUrl::fromLocalFile(inside).toString()));
    for (const QString& name : names)
        EXPECT_FALSE(showsRed(name)) << name.toStdString();
}
