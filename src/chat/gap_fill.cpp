#include "chat/gap_fill.h"

#include "chat/history.h"

namespace quillo {

MissingLines FindMissingLines(const QString& historyAnswer, const QString& userId,
                              const QString& friendId,
                              const std::function<bool(const TMSg&)>& handedOn, qint64 gapStart,
                              bool shownBefore) {
    std::vector<std::unique_ptr<TMSg>> theirs;
    ParseHistory(historyAnswer, userId, {}, [&](std::unique_ptr<TMSg> record) {
        if (record->FromId == friendId)
            theirs.push_back(std::move(record));
    });

    MissingLines found;
    // The newest line handed on already: every line after it is newer than what was shown.
    qsizetype firstNew = -1;
    for (qsizetype i = qsizetype(theirs.size()) - 1; i >= 0; --i) {
        if (handedOn(*theirs[size_t(i)])) {
            firstNew = i + 1;
            found.reachesBack = true;
            break;
        }
    }
    for (qsizetype i = 0; i < qsizetype(theirs.size()); ++i) {
        std::unique_ptr<TMSg>& record = theirs[size_t(i)];
        // Lines of a burst share their millisecond: a line as old as the gap's start proves
        // nothing once lines of the friend were shown.
        if (firstNew < 0 && !shownBefore && record->ServiceTime > 0 &&
            record->ServiceTime < gapStart)
            found.reachesBack = true;
        const bool afterGapStart = firstNew >= 0 ? i >= firstNew : record->ServiceTime >= gapStart;
        if (afterGapStart && !handedOn(*record))
            found.lines.push_back(std::move(record));
    }
    return found;
}

QString HandedOnKey(const TMSg& record) {
    if (!record.MessageId.isEmpty())
        return record.MessageId;
    return record.FromId + u'\n' + record.Time + u'\n' + record.Text;
}

} // namespace quillo
