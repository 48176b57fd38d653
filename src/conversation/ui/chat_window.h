#pragma once
// ChatWindow (TChatDlg): every conversation in one window, a tab per friend. It is created
// hidden at start, shown by whatever puts a line into it, and only hidden when the user closes
// it; its tabs stay until each is closed or the main window returns to the login page.
//
// Lines come in through ShowMessage (a friend's line, or the user's own line replayed from the
// service's history) and go out through the tabs' Send: the user's line is shown and logged at
// once, then sent on the session's sender, and the outcome (onMessageSent) updates the status
// bar, or shows that the friend went offline. Each shown line is appended to the conversation
// and to the chat log of the pair of accounts, unless the settings turn the log off.
//
// Thread: the user-interface thread. The session, the language strings, the settings and the
// settings store must outlive the window.

#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <functional>

#include "chat/chat_message.h"
#include "chat/send_message.h"
#include "session/contact_id.h"

class QLabel;
class QStatusBar;
class QTabWidget;

namespace quillo {

class ChatSession;
class ChatTab;
class EmoticonPicker;
struct ChatLogWrite;
class LanguageStrings;
struct Settings;
enum class TabImage;

// What the contact tree says of a conversation's friend when a line arrives.
struct FriendInTree {
    QString name;        // the tree's display name, decoded; empty when the tree lacks the friend
    bool online = false; // in the Online group
};

// A line for a conversation with what the tree said of its friend when it arrived.
struct IncomingLine {
    ChatMessage message;
    FriendInTree friendInTree;
};

// The modal questions of the window, replaceable so that tests can answer them.
struct ChatWindowDialogs {
    // Yes/No; true for Yes.
    std::function<bool(QWidget* parent, const QString& question)> confirm;
    // The file to save a conversation to; empty when the user cancels.
    std::function<QString(QWidget* parent)> saveFileName;
    std::function<void(QWidget* parent, const QString& text)> inform;
};

class ChatWindow final : public QWidget {
    Q_OBJECT
public:
    // emoticonFolderUrl: "file://" and the folder of the emoticon pictures; emot.bmp (the
    // emoticon button's picture) is looked for in the folder above it.
    ChatWindow(ChatSession& session, const LanguageStrings& strings, const Settings& settings,
               const QString& emoticonFolderUrl, QWidget* parent = nullptr);
    ~ChatWindow() override;

    void setDialogs(ChatWindowDialogs dialogs) { dialogs_ = std::move(dialogs); }

    // The tab of id, unchanged, or a new one at the end of the row (not made active).
    ChatTab* OpenConversationTab(ContactId id, const QString& statusText);
    ChatTab* tabOf(ContactId id) const;
    ChatTab* activeTab() const;
    QList<ChatTab*> tabs() const;
    QString tabCaption(const ChatTab* tab) const;
    void setTabCaption(ChatTab* tab, const QString& caption);
    void setTabImage(ChatTab* tab, TabImage image);

    // A line for a conversation: a friend's (live or replayed) or the user's own replayed one.
    void ShowMessage(const ChatMessage& message, const FriendInTree& friendInTree);
    // Lines as they arrive, in order. As many as fit in a few milliseconds are taken in at once;
    // the rest follow on the next turns of the event loop, so that a burst of thousands never
    // freezes the window. A slice's log lines go to each log file in one write.
    void showMessages(const QList<IncomingLine>& lines);
    // Lines still waiting to be taken in (none once the event loop has run a while).
    qsizetype waitingLines() const { return qsizetype(waiting_.size()); }
    // The service dropped lines that could not be found again: the friend's tab says that the
    // conversation may miss some, after every line that arrived before.
    void showMessagesMayBeMissing(ContactId friendId);
    // The conversation with id opened by the user (tree, notice): captioned, shown, active, in
    // front.
    void OpenChatWith(ContactId id, const QString& name);
    // The friend's presence changed: the tab's line, picture and controls follow.
    void SetConversationPresence(ContactId id, bool online);
    // The friend is typing (or stopped): the status bar says so for a friend with a tab.
    void showTypingNotice(ContactId from, bool typing);
    // The outcome of a send made from a tab.
    void onMessageSent(ContactId to, const QString& markup, SendOutcome outcome);
    // The session starts afresh: the status bar empties.
    void clearStatus();
    // Every tab removed and the window hidden (the main window is back on its login page).
    void removeAllTabs();
    // The emoticon picker's text into the active tab's input at the caret.
    void insertEmoticon(const QString& text);
    // Makes the active tab's input the one that takes the keys when the window is in front.
    void FocusInput();

    QString statusText() const;
    QTabWidget* pages() const { return pages_; }
    EmoticonPicker* emoticonPicker() const { return picker_; }

signals:
    // The friend turned out to be offline when a line was sent: the contact tree moves them.
    void friendWentOffline(quillo::ContactId id);
    // The log viewer is to show a log file under a tab's caption.
    void showChatLogRequested(const QString& path, const QString& caption);
    // The window's outer size changed (kept for the next run when the settings say so).
    void resized(QSize size);
    // A line arrived: the task bar button is to draw the user's eye unless the window is in
    // front.
    void attentionWanted();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    ChatTab* tabOfSender(QObject* sender) const;
    void connectTab(ChatTab* tab);
    void sendFrom(ChatTab* tab);
    void closeTab(ChatTab* tab);
    void closeActiveTab();
    void addTabKeys();
    // The tab step places after the active one (before it, when negative), round the row.
    void stepTab(int step);
    void clearHistoryOf(ChatTab* tab);
    void saveConversationOf(ChatTab* tab);
    void openEmoticonPicker(ChatTab* tab);
    void ClearConversation(ChatTab* tab);
    void clearAllConversations();
    void onTabChanged();
    void updateCaption();
    void setStatus(const QString& text);
    // One line into a tab's conversation and, unless quiet, its log; see the .cpp.
    void AppendMessage(ChatTab* tab, const QString& escapedName, const QString& text,
                       const QString& timeStamp, quint32 colour, bool scroll, bool quiet);
    void showFriendLine(ChatTab* tab, const ChatMessage& message, bool online);
    void showOwnLine(ChatTab* tab, const ChatMessage& message, bool online);
    void loadPicture(ChatTab* tab);
    // Takes in waiting lines for at most budgetMs (at least one line); -1: every one.
    void takeInWaiting(qint64 budgetMs);
    void scheduleTakeIn();
    QString logPathOf(const ChatTab* tab) const;
    // A line's block as the chat log keeps it, dated today.
    QString logBlock(quint32 colour, const QString& escapedName, const QString& text,
                     const QString& timeStamp) const;
    // The status bar names the log that could not be written, in the user's language.
    void showLogFailure(const QString& path, const ChatLogWrite& written);

    ChatSession& session_;
    const LanguageStrings& strings_;
    const Settings& settings_;
    QString emoticonFolderUrl_;
    QIcon emoticonButtonIcon_;
    ChatWindowDialogs dialogs_;
    QTabWidget* pages_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* clearingPanel_ = nullptr;
    EmoticonPicker* picker_ = nullptr;
    // A line, or the notice that lines may be missing (which keeps its place among them).
    struct Waiting {
        IncomingLine line;
        bool mayMissNotice = false;
    };
    std::deque<Waiting> waiting_;
    bool takeInScheduled_ = false;
    bool sliceSpentTurn_ = false; // the last slice took its whole time
    // While a slice of lines is taken in: the log blocks per file, written at its end, and
    // whether the window is to draw the user's eye once the slice is done.
    QHash<QString, QStringList>* sliceLogs_ = nullptr;
    bool sliceWantsAttention_ = false;
};

} // namespace quillo
