#pragma once
// The about box (window `TAboutBox`): the program's name, its maker and its version.
//
// Thread and ownership: main thread only. Created once at start and shown modally whenever the
// user asks; the owner of the program's windows keeps it.

#include <QDialog>

namespace quillo {

class LanguageFile;
class LanguageStrings;

class AboutBox : public QDialog {
    Q_OBJECT

public:
    // The program's version, as the update check compares it.
    static QString ownVersion();

    // The caption is "AboutCaption", the controls take the file's captions, and the version
    // line is "msgVersion" filled with ownVersion().
    AboutBox(const LanguageStrings& strings, const LanguageFile& file, QWidget* parent = nullptr);
    // The same without a language file: the controls keep their English captions.
    explicit AboutBox(const LanguageStrings& strings, QWidget* parent = nullptr);
};

} // namespace quillo
