#include "app/ui/splash_screen.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/ui/program_pictures.h"
#include "desktop/ui/desktop_pictures.h"

namespace quillo {

SplashScreen::SplashScreen(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("TSplashScreen"));
    setWindowTitle(QStringLiteral("Quillo for Facebook"));
    setWindowIcon(DrawApplicationIcon());
    setFixedSize(467, 313);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(SplashPicture());
    picture->setGeometry(rect());
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

} // namespace quillo
