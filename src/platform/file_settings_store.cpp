#include "platform/file_settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <utility>

#include "platform/settings_file_format.h"
#include "platform/variant_settings_key.h"

namespace quillo {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kOthersAccess =
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

bool ReadSettingsDevice(QIODevice& device, QSettings::SettingsMap& values) {
    values = ParseSettingsFile(device.readAll());
    return true; // a damaged line costs only its own value (see ParseSettingsFile)
}

bool WriteSettingsDevice(QIODevice& device, const QSettings::SettingsMap& values) {
    const QByteArray contents = FormatSettingsFile(values);
    return device.write(contents) == contents.size();
}

// True when nobody but the owner may use the file, narrowing it first if needed.
bool KeepOwnerOnly(const QString& path) {
    if (!(QFile::permissions(path) & kOthersAccess))
        return true;
    return QFile::setPermissions(path, kOwnerOnly) && !(QFile::permissions(path) & kOthersAccess);
}

StoreStatus CreateSettingsFile(const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return {StoreFailure::IoError, path + QStringLiteral(": cannot create its folder")};
    QFile file(path);
    // The permissions are given at creation: the file is never open to others, not even for
    // the moment before the password is written into it.
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly))
        return {};
    if (QFileInfo::exists(path))
        return {}; // made meanwhile by someone else; opened as an existing key
    return {StoreFailure::IoError, path + QStringLiteral(": ") + file.errorString()};
}

class FileKey final : public VariantSettingsKey {
public:
    FileKey(QString path, bool writable)
        : VariantSettingsKey(writable)
        , path_(std::move(path))
        , settings_(path_, FileSettingsStore::Format()) {}
    ~FileKey() override { (void)Close(); }

    StoreStatus OpenStatus() const {
        if (settings_.status() == QSettings::NoError)
            return {};
        return {StoreFailure::IoError, path_ + QStringLiteral(": cannot be read")};
    }

protected:
    StoreResult<QVariant> Fetch(const QString& name) const override {
        const std::optional<QString> key = StoredKey(name);
        return key ? settings_.value(*key) : QVariant();
    }

    StoreStatus Put(const QString& name, const QVariant& value) override {
        // An existing value keeps the spelling it was first written with, as in the registry.
        settings_.setValue(StoredKey(name).value_or(EscapeValueName(name)), value);
        dirty_ = true;
        return {};
    }

    StoreStatus Remove(const QString& name) override {
        if (const std::optional<QString> key = StoredKey(name))
            settings_.remove(*key);
        dirty_ = true;
        return {};
    }

    StoreStatus Finish() override {
        if (!dirty_)
            return {};
        settings_.sync();
        if (settings_.status() != QSettings::NoError)
            return {StoreFailure::IoError, path_ + QStringLiteral(": cannot be written")};
        // QSettings replaces the file with a new one; it should inherit the old one's
        // permissions, but the password must not depend on that.
        if (!KeepOwnerOnly(path_))
            return {StoreFailure::AccessDenied,
                    path_ + QStringLiteral(": cannot be made private to its owner")};
        return {};
    }

private:
    // The key under which QSettings holds the value named name in any spelling.
    std::optional<QString> StoredKey(const QString& name) const {
        const QString folded = FoldValueName(name);
        const QStringList keys = settings_.childKeys();
        for (const QString& key : keys) {
            if (FoldValueName(UnescapeValueName(key)) == folded)
                return key;
        }
        return std::nullopt;
    }

    QString path_;
    mutable QSettings settings_;
    bool dirty_ = false;
};

} // namespace

FileSettingsStore::FileSettingsStore(std::function<QString()> filePath)
    : filePath_(std::move(filePath)) {}

QSettings::Format FileSettingsStore::Format() {
    // QSettings matches keys without regard to case only in the registry; FileKey does its own
    // matching, so the format says what QSettings really does.
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("conf"), ReadSettingsDevice, WriteSettingsDevice, Qt::CaseSensitive);
    return format;
}

StoreResult<std::unique_ptr<SettingsKey>> FileSettingsStore::OpenKey(KeyAccess access) {
    const QString path = filePath_ ? filePath_() : QString();
    if (path.isEmpty())
        return StoreStatus(StoreFailure::IoError, QStringLiteral("no settings file location"));
    if (Format() == QSettings::InvalidFormat)
        return StoreStatus(StoreFailure::IoError, QStringLiteral("settings format unavailable"));

    if (!QFileInfo::exists(path)) {
        if (access != KeyAccess::ReadWriteCreate)
            return StoreStatus(StoreFailure::KeyNotFound, path + QStringLiteral(": no such file"));
        if (StoreStatus created = CreateSettingsFile(path); !created.ok())
            return created;
    }
    const bool writable = access != KeyAccess::ReadOnly;
    // A file made wider by hand is narrowed before anything is written into it; when that is
    // not possible, nothing is.
    if (writable && !KeepOwnerOnly(path))
        return StoreStatus(StoreFailure::AccessDenied,
                           path + QStringLiteral(": cannot be made private to its owner"));

    auto key = std::make_unique<FileKey>(path, writable);
    if (StoreStatus opened = key->OpenStatus(); !opened.ok())
        return opened;
    return std::unique_ptr<SettingsKey>(std::move(key));
}

} // namespace quillo
