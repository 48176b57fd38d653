#pragma once
// The program's icon in the notification area: its online and offline pictures, its tip, and
// the menu that brings the main window back, signs out and ends the program.
//
// Thread and ownership: main thread only. The owner of the program's windows creates one and
// keeps it for the whole run; it owns its QSystemTrayIcon and menu. It knows no other window:
// what the user asks for leaves as a signal.

#include <QObject>

#include "desktop/ui/desktop_pictures.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace quillo {

class TrayIcon : public QObject {
    Q_OBJECT

public:
    // Prepared but not yet in the tray; it shows the application icon until SetTrayState.
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Whether the desktop has a notification area at all. Without one the icon can never be
    // seen, so a window that the user closes must minimise instead of hiding, or the program
    // could not be reached again. Asked each time: a tray may appear after the program started.
    static bool trayAvailable();

    // Adds the icon to the tray, or takes it away (at exit).
    void show();
    void hide();

    // The online or offline picture. Offline also greys out "Sign out": without a session
    // there is nothing to sign out of.
    void SetTrayState(TrayState state);
    TrayState trayState() const { return state_; }

    // "Sign out" is offered from the moment the contact list is shown until the login page
    // returns.
    void setSignOutEnabled(bool enabled);
    bool signOutEnabled() const;

    // A balloon from the icon, where the desktop can show one.
    void showMessage(const QString& title, const QString& text);

    // For the language captions and for tests: the menu (`MainPopupMenu`) with its items
    // `ShowFacebookchatclient1`, `Signout2` and `Exit2`, and the icon itself.
    QMenu* menu() const { return menu_; }
    QSystemTrayIcon* systemTrayIcon() const { return icon_; }

signals:
    // Double click, or "Show ...": show the main window, restore it and bring it forward.
    void showMainWindowRequested();
    // "Sign out"; showMainWindowRequested comes first, so the user sees the sign-out happen.
    void signOutRequested();
    // "Exit": the same as the main window's Exit command.
    void exitRequested();

private:
    void onActivated(int reason);
    void onSignOut();

    QMenu* menu_ = nullptr;
    QAction* show_ = nullptr;
    QAction* signOut_ = nullptr;
    QAction* exit_ = nullptr;
    QSystemTrayIcon* icon_ = nullptr;
    TrayState state_ = TrayState::Offline;
};

} // namespace quillo
