// Feeds arbitrary bytes, decoded as the buddy worker gets its answers, through the readers of
// the friend list and the buddy list. The input up to its first NUL byte is a friend-list
// page, the rest a buddy-list answer (without a NUL, the whole input is both). Checks the
// lines against the shape the contact tree reads, MarkOnline against a plain search of the
// list for every online id, and the line reader's round trip.
#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "contacts/buddy_entry.h"
#include "contacts/buddy_list.h"
#include "fuzz_text.h"
#include "session/http_text.h"

namespace {

// The id of a full-form line as the contact tree cuts it: the second character up to the
// first ":" after it.
QStringView lineId(QStringView line) {
    const qsizetype colon = line.indexOf(u':', 1);
    return colon <= 1 ? QStringView() : line.sliced(1, colon - 1);
}

// What MarkOnline must give, found by searching the whole list for every online id.
quillo::BuddyList markedPlainly(quillo::BuddyList list, const QStringList& ids,
                                const QString& tail) {
    const qsizetype friends = list.size();
    for (qsizetype i = 0; i < friends; ++i) {
        if (!lineId(list[i]).isEmpty() && ids.contains(lineId(list[i])))
            list[i][0] = u'O';
    }
    QSet<QString> added;
    for (const QString& id : ids) {
        bool listed = added.contains(id);
        for (qsizetype i = 0; i < friends && !listed; ++i)
            listed = lineId(list[i]) == id;
        added.insert(id);
        if (listed)
            continue;
        const QString name = quillo::NameFromBuddyTail(id, tail);
        if (!name.isEmpty())
            list.append(QStringLiteral("O") + id + u':' + name);
    }
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype nul = input.indexOf('\0');
    const QString page = quillo::BodyToText(nul < 0 ? input : input.first(nul));
    const QString answer = quillo::BodyToText(nul < 0 ? input : input.sliced(nul + 1));

    quillo::BuddyList list;
    QStringList pictures;
    if (!quillo::ReadFriendPage(page, list, pictures) && (!list.isEmpty() || !pictures.isEmpty()))
        std::abort();
    for (const QString& line : list) {
        if (!line.startsWith(u'X'))
            std::abort();
    }
    // Every picture is found by its id in the packed form the session keeps (an id that starts
    // with ":" cannot be told from it, and the packing leaves out a line with a line break).
    const QByteArray packed = quillo::PackFriendPictures(pictures);
    for (const QString& picture : pictures) {
        const qsizetype colon = picture.indexOf(u':');
        if (colon > 0 && !picture.contains(u'\n') &&
            quillo::FriendPictureUrl(picture.first(colon), packed).isEmpty())
            std::abort();
    }

    const quillo::OnlineSet online = quillo::OnlineSetOf(answer);
    if (!online.found && !online.tail.isEmpty())
        std::abort();
    if (!answer.contains(online.tail))
        std::abort();
    for (const QString& id : online.ids) {
        if (id.isEmpty() || id.contains(u'"'))
            std::abort();
        if (quillo::fuzz::HasUnescapedQuote(quillo::NameFromBuddyTail(id, online.tail)))
            std::abort();
    }

    quillo::BuddyList marked = list;
    quillo::MarkOnline(marked, online.ids, online.tail);
    if (marked != markedPlainly(list, online.ids, online.tail))
        std::abort();

    // A line rebuilt from what ParseBuddyLine read reads the same again.
    const QList<quillo::BuddyEntry> entries = quillo::ParseBuddyLines(marked);
    if (entries.size() > marked.size())
        std::abort();
    for (const quillo::BuddyEntry& entry : entries) {
        const QString line = (entry.online ? QStringLiteral("O") : QStringLiteral("X")) +
                             entry.id.toText() + QStringLiteral(": ") + entry.name;
        if (!entry.id.isValid() || quillo::ParseBuddyLine(line) != entry)
            std::abort();
    }
    // The raw answer's lines as the lines of a list.
    const quillo::BuddyList lines = answer.split(u'\n');
    if (quillo::ParseBuddyLines(lines).size() > lines.size() ||
        quillo::ParseOnlineIds(lines).size() > lines.size())
        std::abort();
    return 0;
}
