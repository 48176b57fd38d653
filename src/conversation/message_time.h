#pragma once
// The times and dates in a message's header. Local time is the computer's time zone with its
// daylight rule, as QDateTime's local time gives it.

#include <QDate>
#include <QLocale>
#include <QString>

namespace quillo {

// The local time of day of a time stamp (decimal milliseconds since 1970-01-01 00:00 UTC) as
// "h:nn am/pm": "9:05 am", "12:30 pm". Empty when the stamp is empty or not a number that
// names a representable instant, so the message is shown with a header without a time.
QString FormatMessageTime(const QString& timeStamp);

// The date of a chat log header, "dddd, mmmm dd, yyyy" with the locale's weekday and month
// names: "Wednesday, December 09, 2026".
QString FormatLogDate(QDate date, const QLocale& locale = QLocale());

} // namespace quillo
