// Feeds arbitrary bytes to the language file loader and the language strings it fills. The
// loader reads only from a path, so each input is written to one scratch file first. Checks
// that a file that exists is either loaded or reported as malformed, that the strings take
// exactly the file's non-empty captions, that an entry is the first child of that name, and
// that a translated text is shown and filled without growing beyond what it and its values hold
// (the values are never scanned again).
#include <QByteArray>
#include <QDir>
#include <QDomElement>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "prefs/language_file.h"
#include "prefs/language_strings.h"

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

const QString& scratchPath() {
    static const QString path = QDir::tempPath() + QStringLiteral("/quillo_language_fuzz_") +
                                QString::number(::getpid()) + QStringLiteral(".lang");
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A malformed file is reported once per load, which here is once per input.
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        QFile file(scratchPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size))
            return 0;
    }
    const quillo::LanguageFile file = quillo::LanguageFile::Load(scratchPath());
    if (file.status() != quillo::LanguageFile::Status::Loaded &&
        file.status() != quillo::LanguageFile::Status::Malformed)
        std::abort();
    if (file.isLoaded() != file.problem().isEmpty())
        std::abort();

    quillo::LanguageStrings strings;
    quillo::LoadLanguageStrings(file, strings);
    const QStringList values{QStringLiteral("%s%d"), QStringLiteral("42")};
    for (const quillo::LanguageKey key : quillo::AllLanguageKeys()) {
        const QString caption = file.caption(quillo::LanguageKeyName(key));
        const QString expected = caption.isEmpty() ? quillo::DefaultLanguageText(key) : caption;
        if (strings.text(key) != expected)
            std::abort();
        const QString& text = strings.text(key);
        if (quillo::WithSingleLineBreaks(text).size() > text.size() ||
            quillo::FillPlaceholders(text, values).size() > text.size() + 2)
            std::abort();
    }

    // The first child element of each name is the entry; a later one of the same name is not.
    const QDomElement root = file.document().documentElement();
    for (QDomElement entry = root.firstChildElement(); !entry.isNull();
         entry = entry.nextSiblingElement()) {
        if (root.firstChildElement(entry.tagName()) == entry &&
            file.caption(entry.tagName()) != entry.attribute(QStringLiteral("Caption")))
            std::abort();
    }
    return 0;
}
