#include "support/temp_home.h"

#include <QDir>
#include <QStandardPaths>

namespace quillo::test {

TempHome::TempHome()
    : oldHome_(qgetenv("HOME"))
    , oldConfig_(qgetenv("XDG_CONFIG_HOME"))
    , oldData_(qgetenv("XDG_DATA_HOME")) {
    QStandardPaths::setTestModeEnabled(false);
    QDir(dir_.path()).mkpath(QStringLiteral("config"));
    QDir(dir_.path()).mkpath(QStringLiteral("data"));
    qputenv("HOME", dir_.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configPath().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir_.path() + QStringLiteral("/data")).toLocal8Bit());
}

TempHome::~TempHome() {
    qputenv("HOME", oldHome_);
    qputenv("XDG_CONFIG_HOME", oldConfig_);
    qputenv("XDG_DATA_HOME", oldData_);
}

QString TempHome::configPath() const {
    return dir_.path() + QStringLiteral("/config");
}

} // namespace quillo::test
