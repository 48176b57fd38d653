// Feeds arbitrary bytes, decoded as the composers get their pages, through the scrapers of the
// social requests: the composer id of a profile page and of the home page, and the share stage
// of an attachment answer. Checks that each value is a piece of the page that stops at its
// terminator, or the documented default, since it is echoed back to the service in a form.
// (The summary is looked for right after the title's marker, so in a page without a tag between
// them the two may overlap; the service's stage always has one.)
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>

#include "fuzz_text.h"
#include "session/http_text.h"
#include "social/social_requests.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page = quillo::fuzz::AnswerText(data, size);

    quillo::fuzz::CheckCut(quillo::ComposerIdFromProfile(page), page, {u"&quot;"});
    quillo::fuzz::CheckCut(quillo::ComposerIdFromHome(page), page, {u"\\\""});

    const quillo::ShareStage stage = quillo::ParseShareStage(page);
    // The inline texts end at the next tag; a stage without both keeps the default address.
    if (stage.title.contains(u'<') || stage.summary.contains(u'<'))
        std::abort();
    if (stage.finalUrl.isEmpty() && !page.contains(u"finalUrl"))
        std::abort();
    return 0;
}
