#include "conversation/emoticons.h"

#include "session/pattern_search.h"

#include <array>
#include <vector>

namespace quillo {

namespace {

constexpr Qt::CaseSensitivity kExact = Qt::CaseSensitive;
constexpr Qt::CaseSensitivity kAnyCase = Qt::CaseInsensitive;

constexpr EmoticonRow kRows[] = {
    {u"3:) ", kExact, u"ref13.png"},      {u">:O ", kExact, u"ref19.png"},
    {u"&gt;:O ", kExact, u"ref19.png"},   {u">:( ", kExact, u"ref10.png"},
    {u"&gt;:( ", kExact, u"ref10.png"},   {u"O:) ", kExact, u"ref15.png"},
    {u":-* ", kExact, u"ref14.gif"},      {u"&circ;_&circ; ", kExact, u"ref16.png"},
    {u"^_^ ", kExact, u"ref16.png"},      {u"-_- ", kExact, u"ref17.png"},
    {u"O.o ", kExact, u"ref18.png"},      {u"<3 ", kExact, u"ref20.gif"},
    {u"&lt;3 ", kExact, u"ref20.gif"},    {u":|] ", kExact, u"ref22.png"},
    {u":wombat: ", kExact, u"ref23.png"}, {u":) ", kAnyCase, u"ref1.png"},
    {u":( ", kAnyCase, u"ref2.png"},      {u":P ", kAnyCase, u"ref3.gif"},
    {u":D ", kAnyCase, u"ref4.png"},      {u":O ", kExact, u"ref5.png"},
    {u";) ", kExact, u"ref6.png"},        {u"8) ", kAnyCase, u"ref7.png"},
    {u"B) ", kExact, u"ref8.png"},        {u":3 ", kExact, u"ref9.png"},
    {u":/ ", kExact, u"ref11.png"},       {u":'( ", kExact, u"ref12.png"},
    {u":v", kExact, u"ref21.png"},        {u"%0A", kExact, u""},
};

// For each ASCII unit, the rows whose code may start with it (bit i for row i).
const std::array<quint32, 128>& rowsByFirstUnit() {
    static const std::array<quint32, 128> masks = [] {
        std::array<quint32, 128> m{};
        for (std::size_t row = 0; row < std::size(kRows); ++row) {
            const char16_t first = kRows[row].code.front().unicode();
            m[first] |= 1u << row;
            if (kRows[row].caseSensitivity == Qt::CaseInsensitive) {
                m[AsciiLower(first)] |= 1u << row;
                if (first >= u'a' && first <= u'z')
                    m[first - (u'a' - u'A')] |= 1u << row;
            }
        }
        return m;
    }();
    return masks;
}

bool codeAt(QStringView html, qsizetype at, const EmoticonRow& row) {
    if (html.size() - at < row.code.size())
        return false;
    const QStringView candidate = html.sliced(at, row.code.size());
    return row.caseSensitivity == Qt::CaseSensitive ? candidate == row.code
                                                    : EqualsNoCase(candidate, row.code);
}

// The URL goes into a quoted attribute and then through the bold and underline markers: a
// quote or bracket would end the element early, and a "*" or "_" in a folder name would be
// taken for a marker and break the picture's path. Percent-encoding keeps the same file.
QString attributeSafeUrl(const QString& url) {
    QString out;
    out.reserve(url.size());
    for (const QChar c : url) {
        switch (c.unicode()) {
        case u'"':
            out.append(u"%22");
            break;
        case u'\'':
            out.append(u"%27");
            break;
        case u'<':
            out.append(u"%3C");
            break;
        case u'>':
            out.append(u"%3E");
            break;
        case u'&':
            out.append(u"%26");
            break;
        case u'*':
            out.append(u"%2A");
            break;
        case u'_':
            out.append(u"%5F");
            break;
        default:
            out.append(c);
        }
    }
    return out;
}

} // namespace

std::span<const EmoticonRow> EmoticonTable() {
    return kRows;
}

QString EmoticonFolderUrl(const QString& programFolder) {
    QString folder = programFolder;
    folder.replace(u'\\', u'/');
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder.append(u'/');
    return QStringLiteral("file://") + folder + QStringLiteral("Emoticons");
}

QString ApplyEmoticons(const QString& html, const QString& folderUrl) {
    const QString url = attributeSafeUrl(folderUrl);
    std::vector<QString> elements;
    elements.reserve(std::size(kRows));
    for (const EmoticonRow& row : kRows) {
        elements.push_back(row.image.isEmpty()
                               ? QStringLiteral("<Br>")
                               : QStringLiteral("<img src=\"") + url + u'/' + row.image.toString() +
                                     QStringLiteral("\"></img>"));
    }
    // One pass, left to right, the earliest row winning where several codes start at the same
    // place. For these codes that is what applying the rows one after the other gives (a code
    // that contains a shorter one comes first in the table), except that a code can no longer
    // be formed with the end of a picture already placed: "3:) :O " once made ">:O " out of
    // "</img>:O " and cut the element in two. It also keeps the time linear.
    const std::array<quint32, 128>& starts = rowsByFirstUnit();
    QString out;
    out.reserve(html.size());
    const qsizetype n = html.size();
    qsizetype copied = 0;
    int picturesLeft = kMostEmoticonPictures;
    for (qsizetype at = 0; at < n;) {
        const char16_t first = html[at].unicode();
        const quint32 candidates = first < 128 ? starts[first] : 0;
        qsizetype matched = -1;
        for (std::size_t row = 0; candidates != 0 && row < std::size(kRows) && matched < 0; ++row) {
            if ((candidates & (1u << row)) != 0 && codeAt(html, at, kRows[row]))
                matched = static_cast<qsizetype>(row);
        }
        if (matched < 0) {
            ++at;
            continue;
        }
        const bool picture = !kRows[matched].image.isEmpty();
        if (picture && picturesLeft == 0) {
            at += kRows[matched].code.size(); // the code stays as typed, as a whole
            continue;
        }
        if (picture)
            --picturesLeft;
        out.append(QStringView(html).sliced(copied, at - copied));
        out.append(elements[static_cast<std::size_t>(matched)]);
        at += kRows[matched].code.size();
        copied = at;
    }
    out.append(QStringView(html).sliced(copied));
    return out;
}

} // namespace quillo
