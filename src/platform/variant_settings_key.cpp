#include "platform/variant_settings_key.h"

namespace quillo {

namespace {

StoreStatus ClosedKey(const QString& name) {
    return {StoreFailure::IoError, name + QStringLiteral(": the key is closed")};
}

} // namespace

bool VariantSettingsKey::ValueExists(const QString& name) const {
    if (closed_)
        return false;
    StoreResult<QVariant> found = Fetch(name);
    return found.ok() && found.value().isValid();
}

StoreResult<QVariant> VariantSettingsKey::FetchTyped(const QString& name, int typeId) const {
    if (closed_)
        return ClosedKey(name);
    StoreResult<QVariant> found = Fetch(name);
    if (!found.ok())
        return found;
    if (!found.value().isValid())
        return StoreStatus(StoreFailure::ValueNotFound, name + QStringLiteral(": no such value"));
    if (found.value().typeId() != typeId)
        return StoreStatus(StoreFailure::WrongType,
                           name + QStringLiteral(": holds a value of another type"));
    return found;
}

StoreResult<quint32> VariantSettingsKey::ReadDword(const QString& name) const {
    StoreResult<QVariant> found = FetchTyped(name, QMetaType::UInt);
    if (!found.ok())
        return {found.status(), 0U};
    return found.value().toUInt();
}

StoreResult<QString> VariantSettingsKey::ReadText(const QString& name) const {
    StoreResult<QVariant> found = FetchTyped(name, QMetaType::QString);
    if (!found.ok())
        return {found.status(), QString()};
    return found.value().toString();
}

StoreResult<QByteArray> VariantSettingsKey::ReadBinary(const QString& name) const {
    StoreResult<QVariant> found = FetchTyped(name, QMetaType::QByteArray);
    if (!found.ok())
        return {found.status(), QByteArray()};
    return found.value().toByteArray();
}

StoreStatus VariantSettingsKey::CheckWritable(const QString& name) const {
    if (closed_)
        return ClosedKey(name);
    if (!writable_)
        return {StoreFailure::AccessDenied, name + QStringLiteral(": the key is open read-only")};
    return {};
}

StoreStatus VariantSettingsKey::WriteDword(const QString& name, quint32 value) {
    StoreStatus status = CheckWritable(name);
    return status.ok() ? Put(name, QVariant::fromValue(value)) : status;
}

StoreStatus VariantSettingsKey::WriteText(const QString& name, const QString& value) {
    StoreStatus status = CheckWritable(name);
    return status.ok() ? Put(name, QVariant(value)) : status;
}

StoreStatus VariantSettingsKey::WriteBinary(const QString& name, const QByteArray& value) {
    StoreStatus status = CheckWritable(name);
    return status.ok() ? Put(name, QVariant(value)) : status;
}

StoreStatus VariantSettingsKey::DeleteValue(const QString& name) {
    StoreStatus status = CheckWritable(name);
    if (!status.ok())
        return status;
    StoreResult<QVariant> found = Fetch(name);
    if (!found.ok())
        return found.status();
    if (!found.value().isValid())
        return {StoreFailure::ValueNotFound, name + QStringLiteral(": no such value")};
    return Remove(name);
}

StoreStatus VariantSettingsKey::Close() {
    if (closed_)
        return {};
    closed_ = true;
    return Finish();
}

} // namespace quillo
