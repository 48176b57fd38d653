// Captions from the language file on the controls of a window, by control kind.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "prefs/language_file.h"
#include "prefs/ui/language_captions.h"
#include "support/qt_printers.h"

namespace quillo {
namespace {

using namespace Qt::StringLiterals;

constexpr char kGermanFile[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Language>
  <btnSignin Caption="Anmelden"/>
  <chkremember Caption="Speichern"/>
  <rdMale Caption="Männlich"/>
  <SpeedButton1 Caption="Schnell"/>
  <lbSignOut Caption="Abmelden"/>
  <Panel1 Caption="Bitte warten"/>
  <GroupPanel Caption="Gruppe"/>
  <TabSheet1 Caption="Anmeldung"/>
  <Messenger1 Caption="Bote"/>
  <Signout1 Caption="Abmelden"/>
  <txtEmail Caption="E-Mail:"/>
  <txtUnlabelled Caption="should not appear"/>
  <Memo1 Caption="should not appear"/>
  <Frame1 Caption="should not appear"/>
  <MainForm Caption="should not appear"/>
  <btnCancel Caption=""/>
</Language>)";

class LanguageCaptions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(dir_.path()).mkdir(u"Langs"_s));
        QFile out(LanguageFilePath(dir_.path(), u"German.lang"_s));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(kGermanFile);
        out.close();
        file_ = LanguageFile::Load(out.fileName());
        ASSERT_TRUE(file_.isLoaded());
    }

    template <typename T>
    static T* Add(QWidget* parent, const char* name, const QString& text = {}) {
        auto* widget = new T(parent);
        widget->setObjectName(QLatin1String(name));
        if constexpr (std::is_base_of_v<QAbstractButton, T> || std::is_base_of_v<QLabel, T>)
            widget->setText(text);
        if (parent->layout())
            parent->layout()->addWidget(widget);
        return widget;
    }

    QTemporaryDir dir_;
    LanguageFile file_;
};

TEST_F(LanguageCaptions, EachControlKindTakesItsCaption) {
    QMainWindow window;
    window.setObjectName(u"MainForm"_s);
    window.setWindowTitle(u"Quillo for Facebook"_s);
    auto* central = new QWidget(&window);
    central->setLayout(new QVBoxLayout);
    window.setCentralWidget(central);

    auto* signIn = Add<QPushButton>(central, "btnSignin", u"Sign in"_s);
    auto* remember = Add<QCheckBox>(central, "chkremember", u"Remember email and password."_s);
    auto* male = Add<QRadioButton>(central, "rdMale", u"Male"_s);
    auto* speed = Add<QToolButton>(central, "SpeedButton1", u"S"_s);
    auto* signOut = Add<QLabel>(central, "lbSignOut", u"Sign out"_s);
    auto* cancel = Add<QPushButton>(central, "btnCancel", u"Cancel"_s);
    // A panel with a caption is a label that may hold other controls over its text.
    auto* panel = Add<QLabel>(central, "Panel1", u"Signing in..."_s);
    auto* onPanel = Add<QPushButton>(panel, "btnSignin", u"Sign in"_s);
    auto* group = Add<QGroupBox>(central, "GroupPanel");
    group->setTitle(u"Group"_s);
    Add<QFrame>(central, "Frame1");
    auto* memo = Add<QTextEdit>(central, "Memo1");
    memo->setPlainText(u"memo"_s);

    auto* emailLabel = Add<QLabel>(central, "", u"Email:"_s);
    auto* email = Add<QLineEdit>(central, "txtEmail");
    emailLabel->setBuddy(email);
    auto* unlabelled = Add<QLineEdit>(central, "txtUnlabelled");

    auto* tabs = Add<QTabWidget>(central, "PageControl1");
    auto* login = new QWidget;
    login->setObjectName(u"TabSheet1"_s);
    auto* contacts = new QWidget;
    contacts->setObjectName(u"TabSheet2"_s);
    tabs->addTab(login, u"Login"_s);
    tabs->addTab(contacts, u"Contacts"_s);

    QMenu* messenger = window.menuBar()->addMenu(u"Messenger"_s);
    messenger->setObjectName(u"Messenger1"_s);
    QAction* signOutItem = messenger->addAction(u"Sign out"_s);
    signOutItem->setObjectName(u"Signout1"_s);

    ApplyLanguageCaptions(file_, &window);

    EXPECT_EQ(signIn->text(), u"Anmelden"_s);
    EXPECT_EQ(onPanel->text(), u"Anmelden"_s); // controls on a panel are the window's too
    EXPECT_EQ(remember->text(), u"Speichern"_s);
    EXPECT_EQ(male->text(), u"Männlich"_s);
    EXPECT_EQ(speed->text(), u"Schnell"_s);
    EXPECT_EQ(signOut->text(), u"Abmelden"_s);
    EXPECT_EQ(panel->text(), u"Bitte warten"_s);
    EXPECT_EQ(group->title(), u"Gruppe"_s);
    EXPECT_EQ(tabs->tabText(0), u"Anmeldung"_s);
    EXPECT_EQ(tabs->tabText(1), u"Contacts"_s);
    EXPECT_EQ(messenger->title(), u"Bote"_s);
    EXPECT_EQ(signOutItem->text(), u"Abmelden"_s);
    EXPECT_EQ(emailLabel->text(), u"E-Mail:"_s);
    EXPECT_EQ(email->text(), QString());

    // An empty caption keeps the design text; kinds without a caption are left alone.
    EXPECT_EQ(cancel->text(), u"Cancel"_s);
    EXPECT_EQ(unlabelled->text(), QString());
    EXPECT_EQ(unlabelled->placeholderText(), QString());
    EXPECT_EQ(memo->toPlainText(), u"memo"_s);
    EXPECT_EQ(window.windowTitle(), u"Quillo for Facebook"_s);
}

TEST_F(LanguageCaptions, ASharedNameAppliesInEveryWindow) {
    QWidget mainWindow;
    auto* mainPanel = Add<QLabel>(&mainWindow, "Panel1", u"Signing in..."_s);
    QWidget bulkDialog;
    auto* bulkPanel = Add<QLabel>(&bulkDialog, "Panel1");
    auto* bulkCancel = Add<QPushButton>(&bulkDialog, "CancelBtn", u"Cancel"_s);

    ApplyLanguageCaptions(file_, &mainWindow);
    ApplyLanguageCaptions(file_, &bulkDialog);

    EXPECT_EQ(mainPanel->text(), u"Bitte warten"_s);
    EXPECT_EQ(bulkPanel->text(), u"Bitte warten"_s);
    EXPECT_EQ(bulkCancel->text(), u"Cancel"_s);
}

TEST_F(LanguageCaptions, NoUsableFileLeavesTheDesignCaptions) {
    QFile bad(LanguageFilePath(dir_.path(), u"Bad.lang"_s));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("<Language><btnSignin Caption=\"Anmelden\"></Language>");
    bad.close();

    for (const LanguageFile& file :
         {LanguageFile(), LanguageFile::Load(LanguageFilePath(dir_.path(), u"Missing.lang"_s)),
          LanguageFile::Load(bad.fileName())}) {
        QWidget window;
        auto* signIn = Add<QPushButton>(&window, "btnSignin", u"Sign in"_s);
        ApplyLanguageCaptions(file, &window);
        EXPECT_EQ(signIn->text(), u"Sign in"_s);
    }
}

} // namespace
} // namespace quillo
