#include "contacts/buddy_list.h"

#include <QStringBuilder>
#include <optional>
#include <vector>

#include "session/marker_cursor.h"

namespace quillo {

namespace {

QString withoutSlashEscapes(QString text) {
    return text.replace(QStringLiteral("\\/"), QStringLiteral("/"));
}

// An id's number when its text is the one decimal spelling of a number that fits (ASCII digits,
// no leading zero): then equal numbers mean equal texts, and the cheap number can stand for the
// text. Nothing for any other text, which is compared as text.
std::optional<qint64> numberOf(QStringView text) {
    constexpr qsizetype kMaxDigits = 18; // always fits in a qint64
    if (text.isEmpty() || text.size() > kMaxDigits || (text.size() > 1 && text[0] == u'0'))
        return std::nullopt;
    qint64 number = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        number = number * 10 + (c.unicode() - u'0');
    }
    return number;
}

// The id of a full-form line: the text from the second character to the first ":" after it;
// empty when there is none.
QStringView idOfLine(QStringView line) {
    const qsizetype colon = line.indexOf(u':', 1);
    return colon <= 1 ? QStringView() : line.sliced(1, colon - 1);
}

// Where each id of an online set first stands in it, keyed by the id's number (or its text).
class OnlineIdIndex {
public:
    explicit OnlineIdIndex(const QStringList& ids)
        : repeat_(ids.size(), false) {
        byNumber_.reserve(ids.size());
        for (qsizetype position = 0; position < ids.size(); ++position) {
            const QStringView id = ids.at(position);
            const std::optional<qint64> number = numberOf(id);
            repeat_[position] =
                number ? !addFirst(byNumber_, *number, position) : !addFirst(byText_, id, position);
        }
    }

    // The position of the id's first occurrence in the set, or -1.
    qsizetype find(QStringView id) const {
        const std::optional<qint64> number = numberOf(id);
        return number ? byNumber_.value(*number, -1) : byText_.value(id, -1);
    }
    // Whether the id at this position of the set came earlier in the set too.
    bool isRepeat(qsizetype position) const { return repeat_[position]; }

private:
    // False when the key is there already: only its first position counts.
    template <typename Key>
    static bool addFirst(QHash<Key, qsizetype>& hash, const Key& key, qsizetype position) {
        if (hash.contains(key))
            return false;
        hash.insert(key, position);
        return true;
    }

    QHash<qint64, qsizetype> byNumber_;
    QHash<QStringView, qsizetype> byText_;
    std::vector<bool> repeat_;
};

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
    // Index the online set once and look every line up in it, instead of searching the list for
    // every online id. The lines of an id that repeats in the list are all found that way.
    if (onlineIds.isEmpty())
        return;
    const OnlineIdIndex index(onlineIds);
    std::vector<bool> hasLine(onlineIds.size(), false);
    const qsizetype friends = list.size();
    for (qsizetype i = 0; i < friends; ++i) {
        const QStringView id = idOfLine(list.at(i));
        if (id.isEmpty())
            continue;
        const qsizetype position = index.find(id);
        if (position < 0)
            continue;
        hasLine[position] = true;
        // Writing only a mark that changes spares the copy of a line that is shared.
        if (list.at(i).front() != u'O')
            list[i][0] = u'O';
    }
    for (qsizetype position = 0; position < onlineIds.size(); ++position) {
        if (hasLine[position] || index.isRepeat(position))
            continue;
        const QString& id = onlineIds.at(position);
        const QString name = NameFromBuddyTail(id, tail);
        if (!name.isEmpty())
            list.append(u'O' % id % u':' % name);
    }
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
        // Built at their exact length: appending leaves spare room, thousands of times over.
        if (!name->isEmpty() && !id.isEmpty())
            list.append(u'X' % id % u':' % *name);
        if (!picture.isEmpty() && !id.isEmpty())
            pictures.append(id % u':' % picture);
    }
    return true;
}

void ReadFriendList(const std::function<QString(int page)>& fetchPage,
                    const std::function<bool()>& stopping, BuddyList& list, QStringList& pictures) {
    QString previous;
    for (int page = 0; page < kMaxFriendPages; ++page) {
        QString answer = fetchPage(page);
        if (page > 0 && answer == previous)
            break;
        if (!ReadFriendPage(answer, list, pictures) || stopping())
            break;
        previous = std::move(answer);
    }
}

QByteArray PackFriendPictures(const QStringList& pictures) {
    QByteArray packed;
    qsizetype size = 0;
    for (const QString& line : pictures)
        size += line.size() + 1; // ASCII in practice; more is appended as needed
    packed.reserve(size);
    for (const QString& line : pictures) {
        if (line.contains(u'\n'))
            continue;
        packed += line.toUtf8();
        packed += '\n';
    }
    packed.squeeze();
    return packed;
}

QString FriendPictureUrl(const QString& id, const QByteArray& pictures) {
    const QByteArray prefix = id.toUtf8() + ':';
    const QByteArrayView all(pictures);
    for (qsizetype from = 0; from < all.size();) {
        qsizetype end = all.indexOf('\n', from);
        if (end < 0)
            end = all.size();
        const QByteArrayView line = all.sliced(from, end - from);
        if (line.startsWith(prefix))
            return QString::fromUtf8(line.sliced(prefix.size()));
        from = end + 1;
    }
    return {};
}

} // namespace quillo
