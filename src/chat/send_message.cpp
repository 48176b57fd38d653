#include "chat/send_message.h"

#include <QRandomGenerator>

#include "session/cookie_jar.h"
#include "session/http_layer.h"
#include "session/session_state.h"
#include "session/sign_out.h"

namespace quillo {

SendOutcome SendOutcomeOf(const QString& answer) {
    if (answer.contains(u"\"No error.\"") || answer.contains(u"\"error\":0"))
        return SendOutcome::Sent;
    if (answer.contains(u"no longer online"))
        return SendOutcome::Offline;
    return SendOutcome::NotSent;
}

SendOutcome SendChatMessage(HttpLayer& http, const SessionState& state, const QString& to,
                            const QString& text) {
    const quint32 messageId = QRandomGenerator::global()->bounded(1000000000u, 2147483646u);
    const FormFields fields{
        {QStringLiteral("msg_text"), text},
        {QStringLiteral("msg_id"), QString::number(messageId)},
        {QStringLiteral("client_time"), NowUnixMillis()},
        {QStringLiteral("to"), to},
        {QStringLiteral("popped_out"), QStringLiteral("true")},
        {QStringLiteral("num_tabs"), QStringLiteral("1")},
        {QStringLiteral("post_form_id"), state.PostFormId.get()},
        {QStringLiteral("fb_dtsg"), state.Dtsg.get()},
        {QStringLiteral("post_form_id_source"), QStringLiteral("AsyncRequest")},
        {QStringLiteral("__a"), QStringLiteral("1")},
    };
    const std::optional<QString> answer =
        http.AjaxPost(QStringLiteral("/ajax/chat/send.php"), fields);
    return answer ? SendOutcomeOf(*answer) : SendOutcome::NotSent;
}

SendOutcome ChatSender::send(const QString& to, const QString& text) {
    std::lock_guard lock(mutex_);
    SendOutcome outcome = SendChatMessage(http_, state_, to, text);
    if (outcome == SendOutcome::NotSent)
        outcome = SendChatMessage(http_, state_, to, text);
    if (outcome != SendOutcome::NotSent) {
        failuresInRow_ = 0;
        return outcome;
    }
    if (++failuresInRow_ >= kFailuresBeforeGivingUp && !state_.Stopping) {
        failuresInRow_ = 0;
        EndSession(state_, http_, 2);
    }
    return outcome;
}

} // namespace quillo
