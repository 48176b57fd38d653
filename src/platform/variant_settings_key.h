#pragma once
// Shared rules of the keys that keep their values as QVariants (the in-memory store and the
// settings file): the type of each value is the QVariant's type, a read checks it, and the
// access mode and the closed state are checked in one place.
//
//   32-bit integer  QMetaType::UInt
//   text            QMetaType::QString
//   binary          QMetaType::QByteArray
//   anything else   a value that cannot be read (it reads as the wrong type and is kept)
//
// Threads and ownership: as SettingsKey.

#include <QVariant>

#include "platform/settings_store.h"

namespace quillo {

class VariantSettingsKey : public SettingsKey {
public:
    bool ValueExists(const QString& name) const override;
    StoreResult<quint32> ReadDword(const QString& name) const override;
    StoreResult<QString> ReadText(const QString& name) const override;
    StoreResult<QByteArray> ReadBinary(const QString& name) const override;
    StoreStatus WriteDword(const QString& name, quint32 value) override;
    StoreStatus WriteText(const QString& name, const QString& value) override;
    StoreStatus WriteBinary(const QString& name, const QByteArray& value) override;
    StoreStatus DeleteValue(const QString& name) override;
    StoreStatus Close() override;

protected:
    explicit VariantSettingsKey(bool writable)
        : writable_(writable) {}

    // The value named name in any spelling; an invalid QVariant when there is none.
    virtual StoreResult<QVariant> Fetch(const QString& name) const = 0;
    // Replaces the value of any spelling of name, or adds it under this spelling.
    virtual StoreStatus Put(const QString& name, const QVariant& value) = 0;
    // Removes the value of any spelling of name; it is known to exist.
    virtual StoreStatus Remove(const QString& name) = 0;
    // Called once by Close: release the backing store, report whether pending writes landed.
    virtual StoreStatus Finish() = 0;

private:
    StoreResult<QVariant> FetchTyped(const QString& name, int typeId) const;
    StoreStatus CheckWritable(const QString& name) const;

    bool writable_;
    bool closed_ = false;
};

} // namespace quillo
