#include "contacts/buddy_entry.h"

namespace quillo {

std::optional<BuddyEntry> ParseBuddyLine(const QString& line) {
    const qsizetype colon = line.indexOf(u':');
    if (colon < 2)
        return std::nullopt; // no ":", or no id after the status letter
    const ContactId id = ContactId::fromText(QStringView(line).mid(1, colon - 1));
    if (!id.isValid())
        return std::nullopt;
    qsizetype start = colon + 1;
    if (start < line.size() && line[start] == u' ')
        ++start;
    return BuddyEntry{id, line.mid(start), line.front() == u'O'};
}

QList<BuddyEntry> ParseBuddyLines(const BuddyList& lines) {
    QList<BuddyEntry> entries;
    entries.reserve(lines.size());
    for (const QString& line : lines) {
        if (std::optional<BuddyEntry> entry = ParseBuddyLine(line))
            entries.append(std::move(*entry));
    }
    return entries;
}

QList<ContactId> ParseOnlineIds(const BuddyList& lines) {
    QList<ContactId> ids;
    ids.reserve(lines.size());
    for (const QString& line : lines) {
        const ContactId id = ContactId::fromText(line);
        if (id.isValid())
            ids.append(id);
    }
    return ids;
}

} // namespace quillo
