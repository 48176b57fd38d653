// Feeds arbitrary bytes through what the start-up check reads from the maker's version text and
// the IP echo's answer: the body decoded to text (once without a Content-Type, as the plain
// requests mostly get it, and once with the input's first line as the Content-Type), trimmed,
// then the version rules and the address rule. Checks the decoded text's line breaks, the
// version order (never newer than itself, never both ways), and the address rule against the
// C library's inet_pton.
#include <QByteArray>
#include <QString>
#include <arpa/inet.h>
#include <cstdint>
#include <cstdlib>

#include "promo/startup_check_rules.h"
#include "session/http_text.h"

namespace {

// Every line ends with CR LF, the last one included, and no other CR or LF is left.
void checkLines(const QString& text) {
    if (!text.isEmpty() && !text.endsWith(u"\r\n"))
        std::abort();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))
            std::abort();
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            std::abort();
    }
    // Decoding the text again changes nothing.
    const QByteArray utf8 = text.toUtf8();
    if (QString::fromUtf8(utf8) == text &&
        quillo::BodyToText(utf8, "text/plain; charset=utf-8") != text)
        std::abort();
}

bool isPtonAddress(const QString& text) {
    const QByteArray latin = text.toLatin1();
    if (QString::fromLatin1(latin) != text || latin.contains('\0'))
        return false;
    unsigned char buffer[16];
    return inet_pton(AF_INET, latin.constData(), buffer) == 1 ||
           inet_pton(AF_INET6, latin.constData(), buffer) == 1;
}

// inet_pton refuses a leading zero in an IPv4 part ("01.2.3.4"), which the address rule admits:
// the echo writes no such thing, and a zero more is no other address.
bool hasLeadingZeroPart(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        const bool partStart = i == 0 || text[i - 1] == u'.' || text[i - 1] == u':';
        if (partStart && text[i] == u'0' && text[i + 1].isDigit() && text.indexOf(u'.') >= 0)
            return true;
    }
    return false;
}

void checkVersionAndAddress(const QString& answer) {
    if (quillo::LooksLikeIpAddress(answer) != isPtonAddress(answer) && !hasLeadingZeroPart(answer))
        std::abort();

    if (quillo::IsNewerVersion(answer, answer))
        std::abort();
    const QString own = quillo::OwnVersion();
    if (quillo::IsNewerVersion(answer, own) && quillo::IsNewerVersion(own, answer))
        std::abort();
    if (quillo::IsNewerVersion(answer, own) && !quillo::LooksLikeVersion(answer))
        std::abort();
    // Missing numbers count as 0.
    if (quillo::LooksLikeVersion(answer) &&
        quillo::IsNewerVersion(answer + QStringLiteral(".0"), answer))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = quillo::BodyToText(body);
    checkLines(text);
    checkVersionAndAddress(text.trimmed());

    const qsizetype newline = body.indexOf('\n');
    if (newline >= 0) {
        const QString typed = quillo::BodyToText(body.sliced(newline + 1), body.first(newline));
        checkLines(typed);
        checkVersionAndAddress(typed.trimmed());
    }
    return 0;
}
