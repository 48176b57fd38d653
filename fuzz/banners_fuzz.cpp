// Feeds arbitrary bytes, decoded as the banner worker gets the maker's settings document,
// through the banner rules for one fixed user: the list of lines, each line split into its
// fields, the minutes, the picture format and whether the link may be opened. The input's own
// lines are split and timed as well, since a list line can hold any text. Checks the list's
// order and uniqueness, that the fields of a line hold no separator, and that only an http or
// https address with a host is ever opened.
#include <QByteArray>
#include <QCollator>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <cstdlib>

#include "fuzz_text.h"
#include "prefs/settings.h"
#include "promo/banners.h"
#include "session/http_text.h"

namespace {

const quillo::TDemographic& user() {
    static const quillo::TDemographic* demographic = [] {
        auto* d = new quillo::TDemographic;
        d->Country.set(QStringLiteral("United States"));
        d->Language.set(QStringLiteral("English"));
        d->Gender.set(QStringLiteral("female"));
        d->Age.set(QStringLiteral("18-24"));
        d->Education.set(QStringLiteral("College"));
        d->AnnualHouseHold.set(QStringLiteral("25000-50000"));
        return d;
    }();
    return *demographic;
}

void checkLine(const QString& line) {
    const quillo::BannerLine parsed = quillo::ParseBannerLine(line);
    if (parsed.address.contains(u'|') || parsed.link.contains(u'|') ||
        parsed.duration.contains(u'|'))
        std::abort();
    if (quillo::BannerMinutes(parsed.duration) < 0 || quillo::BannerMinutes(line) < 0)
        std::abort();
    const QByteArray format = quillo::BannerPictureFormat(parsed.address);
    if (!format.isEmpty() && format != "JPEG" && format != "GIF" && format != "PNG")
        std::abort();
    if (quillo::BannerLinkOpenable(parsed.link)) {
        const QUrl url(parsed.link);
        const QString scheme = url.scheme().toLower();
        if ((scheme != u"http" && scheme != u"https") || url.host().isEmpty())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The list is sorted in the default locale's collation: make it the same on every machine.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = quillo::fuzz::AnswerText(data, size);

    const QStringList lines = quillo::LoadBannerList(text, user());
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].count(u'|') < 4)
            std::abort();
        if (i > 0 && collator.compare(lines[i - 1], lines[i]) > 0)
            std::abort();
        for (qsizetype j = 0; j < i; ++j) {
            if (lines[j].compare(lines[i], Qt::CaseInsensitive) == 0)
                std::abort();
        }
        checkLine(lines[i]);
    }

    for (const QString& line : text.split(u'\n'))
        checkLine(line);
    return 0;
}
