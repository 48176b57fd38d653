#include "platform/folders.h"

#include <QCoreApplication>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <QDir>
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <shlobj.h> // after windows.h, which it needs
#endif

namespace quillo {

QString AppFolder() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

QString DataFolder() {
    const QString name = QStringLiteral("/Quillo For FaceBook");
#ifdef Q_OS_WIN
    wchar_t common[MAX_PATH] = {};
    if (SUCCEEDED(
            SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)))
        return QDir::fromNativeSeparators(QString::fromWCharArray(common)) + name;
#endif
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + name;
}

QString UserDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillo For FaceBook");
}

QString SettingsFilePath() {
#ifdef Q_OS_WIN
    return QString();
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Rezidezo Zori Ruziva/settings.conf");
#endif
}

} // namespace quillo
