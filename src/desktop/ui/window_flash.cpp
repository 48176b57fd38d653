#include "desktop/ui/window_flash.h"

#include <QApplication>
#include <QWidget>

namespace quillo {

bool FlashChatWindow(QWidget* chatWindow) {
    if (!chatWindow)
        return false;
    QWidget* window = chatWindow->window();
    if (window->isActiveWindow())
        return false;
    // No duration: the platform keeps the alert until the window is activated.
    QApplication::alert(window, 0);
    return true;
}

} // namespace quillo
