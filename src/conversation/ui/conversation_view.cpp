#include "conversation/ui/conversation_view.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

namespace quillo {

ConversationView::ConversationView(const QString& emoticonFolderUrl, QWidget* parent)
    : QTextBrowser(parent) {
    setObjectName(QStringLiteral("ConversationView"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // Read only, but reached by Tab and read with a caret, so that the keyboard and a screen
    // reader can go through the lines as the mouse can.
    setReadOnly(true);
    setFocusPolicy(Qt::StrongFocus);
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    // The folder's own spelling, resolved once: a name may not climb out of it with "..".
    const QString folder = QUrl(emoticonFolderUrl).toLocalFile();
    if (!folder.isEmpty())
        emoticonFolder_ = QDir::cleanPath(folder) + u'/';
}

bool ConversationView::mayLoad(const QUrl& name) const {
    if (emoticonFolder_.isEmpty() || !name.isLocalFile())
        return false;
    // Cleaned first: "Emoticons/../../secret" must not pass as the folder's.
    return QDir::cleanPath(name.toLocalFile()).startsWith(emoticonFolder_);
}

QVariant ConversationView::loadResource(int type, const QUrl& name) {
    if (mayLoad(name))
        return QTextBrowser::loadResource(type, name);
    // A picture nobody may load is an empty one. Not nothing, nor bytes that are no picture:
    // the document would take either as "not found" and then open the name as a file by
    // itself, a bare path ("/dev/zero") or a resource (":/...") among them.
    if (type == QTextDocument::ImageResource) {
        QPixmap nothing(1, 1);
        nothing.fill(Qt::transparent);
        return nothing;
    }
    return QVariant(QByteArray());
}

bool ConversationView::atBottom() const {
    const QScrollBar* bar = verticalScrollBar();
    return bar->value() >= bar->maximum() - 2;
}

void ConversationView::insertAtEnd(const QString& html) {
    // Read into a document of its own and copied over piece by piece, not insertHtml at the
    // end: a picture that arrives through insertHtml carries an object index, and every such
    // insertion makes the document check all of its frames again, so a long conversation would
    // cost more per message the longer it gets.
    QTextDocument block;
    block.setDefaultFont(document()->defaultFont());
    block.setHtml(html);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    const int start = cursor.position();
    cursor.beginEditBlock();
    // Each message its own paragraph, so one message's formatting never runs into the next.
    bool newParagraph = !document()->isEmpty();
    for (QTextBlock paragraph = block.begin(); paragraph.isValid(); paragraph = paragraph.next()) {
        if (newParagraph)
            cursor.insertBlock(paragraph.blockFormat(), paragraph.charFormat());
        else
            cursor.setBlockFormat(paragraph.blockFormat());
        newParagraph = true;
        for (auto piece = paragraph.begin(); !piece.atEnd(); ++piece) {
            QTextCharFormat format = piece.fragment().charFormat();
            format.clearProperty(QTextFormat::ObjectIndex);
            cursor.insertText(piece.fragment().text(), format);
        }
    }
    cursor.endEditBlock();
    // A screen reader says a new line as it arrives, as it does a terminal's output. (Not only
    // while one is known to listen: the bridge may come up after the window.)
    QTextCursor added(document());
    added.setPosition(start);
    added.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    QAccessibleTextInsertEvent event(this, start, added.selectedText());
    QAccessible::updateAccessibility(&event);
}

void ConversationView::appendBlock(const QString& blockHtml, bool scroll) {
    const bool follow = scroll && atBottom();
    insertAtEnd(blockHtml);
    if (follow)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ConversationView::ShowUndeliveredNotice(const QString& notice) {
    insertAtEnd(QStringLiteral("<font size=\"+1\" color=\"red\">") + notice.toHtmlEscaped() +
                QStringLiteral("</font>"));
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ConversationView::showNotice(const QString& notice) {
    const bool follow = atBottom();
    insertAtEnd(QStringLiteral("<i><font color=\"gray\">") + notice.toHtmlEscaped() +
                QStringLiteral("</font></i><br />"));
    if (follow)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ConversationView::clearConversation() {
    clear();
}

bool ConversationView::saveToFile(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = toHtml().toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace quillo
