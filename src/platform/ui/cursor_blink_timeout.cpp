#include "platform/ui/cursor_blink_timeout.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>
#include <QWidget>

namespace quillo {

namespace {

void setFlashTime(int msecs) {
    // Each text input with a visible cursor follows the change at once: it restarts or stops its
    // blink timer, also while it keeps the focus.
    QGuiApplication::styleHints()->setCursorFlashTime(msecs);
}

bool isInput(const QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return false;
    }
}

} // namespace

CursorBlinkTimeout::CursorBlinkTimeout(std::chrono::milliseconds idleTime, QObject* parent)
    : QObject(parent)
    , flashTime_(QGuiApplication::styleHints()->cursorFlashTime()) {
    idle_.setSingleShot(true);
    idle_.setInterval(idleTime);
    connect(&idle_, &QTimer::timeout, this, &CursorBlinkTimeout::rest);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) {
                    wake();
                } else {
                    idle_.stop();
                    rest();
                }
            });
    qGuiApp->installEventFilter(this);
    if (QGuiApplication::applicationState() == Qt::ApplicationActive)
        wake();
    else
        rest();
}

CursorBlinkTimeout::~CursorBlinkTimeout() {
    if (resting_)
        setFlashTime(flashTime_);
}

bool CursorBlinkTimeout::eventFilter(QObject* watched, QEvent* event) {
    // Every event of the program passes here: only a cheap test of its type for most.
    if (isInput(event)) {
        wake();
    } else if (event->type() == QEvent::WindowActivate && watched->isWidgetType() &&
               static_cast<QWidget*>(watched)->isWindow()) {
        // Once per window, not once for each of its widgets, which all receive it as well.
        wake();
    }
    return false;
}

void CursorBlinkTimeout::wake() {
    // The idle time starts over with every key and click: a timer restart, no repaint.
    idle_.start();
    if (!resting_)
        return;
    resting_ = false;
    setFlashTime(flashTime_);
}

void CursorBlinkTimeout::rest() {
    if (resting_)
        return;
    resting_ = true;
    setFlashTime(0);
}

} // namespace quillo
