// The whole program with a language file installed where it looks for one: the texts the windows
// make themselves are in that language, and a file without the later keys shows those in
// English. The windows on their own are tested with the same files in their subsystems.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "prefs/language_detect.h"
#include "prefs/ui/option_dialog.h"
#include "signed_in_messenger.h"
#include "support/shipped_languages.h"

using namespace quillo;
using namespace quillo::test;

namespace {

class LanguageStandInTest : public SignedInMessengerTest,
                            public ::testing::WithParamInterface<LanguageCase> {
protected:
    void SetUp() override {
        // The program's data folder, found through the user's data folder of the test's home;
        // the file has the name the program looks for on this machine.
        WriteLanguageFile(home_.path() + QStringLiteral("/data/" QUILLO_PROGRAM_NAME),
                          DetectLanguage() + QStringLiteral(".lang"), GetParam().bytes());
        strings_ = GetParam().strings();
        SignedInMessengerTest::SetUp();
    }

    // The text of key as the language file gives it (or English where it has none), with values.
    QString expected(LanguageKey key, const QStringList& values = {}) const {
        EXPECT_EQ(strings_.text(key) != DefaultLanguageText(key), GetParam().translatesLaterKeys)
            << LanguageKeyName(key).toStdString();
        return strings_.format(key, values);
    }

    LanguageStrings strings_;
};

} // namespace

TEST_P(LanguageStandInTest, TheMainWindowsOwnTextsAreInTheLanguageOfTheFile) {
    // The program read the file: an original key is German in either file.
    EXPECT_EQ(main()->findChild<QLabel*>(QStringLiteral("lblIntro"))->text(),
              strings_.text(LanguageKey::msgIntro));
    EXPECT_NE(strings_.text(LanguageKey::msgIntro), DefaultLanguageText(LanguageKey::msgIntro));

    main()->showPasswordInFileNote();
    EXPECT_EQ(main()->findChild<QLabel*>(QStringLiteral("lblPasswordInFile"))->text(),
              expected(LanguageKey::msgPasswordInFile));

    // The consent cannot be stored: the box says so.
    store_->FailWritesOf(kAliceEmail);
    QStringList boxes;
    auto* watcher = new QTimer(messenger_.get());
    QObject::connect(watcher, &QTimer::timeout, [&boxes] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes.append(box->text());
            box->accept();
        }
    });
    watcher->start(20);
    OptionDialog* options = messenger_->optionDialog();
    QTimer::singleShot(0, options, [options] {
        QCheckBox* consent = options->box("chkShowStatus");
        consent->setChecked(!consent->isChecked());
        options->findChild<QPushButton*>(QStringLiteral("PreferencesOKBtn"))->click();
    });
    main()->findChild<QAction*>(QStringLiteral("Option1"))->trigger();
    watcher->stop();
    ASSERT_EQ(boxes.size(), 1);
    // The store's own account of the failure comes last.
    EXPECT_TRUE(boxes[0].startsWith(expected(LanguageKey::msgConsentStoreFail)))
        << boxes[0].toStdString();

    main()->findChild<QAction*>(QStringLiteral("Signout1"))->trigger();
    const QLabel* panel = main()->findChild<QLabel*>(QStringLiteral("Panel1"));
    EXPECT_EQ(panel->text(), expected(LanguageKey::msgSigningOut));
    EXPECT_TRUE(runUntil([&] { return !main()->signingPanelShown(); }));
}

INSTANTIATE_TEST_SUITE_P(Langs, LanguageStandInTest, ::testing::ValuesIn(kLanguageCases),
                         [](const ::testing::TestParamInfo<LanguageCase>& language) {
                             return language.param.translatesLaterKeys ? std::string("German")
                                                                       : std::string("OlderGerman");
                         });
