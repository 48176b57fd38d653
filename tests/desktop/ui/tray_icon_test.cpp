// The tray icon: its menu and when "Sign out" is offered, its pictures, and what its clicks ask.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "desktop/ui/tray_icon.h"
#include "prefs/language_file.h"
#include "prefs/ui/language_captions.h"
#include "support/qt_printers.h"

namespace quillo {
namespace {

using namespace Qt::StringLiterals;

QImage Pixels(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage Pixels(const QIcon& icon) {
    return Pixels(icon.pixmap(kTrayPictureSize, kTrayPictureSize));
}

int CountPixels(const QImage& image, bool (*matches)(QColor)) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += matches(image.pixelColor(x, y)) ? 1 : 0;
    }
    return count;
}

bool Orange(QColor c) {
    return c.alpha() > 200 && c.red() > 200 && c.green() > 100 && c.green() < 170 && c.blue() < 60;
}
bool Blue(QColor c) {
    return c.alpha() > 200 && c.blue() > 150 && c.blue() > c.red() + 60;
}

// Records what the icon asks of the rest of the program, in order.
struct Requests {
    explicit Requests(TrayIcon& tray) {
        QObject::connect(&tray, &TrayIcon::showMainWindowRequested, [this] { log << "show"; });
        QObject::connect(&tray, &TrayIcon::signOutRequested, [this] { log << "sign out"; });
        QObject::connect(&tray, &TrayIcon::exitRequested, [this] { log << "exit"; });
    }
    QStringList log;
};

QAction* Item(const TrayIcon& tray, const char* name) {
    return tray.menu()->findChild<QAction*>(QLatin1String(name));
}

TEST(TrayIcon, MenuItemsInOrderWithTheirCaptionsAndTip) {
    TrayIcon tray;
    EXPECT_EQ(tray.menu()->objectName(), u"MainPopupMenu"_s);
    QStringList names, captions;
    for (const QAction* action : tray.menu()->actions()) {
        names << action->objectName();
        captions << action->text();
    }
    EXPECT_EQ(names, (QStringList{u"ShowFacebookchatclient1"_s, u"Signout2"_s, u"Exit2"_s}));
    EXPECT_EQ(captions, (QStringList{u"Show Rezidezo zori ruziva"_s, u"Sign out"_s, u"Exit"_s}));
    EXPECT_EQ(tray.systemTrayIcon()->toolTip(), u"Rezidezo zori ruziva"_s);
    EXPECT_EQ(tray.systemTrayIcon()->contextMenu(), tray.menu());
}

TEST(TrayIcon, SignOutIsOfferedOnlyWhileOnline) {
    TrayIcon tray;
    EXPECT_TRUE(Item(tray, "ShowFacebookchatclient1")->isEnabled());
    EXPECT_FALSE(Item(tray, "Signout2")->isEnabled()) << "before any session";
    EXPECT_TRUE(Item(tray, "Exit2")->isEnabled());

    struct Step {
        const char* what;
        std::function<void(TrayIcon&)> act;
        TrayState state;
        bool signOut;
    } const steps[] = {
        {"main window created", [](TrayIcon& t) { t.SetTrayState(TrayState::Offline); },
         TrayState::Offline, false},
        {"contact list shown",
         [](TrayIcon& t) {
             t.SetTrayState(TrayState::Online);
             t.setSignOutEnabled(true);
         },
         TrayState::Online, true},
        {"connection lost", [](TrayIcon& t) { t.SetTrayState(TrayState::Offline); },
         TrayState::Offline, false},
        {"signed in again",
         [](TrayIcon& t) {
             t.SetTrayState(TrayState::Online);
             t.setSignOutEnabled(true);
         },
         TrayState::Online, true},
        {"login page shown", [](TrayIcon& t) { t.setSignOutEnabled(false); }, TrayState::Online,
         false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(tray);
        EXPECT_EQ(tray.trayState(), step.state);
        EXPECT_EQ(Item(tray, "Signout2")->isEnabled(), step.signOut);
        EXPECT_EQ(tray.signOutEnabled(), step.signOut);
        EXPECT_EQ(Pixels(tray.systemTrayIcon()->icon()), Pixels(DrawTrayPicture(step.state)));
        EXPECT_TRUE(Item(tray, "ShowFacebookchatclient1")->isEnabled());
        EXPECT_TRUE(Item(tray, "Exit2")->isEnabled());
    }
}

TEST(TrayIcon, MenuCommandsAskTheRestOfTheProgram) {
    TrayIcon tray;
    tray.SetTrayState(TrayState::Online);
    tray.setSignOutEnabled(true);
    Requests requests(tray);

    Item(tray, "Signout2")->trigger();
    EXPECT_EQ(requests.log, (QStringList{u"show"_s, u"sign out"_s}));
    EXPECT_FALSE(Item(tray, "Signout2")->isEnabled()) << "a second sign-out while one runs";

    requests.log.clear();
    Item(tray, "ShowFacebookchatclient1")->trigger();
    Item(tray, "Exit2")->trigger();
    EXPECT_EQ(requests.log, (QStringList{u"show"_s, u"exit"_s}));
}

TEST(TrayIcon, OnlyADoubleClickOnTheIconShowsTheMainWindow) {
    TrayIcon tray;
    Requests requests(tray);
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context,
                        QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
        emit tray.systemTrayIcon()->activated(reason);
    }
    EXPECT_TRUE(requests.log.isEmpty());
    emit tray.systemTrayIcon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(requests.log, QStringList{u"show"_s});
}

TEST(TrayIcon, StartsWithTheApplicationIcon) {
    TrayIcon tray;
    EXPECT_EQ(Pixels(tray.systemTrayIcon()->icon()), Pixels(DrawApplicationIcon()));
}

TEST(DesktopPictures, TrayPicturesTellTheStatesApart) {
    const QImage offline = Pixels(DrawTrayPicture(TrayState::Offline));
    const QImage online = Pixels(DrawTrayPicture(TrayState::Online));
    for (const QImage& picture : {offline, online})
        EXPECT_EQ(picture.size(), QSize(16, 16));
    EXPECT_GT(CountPixels(offline, Orange), 6) << "the offline badge";
    EXPECT_EQ(CountPixels(offline, Blue), 0);
    EXPECT_GT(CountPixels(online, Blue), 40) << "the blue figure";
    EXPECT_EQ(CountPixels(online, Orange), 0);
}

TEST(DesktopPictures, ApplicationIconAndLogoHaveTheirSizes) {
    const QIcon icon = DrawApplicationIcon();
    for (int side : {16, 32, 48})
        EXPECT_FALSE(icon.pixmap(side, side).isNull()) << side;
    const QImage logo = Pixels(DrawProgramLogo(QSize(233, 65)));
    EXPECT_EQ(logo.size(), QSize(233, 65));
    EXPECT_GT(CountPixels(logo, Blue), 100);
}

} // namespace
} // namespace quillo

// The menu has no window of its own: a language file's captions reach it when the program
// applies them to the menu.
TEST(TrayIcon, TheLanguageFileTranslatesTheMenu) {
    const QTemporaryDir dir;
    QFile out(QDir(dir.path()).filePath(QStringLiteral("Spanish.lang")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(R"xml(<?xml version="1.0" encoding="UTF-8"?>
<Language>
  <ShowFacebookchatclient1 Caption="Mostrar Quillo"/>
  <Signout2 Caption="Cerrar sesion"/>
  <Exit2 Caption="Salir"/>
</Language>)xml");
    out.close();
    quillo::TrayIcon tray;
    quillo::ApplyLanguageCaptions(quillo::LanguageFile::Load(out.fileName()), tray.menu());
    QStringList captions;
    for (const QAction* action : tray.menu()->actions())
        captions.append(action->text());
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Mostrar Quillo"),
                                     QStringLiteral("Cerrar sesion"), QStringLiteral("Salir")}));
}
