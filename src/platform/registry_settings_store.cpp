#include "platform/registry_settings_store.h"

#ifdef Q_OS_WIN

#include <QtEndian>
#include <initializer_list>
#include <utility>

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

namespace quillo {

namespace {

const wchar_t* Wide(const QString& text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

StoreStatus FromError(LONG error, const QString& what) {
    switch (error) {
    case ERROR_SUCCESS:
        return {};
    case ERROR_FILE_NOT_FOUND:
        return {StoreFailure::ValueNotFound, what + QStringLiteral(": not found")};
    case ERROR_ACCESS_DENIED:
        return {StoreFailure::AccessDenied, what + QStringLiteral(": access denied")};
    default:
        return {StoreFailure::IoError,
                what + QStringLiteral(": registry error ") + QString::number(error)};
    }
}

class RegistryKey final : public SettingsKey {
public:
    RegistryKey(HKEY handle, bool writable)
        : handle_(handle)
        , writable_(writable) {}
    ~RegistryKey() override { (void)Close(); }

    bool ValueExists(const QString& name) const override {
        return handle_ != nullptr && RegQueryValueExW(handle_, Wide(name), nullptr, nullptr,
                                                      nullptr, nullptr) == ERROR_SUCCESS;
    }

    StoreResult<quint32> ReadDword(const QString& name) const override {
        StoreResult<QByteArray> raw = Query(name, {REG_DWORD});
        if (!raw.ok())
            return {raw.status(), 0U};
        if (raw.value().size() != 4)
            return {WrongType(name), 0U};
        return qFromLittleEndian<quint32>(raw.value().constData());
    }

    StoreResult<QString> ReadText(const QString& name) const override {
        StoreResult<QByteArray> raw = Query(name, {REG_SZ, REG_EXPAND_SZ});
        if (!raw.ok())
            return {raw.status(), QString()};
        const QByteArray& bytes = raw.value();
        QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                          bytes.size() / 2);
        // The terminating NUL is usually, but not always, stored with the text.
        if (const qsizetype end = text.indexOf(QChar(u'\0')); end >= 0)
            text.truncate(end);
        return text;
    }

    StoreResult<QByteArray> ReadBinary(const QString& name) const override {
        return Query(name, {REG_BINARY});
    }

    StoreStatus WriteDword(const QString& name, quint32 value) override {
        QByteArray bytes(4, '\0');
        qToLittleEndian(value, bytes.data());
        return Set(name, REG_DWORD, bytes);
    }

    StoreStatus WriteText(const QString& name, const QString& value) override {
        // With its terminating NUL, which utf16() always provides.
        const QByteArray bytes(reinterpret_cast<const char*>(value.utf16()),
                               (value.size() + 1) * 2);
        return Set(name, REG_SZ, bytes);
    }

    StoreStatus WriteBinary(const QString& name, const QByteArray& value) override {
        return Set(name, REG_BINARY, value);
    }

    StoreStatus DeleteValue(const QString& name) override {
        if (StoreStatus usable = CheckWritable(name); !usable.ok())
            return usable;
        return FromError(RegDeleteValueW(handle_, Wide(name)), name);
    }

    StoreStatus Close() override {
        if (handle_ == nullptr)
            return {};
        const LONG result = RegCloseKey(std::exchange(handle_, nullptr));
        return FromError(result, QStringLiteral("closing the key"));
    }

private:
    static StoreStatus WrongType(const QString& name) {
        return {StoreFailure::WrongType, name + QStringLiteral(": holds a value of another type")};
    }

    StoreStatus CheckWritable(const QString& name) const {
        if (handle_ == nullptr)
            return {StoreFailure::IoError, name + QStringLiteral(": the key is closed")};
        if (!writable_)
            return {StoreFailure::AccessDenied, name + QStringLiteral(": the key is read-only")};
        return {};
    }

    StoreStatus Set(const QString& name, DWORD type, const QByteArray& bytes) {
        if (StoreStatus usable = CheckWritable(name); !usable.ok())
            return usable;
        return FromError(RegSetValueExW(handle_, Wide(name), 0, type,
                                        reinterpret_cast<const BYTE*>(bytes.constData()),
                                        static_cast<DWORD>(bytes.size())),
                         name);
    }

    StoreResult<QByteArray> Query(const QString& name, std::initializer_list<DWORD> types) const {
        if (handle_ == nullptr)
            return StoreStatus(StoreFailure::IoError, name + QStringLiteral(": the key is closed"));
        const auto typeFits = [&](DWORD type) {
            for (const DWORD wanted : types) {
                if (type == wanted)
                    return true;
            }
            return false;
        };
        // The value may grow between asking its size and reading it; ask again then.
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD type = 0;
            DWORD size = 0;
            LONG result = RegQueryValueExW(handle_, Wide(name), nullptr, &type, nullptr, &size);
            if (result != ERROR_SUCCESS)
                return FromError(result, name);
            if (!typeFits(type))
                return WrongType(name);
            QByteArray bytes(static_cast<qsizetype>(size), '\0');
            DWORD got = size;
            result = RegQueryValueExW(handle_, Wide(name), nullptr, &type,
                                      reinterpret_cast<LPBYTE>(bytes.data()), &got);
            if (result == ERROR_MORE_DATA)
                continue;
            if (result != ERROR_SUCCESS)
                return FromError(result, name);
            if (!typeFits(type))
                return WrongType(name);
            bytes.truncate(static_cast<qsizetype>(got));
            return bytes;
        }
        return StoreStatus(StoreFailure::IoError, name + QStringLiteral(": keeps changing"));
    }

    HKEY handle_;
    bool writable_;
};

} // namespace

RegistrySettingsStore::RegistrySettingsStore(Root root, QString subKey)
    : root_(root)
    , subKey_(std::move(subKey)) {}

StoreResult<std::unique_ptr<SettingsKey>> RegistrySettingsStore::OpenKey(KeyAccess access) {
    HKEY root = HKEY_CURRENT_USER; // the only root the program uses
    Q_UNUSED(root_);
    HKEY handle = nullptr;
    LONG result = ERROR_SUCCESS;
    if (access == KeyAccess::ReadWriteCreate) {
        result = RegCreateKeyExW(root, Wide(subKey_), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, &handle, nullptr);
    } else {
        const REGSAM rights = access == KeyAccess::ReadOnly ? KEY_READ : KEY_READ | KEY_WRITE;
        result = RegOpenKeyExW(root, Wide(subKey_), 0, rights, &handle);
    }
    if (result == ERROR_FILE_NOT_FOUND)
        return StoreStatus(StoreFailure::KeyNotFound, subKey_ + QStringLiteral(": no such key"));
    if (result != ERROR_SUCCESS)
        return FromError(result, subKey_);
    return std::unique_ptr<SettingsKey>(
        std::make_unique<RegistryKey>(handle, access != KeyAccess::ReadOnly));
}

} // namespace quillo

#endif // Q_OS_WIN
