#pragma once
// The pure rules of the banner strip: which entries of the maker's banner settings are aimed at
// the user, the sorted list of banner lines built from them, how one line splits back into its
// fields, how long a banner stays, how its picture is decoded, and which links may be opened.
//
// Thread: any; nothing is kept between calls.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillo {

struct TDemographic;

// The six targeting texts of one banner entry, as the settings document holds them.
struct BannerTargets {
    QString country;
    QString language;
    QString gender;
    QString age;
    QString education;
    QString income;
};

// True when every target admits the user: a target that reads "all" (any case, trimmed) admits
// everybody; otherwise the user's value, lower-cased, must occur in it. Female is rewritten to
// fedale on both sides so that "male" is not found inside "female", and the first "&lt;" of the
// age target reads "<". An empty user value is admitted only by "all".
bool BannerTargeted(const BannerTargets& entry, const TDemographic& user);

// The lines RANK|IMAGE|LINKTO|DURATION|TOOLTIP of the entries aimed at the user, every child
// element of the root being one entry, sorted by the whole line in the locale's collation
// without regard to case; a line that differs from an earlier one only in case is left out. A
// text that is no XML document, or has no root element, gives an empty list.
QStringList LoadBannerList(const QString& xmlText, const TDemographic& user);

struct BannerLine {
    QString address;  // the picture
    QString link;     // opened on a click
    QString duration; // minutes, the trailing "m" removed
    QString hint;     // the rest of the line; may itself hold "|"
};

// Splits a line of LoadBannerList. A missing "|" leaves its field and every later one empty.
BannerLine ParseBannerLine(const QString& line);

// A whole number of minutes, an optional trailing "m" allowed; 5 when it is no number, 0 when
// it is negative.
int BannerMinutes(const QString& duration);

// "JPEG", "GIF" or "PNG" by the extension of the address's path (a query is no part of it);
// empty for any other picture, which is not shown.
QByteArray BannerPictureFormat(const QString& address);

// A banner's link is opened in the browser only when it is an http or https address with a
// host: a settings document must not make a click run a local file or a script.
bool BannerLinkOpenable(const QString& link);

} // namespace quillo
