#include "desktop/ui/tray_icon.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace quillo {

namespace {

// The maker's name: what the icon has always been known by in the notification area.
const QString kTrayTip = QStringLiteral("Rezidezo zori ruziva");

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent)
    , menu_(new QMenu) {
    menu_->setObjectName(QStringLiteral("MainPopupMenu"));
    show_ = AddItem(menu_, "ShowFacebookchatclient1", QStringLiteral("Show ") + kTrayTip);
    signOut_ = AddItem(menu_, "Signout2", QStringLiteral("Sign out"));
    exit_ = AddItem(menu_, "Exit2", QStringLiteral("Exit"));
    signOut_->setEnabled(false);

    icon_ = new QSystemTrayIcon(DrawApplicationIcon(), this);
    icon_->setToolTip(kTrayTip);
    icon_->setContextMenu(menu_);

    connect(show_, &QAction::triggered, this, &TrayIcon::showMainWindowRequested);
    connect(signOut_, &QAction::triggered, this, &TrayIcon::onSignOut);
    connect(exit_, &QAction::triggered, this, &TrayIcon::exitRequested);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { onActivated(reason); });
}

// A QMenu is a widget and cannot have a QObject parent; the icon only borrows it.
TrayIcon::~TrayIcon() {
    delete icon_;
    delete menu_;
}

bool TrayIcon::trayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::show() {
    icon_->show();
}

void TrayIcon::hide() {
    icon_->hide();
}

void TrayIcon::SetTrayState(TrayState state) {
    state_ = state;
    icon_->setIcon(DrawTrayIcon(state));
    if (state == TrayState::Offline)
        signOut_->setEnabled(false);
}

void TrayIcon::setSignOutEnabled(bool enabled) {
    signOut_->setEnabled(enabled);
}

bool TrayIcon::signOutEnabled() const {
    return signOut_->isEnabled();
}

void TrayIcon::showMessage(const QString& title, const QString& text) {
    icon_->showMessage(title, text, DrawApplicationIcon());
}

// The right button opens the context menu by itself; only the double click needs a meaning.
void TrayIcon::onActivated(int reason) {
    if (reason == QSystemTrayIcon::DoubleClick)
        emit showMainWindowRequested();
}

// Offered once per session: a second click while the sign-out runs would start another.
void TrayIcon::onSignOut() {
    signOut_->setEnabled(false);
    emit showMainWindowRequested();
    emit signOutRequested();
}

} // namespace quillo
