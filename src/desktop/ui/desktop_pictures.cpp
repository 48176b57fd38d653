#include "desktop/ui/desktop_pictures.h"

#include "desktop/ui/application_mark.h"

#include <QFont>
#include <QPainter>
#include <QRectF>

namespace quillo {

namespace {

const QColor kServiceBlue(0x3B, 0x59, 0x98);
const QColor kFigureBlue(0x2F, 0x6F, 0xD8);
const QColor kFigureGrey(0x90, 0x90, 0x90);
const QColor kBadgeOrange(0xF5, 0x8A, 0x07);

// A head and shoulders filling box, the way buddy lists have always shown a person.
void DrawFigure(QPainter& painter, const QRectF& box, const QColor& colour) {
    const qreal w = box.width();
    const qreal h = box.height();
    painter.setPen(QPen(colour.darker(140), w / 16.0));
    painter.setBrush(colour);
    const qreal head = w * 0.42;
    painter.drawEllipse(QRectF(box.left() + (w - head) / 2, box.top() + h * 0.04, head, head));
    // The shoulders are the top of an oval cut off by the picture's lower edge.
    painter.save();
    painter.setClipRect(box);
    painter.drawEllipse(QRectF(box.left() + w * 0.12, box.top() + h * 0.52, w * 0.76, h * 0.9));
    painter.restore();
}

void DrawBadge(QPainter& painter, const QRectF& box) {
    painter.setPen(QPen(Qt::white, box.width() / 8.0));
    painter.setBrush(kBadgeOrange);
    painter.drawEllipse(box);
}

} // namespace

QPixmap DrawTrayPicture(TrayState state, qreal ratio) {
    const int side = kTrayPictureSize;
    QPixmap pixmap = TransparentPixmap(QSize(side, side), ratio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (state == TrayState::Online) {
        DrawFigure(painter, QRectF(1, 0, 14, 16), kFigureBlue);
    } else {
        DrawFigure(painter, QRectF(0, 0, 13, 15), kFigureGrey);
        DrawBadge(painter, QRectF(8.5, 8.5, 7, 7));
    }
    return pixmap;
}

QIcon DrawTrayIcon(TrayState state) {
    // The tray host asks for the size it docks at; the icon picks the pixels that match.
    QIcon icon;
    icon.addPixmap(DrawTrayPicture(state, 1));
    icon.addPixmap(DrawTrayPicture(state, 2));
    return icon;
}

QIcon DrawApplicationIcon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap = TransparentPixmap(QSize(side, side));
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawApplicationMark(painter, side);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap DrawProgramLogo(QSize size, qreal ratio) {
    QPixmap pixmap = TransparentPixmap(size, ratio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = size.height() * 0.9;
    const qreal margin = (size.height() - side) / 2;
    painter.save();
    painter.translate(margin, margin);
    DrawApplicationMark(painter, side);
    painter.restore();

    const QRectF textBox(margin * 3 + side, 0, size.width() - margin * 3 - side, size.height());
    QFont name(QStringLiteral("Arial"));
    name.setBold(true);
    name.setPixelSize(qMax(1, size.height() / 2));
    painter.setFont(name);
    painter.setPen(kServiceBlue);
    painter.drawText(textBox.adjusted(0, 0, 0, -size.height() * 0.38),
                     Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Quillo"));
    QFont tagline(QStringLiteral("Arial"));
    tagline.setPixelSize(qMax(1, size.height() / 5));
    painter.setFont(tagline);
    painter.setPen(QColor(0x55, 0x55, 0x55));
    painter.drawText(textBox.adjusted(2, size.height() * 0.64, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("for Facebook"));
    return pixmap;
}

QPixmap DrawCloseBox(qreal ratio) {
    constexpr int side = 8;
    QPixmap cross = TransparentPixmap(QSize(side, side), ratio);
    QPainter painter(&cross);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawLine(QPointF(1, 1), QPointF(side - 1, side - 1));
    painter.drawLine(QPointF(1, side - 1), QPointF(side - 1, 1));
    return cross;
}

QPixmap TransparentPixmap(QSize size, qreal ratio) {
    // A painter on it draws in size's units; the ratio turns them into the pixels.
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace quillo
