#pragma once
// A chat window's session for window tests that need no service: the user is "Al" (kMe), nothing
// is loading or ending, and what the window sends is only recorded.

#include <QList>
#include <QPair>
#include <QString>

#include "conversation/ui/chat_session.h"

namespace quillo::test {

inline const ContactId kQuietSessionUser(100001);

class QuietChatSession final : public ChatSession {
public:
    QString ownEscapedName() const override { return QStringLiteral("Al"); }
    ContactId ownId() const override { return kQuietSessionUser; }
    bool historyLoading() const override { return false; }
    bool sessionEnding() const override { return false; }
    void sendMessage(ContactId to, const QString& markup) override { sent.append({to, markup}); }
    void postChattingStatus(int) override {}
    void clearHistory(ContactId) override {}
    void fetchFriendPicture(ContactId, QSize, QObject*, std::function<void(QImage)>) override {}

    QList<QPair<ContactId, QString>> sent;
};

} // namespace quillo::test
