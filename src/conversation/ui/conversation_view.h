#pragma once
// ConversationView: the view of one conversation (a chat tab's, the log viewer's). Message
// blocks are appended at the end of the document, never by rewriting what it holds, so a long
// conversation costs the same per message as a short one; the view follows a new block only
// when it is asked to and the reader was at the bottom, so reading back is never disturbed.
// It loads nothing from outside the emoticon folder: no remote picture, whatever a block says.
//
// Thread: the user-interface thread.

#include <QTextBrowser>

namespace quillo {

class ConversationView : public QTextBrowser {
    Q_OBJECT
public:
    // emoticonFolderUrl: "file://" and the folder of the emoticon pictures, as the message
    // blocks name it.
    explicit ConversationView(const QString& emoticonFolderUrl, QWidget* parent = nullptr);

    // One block (view HTML of a message) at the end. scroll: bring it into view, when the
    // reader is at the bottom already.
    void appendBlock(const QString& blockHtml, bool scroll);
    // The notice that a message was not delivered, in red and larger, at the end.
    void ShowUndeliveredNotice(const QString& notice);
    // A remark of the program's own about the conversation, in grey italics, as plain text.
    void showNotice(const QString& notice);
    // Empties the view (its conversation's history was cleared).
    void clearConversation();
    // The document as it shows, as HTML, into path; false when it cannot be written.
    bool saveToFile(const QString& path) const;

    // Whether the view would load name: only files under the emoticon folder.
    bool mayLoad(const QUrl& name) const;

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    bool atBottom() const;
    void insertAtEnd(const QString& html);

    QString emoticonFolder_; // a local path, ending in "/"
};

} // namespace quillo
