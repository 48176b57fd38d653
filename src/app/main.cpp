// Program entry of the messenger: one running copy, the program's look, then the windows from
// the splash on. The second copy of a user's program ends at once, silently.
#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <optional>

#include "app/command_line.h"

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

namespace {

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Prints what the options ask to be printed; an exit code when the program ends here.
std::optional<int> Answer(const ProgramOptions& options) {
    switch (options.action) {
    case ProgramOptions::Action::Run:
        break;
    case ProgramOptions::Action::ShowHelp:
    case ProgramOptions::Action::ShowVersion:
        std::fputs(options.text.toLocal8Bit().constData(), stdout);
        return 0;
    case ProgramOptions::Action::Fail:
        std::fputs(options.text.toLocal8Bit().constData(), stderr);
        return 2;
    }
    if (!options.endpointsFile.isEmpty() && !QFileInfo(options.endpointsFile).isFile()) {
        std::fprintf(stderr, "No such endpoints file: %s\n",
                     options.endpointsFile.toLocal8Bit().constData());
        return 2;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    KeepLargeBuffersOutOfTheHeap();
    // Before the application object, which needs a display: --help and --version answer anywhere.
    // A failure may be one of Qt's own options (-platform, -style), which the application object
    // takes out of the command line; the rest is read again after it.
    if (const ProgramOptions early = ParseProgramOptions(ArgumentsOf(argc, argv));
        early.action != ProgramOptions::Action::Fail) {
        if (const std::optional<int> code = Answer(early))
            return *code;
    }
    QApplication app(argc, argv);
    const ProgramOptions options = ParseProgramOptions(QCoreApplication::arguments());
    if (const std::optional<int> code = Answer(options))
        return *code;
    QApplication::setApplicationName(QStringLiteral("Quillo for Facebook"));
    // The desktop matches the windows to the installed desktop entry (and its icon) by this.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLO_APP_ID));
    const SingleInstance instance;
    if (!instance.acquired())
        return 0;
    // The program lives on in the tray when its windows are closed; only Exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(DrawApplicationIcon());
    ApplySkin(app, ProgramDataFolder());
    // An input's cursor that blinks on while nobody types keeps the idle program awake.
    const CursorBlinkTimeout cursorBlinkTimeout;

    Messenger messenger(
        CreateUserSettingsStore(),
        LoadEndpoints(EndpointsFileFor(options, RunsFromItsOwnFolder(), AppFolder())),
        std::make_unique<KeychainPasswordVault>());
    EndProgramWhenFinished(messenger);
    messenger.setStartInTray(options.minimized);
    messenger.start();
    return app.exec();
}
