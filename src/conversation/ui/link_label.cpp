#include "conversation/ui/link_label.h"

#include <QMouseEvent>

namespace quillo {

LinkLabel::LinkLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setProperty("link", true); // the style sheet colours links
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->pos()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace quillo
