#pragma once
// ChatSession: what the chat window needs of the running session. The window never waits on
// the network: every request goes to a worker behind this interface and its outcome comes back
// on the user-interface thread (sends through ChatWindow::onMessageSent, the rest through the
// callbacks below). The program implements it over its session engine; tests may fake it.
//
// Thread: the user-interface thread, for every call and every callback.

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>

#include "session/contact_id.h"

namespace quillo {

class ChatSession {
public:
    virtual ~ChatSession() = default;

    // The signed-in user: the display name as the service escapes it, and the account id.
    virtual QString ownEscapedName() const = 0;
    virtual ContactId ownId() const = 0;
    // The history replay runs; a conversation's history may not be cleared meanwhile.
    virtual bool historyLoading() const = 0;
    // The session is ending (signed out, or given up after repeated failures).
    virtual bool sessionEnding() const = 0;

    // Sends markup to a friend on the session's sender, in the order of the calls; the outcome
    // reaches ChatWindow::onMessageSent.
    virtual void sendMessage(ContactId to, const QString& markup) = 0;
    // The "chatting" status when the user sends with tabCount conversation tabs open.
    virtual void postChattingStatus(int tabCount) = 0;
    // Clears the conversation's history on the service; the answer is not looked at.
    virtual void clearHistory(ContactId with) = 0;
    // The friend's picture, fetched and decoded on a worker to fit within shownSize; done gets
    // a null image when there is none. It is not called once context is gone.
    virtual void fetchFriendPicture(ContactId id, QSize shownSize, QObject* context,
                                    std::function<void(QImage)> done) = 0;
};

} // namespace quillo
