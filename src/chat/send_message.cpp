#include "chat/send_message.h"

#include <QRandomGenerator>

#include "session/ajax_client.h"
#include "session/http_layer.h"
#include "session/session_state.h"
#include "session/sign_out.h"

namespace quillo {

SendOutcome SendOutcomeOf(const QString& answer) {
    if (AjaxSucceeded(answer))
        return SendOutcome::Sent;
    if (answer.contains(u"no longer online"))
        return SendOutcome::Offline;
    return SendOutcome::NotSent;
}

SendOutcome SendChatMessage(HttpLayer& http, const SessionState& state, const QString& to,
                            const QString& text) {
    const quint32 messageId = QRandomGenerator::global()->bounded(1000000000u, 2147483646u);
    const FormFields fields =
        FormFields{
            {QStringLiteral("msg_text"), text},
            {QStringLiteral("msg_id"), QString::number(messageId)},
            {QStringLiteral("client_time"), NowUnixMillis()},
            {QStringLiteral("to"), to},
            {QStringLiteral("popped_out"), QStringLiteral("true")},
            {QStringLiteral("num_tabs"), QStringLiteral("1")},
        } +
        ajax_tokens::all(state);
    const std::optional<QString> answer =
        http.AjaxPost(QStringLiteral("/ajax/chat/send.php"), fields);
    return answer ? SendOutcomeOf(*answer) : SendOutcome::NotSent;
}

namespace {

// A message that is not sent is sent once more at once.
SendOutcome sendWithRetry(HttpLayer& http, const SessionState& state, const QString& to,
                          const QString& text) {
    const SendOutcome outcome = SendChatMessage(http, state, to, text);
    if (outcome != SendOutcome::NotSent || state.Stopping)
        return outcome;
    return SendChatMessage(http, state, to, text);
}

} // namespace

SendOutcome ChatSender::send(const QString& to, const QString& text) {
    // A session that is ending has no service to send to; that is not the service failing.
    if (state_.Stopping)
        return SendOutcome::NotSent;
    const SendOutcome outcome = sendWithRetry(http_, state_, to, text);
    if (outcome != SendOutcome::NotSent) {
        failuresInRow_ = 0;
        return outcome;
    }
    if (state_.Stopping)
        return outcome; // ended under way by sign-out
    if (++failuresInRow_ >= kFailuresBeforeGivingUp) {
        failuresInRow_ = 0;
        EndSession(state_, http_, 2);
    }
    return outcome;
}

SendOutcome RecommendToBuddy(HttpLayer& http, SessionState& state, const QString& to,
                             const QString& text) {
    if (state.Stopping)
        return SendOutcome::NotSent;
    const SendOutcome outcome = sendWithRetry(http, state, to, text);
    if (outcome == SendOutcome::NotSent && !state.Stopping)
        EndSession(state, http, 2);
    return outcome;
}

} // namespace quillo
