#include "session/sign_in_tokens.h"

#include "session/marker_cursor.h"
#include "session/session_state.h"

namespace quillo {

namespace {

using Cut = MarkerCursor::Cut;

QString unescapeSlashes(QString text) {
    return text.replace(QStringLiteral("\\/"), QStringLiteral("/"));
}

// Tries the plain-HTML marker, then the one for HTML inside a script string.
Cut cutEither(MarkerCursor& cursor, QStringView plain, QStringView plainEnd, QStringView escaped,
              QStringView escapedEnd, QString& value) {
    const Cut first = cursor.cut(plain, plainEnd, value);
    if (first != Cut::NoMarker)
        return first;
    return cursor.cut(escaped, escapedEnd, value);
}

// The name becomes a host name under the base domain, and the session's cookies go to that
// host, so only the form the service uses is taken: anything else could name another host.
bool isChannelName(QStringView name) {
    const QStringView prefix = u"channel";
    if (name.size() <= prefix.size() || !name.startsWith(prefix))
        return false;
    for (const QChar c : name.sliced(prefix.size())) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// The path of a channel address, already unescaped. The address goes out as the Referer of
// every long poll: a line break in it would end that header and start another one, and a path
// that does not start with "/" would run on into the host and name another one.
bool isChannelPath(QStringView path) {
    if (!path.isEmpty() && !path.startsWith(u'/'))
        return false;
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

} // namespace

void ParseTokens(const QString& page, SessionState& state) {
    state.PostFormId.clear();
    state.Dtsg.clear();
    state.FullName.clear();
    state.UserId.clear();
    state.FirstName.clear();
    state.ChannelName.clear();

    MarkerCursor cursor(page);
    QString value;

    Cut user = cutEither(cursor, u"name=\"user\" value=\"", u"\"", u"name=\\\"user\\\" value=\\\"",
                         u"\\\"", value);
    if (user == Cut::NoMarker)
        user = cursor.cut(u"user:", u",", value);
    if (user != Cut::Found)
        return;
    const QString userId = value;
    state.UserId.set(userId);

    if (cutEither(cursor, u"post_form_id:\"", u"\"", u"post_form_id:\\\"", u"\\\"", value) !=
        Cut::Found)
        return;
    state.PostFormId.set(value);

    if (cutEither(cursor, u"fb_dtsg:\"", u"\"", u"fb_dtsg:\\\"", u"\\\"", value) != Cut::Found)
        return;
    state.Dtsg.set(value);

    const Cut name = cursor.cut(userId + QStringLiteral("\\\", \\\""), u"\\\"", value);
    if (name == Cut::NoTerminator)
        return;
    if (name == Cut::Found)
        state.FullName.set(value);

    if (cutEither(cursor, u"class=\"UIProfileImage UIProfileImage_LARGE\"  src=\"", u"\"",
                  u"class=\\\"UIComposer_Pic\\\"><img alt=\\\"\\\" class=\\\"UIProfileImage "
                  u"UIProfileImage_LARGE\\\"  src=\\\"",
                  u"\\\"", value) == Cut::Found)
        state.PictureUrl.set(value.remove(u'\\'));

    if (cursor.cut(u".js\\\", \\\"channel", u"\\\"", value) == Cut::Found) {
        const QString channel = QStringLiteral("channel") + value;
        if (isChannelName(channel))
            state.ChannelName.set(channel);
    }
}

QString FirstWord(const QString& text) {
    const qsizetype space = text.indexOf(u' ');
    return space < 0 ? QString() : text.left(space);
}

QString PhotosPageRedirect(const QString& page) {
    const auto target = CutBetween(page, u"</script><script>window.location.replace(\"", u"\")");
    return target ? unescapeSlashes(*target) : QString();
}

QString PictureFromPhotosPage(const QString& page) {
    if (auto escaped = CutBetween(page,
                                  u"id=\\\"top_bar_pic\\\"><img class=\\\"UIProfileImage "
                                  u"UIProfileImage_LARGE img\\\" src=\\\"",
                                  u"\\\""))
        return unescapeSlashes(*escaped);
    if (page.contains(u"id=\\\"top_bar_pic\\\"><img class=\\\"UIProfileImage "
                      u"UIProfileImage_LARGE img\\\" src=\\\""))
        return {}; // the marker is there but its terminator is not
    if (auto plain = CutBetween(
            page,
            u"id=\"top_bar_pic\"><img class=\"UIProfileImage UIProfileImage_LARGE img\" src=\"",
            u"\""))
        return unescapeSlashes(*plain);
    return {};
}

QString ChannelFromHomePage(const QString& page, const QString& baseDomain) {
    MarkerCursor cursor(page);
    if (!cursor.skipPast(u"channelManager.iframeLoad(\""))
        return {};
    const auto path = cursor.upTo(u"\", \"");
    if (!path)
        return {};
    cursor.skipPast(u"\", \"");
    const auto host = cursor.upTo(u"\", ");
    if (!host || !isChannelName(*host))
        return {};
    const QString plainPath = unescapeSlashes(*path);
    if (!isChannelPath(plainPath))
        return {};
    return QStringLiteral("http://0.") + *host + u'.' + baseDomain + plainPath;
}

QString ChannelFromReconnect(const QString& answer, const QString& baseDomain,
                             SessionState& state) {
    MarkerCursor cursor(answer);
    QString name;
    if (cursor.cut(u"\"host\":\"", u"\"", name) != Cut::Found || !isChannelName(name))
        return {};
    QString path;
    if (cursor.cut(u"\"path\":\"", u"\"", path) == Cut::Found) {
        path = unescapeSlashes(path);
        if (isChannelPath(path))
            state.ChannelUrl.set(QStringLiteral("http://0.") + name + u'.' + baseDomain + path);
    }
    return name;
}

QString LogoutLink(const QString& page) {
    auto link = CutBetween(page, u"<li class=\"fb_menu\" id=\"fb_menu_logout\"><a href=\"", u"\"");
    return link ? link->replace(QStringLiteral("&amp;"), QStringLiteral("&")) : QString();
}

} // namespace quillo
