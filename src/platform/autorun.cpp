#include "platform/autorun.h"

#include <QCoreApplication>

#ifdef Q_OS_WIN
#include <QDir>

#include "platform/registry_settings_store.h"
#else
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/folders.h"
#endif

namespace quillo {

#ifdef Q_OS_WIN

namespace {

const QString kRunValueName = QStringLiteral("Quillo for Facebook");

RegistrySettingsStore RunKey() {
    return RegistrySettingsStore(
        RegistrySettingsStore::Root::CurrentUser,
        QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"));
}

} // namespace

void SetAutorun(bool on) {
    SetAutorun(on, QCoreApplication::applicationFilePath());
}

bool IsAutorunRegistered() {
    StoreResult<std::unique_ptr<SettingsKey>> key = RunKey().OpenKey(KeyAccess::ReadOnly);
    return key.ok() && key.value()->ValueExists(kRunValueName);
}

void SetAutorun(bool on, const QString& executablePath) {
    // The Run key is opened, never created: without it nothing is registered.
    StoreResult<std::unique_ptr<SettingsKey>> key = RunKey().OpenKey(KeyAccess::ReadWrite);
    if (!key.ok())
        return;
    SettingsKey& run = *key.value();
    if (on)
        (void)run.WriteText(kRunValueName, QDir::toNativeSeparators(executablePath));
    else if (run.ValueExists(kRunValueName))
        (void)run.DeleteValue(kRunValueName);
}

#else

namespace {

// Whether the entry's [Desktop Entry] group says the desktop must not start it.
bool IsDisabledEntry(const QByteArray& contents) {
    bool inMainGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return true;
    }
    return false;
}

} // namespace

QString AutostartEntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/quillo.desktop");
}

QString DesktopExecValue(const QString& executablePath) {
    // Quoting of the argument: inside double quotes, " ` $ \ take a backslash.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : executablePath) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted += u'"';
    // A literal "%" would start a field code.
    quoted.replace(QStringLiteral("%"), QStringLiteral("%%"));
    // The key file's own string escapes apply on top of the quoting.
    QString value;
    for (const QChar c : quoted) {
        switch (c.unicode()) {
        case u'\\':
            value += QStringLiteral("\\\\");
            break;
        case u'\n':
            value += QStringLiteral("\\n");
            break;
        case u'\r':
            value += QStringLiteral("\\r");
            break;
        case u'\t':
            value += QStringLiteral("\\t");
            break;
        default:
            value += c;
        }
    }
    return value;
}

bool IsAutorunRegistered() {
    QFile entry(AutostartEntryPath());
    if (!entry.open(QIODevice::ReadOnly))
        return false;
    return !IsDisabledEntry(entry.readAll());
}

QString AutostartExecValue(const QString& executablePath, bool installed) {
    const QString command =
        installed ? QStringLiteral(QUILLO_PROGRAM_NAME) : DesktopExecValue(executablePath);
    return command + QStringLiteral(" --minimized");
}

namespace {

void WriteAutostartEntry(bool on, const QString& execValue) {
    const QString path = AutostartEntryPath();
    if (!on) {
        QFile::remove(path); // a missing entry is already the wanted state
        return;
    }
    // Unlike the Run key of Windows, the autostart folder need not exist yet on a fresh account.
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    QSaveFile entry(path);
    if (!entry.open(QIODevice::WriteOnly))
        return;
    const QString contents = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Quillo for Facebook\n"
                                            "Exec=") +
                             execValue +
                             QStringLiteral("\n"
                                            "Terminal=false\n");
    entry.write(contents.toUtf8());
    entry.commit(); // on failure the previous entry, if any, stays as it was
}

} // namespace

void SetAutorun(bool on) {
    // Data found elsewhere than beside the program: it runs installed.
    const bool installed = ProgramDataFolder() != AppFolder();
    WriteAutostartEntry(on, AutostartExecValue(QCoreApplication::applicationFilePath(), installed));
}

void SetAutorun(bool on, const QString& executablePath) {
    WriteAutostartEntry(on, DesktopExecValue(executablePath));
}

#endif

} // namespace quillo
