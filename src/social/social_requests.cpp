#include "social/social_requests.h"

#include <QUrl>

#include "platform/build_settings.h"
#include "session/ajax_client.h"
#include "session/http_layer.h"
#include "session/marker_cursor.h"
#include "session/session_state.h"

namespace quillo {

namespace {

const QString kShareApp = QStringLiteral("2309869772");

QString composerIn(const QString& page, QStringView marker, QStringView terminator) {
    return CutBetween(page, marker, terminator).value_or(QStringLiteral("0"));
}

} // namespace

QString ComposerIdFromProfile(const QString& page) {
    return composerIn(page, u"UIComposer.focusInstance(&quot;", u"&quot;");
}

QString ComposerIdFromHome(const QString& page) {
    return composerIn(page, u"NewHighLight\\\"  id=\\\"", u"\\\"");
}

ShareStage ParseShareStage(const QString& answer) {
    ShareStage stage;
    const QStringView stageMarker = u"class=\\\"UIShareStage_InlineEdit inline_edit\\\">";
    MarkerCursor cursor(answer);
    auto inlineText = [&](QString& into) {
        if (!cursor.skipPast(stageMarker))
            return false;
        const std::optional<QString> text = cursor.upTo(u"<");
        if (!text)
            return false;
        into = QString(*text).replace(QStringLiteral("&#039;"), QStringLiteral("'"));
        return true;
    };
    if (!inlineText(stage.title) || !inlineText(stage.summary))
        return stage;
    QString finalUrl;
    if (cursor.cut(u"attachment[params][finalUrl]\\\" value=\\\"", u"\\\"", finalUrl) ==
        MarkerCursor::Cut::Found)
        stage.finalUrl = finalUrl.replace(QStringLiteral("\\/"), QStringLiteral("/"));
    return stage;
}

bool PostToProfile(HttpLayer& http, const SessionState& state, const QString& targetId,
                   const QString& text) {
    AjaxClient client = http.ajaxClient();
    const QString composer =
        ComposerIdFromProfile(client.get(QStringLiteral("/profile.php?id=") + targetId));
    FormFields fields{
        {QStringLiteral("action"), QStringLiteral("PROFILE_UPDATE")},
        {QStringLiteral("profile_id"), state.UserId.get()},
        {QStringLiteral("status"), text},
        {QStringLiteral("target_id"), targetId},
        {QStringLiteral("app_id"), QString()},
        {QStringLiteral("composer_id"), composer},
        {QStringLiteral("display_context"), QStringLiteral("profile")},
        {QStringLiteral("mentions_suggest"), QStringLiteral("1")},
    };
    fields.append(ajax_tokens::pageTokens(state));
    fields.append({{QStringLiteral("_log_display_context"), QStringLiteral("profile")},
                   {QStringLiteral("ajax_log"), QStringLiteral("1")}});
    fields.append(ajax_tokens::asyncMarks());
    return AjaxSucceeded(client.post(QStringLiteral("/ajax/updatestatus.php"), fields));
}

bool SendPrivateMessage(HttpLayer& http, const SessionState& state, const QString& recipientId,
                        const QString& body, const QString& subject) {
    AjaxClient client = http.ajaxClient();
    const QString composer =
        ComposerIdFromProfile(client.get(QStringLiteral("/profile.php?id=") + recipientId));
    FormFields fields{
        {QStringLiteral("status"), body},
        {QStringLiteral("subject"), subject},
        {QStringLiteral("ids_") + composer + QStringLiteral("[0]"), recipientId},
        {QStringLiteral("ids[0]"), recipientId},
        {QStringLiteral("action"), QStringLiteral("send_new")},
        {QStringLiteral("home_tab_id"), QStringLiteral("1")},
        {QStringLiteral("profile_id"), state.UserId.get()},
        {QStringLiteral("target_id"), QStringLiteral("0")},
        {QStringLiteral("app_id"), QString()},
        {QStringLiteral("composer_id"), composer},
        {QStringLiteral("display_context"), QStringLiteral("profile")},
        {QStringLiteral("mentions_suggest"), QStringLiteral("1")},
    };
    fields.append(ajax_tokens::pageTokens(state));
    fields.append({{QStringLiteral("_log_action"), QStringLiteral("send_new")},
                   {QStringLiteral("ajax_log"), QStringLiteral("1")}});
    fields.append(ajax_tokens::asyncMarks());
    return AjaxSucceeded(
        client.post(QStringLiteral("/ajax/gigaboxx/endpoint/MessageComposerEndpoint.php"), fields));
}

bool ShareLink(HttpLayer& http, const SessionState& state, const QString& url) {
    AjaxClient client = http.ajaxClient();
    const QString composer =
        ComposerIdFromHome(client.get(QStringLiteral("/home.php?filter=app_") + kShareApp));
    FormFields stageFields{{QStringLiteral("data[url]"), url},
                           {QStringLiteral("app_id"), kShareApp},
                           {QStringLiteral("stream_id"), state.UserId.get()},
                           {QStringLiteral("composer_id"), composer}};
    stageFields.append(ajax_tokens::all(state));
    const std::optional<QString> stageAnswer = client.post(
        QStringLiteral("/ajax/composer/attachment.php"), EncodeForm(stageFields), false);
    const ShareStage stage = ParseShareStage(stageAnswer.value_or(QString()));

    // Some values are sent percent-encoded already, as the page's script sent them.
    const QByteArray site = QUrl::toPercentEncoding(QString::fromLatin1(build::kMakerWebSite));
    QByteArray body;
    auto add = [&body](const char* name, const QByteArray& encodedValue) {
        if (!body.isEmpty())
            body.append('&');
        body.append(QUrl::toPercentEncoding(QString::fromLatin1(name)))
            .append('=')
            .append(encodedValue);
    };
    auto text = [](const QString& value) { return QUrl::toPercentEncoding(value); };
    add("app_id", text(kShareApp));
    add("attachment[params][url]", text(url));
    add("attachment[params][finalUrl]", text(stage.finalUrl));
    add("attachment[params][metaTags][generator]",
        "HTML%20Tidy%20for%20Windows%20%28vers%2025%20March%202009%29%2C%20see%20www.w3.org");
    add("attachment[params][medium]", "106");
    add("attachment[params][error]", "1");
    add("attachment[params][title]", text(stage.title));
    add("attachment[params][images][0]", site + "%2Fcontent%2Fen%2Fpreview03.png");
    add("attachment[params][images][1]", site + "%2Fcontent%2Fen%2Fpreview02.png");
    add("attachment[params][summary]", text(stage.summary));
    add("attachment[params][favicon]", text(url) + "%2Ffavicon.ico");
    add("attachment[params][extra]", {});
    add("attachment[params][video]", {});
    add("attachment[params][music]", {});
    add("attachment[type]", "100");
    add("id", text(state.UserId.get()));
    add("target_id", "0");
    add("action", "post");
    add("button", "publish_button");
    add("comment_text", "'");
    add("composer_id", text(composer));
    add("hey_kid_im_a_composer", "true");
    add("display_context", "home");
    add("mentions_suggest", "1");
    add("post_form_id", text(state.PostFormId.get()));
    add("fb_dtsg", text(state.Dtsg.get()));
    add("_log_display_context", "home");
    add("ajax_log", "1");
    add("post_form_id_source", "AsyncRequest");
    add("__a", "1");
    return AjaxSucceeded(client.post(QStringLiteral("/ajax/profile/composer.php"), body, false));
}

} // namespace quillo
