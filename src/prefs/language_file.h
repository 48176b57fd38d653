#pragma once
// The language file: an XML document in the Langs folder beside the program whose root element
// holds one flat list of entries, each a child element named by its key with the text in its
// "Caption" attribute. Message texts (the language strings) and the captions of named controls
// share the list; a control name applies to every window that has a control of that name.

#include <QDomDocument>
#include <QString>

namespace quillo {

class LanguageStrings;

// The "Caption" of the first direct child element of document's root whose tag name equals key
// exactly (case-sensitive). Empty when the document holds nothing, the entry is missing, or its
// caption is missing or empty; an empty caption counts as absent everywhere.
QString ReadLanguageEntry(const QDomDocument& document, const QString& key);

// appFolder (the program's folder; a trailing separator is added when missing), "Langs/" and
// fileName.
QString LanguageFilePath(const QString& appFolder, const QString& fileName);
// The same in the program's data folder (ProgramDataFolder); fileName is CurrentLang.
QString LanguageFilePath(const QString& fileName);

// One language file, read once per run and then shared by the language strings and by every
// window's captions, so that a damaged file is reported once, however many windows use it.
//
// Thread and ownership: loaded and read on the main thread; the application owns the one
// instance. Copies share the parsed document.
class LanguageFile {
public:
    enum class Status {
        Missing,    // no such file: silent, every text keeps its built-in form
        Loaded,     // parsed; lookups answer from it
        Unreadable, // exists but could not be read: reported, treated as missing
        Malformed,  // not well-formed XML: reported, treated as missing
    };

    // No file: every lookup is empty.
    LanguageFile() = default;

    // Reads and parses path, honouring the encoding the document declares. A file that exists
    // but cannot be read or parsed is reported once, as a warning naming the file and the
    // parser's line, column and message; the result then answers every lookup with empty text,
    // so the program goes on in English.
    static LanguageFile Load(const QString& path);

    Status status() const { return status_; }
    bool isLoaded() const { return status_ == Status::Loaded; }
    const QString& path() const { return path_; }
    // Why the file was not used (Unreadable, Malformed); empty otherwise.
    const QString& problem() const { return problem_; }

    // The entry key of the file (ReadLanguageEntry); what windows look their control names up
    // with.
    QString caption(const QString& key) const { return ReadLanguageEntry(document_, key); }

    const QDomDocument& document() const { return document_; }

private:
    Status status_ = Status::Missing;
    QString path_;
    QString problem_;
    QDomDocument document_;
};

// For each language string, in key order: a non-empty entry of file replaces the current text;
// other texts stay. A file that is missing or was not usable changes nothing.
void LoadLanguageStrings(const LanguageFile& file, LanguageStrings& strings);

} // namespace quillo
