#pragma once
// ChatTab: one conversation of the chat window. Top to bottom: the friend's picture with the
// presence line and the three links (show the log, clear the history, save the conversation)
// and the close button; the conversation; the B, U and emoticon buttons; the input and Send.
// The tab holds what belongs to its conversation (the friend's id, its picture in the tab row,
// the formatting the user switched on, the last line the friend sent); the chat window does
// everything that involves the session or other tabs.
//
// Thread: the user-interface thread.

#include <QString>
#include <QWidget>

#include "session/contact_id.h"

class QFrame;
class QIcon;
class QLabel;
class QPushButton;
class QToolButton;

namespace quillo {

class ChatInput;
class ConversationView;
class LanguageStrings;
class LinkLabel;

// The pictures of a tab in the tab row.
enum class TabImage {
    Online = 0, // the friend is online, nothing unread
    Unread = 1, // the friend is online, a message arrived while another tab was active
    Offline = 2,
};

class ChatTab final : public QWidget {
    Q_OBJECT
public:
    // statusText: the presence line; the tab can send when it holds the online text.
    // emoticonButtonIcon: the picture of the emoticon button (emot.bmp beside the program).
    ChatTab(ContactId friendId, const QString& statusText, const LanguageStrings& strings,
            const QString& emoticonFolderUrl, const QIcon& emoticonButtonIcon,
            QWidget* parent = nullptr);

    ContactId friendId() const { return friendId_; }

    ConversationView* view() const { return view_; }
    ChatInput* input() const { return input_; }
    QPushButton* sendButton() const { return send_; }
    QToolButton* emoticonButton() const { return emoticon_; }
    QFrame* formatPanel() const { return formatPanel_; }
    LinkLabel* saveLink() const { return save_; }
    LinkLabel* clearLink() const { return clear_; }
    QToolButton* closeButton() const { return close_; }

    QString statusText() const;
    void setStatusText(const QString& text);
    void setPicture(const QPixmap& picture);
    // The size the friend's picture is shown at.
    static QSize pictureSize();

    TabImage image() const { return image_; }
    void setImage(TabImage image) { image_ = image; }

    // Send, the input and the format buttons take part only while the friend is online.
    void setOnline(bool online);
    void setFormatControlsEnabled(bool enabled);
    // While a send is under way the input keeps its text read-only and Send waits.
    void setSending(bool sending);
    bool sending() const { return sending_; }

    // Bit 0 bold, bit 1 underline: what the user switched on with B and U.
    int formatMask() const { return formatMask_; }
    void toggleBold();
    void toggleUnderline();
    // The mask applied to what the user types next (after a send emptied the input, or when
    // the input takes the focus).
    void applyFormatMask();
    // Gives the input the focus when it can take part.
    void focusInput();
    // Puts the tab's controls into the window's Tab order right after before (the tab row),
    // input first. Joining a window moves them in that order, so the window calls it then.
    void placeInTabChain(QWidget* before);

    // The last line the friend sent here, with its time stamp: an item the service hands out a
    // second time is dropped, a line the friend really repeats is not.
    bool repeatsLastIncoming(const QString& text, const QString& timeStamp) const;
    void rememberIncoming(const QString& text, const QString& timeStamp);

signals:
    void sendRequested();
    void closeRequested();
    void showLogRequested();
    void clearHistoryRequested();
    void saveRequested();
    void emoticonRequested();

private:
    QFrame* buildTopPanel(const LanguageStrings& strings);
    QFrame* buildFormatPanel(const LanguageStrings& strings);
    void nameForScreenReaders(const LanguageStrings& strings);
    void showFormatButton(QToolButton* button, bool on);

    ContactId friendId_;
    TabImage image_ = TabImage::Online;
    int formatMask_ = 0;
    bool sending_ = false;
    QString lastIncomingText_;
    QString lastIncomingTime_;
    bool hasIncoming_ = false;

    QLabel* picture_ = nullptr;
    QLabel* status_ = nullptr;
    LinkLabel* showLog_ = nullptr;
    LinkLabel* clear_ = nullptr;
    LinkLabel* save_ = nullptr;
    QToolButton* close_ = nullptr;
    ConversationView* view_ = nullptr;
    QFrame* formatPanel_ = nullptr;
    QToolButton* bold_ = nullptr;
    QToolButton* underline_ = nullptr;
    QToolButton* emoticon_ = nullptr;
    ChatInput* input_ = nullptr;
    QPushButton* send_ = nullptr;
};

} // namespace quillo
