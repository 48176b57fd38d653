#include "platform/memory_settings_store.h"

#include <algorithm>

#include "platform/variant_settings_key.h"

namespace quillo {

namespace {

bool SameName(const QString& a, const QString& b) {
    return FoldValueName(a) == FoldValueName(b);
}

bool ListsName(const QStringList& names, const QString& name) {
    return std::any_of(names.cbegin(), names.cend(),
                       [&](const QString& listed) { return SameName(listed, name); });
}

StoreStatus InjectedFailure(const QString& name) {
    return {StoreFailure::IoError, name + QStringLiteral(": failure injected by the test")};
}

class MemoryKey final : public VariantSettingsKey {
public:
    MemoryKey(std::shared_ptr<MemorySettingsStore::Contents> contents, bool writable)
        : VariantSettingsKey(writable)
        , contents_(std::move(contents)) {}
    ~MemoryKey() override { (void)Close(); }

    // An injected read failure leaves the value visible to ValueExists, as a value that exists
    // but cannot be read.
    StoreResult<quint32> ReadDword(const QString& name) const override {
        if (ListsName(contents_->failingReads, name))
            return {InjectedFailure(name), 0U};
        return VariantSettingsKey::ReadDword(name);
    }
    StoreResult<QString> ReadText(const QString& name) const override {
        if (ListsName(contents_->failingReads, name))
            return {InjectedFailure(name), QString()};
        return VariantSettingsKey::ReadText(name);
    }
    StoreResult<QByteArray> ReadBinary(const QString& name) const override {
        if (ListsName(contents_->failingReads, name))
            return {InjectedFailure(name), QByteArray()};
        return VariantSettingsKey::ReadBinary(name);
    }

protected:
    StoreResult<QVariant> Fetch(const QString& name) const override {
        for (const auto& [stored, value] : contents_->values) {
            if (SameName(stored, name))
                return value;
        }
        return QVariant();
    }

    StoreStatus Put(const QString& name, const QVariant& value) override {
        if (ListsName(contents_->failingWrites, name))
            return InjectedFailure(name);
        for (auto& [stored, old] : contents_->values) {
            if (SameName(stored, name)) {
                old = value;
                return {};
            }
        }
        contents_->values.append({name, value});
        return {};
    }

    StoreStatus Remove(const QString& name) override {
        if (ListsName(contents_->failingWrites, name))
            return InjectedFailure(name);
        contents_->values.removeIf([&](const auto& entry) { return SameName(entry.first, name); });
        return {};
    }

    StoreStatus Finish() override { return {}; }

private:
    std::shared_ptr<MemorySettingsStore::Contents> contents_;
};

} // namespace

MemorySettingsStore::MemorySettingsStore()
    : contents_(std::make_shared<Contents>()) {}

StoreResult<std::unique_ptr<SettingsKey>> MemorySettingsStore::OpenKey(KeyAccess access) {
    if (contents_->failOpens)
        return StoreStatus(StoreFailure::AccessDenied, QStringLiteral("opening injected to fail"));
    if (!contents_->keyExists) {
        if (access != KeyAccess::ReadWriteCreate)
            return StoreStatus(StoreFailure::KeyNotFound, QStringLiteral("no such key"));
        contents_->keyExists = true;
    }
    return std::unique_ptr<SettingsKey>(
        std::make_unique<MemoryKey>(contents_, access != KeyAccess::ReadOnly));
}

bool MemorySettingsStore::KeyExists() const {
    return contents_->keyExists;
}

QStringList MemorySettingsStore::Names() const {
    QStringList names;
    for (const auto& entry : contents_->values)
        names.append(entry.first);
    return names;
}

void MemorySettingsStore::FailReadsOf(const QString& name) {
    contents_->failingReads.append(name);
}

void MemorySettingsStore::FailWritesOf(const QString& name) {
    contents_->failingWrites.append(name);
}

void MemorySettingsStore::FailOpens() {
    contents_->failOpens = true;
}

} // namespace quillo
