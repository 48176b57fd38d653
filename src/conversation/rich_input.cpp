#include "conversation/rich_input.h"

#include "conversation/character_references.h"

#include <QList>
#include <QStringView>
#include <vector>

namespace quillo {

namespace {

struct Attributes {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    QString color;
    QString size;
    QString family;
    bool operator==(const Attributes&) const = default;
};

QString openingTags(const Attributes& a) {
    QString tags;
    if (a.bold)
        tags += u"<B>";
    if (a.italic)
        tags += u"<I>";
    if (a.strike)
        tags += u"<STRIKE>";
    if (a.underline)
        tags += u"<U>";
    return tags;
}

QString closingTags(const Attributes& a) {
    QString tags;
    if (a.underline)
        tags += u"</U>";
    if (a.strike)
        tags += u"</STRIKE>";
    if (a.italic)
        tags += u"</I>";
    if (a.bold)
        tags += u"</B>";
    return tags;
}

struct Tag {
    QString name; // lower case
    bool closing = false;
    bool selfClosing = false;
    std::vector<std::pair<QString, QString>> attributes; // names in lower case
    qsizetype end = 0;                                   // just after the ">"

    QString attribute(QStringView attributeName) const {
        for (const auto& [key, value] : attributes) {
            if (key == attributeName)
                return value;
        }
        return {};
    }
};

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isNameChar(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'-' || c == u':';
}

// The tag at html[at] (a "<"), or a tag with an empty name when none starts there, in which
// case the "<" is text.
Tag readTag(QStringView html, qsizetype at) {
    Tag tag;
    const qsizetype n = html.size();
    qsizetype p = at + 1;
    if (p < n && html[p] == u'/') {
        tag.closing = true;
        ++p;
    }
    const qsizetype nameStart = p;
    while (p < n && isNameChar(html[p]))
        ++p;
    if (p == nameStart)
        return {};
    tag.name = html.sliced(nameStart, p - nameStart).toString().toLower();
    while (p < n) {
        while (p < n && (isSpace(html[p]) || html[p] == u'/')) {
            tag.selfClosing = html[p] == u'/';
            ++p;
        }
        if (p >= n)
            break;
        if (html[p] == u'>') {
            tag.end = p + 1;
            return tag;
        }
        tag.selfClosing = false;
        const qsizetype keyStart = p;
        while (p < n && !isSpace(html[p]) && html[p] != u'=' && html[p] != u'>' && html[p] != u'/')
            ++p;
        QString key = html.sliced(keyStart, p - keyStart).toString().toLower();
        QString value;
        if (p < n && html[p] == u'=') {
            ++p;
            qsizetype valueStart = p;
            qsizetype valueEnd = p;
            if (p < n && (html[p] == u'"' || html[p] == u'\'')) {
                const QChar quote = html[p];
                valueStart = p + 1;
                valueEnd = html.indexOf(quote, valueStart);
                if (valueEnd < 0)
                    return {};
                p = valueEnd + 1;
            } else {
                while (p < n && !isSpace(html[p]) && html[p] != u'>')
                    ++p;
                valueEnd = p;
            }
            value = DecodeCharacterReferences(html.sliced(valueStart, valueEnd - valueStart));
        }
        if (p == keyStart)
            ++p; // a stray character where a name should be
        tag.attributes.emplace_back(std::move(key), std::move(value));
    }
    return {}; // no ">": the "<" was text
}

bool fontWeightIsBold(QStringView value) {
    if (value == u"bold" || value == u"bolder")
        return true;
    bool ok = false;
    const int weight = value.toInt(&ok);
    return ok && weight >= 600;
}

void applyStyle(Attributes& a, QStringView style) {
    for (QStringView declaration : style.split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon < 0)
            continue;
        const QString property = declaration.first(colon).trimmed().toString().toLower();
        const QString value = declaration.sliced(colon + 1).trimmed().toString();
        const QString lower = value.toLower();
        if (property == u"font-weight") {
            a.bold = fontWeightIsBold(lower);
        } else if (property == u"font-style") {
            a.italic = lower == u"italic" || lower == u"oblique";
        } else if (property == u"text-decoration") {
            a.underline = lower.contains(u"underline");
            a.strike = lower.contains(u"line-through");
        } else if (property == u"color") {
            a.color = lower;
        } else if (property == u"font-size") {
            a.size = lower;
        } else if (property == u"font-family") {
            a.family = value;
        }
    }
}

void applyTag(Attributes& a, const Tag& tag) {
    const QString& name = tag.name;
    if (name == u"b" || name == u"strong")
        a.bold = true;
    else if (name == u"i" || name == u"em")
        a.italic = true;
    else if (name == u"u" || name == u"ins")
        a.underline = true;
    else if (name == u"s" || name == u"strike" || name == u"del")
        a.strike = true;
    if (name == u"font") {
        if (const QString color = tag.attribute(u"color"); !color.isEmpty())
            a.color = color.toLower();
        if (const QString size = tag.attribute(u"size"); !size.isEmpty())
            a.size = size;
        if (const QString face = tag.attribute(u"face"); !face.isEmpty())
            a.family = face;
    }
    applyStyle(a, tag.attribute(u"style"));
}

bool isBlock(QStringView name) {
    for (QStringView block : {u"p", u"li", u"div", u"pre", u"blockquote", u"h1", u"h2", u"h3",
                              u"h4", u"h5", u"h6", u"dt", u"dd"}) {
        if (name == block)
            return true;
    }
    return false;
}

bool isVoid(QStringView name) {
    for (QStringView element : {u"br", u"img", u"hr", u"meta", u"link", u"input", u"col", u"area",
                                u"base", u"wbr", u"param", u"source"}) {
        if (name == element)
            return true;
    }
    return false;
}

// Elements whose content is never text of the input.
bool isSkipped(QStringView name) {
    return name == u"head" || name == u"style" || name == u"script" || name == u"title";
}

QString alignmentOf(const Tag& tag) {
    QString align = tag.attribute(u"align").toLower();
    if (align.isEmpty()) {
        const QString style = tag.attribute(u"style").toLower();
        for (const QString& value : {QStringLiteral("right"), QStringLiteral("center")}) {
            if (style.contains(QStringLiteral("text-align:") + value) ||
                style.contains(QStringLiteral("text-align: ") + value))
                align = value;
        }
    }
    if (align == u"right")
        return QStringLiteral("RIGHT");
    if (align == u"center")
        return QStringLiteral("CENTER");
    return QStringLiteral("LEFT");
}

class Converter {
public:
    explicit Converter(QStringView html)
        : html_(html) {}

    QString run() {
        qsizetype p = 0;
        const qsizetype body = html_.indexOf(u"<body", 0, Qt::CaseInsensitive);
        if (body >= 0) {
            const Tag tag = readTag(html_, body);
            if (!tag.name.isEmpty()) {
                applyTag(defaults_, tag);
                p = tag.end;
            }
        }
        runAttributes_ = defaults_;
        out_ = openingTags(defaults_);
        const qsizetype n = html_.size();
        while (p < n) {
            const QChar c = html_[p];
            if (c == u'<') {
                if (html_.sliced(p).startsWith(u"<!--")) {
                    const qsizetype end = html_.indexOf(u"-->", p + 4);
                    p = end < 0 ? n : end + 3;
                    continue;
                }
                if (p + 1 < n && (html_[p + 1] == u'!' || html_[p + 1] == u'?')) {
                    const qsizetype end = html_.indexOf(u'>', p);
                    p = end < 0 ? n : end + 1;
                    continue;
                }
                const Tag tag = readTag(html_, p);
                if (!tag.name.isEmpty()) {
                    if (tag.closing && (tag.name == u"body" || tag.name == u"html"))
                        break;
                    p = handleTag(tag);
                    continue;
                }
            } else if (c == u'&') {
                const CharacterReference ref = ReadCharacterReference(html_, p);
                if (ref.length > 0) {
                    for (const QChar unit : ref.units)
                        text(unit);
                    p += ref.length;
                    continue;
                }
            } else if (c == u'\r' && p + 1 < n && html_[p + 1] == u'\n') {
                ++p; // one line end
                continue;
            }
            text(c);
            ++p;
        }
        out_ += closingTags(runAttributes_);
        out_ += pending_;
        return out_;
    }

private:
    struct Element {
        QString name;
        Attributes attributes;
        QString closingTag; // written when a paragraph element was opened for it
        bool block = false;
        bool emptyParagraph = false;
    };

    const Attributes& current() const {
        return elements_.empty() ? defaults_ : elements_.back().attributes;
    }

    void startLine() {
        if (anyLine_)
            pending_ += u"<BR>";
        anyLine_ = true;
        inLine_ = true;
        lineHasText_ = false;
    }

    void write(QChar c) {
        const Attributes& a = current();
        if (a != runAttributes_) {
            out_ += closingTags(runAttributes_);
            out_ += pending_;
            out_ += openingTags(a);
            runAttributes_ = a;
        } else {
            out_ += pending_;
        }
        pending_.clear();
        // Typed "<", ">" and "&" stay characters: a typed "<b>" must not become a bold run
        // when the result is turned into markers (HtmlToMarkup turns them back).
        switch (c.unicode()) {
        case u'<':
            out_ += u"&lt;";
            break;
        case u'>':
            out_ += u"&gt;";
            break;
        case u'&':
            out_ += u"&amp;";
            break;
        default:
            out_ += c;
        }
        lineHasText_ = true;
    }

    void text(QChar c) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\v') {
            // Inside a paragraph a line end is the input's; between paragraphs it only lays
            // out the export.
            if (blocks_ > 0)
                startLine();
            return;
        }
        if (u == 0x2028 || u == 0x2029) {
            startLine();
            return;
        }
        if (!inLine_) {
            if (isSpace(c) && blocks_ == 0)
                return;
            startLine();
        }
        write(c);
    }

    qsizetype handleTag(const Tag& tag) {
        if (tag.closing) {
            closeElement(tag.name);
            return tag.end;
        }
        if (isSkipped(tag.name)) {
            const qsizetype end =
                html_.indexOf(QStringLiteral("</") + tag.name, tag.end, Qt::CaseInsensitive);
            if (end < 0)
                return html_.size();
            const qsizetype close = html_.indexOf(u'>', end);
            return close < 0 ? html_.size() : close + 1;
        }
        if (tag.name == u"br") {
            // The editor marks an empty paragraph with a <br /> that is no line of its own.
            if (emptyParagraphs_ == 0)
                startLine();
            return tag.end;
        }
        if (isVoid(tag.name) || tag.selfClosing)
            return tag.end;

        Element element;
        element.name = tag.name;
        element.attributes = current();
        applyTag(element.attributes, tag);
        if (isBlock(tag.name)) {
            element.block = true;
            element.emptyParagraph = tag.attribute(u"style").contains(u"-qt-paragraph-type:empty");
            ++blocks_;
            if (element.emptyParagraph)
                ++emptyParagraphs_;
            if (!inLine_ || lineHasText_)
                startLine();
            const QString align = alignmentOf(tag);
            const bool listItem = tag.name == u"li";
            if (listItem || align != u"LEFT") {
                const QString kind = listItem ? QStringLiteral("LI") : QStringLiteral("P");
                pending_ +=
                    u'<' + kind + QStringLiteral(" ALIGN=\"") + align + QStringLiteral("\">");
                element.closingTag = QStringLiteral("</") + kind + u'>';
            }
        }
        elements_.push_back(std::move(element));
        return tag.end;
    }

    void closeElement(const QString& name) {
        qsizetype match = static_cast<qsizetype>(elements_.size()) - 1;
        while (match >= 0 && elements_[static_cast<std::size_t>(match)].name != name)
            --match;
        if (match < 0)
            return;
        while (static_cast<qsizetype>(elements_.size()) > match) {
            const Element& e = elements_.back();
            if (e.block) {
                pending_ += e.closingTag;
                inLine_ = false;
                --blocks_;
            }
            if (e.emptyParagraph)
                --emptyParagraphs_;
            elements_.pop_back();
        }
    }

    QStringView html_;
    Attributes defaults_;
    Attributes runAttributes_;
    std::vector<Element> elements_;
    QString out_;
    QString pending_;         // line breaks and paragraph elements not yet placed between runs
    int blocks_ = 0;          // open paragraph-like elements
    int emptyParagraphs_ = 0; // open paragraphs the editor marks as empty
    bool anyLine_ = false;
    bool inLine_ = false;
    bool lineHasText_ = false;
};

} // namespace

QString RichInputToHtml(const QString& inputHtml) {
    return Converter(inputHtml).run();
}

} // namespace quillo
