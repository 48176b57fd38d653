// Feeds arbitrary pages (UTF-8) through the form reader the way sign-in and sign-out use it,
// and checks what the callers rely on: the block is a piece of the page, and the control list
// holds one entry per name, each splittable into type, name and value.
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "session/form_action.h"
#include "session/form_extract.h"
#include "session/markers.h"

namespace {

void checkControls(const QStringList& list) {
    QSet<QString> names;
    for (const QString& entry : list) {
        if (quillo::CountPieces(entry, quillo::kControlSeparator) < 3)
            std::abort();
        const QString name = quillo::NthField(entry, quillo::kControlSeparator, 1);
        if (names.contains(name))
            std::abort();
        names.insert(name);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString page =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList controls;
    for (const char16_t* marker : {u"id=\"login_form", u"", u"<"}) {
        const QString block = quillo::FindFormBlock(page, marker);
        if (!block.isEmpty() && !page.contains(block))
            std::abort();
        quillo::ExtractForm(block, u"https://www.facebook.test/dir/index.php?x=1", controls);
        checkControls(controls);
    }
    // The sign-out path hands a whole stored page or link to ExtractForm.
    quillo::ExtractForm(page, QString(), controls);
    checkControls(controls);
    quillo::ResolveFormAction(page, page);
    quillo::GetTagAttribute(page, u"value");
    return 0;
}
