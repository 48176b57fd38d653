// The about box: its captions, the version line in English and in a translation, and OK.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "desktop/ui/about_box.h"
#include "event_waiting.h"
#include "prefs/language_file.h"
#include "prefs/language_strings.h"
#include "support/qt_printers.h"
#include "support/shipped_languages.h"

namespace quillo {
namespace {

using namespace Qt::StringLiterals;

QString Caption(const AboutBox& box, const char* name) {
    if (const auto* label = box.findChild<QLabel*>(QLatin1String(name)))
        return label->text();
    if (const auto* button = box.findChild<QPushButton*>(QLatin1String(name)))
        return button->text();
    return u"<no %1>"_s.arg(QLatin1String(name));
}

LanguageFile SpanishFile(const QTemporaryDir& dir) {
    QFile out(QDir(dir.path()).filePath(u"Spanish.lang"_s));
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(R"xml(<?xml version="1.0" encoding="UTF-8"?>
<Language>
  <AboutCaption Caption="Acerca de"/>
  <msgVersion Caption="Versión %s (oficial)"/>
  <AboutOKButton Caption="Aceptar"/>
  <Version Caption="replaced by the version line"/>
</Language>)xml");
    out.close();
    return LanguageFile::Load(out.fileName());
}

TEST(AboutBox, EnglishCaptions) {
    const LanguageStrings strings;
    AboutBox box(strings, LanguageFile());
    EXPECT_EQ(box.objectName(), u"TAboutBox"_s);
    EXPECT_EQ(box.windowTitle(), u"About"_s);
    EXPECT_EQ(Caption(box, "ProductName"), u"Quillo for Facebook"_s);
    EXPECT_EQ(Caption(box, "Version"), u"Version 1.361"_s);
    EXPECT_EQ(Caption(box, "AboutOKButton"), u"OK"_s);
    EXPECT_EQ(AboutBox::ownVersion(), u"1.361"_s);
    EXPECT_TRUE(box.isModal());
    EXPECT_EQ(box.size(), QSize(298, 193));
    EXPECT_EQ(box.minimumSize(), box.maximumSize()) << "the dialog is not resizable";
    const auto* logo = box.findChild<QLabel*>(u"ProgramIcon"_s);
    ASSERT_NE(logo, nullptr);
    EXPECT_FALSE(logo->pixmap().isNull());
}

TEST(AboutBox, TranslationFillsItsOwnVersionPattern) {
    QTemporaryDir dir;
    const LanguageFile file = SpanishFile(dir);
    ASSERT_TRUE(file.isLoaded());
    LanguageStrings strings;
    LoadLanguageStrings(file, strings);
    AboutBox box(strings, file);
    EXPECT_EQ(box.windowTitle(), u"Acerca de"_s);
    EXPECT_EQ(Caption(box, "Version"), u"Versión 1.361 (oficial)"_s);
    EXPECT_EQ(Caption(box, "AboutOKButton"), u"Aceptar"_s);
    EXPECT_EQ(Caption(box, "ProductName"), u"Quillo for Facebook"_s);
}

// The credit line is a caption of the file too: it read "by" in every language.
TEST(AboutBox, TheShippedGermanFileTranslatesTheCreditLine) {
    const LanguageFile file = LanguageFile::Load(test::ShippedLanguageFilePath("German.lang"));
    ASSERT_TRUE(file.isLoaded());
    const LanguageStrings strings = test::GermanStrings();
    AboutBox box(strings, file);
    EXPECT_EQ(Caption(box, "Label3"), u"von Rezidezo Zori Ruziva"_s);
    const LanguageStrings englishStrings;
    const AboutBox english(englishStrings, LanguageFile());
    EXPECT_EQ(Caption(english, "Label3"), u"by Rezidezo Zori Ruziva"_s);
}

TEST(AboutBox, OkIsTheDefaultAndClosesWithOk) {
    const LanguageStrings strings;
    AboutBox box(strings, LanguageFile());
    auto* ok = box.findChild<QPushButton*>(u"AboutOKButton"_s);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    box.open();
    ASSERT_TRUE(WaitUntil([&] { return box.isVisible(); }));
    ok->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

} // namespace
} // namespace quillo
