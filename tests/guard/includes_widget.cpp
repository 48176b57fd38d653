// Compiled with the engine's include rules by the layering test, which expects this to fail.
#include <QtWidgets/QWidget>

int probeWidgetHeader() {
    return sizeof(QWidget);
}
