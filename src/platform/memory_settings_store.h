#pragma once
// MemorySettingsStore: a settings store held in memory, with the same rules as the real ones
// (names match without regard to case, values are typed, a read-only open of a missing key
// fails). Tests use it to plant values of any type and to make single reads or writes fail.
//
// Threads: one thread at a time, like every store.
// Ownership: the store and the keys it opens share its contents, so a key may outlive the store.

#include <QList>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <utility>

#include "platform/settings_store.h"

namespace quillo {

class MemorySettingsStore : public SettingsStore {
public:
    MemorySettingsStore();

    StoreResult<std::unique_ptr<SettingsKey>> OpenKey(KeyAccess access) override;

    // Whether the key exists (it comes into being with the first ReadWriteCreate open).
    bool KeyExists() const;
    // The names of the stored values in the spelling they were first written with, oldest first.
    QStringList Names() const;

    // Makes every later read of the value named name, in any spelling, fail with IoError; the
    // value still exists for ValueExists.
    void FailReadsOf(const QString& name);
    // Makes every later write or delete of the value named name, in any spelling, fail likewise.
    void FailWritesOf(const QString& name);
    // Makes every later open fail with AccessDenied.
    void FailOpens();

    struct Contents {
        bool keyExists = false;
        bool failOpens = false;
        QList<std::pair<QString, QVariant>> values; // spelling as first written, value
        QStringList failingReads;
        QStringList failingWrites;
    };

private:
    std::shared_ptr<Contents> contents_;
};

} // namespace quillo
