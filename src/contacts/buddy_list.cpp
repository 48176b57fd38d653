#include "contacts/buddy_list.h"

#include <vector>

#include "session/marker_cursor.h"

namespace quillo {

namespace {

QString withoutSlashEscapes(QString text) {
    return text.replace(QStringLiteral("\\/"), QStringLiteral("/"));
}

} // namespace

OnlineSet OnlineSetOf(const QString& answer) {
    OnlineSet result;
    const QStringView marker = u"\"nowAvailableList\":{";
    const qsizetype start = answer.indexOf(marker);
    if (start < 0)
        return result;
    const QStringView after = QStringView(answer).mid(start + marker.size());
    const QStringView tailMarker = u"},\"wasAvailableIDs";
    const qsizetype end = after.indexOf(tailMarker);
    if (end < 0)
        return result;
    result.found = true;
    // Everything from the marker on, less the answer's last character.
    result.tail = after.mid(end).chopped(after.mid(end).isEmpty() ? 0 : 1).toString();

    QStringView set = after.first(end);
    for (;;) {
        const qsizetype quote = set.indexOf(u'"');
        if (quote < 0)
            break;
        set = set.mid(quote + 1);
        const qsizetype close = set.indexOf(u'}');
        const QStringView entry = close < 0 ? QStringView() : set.first(close);
        set = close < 0 ? QStringView() : set.mid(std::min(set.size(), close + 2));
        const qsizetype idEnd = entry.indexOf(u'"');
        if (idEnd < 0)
            break;
        if (idEnd > 0)
            result.ids.append(entry.first(idEnd).toString());
    }
    return result;
}

void MarkOnline(BuddyList& list, const QStringList& onlineIds, const QString& tail) {
    // Index the lines by id once, instead of searching the list for every online id. The keys
    // are views into the lines and into onlineIds, so nothing is written to the list until the
    // lookups are done. The lines of one id are chained through nextOfSameId.
    const qsizetype friends = list.size();
    QHash<QStringView, qsizetype> lastLineOf;
    lastLineOf.reserve(friends);
    std::vector<qsizetype> nextOfSameId(friends, -1);
    for (qsizetype i = 0; i < friends; ++i) {
        const QStringView line = list.at(i);
        const qsizetype colon = line.indexOf(u':', 1);
        if (colon <= 1)
            continue;
        const QStringView id = line.mid(1, colon - 1);
        const auto seen = lastLineOf.find(id);
        if (seen == lastLineOf.end()) {
            lastLineOf.insert(id, i);
        } else {
            nextOfSameId[i] = *seen;
            *seen = i;
        }
    }
    std::vector<bool> online(friends, false);
    QStringList added;
    for (const QString& id : onlineIds) {
        const auto found = lastLineOf.constFind(id);
        if (found != lastLineOf.constEnd()) {
            // An index past the friends is a line added below: it is online already.
            for (qsizetype i = *found; i >= 0 && i < friends; i = nextOfSameId[i])
                online[i] = true;
            continue;
        }
        const QString name = NameFromBuddyTail(id, tail);
        if (name.isEmpty())
            continue;
        // Indexed too, so an id that the set repeats finds its line instead of adding another.
        lastLineOf.insert(id, friends + added.size());
        added.append(QStringLiteral("O") + id + u':' + name);
    }
    for (qsizetype i = 0; i < friends; ++i) {
        if (online[i])
            list[i][0] = u'O';
    }
    list.append(added);
}

QString NameFromBuddyTail(const QString& id, const QString& tail) {
    if (id.isEmpty())
        return {};
    // The key's opening quote belongs to the marker: without it, "9" would find the entry of
    // "19" when that one comes first, and show another person's name.
    MarkerCursor cursor(tail);
    if (!cursor.skipPast(QString(u'"' + id + QStringLiteral("\":{\"name\":\""))))
        return {};
    return cursor.jsonString().value_or(QString());
}

bool ReadFriendPage(const QString& answer, BuddyList& list, QStringList& pictures) {
    if (!answer.contains(u"\"title\":\""))
        return false;
    MarkerCursor cursor(answer);
    using Cut = MarkerCursor::Cut;
    for (;;) {
        QString id;
        if (cursor.cut(u"\"id\":", u",", id) != Cut::Found)
            break;
        if (id.startsWith(u'"'))
            id.remove(0, 1);
        if (id.endsWith(u'"'))
            id.chop(1);
        if (!cursor.skipPast(u"\"title\":\""))
            break;
        const std::optional<QString> name = cursor.jsonString();
        if (!name)
            break;
        QString picture;
        if (cursor.cut(u"\"pic\":\"", u"\"", picture) != Cut::Found)
            break;
        picture = withoutSlashEscapes(picture);
        if (!name->isEmpty() && !id.isEmpty())
            list.append(QStringLiteral("X") + id + u':' + *name);
        if (!picture.isEmpty() && !id.isEmpty())
            pictures.append(id + u':' + picture);
    }
    return true;
}

QString FriendPictureUrl(const QString& id, const QStringList& pictures) {
    const QString prefix = id + u':';
    for (const QString& line : pictures) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return {};
}

} // namespace quillo
