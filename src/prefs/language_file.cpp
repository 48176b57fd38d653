#include "prefs/language_file.h"

#include <QDebug>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>

#include "platform/folders.h"
#include "prefs/language_strings.h"

namespace quillo {

QString ReadLanguageEntry(const QDomDocument& document, const QString& key) {
    const QDomElement root = document.documentElement();
    for (QDomElement entry = root.firstChildElement(); !entry.isNull();
         entry = entry.nextSiblingElement()) {
        if (entry.tagName() == key)
            return entry.attribute(QStringLiteral("Caption"));
    }
    return {};
}

QString LanguageFilePath(const QString& appFolder, const QString& fileName) {
    QString path = appFolder;
    if (!path.isEmpty() && !path.endsWith(u'/') && !path.endsWith(u'\\'))
        path += u'/';
    return path + QStringLiteral("Langs/") + fileName;
}

QString LanguageFilePath(const QString& fileName) {
    return LanguageFilePath(ProgramDataFolder(), fileName);
}

LanguageFile LanguageFile::Load(const QString& path) {
    LanguageFile file;
    file.path_ = path;
    if (!QFileInfo::exists(path))
        return file;

    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) {
        file.status_ = Status::Unreadable;
        file.problem_ = input.errorString();
        qWarning().noquote() << QStringLiteral("Language file %1 cannot be read (%2); using the "
                                               "English texts.")
                                    .arg(path, file.problem_);
        return file;
    }

    // Handing the parser bytes, not text, lets it honour the encoding the document declares.
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(input.readAll(), &message, &line, &column)) {
        file.status_ = Status::Malformed;
        file.problem_ = QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(message);
        qWarning().noquote() << QStringLiteral("Language file %1 is not well-formed XML (%2); "
                                               "using the English texts.")
                                    .arg(path, file.problem_);
        return file;
    }
    file.status_ = Status::Loaded;
    file.document_ = document;
    return file;
}

void LoadLanguageStrings(const LanguageFile& file, LanguageStrings& strings) {
    if (!file.isLoaded())
        return;
    for (LanguageKey key : AllLanguageKeys()) {
        const QString text = file.caption(LanguageKeyName(key));
        if (!text.isEmpty())
            strings.setText(key, text);
    }
}

} // namespace quillo
