#pragma once
// Gives a test its own empty home and configuration folders, so that settings, autostart
// entries and data files never touch the real user's.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quillo::test {

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return dir_.path(); }
    QString configPath() const;

private:
    QTemporaryDir dir_;
    QByteArray oldHome_;
    QByteArray oldConfig_;
    QByteArray oldData_;
};

} // namespace quillo::test
