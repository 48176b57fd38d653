#include "session/form_extract.h"

#include <QSet>

#include "session/form_action.h"
#include "session/html_entities.h"
#include "session/markers.h"
#include "session/pattern_search.h"

namespace quillo {

namespace {

constexpr QChar kSpace = u' ';

// The tag as GetTagAttribute reads it: \" becomes ", tab, line feed and carriage return become
// spaces, a leading "<" and the trailing run of spaces and ">" become spaces, and one space
// closes it, so every bare value ends at a space.
QString attributeText(QStringView tag) {
    QString text;
    text.reserve(tag.size() + 1);
    const qsizetype n = tag.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = tag[i].unicode();
        if (u == u'\\' && i + 1 < n && tag[i + 1] == u'"') {
            text += u'"';
            ++i;
        } else if (u == u'\t' || u == u'\n' || u == u'\r') {
            text += kSpace;
        } else {
            text += QChar(u);
        }
    }
    if (!text.isEmpty() && text[0] == u'<')
        text[0] = kSpace;
    for (qsizetype i = text.size() - 1; i >= 0 && (text[i] == kSpace || text[i] == u'>'); --i)
        text[i] = kSpace;
    text += kSpace;
    return text;
}

// A tag as the control walk reads it: every unit up to 32 is a space and the tag name (the
// units before the first space) is lower case.
QString walkedTag(QStringView tag) {
    QString text = tag.toString();
    bool inName = true;
    for (QChar& c : text) {
        if (c.unicode() <= 32) {
            c = kSpace;
            inName = false;
        } else if (inName) {
            c = QChar(AsciiLower(c.unicode()));
        }
    }
    return text;
}

QString entryName(QStringView entry) {
    return NthField(entry, kControlSeparator, 1);
}
QString entryValue(QStringView entry) {
    return NthField(entry, kControlSeparator, 2);
}

QString makeEntry(QStringView type, QStringView name, QStringView value) {
    QString entry;
    entry.reserve(type.size() + name.size() + value.size() + 2 * kControlSeparator.size());
    entry.append(type).append(kControlSeparator).append(name).append(kControlSeparator);
    entry.append(value);
    return entry;
}

QString entryType(QStringView entry) {
    const qsizetype star = entry.indexOf(u'*');
    QString type = (star < 0 ? entry : entry.first(star)).toString();
    for (QChar& c : type)
        c = QChar(AsciiLower(c.unicode()));
    return type;
}

// The controls of one form as the walk meets them, with the names already listed.
// Thread: the caller's, for one CollectFormControls call. Ownership: appends to the caller's
// list, which outlives it.
class ControlCollector {
public:
    explicit ControlCollector(QStringList& list)
        : list_(list) {
        for (const QString& entry : list_)
            names_.insert(entryName(entry));
    }

    void take(const QString& tag) {
        if (tag.startsWith(u"input ") || tag.startsWith(u"textarea ")) {
            const QString entry = DescribeFormControl(tag);
            if (!entry.isEmpty() && entryType(entry) != u"button")
                append(entry);
        } else if (tag.startsWith(u"select ")) {
            selectName_ = entryName(DescribeFormControl(tag));
            optionChosen_ = false;
            optionValue_.clear();
        } else if (tag.startsWith(u"option ")) {
            if (optionChosen_ && !ContainsNoCase(tag, u"selected"))
                return;
            optionChosen_ = true;
            optionValue_ = entryValue(DescribeFormControl(tag));
        } else if (tag.startsWith(u"/select>") || tag.startsWith(u"/select ")) {
            append(makeEntry({}, selectName_, optionValue_));
        }
    }

private:
    void append(const QString& entry) {
        const QString name = entryName(entry);
        if (names_.contains(name))
            return;
        names_.insert(name);
        list_.append(entry);
    }

    QStringList& list_;
    QSet<QString> names_;
    QString selectName_;
    QString optionValue_;
    bool optionChosen_ = false;
};

} // namespace

QString FindFormBlock(QStringView page, QStringView marker) {
    static const PatternSearcher kFormOpen(u"<form", Qt::CaseInsensitive);
    static const PatternSearcher kFormClose(u"</form", Qt::CaseInsensitive);
    for (qsizetype at = kFormOpen.indexIn(page); at >= 0;) {
        const qsizetype start = at + kFormOpen.size();
        const qsizetype next = kFormOpen.indexIn(page, start);
        QStringView block = page.sliced(start, (next < 0 ? page.size() : next) - start);
        const qsizetype close = kFormClose.indexIn(block);
        if (close > 0)
            block = block.first(close);
        if (block.contains(marker))
            return block.toString();
        at = next;
    }
    return {};
}

QString GetTagAttribute(QStringView tag, QStringView name) {
    if (tag.isEmpty())
        return {};
    const QString text = attributeText(tag);
    const qsizetype n = text.size();
    const auto skipSpaces = [&](qsizetype i) {
        while (i < n && text[i] == kSpace)
            ++i;
        return i;
    };
    qsizetype i = skipSpaces(0);
    while (i < n) {
        const qsizetype nameStart = i;
        while (i < n && text[i] != kSpace && text[i] != u'=')
            ++i;
        const QStringView attribute = QStringView(text).sliced(nameStart, i - nameStart);
        i = skipSpaces(i);
        QStringView value;
        if (i < n && text[i] == u'=') {
            i = skipSpaces(i + 1);
            if (i < n && (text[i] == u'"' || text[i] == u'\'')) {
                const QChar quote = text[i];
                const qsizetype valueStart = ++i;
                while (i < n && text[i] != quote)
                    ++i;
                value = QStringView(text).sliced(valueStart, i - valueStart);
                if (i < n)
                    ++i; // the closing quote
            } else {
                const qsizetype valueStart = i;
                while (i < n && text[i] != kSpace)
                    ++i;
                value = QStringView(text).sliced(valueStart, i - valueStart);
            }
        }
        if (EqualsNoCase(attribute, name))
            return value.toString();
        i = skipSpaces(i);
    }
    return {};
}

QString DescribeFormControl(QStringView tag) {
    if (tag.isEmpty())
        return {};
    const QString type = GetTagAttribute(tag, u"type");
    QString value = GetTagAttribute(tag, u"value");
    if (type == u"checkbox") {
        if (!ContainsNoCase(tag, u"checked"))
            return {};
        if (value.isEmpty())
            value = QStringLiteral("on");
    }
    return makeEntry(type, GetTagAttribute(tag, u"name"), value);
}

void CollectFormControls(QStringView form, QStringList& list) {
    ControlCollector collector(list);
    qsizetype pos = 0;
    for (;;) {
        const qsizetype open = form.indexOf(u'<', pos);
        if (open < 0)
            return;
        const qsizetype close = form.indexOf(u'>', open + 1);
        if (close < 0)
            return;
        collector.take(walkedTag(form.sliced(open + 1, close - open)));
        pos = close + 1;
    }
}

QString ExtractForm(QStringView form, QStringView pageUrl, QStringList& list) {
    const qsizetype close = form.indexOf(u'>');
    const QStringView openingTag = close < 0 ? form : form.first(close + 1);
    const QString action = GetTagAttribute(openingTag, u"action");
    const QString target = DecodeEntities(ResolveFormAction(action, pageUrl));
    list.clear();
    CollectFormControls(form, list);
    return target;
}

} // namespace quillo
