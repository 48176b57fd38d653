// Feeds arbitrary bytes, decoded as sign-in gets its pages, through everything sign-in and the
// poll loop cut out of the signed-in page, the photos page and a reconnect answer. Checks what
// the session relies on: a channel name is "channel" and digits, since it becomes a host that
// gets the cookies, and a channel address names that host and nothing else, with no line break
// that would end the Referer header it is sent in.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>

#include "fuzz_text.h"
#include "session/http_text.h"
#include "session/session_state.h"
#include "session/sign_in_tokens.h"

namespace {

const QString kBaseDomain = QStringLiteral("facebook.test");

void checkChannelName(const QString& name) {
    if (name.isEmpty())
        return;
    if (!name.startsWith(u"channel") || name.size() == 7)
        std::abort();
    for (const QChar c : QStringView(name).sliced(7)) {
        if (c < u'0' || c > u'9')
            std::abort();
    }
}

// The address is "http://0.", a channel name, the base domain, then nothing or a path. Read as
// text, not with QUrl, which refuses a name longer than a DNS label and would hide the rest.
void checkChannelUrl(const QString& url) {
    if (url.isEmpty())
        return;
    for (const QChar c : url) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            std::abort();
    }
    const QString scheme = QStringLiteral("http://0.");
    const QString domain = u'.' + kBaseDomain;
    const qsizetype slash = url.indexOf(u'/', scheme.size());
    const QString host = url.mid(scheme.size(), slash < 0 ? -1 : slash - scheme.size());
    if (!url.startsWith(scheme) || !host.endsWith(domain))
        std::abort();
    const QString name = host.chopped(domain.size());
    if (name.isEmpty())
        std::abort();
    checkChannelName(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page = quillo::fuzz::AnswerText(data, size);

    quillo::SessionState state;
    state.PictureUrl.set(QStringLiteral("kept"));
    quillo::ParseTokens(page, state);
    checkChannelName(state.ChannelName.get());
    // The picture is replaced only when the page has one, and then without its escapes.
    if (state.PictureUrl.get().contains(u'\\'))
        std::abort();
    quillo::FirstWord(state.FullName.get());

    checkChannelUrl(quillo::ChannelFromHomePage(page, kBaseDomain));

    state.ChannelUrl.clear();
    const QString name = quillo::ChannelFromReconnect(page, kBaseDomain, state);
    checkChannelName(name);
    checkChannelUrl(state.ChannelUrl.get());
    if (name.isEmpty() && !state.ChannelUrl.get().isEmpty())
        std::abort();

    quillo::PhotosPageRedirect(page);
    quillo::PictureFromPhotosPage(page);
    quillo::LogoutLink(page);
    return 0;
}
