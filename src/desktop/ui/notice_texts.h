#pragma once
// The texts of the presence notices.

#include <QString>

namespace quillo {

class LanguageStrings;

// Notices are narrow and the label does not grow: a name longer than 20 characters keeps its
// first 19 followed by "...". A cut never splits a character that needs two UTF-16 units.
QString ShortNoticeName(const QString& name);

// The short name, a blank, then "msgOnlinenotify" or "msgOfflinenotify" (both start with a
// blank of their own, so two blanks stand between them).
QString PresenceNoticeText(const LanguageStrings& strings, const QString& name, bool online);

// The one notice that stands for those that did not fit on the screen: "N friends are online",
// with the offline ones counted after them when there are any, in the language of strings.
QString SummaryNoticeText(const LanguageStrings& strings, int online, int offline);

} // namespace quillo
