#include "conversation/message_time.h"

#include <QDateTime>
#include <QTime>
#include <limits>
#include <optional>

namespace quillo {

namespace {

// Strict: an optional "-" and decimal digits only, within 64 bits. The service and our own
// clock give plain digits; anything else is treated as no time at all.
std::optional<qint64> parseMillis(const QString& text) {
    qsizetype p = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (negative)
        p = 1;
    if (p >= text.size())
        return std::nullopt;
    quint64 value = 0;
    constexpr quint64 kMax = static_cast<quint64>(std::numeric_limits<qint64>::max());
    for (; p < text.size(); ++p) {
        const char16_t u = text[p].unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        const quint64 digit = u - u'0';
        if (value > (kMax - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    const qint64 signedValue = static_cast<qint64>(value);
    return negative ? -signedValue : signedValue;
}

} // namespace

QString FormatMessageTime(const QString& timeStamp) {
    const std::optional<qint64> millis = parseMillis(timeStamp);
    if (!millis)
        return {};
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(*millis, Qt::LocalTime);
    if (!local.isValid())
        return {};
    const QTime time = local.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2 %3")
        .arg(hour12)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm"));
}

QString FormatLogDate(QDate date, const QLocale& locale) {
    return locale.toString(date, QStringLiteral("dddd, MMMM dd, yyyy"));
}

} // namespace quillo
