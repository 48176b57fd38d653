// Program entry of the messenger: one running copy, the program's look, then the windows from
// the splash on. The second copy of a user's program ends at once, silently.
#include <QApplication>

#include "app/ui/messenger.h"
#include "app/ui/skin.h"
#include "desktop/ui/desktop_pictures.h"
#include "platform/folders.h"
#include "platform/heap_tuning.h"
#include "platform/keychain/keychain_password_vault.h"
#include "platform/settings_store.h"
#include "platform/single_instance.h"
#include "platform/ui/cursor_blink_timeout.h"
#include "session/endpoints.h"

using namespace quillo;

int main(int argc, char** argv) {
    KeepLargeBuffersOutOfTheHeap();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillo for Facebook"));
    const SingleInstance instance;
    if (!instance.acquired())
        return 0;
    // The program lives on in the tray when its windows are closed; only Exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(DrawApplicationIcon());
    ApplySkin(app, AppFolder());
    // An input's cursor that blinks on while nobody types keeps the idle program awake.
    const CursorBlinkTimeout cursorBlinkTimeout;

    Messenger messenger(CreateUserSettingsStore(),
                        LoadEndpoints(AppFolder() + QStringLiteral("endpoints.ini")),
                        std::make_unique<KeychainPasswordVault>());
    EndProgramWhenFinished(messenger);
    messenger.start();
    return app.exec();
}
