#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <shlobj.h> // after windows.h, which it needs
#endif

namespace quillo {

QString AppFolder() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

namespace {

QString WithSlash(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

bool HoldsProgramData(const QString& folder) {
    return QFileInfo(folder + QStringLiteral("Langs")).isDir();
}

} // namespace

QString FindProgramDataFolder(const QString& programFolder, const QStringList& dataFolders) {
    const QString beside = WithSlash(programFolder);
    QStringList candidates{beside, WithSlash(QDir::cleanPath(
                                       beside + QStringLiteral("../share/" QUILLO_PROGRAM_NAME)))};
    for (const QString& folder : dataFolders)
        candidates.append(
            WithSlash(QDir::cleanPath(WithSlash(folder) + QStringLiteral(QUILLO_PROGRAM_NAME))));
    for (const QString& candidate : candidates) {
        if (HoldsProgramData(candidate))
            return candidate;
    }
    return beside;
}

QString ProgramDataFolder() {
    return FindProgramDataFolder(
        AppFolder(), QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
}

bool RunsFromItsOwnFolder() {
    return HoldsProgramData(AppFolder());
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
