#include "app/ui/splash_screen.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "app/ui/program_pictures.h"
#include "desktop/ui/desktop_pictures.h"

namespace quillo {

SplashScreen::SplashScreen(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("TSplashScreen"));
    setWindowTitle(QStringLiteral("Quillo for Facebook"));
    setWindowIcon(DrawApplicationIcon());
    setFixedSize(467, 313);
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("Image1"));
    picture_->setPixmap(SplashPicture(devicePixelRatioF()));
    picture_->setGeometry(rect());
    lbstatus_ = new QLabel(QStringLiteral("Checking for new version..."), this);
    lbstatus_->setObjectName(QStringLiteral("lbstatus"));
    lbstatus_->setGeometry(20, 280, 427, 20);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void SplashScreen::setStatus(const QString& text) {
    lbstatus_->setText(text);
}

QString SplashScreen::status() const {
    return lbstatus_->text();
}

void SplashScreen::showEvent(QShowEvent* event) {
    if (picture_->pixmap().isNull())
        picture_->setPixmap(SplashPicture(devicePixelRatioF()));
    QWidget::showEvent(event);
}

void SplashScreen::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Once the hide is done, not inside it: the window system is still busy with it here.
    if (!event->spontaneous())
        QTimer::singleShot(0, this, &SplashScreen::releasePixels);
}

void SplashScreen::releasePixels() {
    if (!isHidden())
        return;
    picture_->clear();
    // Ends the window on the window system with its backing store; a later show makes it anew.
    destroy();
}

} // namespace quillo
