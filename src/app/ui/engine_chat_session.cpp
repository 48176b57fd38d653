#include "app/ui/engine_chat_session.h"

#include <QImage>

#include "app/session_engine.h"
#include "contacts/buddy_list.h"

namespace quillo {

QString EngineChatSession::ownEscapedName() const {
    return engine_.state().FullName.get();
}

ContactId EngineChatSession::ownId() const {
    return ContactId::fromText(engine_.state().UserId.get());
}

bool EngineChatSession::historyLoading() const {
    return engine_.state().HistoryLoading;
}

bool EngineChatSession::sessionEnding() const {
    return engine_.state().Stopping || !engine_.signedIn();
}

void EngineChatSession::sendMessage(ContactId to, const QString& markup) {
    engine_.sendMessage(to, markup);
}

void EngineChatSession::postChattingStatus(int tabCount) {
    engine_.postChattingStatus(tabCount);
}

void EngineChatSession::clearHistory(ContactId with) {
    engine_.clearHistory(with, &engine_, [](bool) {});
}

void EngineChatSession::fetchFriendPicture(ContactId id, QSize shownSize, QObject* context,
                                           std::function<void(QImage)> done) {
    const QString url = FriendPictureUrl(id.toText(), engine_.state().FriendPictures.get());
    if (url.isEmpty())
        return;
    // The program's picture decoder (Messenger) makes QImages.
    engine_.fetchPicture(
        url, shownSize, context,
        [done = std::move(done)](const QVariant& picture) { done(picture.value<QImage>()); });
}

} // namespace quillo
