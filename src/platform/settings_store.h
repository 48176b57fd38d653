#pragma once
// The per-user key-value store that holds the preferences: one key of named, typed values with
// the Windows registry's rules, whatever the platform keeps them in.
//
// - Value names match without regard to case: a write under another spelling replaces the value.
// - Values are typed (32-bit integer, text, binary); a read with the wrong type fails, it does not
//   convert.
// - Every operation opens the key, works on it and closes it; nothing is cached in between.
// - Failures come back as a StoreStatus, never as exceptions; the callers decide whether to
//   swallow them.
//
// Threads: a store and its keys are used by one thread at a time (the user-interface thread).
// Ownership: the opener owns a SettingsKey; it closes itself when destroyed.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <memory>
#include <optional>
#include <utility>

namespace quillo {

enum class StoreFailure {
    None,
    KeyNotFound,   // opened without creating, and the key does not exist
    ValueNotFound, // read or deleted a value that does not exist
    WrongType,     // the value exists but holds another type, or contents that cannot be read
    AccessDenied,  // a write through a read-only key, or the system refused access
    IoError,       // the backing file or registry failed
};

// Outcome of a store operation; default-constructed means success.
class StoreStatus {
public:
    StoreStatus() = default;
    StoreStatus(StoreFailure failure, QString detail)
        : failure_(failure)
        , detail_(std::move(detail)) {}

    bool ok() const { return failure_ == StoreFailure::None; }
    StoreFailure failure() const { return failure_; }
    // What failed, for a developer: the value's name and the reason.
    const QString& detail() const { return detail_; }

private:
    StoreFailure failure_ = StoreFailure::None;
    QString detail_;
};

// A value, or the reason there is none. A failed result still holds a usable value (the
// type's zero, or the fallback given), so callers that ignore failures get a defined result.
template <typename T>
class StoreResult {
public:
    StoreResult(T value)
        : value_(std::move(value)) {}
    StoreResult(StoreStatus failure, T fallback = T{})
        : value_(std::move(fallback))
        , status_(std::move(failure)) {}

    bool ok() const { return status_.ok(); }
    const StoreStatus& status() const { return status_; }
    const T& value() const& { return value_; }
    T&& value() && { return std::move(value_); }

private:
    T value_;
    StoreStatus status_;
};

enum class KeyAccess {
    ReadOnly,        // fails with KeyNotFound when the key does not exist
    ReadWrite,       // likewise; writes allowed
    ReadWriteCreate, // creates the key when it does not exist
};

// One open key. Reads and writes act on the store at once (a file-backed key may hold writes
// until Close, which then reports whether they reached the disk).
class SettingsKey {
public:
    virtual ~SettingsKey() = default;
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    virtual bool ValueExists(const QString& name) const = 0;
    [[nodiscard]] virtual StoreResult<quint32> ReadDword(const QString& name) const = 0;
    [[nodiscard]] virtual StoreResult<QString> ReadText(const QString& name) const = 0;
    [[nodiscard]] virtual StoreResult<QByteArray> ReadBinary(const QString& name) const = 0;
    virtual StoreStatus WriteDword(const QString& name, quint32 value) = 0;
    virtual StoreStatus WriteText(const QString& name, const QString& value) = 0;
    virtual StoreStatus WriteBinary(const QString& name, const QByteArray& value) = 0;
    virtual StoreStatus DeleteValue(const QString& name) = 0;
    // Ends the use of the key; further operations fail. Safe to call twice.
    virtual StoreStatus Close() = 0;

    // Flag: written as 0 or 1, read as true when non-zero.
    [[nodiscard]] StoreResult<bool> ReadFlag(const QString& name) const;
    StoreStatus WriteFlag(const QString& name, bool value);
    // Signed 32-bit integer kept in the same 32 bits.
    [[nodiscard]] StoreResult<qint32> ReadInteger(const QString& name) const;
    StoreStatus WriteInteger(const QString& name, qint32 value);
    // Calendar date as an 8-byte binary value (see EncodeDayCount).
    [[nodiscard]] StoreResult<QDate> ReadDate(const QString& name) const;
    StoreStatus WriteDate(const QString& name, QDate value);

protected:
    SettingsKey() = default;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    [[nodiscard]] virtual StoreResult<std::unique_ptr<SettingsKey>> OpenKey(KeyAccess access) = 0;

protected:
    SettingsStore() = default;
};

// The identity of a value name: two names are one value when their folded forms are equal.
QString FoldValueName(const QString& name);

// The date format of the store: a little-endian IEEE-754 double counting days from 30 December
// 1899, without a fraction. Decoding keeps the whole days of a stored fraction and refuses
// anything that is not eight bytes of a finite number.
QByteArray EncodeDayCount(QDate date);
std::optional<QDate> DecodeDayCount(const QByteArray& bytes);

// The current user's store: the registry key HKEY_CURRENT_USER\Software\Rezidezo Zori Ruziva on
// Windows, the file SettingsFilePath() elsewhere.
std::unique_ptr<SettingsStore> CreateUserSettingsStore();

} // namespace quillo
