#include "platform/ui/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace quillo {

QRect fitWithin(QRect frame, QRect area) {
    if (area.isEmpty())
        return frame;
    frame.setWidth(std::min(frame.width(), area.width()));
    frame.setHeight(std::min(frame.height(), area.height()));
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() + 1 - frame.width()));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() + 1 - frame.height()));
    return frame;
}

QRect availableArea(const QWidget* window) {
    const QScreen* screen = window ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

namespace {

void placeFrame(QWidget* window, const QRect& frame) {
    const QRect now = window->frameGeometry();
    if (frame.size() != now.size())
        window->resize(window->size() - (now.size() - frame.size()));
    window->move(frame.topLeft()); // move() places the frame
}

} // namespace

void keepOnScreen(QWidget* window) {
    if (!window)
        return;
    const QRect frame = window->frameGeometry();
    const QRect fitted = fitWithin(frame, availableArea(window));
    if (fitted != frame)
        placeFrame(window, fitted);
}

void centreOnScreen(QWidget* window) {
    if (!window)
        return;
    const QRect area = availableArea(window);
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    placeFrame(window, fitWithin(frame, area));
}

} // namespace quillo
