#include "app/ui/program_pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

#include "desktop/ui/desktop_pictures.h"

namespace quillo {

namespace {

const QColor kDeepBlue(0x3b, 0x59, 0x98);
const QColor kLightBlue(0x6d, 0x84, 0xb4);
const QColor kPaleBlue(0xd8, 0xdf, 0xea);

// The program's mark, the application icon, at the size of box.
void drawMark(QPainter& painter, const QRect& box) {
    // At the pixels of the picture drawn on, not the application's.
    const qreal ratio = painter.device()->devicePixelRatioF();
    painter.drawPixmap(box, DrawApplicationIcon().pixmap(box.size(), ratio));
}

} // namespace

QPixmap SplashPicture(qreal ratio) {
    const QSize size(467, 313);
    QPixmap picture = TransparentPixmap(size, ratio);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, kLightBlue);
    sky.setColorAt(1, kDeepBlue);
    painter.fillRect(QRect(QPoint(0, 0), size), sky);
    drawMark(painter, QRect(40, 70, 120, 120));
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setBold(true);
    title.setPixelSize(46);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(180, 80, 270, 60), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Quillo"));
    QFont subtitle = title;
    subtitle.setBold(false);
    subtitle.setPixelSize(22);
    painter.setFont(subtitle);
    painter.drawText(QRectF(182, 140, 270, 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("for Facebook"));
    painter.setPen(QPen(kPaleBlue, 1));
    painter.drawLine(20, 250, 447, 250);
    painter.setPen(kPaleBlue);
    QFont version = subtitle;
    version.setPixelSize(12);
    painter.setFont(version);
    painter.drawText(QRectF(20, 255, 427, 20), Qt::AlignRight,
                     QStringLiteral("Version %1").arg(QStringLiteral(QUILLO_VERSION)));
    return picture;
}

QPixmap LoginPicture(qreal ratio) {
    QPixmap picture = TransparentPixmap(QSize(200, 72), ratio);
    QPainter painter(&picture);
    drawMark(painter, QRect(4, 6, 60, 60));
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setBold(true);
    title.setPixelSize(28);
    painter.setFont(title);
    painter.setPen(kDeepBlue);
    painter.drawText(QRectF(74, 6, 126, 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Quillo"));
    title.setBold(false);
    title.setPixelSize(13);
    painter.setFont(title);
    painter.drawText(QRectF(76, 40, 126, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("for Facebook"));
    return picture;
}

QPixmap BusyPicture(qreal ratio) {
    QPixmap picture = TransparentPixmap(QSize(48, 48), ratio);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // Eight dots round a circle, fading: the picture of something under way.
    for (int i = 0; i < 8; ++i) {
        QColor dot = kDeepBlue;
        dot.setAlpha(60 + i * 24);
        painter.setBrush(dot);
        painter.save();
        painter.translate(24, 24);
        painter.rotate(i * 45.0);
        painter.drawEllipse(QPointF(0, -16), 4, 4);
        painter.restore();
    }
    return picture;
}

QPixmap DefaultUserPicture(qreal ratio) {
    QPixmap picture = TransparentPixmap(QSize(50, 50), ratio);
    picture.fill(kPaleBlue);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kLightBlue);
    painter.drawEllipse(QPointF(25, 18), 9, 9);
    painter.drawEllipse(QRectF(9, 30, 32, 30));
    return picture;
}

} // namespace quillo
