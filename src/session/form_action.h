#pragma once
// Turning a form's action attribute into the absolute URL the form is submitted to, the way
// the sign-in and sign-out code needs it. Plain text work, no URL parser: the results keep
// whatever the page wrote. Pure functions; any thread.

#include <QString>
#include <QStringView>

namespace quillo {

// The absolute target of a form whose action is `action`, on the page at `pageUrl` (both are
// trimmed first). Empty for an empty action.
//  - "?query": the page URL before its "?", followed by the action.
//  - A relative action (no "scheme://" at its start), after dropping one leading "./": with
//    a leading "/", page scheme + "://" + page host + action; otherwise page scheme + "://" +
//    page host + page directory + action. The scheme is "http" when the page URL has none;
//    the page's port is not carried over. Nothing left after "./" gives an empty result.
//  - Anything else is used as it stands.
// Except for "?query", the result is then cut before its fragment: the first "#" that does not
// open a character reference like "&#38;" (those are decoded later, not cut off). Every result
// is trimmed, and every "&amp;" (any case) in it becomes "&".
QString ResolveFormAction(QStringView action, QStringView pageUrl);

// The host of a URL: after "://" if any, before the first "/", "?" and ":".
QString UrlHost(QStringView url);

// The directory path of a URL, starting and ending with "/": after the host, before the first
// "?", up to and including the last "/". "/" when the URL has no path.
QString UrlDirectory(QStringView url);

} // namespace quillo
