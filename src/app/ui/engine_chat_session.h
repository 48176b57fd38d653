#pragma once
// EngineChatSession: the chat window's view of the session engine.
//
// Thread: the user-interface thread (the engine's).

#include "conversation/ui/chat_session.h"

namespace quillo {

class SessionEngine;

class EngineChatSession final : public ChatSession {
public:
    explicit EngineChatSession(SessionEngine& engine)
        : engine_(engine) {}

    QString ownEscapedName() const override;
    ContactId ownId() const override;
    bool historyLoading() const override;
    bool sessionEnding() const override;
    void sendMessage(ContactId to, const QString& markup) override;
    void postChattingStatus(int tabCount) override;
    void clearHistory(ContactId with) override;
    void fetchFriendPicture(ContactId id, QSize shownSize, QObject* context,
                            std::function<void(QImage)> done) override;

private:
    SessionEngine& engine_;
};

} // namespace quillo
