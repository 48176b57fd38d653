#include "platform/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace quillo {

namespace {

QString lockPath(const QString& folder) {
    QString where = folder;
    if (where.isEmpty())
        where = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (where.isEmpty())
        where = QDir::tempPath();
    QDir().mkpath(where);
    return where + QStringLiteral("/QLFFB_instance.lock");
}

} // namespace

SingleInstance::SingleInstance(const QString& folder)
    : lock_(lockPath(folder)) {
    // Held for the whole run, so age says nothing: only a holder that no longer exists makes
    // the lock stale.
    lock_.setStaleLockTime(0);
    acquired_ = lock_.tryLock(0);
}

} // namespace quillo
