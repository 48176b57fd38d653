#pragma once
// RegistrySettingsStore: a key of the Windows registry under HKEY_CURRENT_USER, through the
// registry functions themselves. (QSettings cannot serve here: it stores a QByteArray as text,
// not as the 8 raw bytes of a REG_BINARY date, and always creates the keys it writes to, while
// the Run key must be opened without creating it.) The registry itself matches value names
// without regard to case and keeps each value's type.
//
// Threads: one thread at a time. Ownership: the opener owns a key, which closes its handle
// when destroyed.

#include <QtGlobal>

#ifdef Q_OS_WIN

#include <QString>

#include "platform/settings_store.h"

namespace quillo {

class RegistrySettingsStore : public SettingsStore {
public:
    enum class Root { CurrentUser };

    // subKey: the path below the root, with "\" separators.
    RegistrySettingsStore(Root root, QString subKey);

    StoreResult<std::unique_ptr<SettingsKey>> OpenKey(KeyAccess access) override;

private:
    Root root_;
    QString subKey_;
};

} // namespace quillo

#endif // Q_OS_WIN
