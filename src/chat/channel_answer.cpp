#include "chat/channel_answer.h"

#include "session/marker_cursor.h"

namespace quillo {

namespace {

QString valueAfter(QStringView text, QStringView marker, QStringView terminator) {
    const auto value = CutBetween(text, marker, terminator);
    return value ? *value : QString();
}

} // namespace

QString SeqOf(const QString& answer) {
    MarkerCursor cursor(answer);
    if (!cursor.skipPast(u"\"seq\":"))
        return QStringLiteral("0");
    // The number ends at whichever comes first: in {"seq":17},"x":1 the comma belongs to the
    // enclosing object, and reading up to it would give "17}", which is no number at all.
    const std::optional<QString> toComma = cursor.upTo(u",");
    const std::optional<QString> toBrace = cursor.upTo(u"}");
    if (toComma && (!toBrace || toComma->size() <= toBrace->size()))
        return *toComma;
    if (toBrace)
        return *toBrace;
    return QStringLiteral("0");
}

QString FromOf(const QString& answer) {
    const auto from = CutBetween(answer, u"\"from\":", u",");
    return from ? *from : QStringLiteral("0");
}

void ParseMessage(const QString& answer, TMSg& record) {
    MarkerCursor cursor(answer);
    if (!cursor.skipPast(u"\"text\":\""))
        return;
    // The text ends at its closing quote, which a comma follows; an escaped quote inside the
    // text (He said \"hi\", ...) does not end it.
    std::optional<QString> text = cursor.jsonString();
    if (!text || !cursor.rest().startsWith(u','))
        return;
    record.Text = std::move(*text);

    QString value;
    using Cut = MarkerCursor::Cut;
    if (cursor.cut(u"\"clientTime\":", u",", value) != Cut::Found)
        return;
    record.Time = value;
    if (cursor.cut(u"\"from\":", u",", value) != Cut::Found)
        return;
    record.FromId = value;
    if (!cursor.skipPast(u"\"from_name\":\""))
        return;
    if (std::optional<QString> name = cursor.jsonString())
        record.FromName = std::move(*name);
}

QList<ChannelItem> ChannelItems(const QString& answer) {
    QList<ChannelItem> items;
    const QStringView text(answer);
    const qsizetype list = text.indexOf(u"\"ms\":[");
    if (list < 0)
        return items;
    // Every item is an object that starts with its type; quotes inside strings are escaped,
    // so the opening of the next item cannot occur inside a message text.
    const QStringView itemStart = u"{\"type\":\"";
    qsizetype at = text.indexOf(itemStart, list);
    while (at >= 0) {
        const qsizetype next = text.indexOf(itemStart, at + itemStart.size());
        ChannelItem item;
        item.text = text.mid(at, next < 0 ? text.size() - at : next - at).toString();
        const QStringView type = QStringView(item.text).mid(itemStart.size());
        if (type.startsWith(u"msg\"")) {
            item.kind = ChannelItem::Kind::Message;
            item.messageId = valueAfter(item.text, u"\"msgID\":\"", u"\"");
            item.serviceTime = valueAfter(item.text, u"\"time\":", u",").trimmed().toLongLong();
        } else if (type.startsWith(u"typ\"")) {
            item.kind = ChannelItem::Kind::Typing;
            item.from = SenderIdOf(FromOf(item.text));
            // "st":1 while the friend types, "st":0 once the friend stopped.
            const qsizetype st = item.text.indexOf(u"\"st\":");
            item.typing = st < 0 || !QStringView(item.text).mid(st + 5).trimmed().startsWith(u'0');
        }
        items.append(item);
        at = next;
    }
    return items;
}

qint64 SenderIdOf(const QString& from) {
    bool ok = false;
    const qint64 id = from.trimmed().toLongLong(&ok);
    return ok ? id : 0;
}

} // namespace quillo
