#pragma once
// FileSettingsStore: the settings key as a file, where there is no registry. QSettings reads
// and writes it (locking, and saving through a temporary file so a crash never leaves half a
// file) in the typed format of settings_file_format.h; the registry's rules on top of it (names
// without regard to case, typed reads) are kept by the key itself.
//
// The file exists <=> the key exists. It holds the remembered password, so it is created
// readable and writable by its owner only, and is kept so after every save.
//
// Threads: one thread at a time. Ownership: the opener owns a key; the key holds its own
// QSettings and needs nothing of the store once open.

#include <QSettings>
#include <QString>
#include <functional>

#include "platform/settings_store.h"

namespace quillo {

class FileSettingsStore : public SettingsStore {
public:
    // filePath is asked at every open, so a changed configuration folder is followed.
    explicit FileSettingsStore(std::function<QString()> filePath);

    StoreResult<std::unique_ptr<SettingsKey>> OpenKey(KeyAccess access) override;

    // The QSettings format of the settings file (registered once per process).
    static QSettings::Format Format();

private:
    std::function<QString()> filePath_;
};

} // namespace quillo
