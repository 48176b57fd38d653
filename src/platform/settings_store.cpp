#include "platform/settings_store.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

#include "platform/file_settings_store.h"
#include "platform/folders.h"
#ifdef Q_OS_WIN
#include "platform/registry_settings_store.h"
#endif

namespace quillo {

namespace {

// 30 December 1899, day 0 of the stored dates.
constexpr qint64 kDayCountEpochJulianDay = 2415019;
// Far beyond any date the program writes; keeps the conversion to whole days defined.
constexpr double kLargestDayCount = 1.0e7;

} // namespace

StoreResult<bool> SettingsKey::ReadFlag(const QString& name) const {
    StoreResult<quint32> raw = ReadDword(name);
    if (!raw.ok())
        return {raw.status(), false};
    return raw.value() != 0;
}

StoreStatus SettingsKey::WriteFlag(const QString& name, bool value) {
    return WriteDword(name, value ? 1U : 0U);
}

StoreResult<qint32> SettingsKey::ReadInteger(const QString& name) const {
    StoreResult<quint32> raw = ReadDword(name);
    if (!raw.ok())
        return {raw.status(), 0};
    return static_cast<qint32>(raw.value());
}

StoreStatus SettingsKey::WriteInteger(const QString& name, qint32 value) {
    return WriteDword(name, static_cast<quint32>(value));
}

StoreResult<QDate> SettingsKey::ReadDate(const QString& name) const {
    StoreResult<QByteArray> raw = ReadBinary(name);
    if (!raw.ok())
        return {raw.status(), QDate()};
    std::optional<QDate> date = DecodeDayCount(raw.value());
    if (!date)
        return {StoreStatus(StoreFailure::WrongType, name + QStringLiteral(": not a date")),
                QDate()};
    return *date;
}

StoreStatus SettingsKey::WriteDate(const QString& name, QDate value) {
    if (!value.isValid())
        return {StoreFailure::WrongType, name + QStringLiteral(": not a valid date")};
    return WriteBinary(name, EncodeDayCount(value));
}

QString FoldValueName(const QString& name) {
    return name.toCaseFolded();
}

QByteArray EncodeDayCount(QDate date) {
    const double days = static_cast<double>(date.toJulianDay() - kDayCountEpochJulianDay);
    quint64 bits = 0;
    static_assert(sizeof bits == sizeof days);
    std::memcpy(&bits, &days, sizeof bits);
    QByteArray bytes(8, '\0');
    qToLittleEndian(bits, bytes.data());
    return bytes;
}

std::optional<QDate> DecodeDayCount(const QByteArray& bytes) {
    if (bytes.size() != 8)
        return std::nullopt;
    const quint64 bits = qFromLittleEndian<quint64>(bytes.constData());
    double days = 0;
    std::memcpy(&days, &bits, sizeof days);
    if (!std::isfinite(days) || std::fabs(days) > kLargestDayCount)
        return std::nullopt;
    // The whole-day part counts toward zero, as the date-time format this mirrors defines it
    // for days before the epoch.
    const auto whole = static_cast<qint64>(std::trunc(days));
    return QDate::fromJulianDay(kDayCountEpochJulianDay + whole);
}

std::unique_ptr<SettingsStore> CreateUserSettingsStore() {
#ifdef Q_OS_WIN
    return std::make_unique<RegistrySettingsStore>(
        RegistrySettingsStore::Root::CurrentUser, QStringLiteral("Software\\Rezidezo Zori Ruziva"));
#else
    return std::make_unique<FileSettingsStore>([] { return SettingsFilePath(); });
#endif
}

} // namespace quillo
