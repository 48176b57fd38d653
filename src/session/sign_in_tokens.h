#pragma once
// What sign-in cuts out of the service's pages: the session's identity and tokens from the
// signed-in page, the user's picture, the channel, and the logout link. Pure functions over
// page text (ParseTokens and ChannelFromReconnect write the fields they fill into SessionState).

#include <QString>

namespace quillo {

struct SessionState;

// Fills UserId, PostFormId, Dtsg, FullName, PictureUrl and ChannelName from the signed-in page,
// each marker looked for after the previous one. Empties UserId, PostFormId, Dtsg, FullName,
// FirstName and ChannelName first; PictureUrl is only replaced when found. A channel name is
// taken only in the form "channel" and digits, since it becomes a host that gets the cookies.
void ParseTokens(const QString& page, SessionState& state);

// The text before the first space; empty when there is no space.
QString FirstWord(const QString& text);

// A script redirect on the photos page ("window.location.replace(...)"), or empty.
QString PhotosPageRedirect(const QString& page);
// The user's picture on a photos page (after any redirect has been followed), or empty.
QString PictureFromPhotosPage(const QString& page);

// The channel frame address from the home page's script, or empty (also when its host is not
// "channel" and digits, or its path holds a control character or does not start with "/").
QString ChannelFromHomePage(const QString& page, const QString& baseDomain);

// The channel name of a reconnect answer, or empty when it is not "channel" and digits; sets
// ChannelUrl when such a host and a path are both there (a path as ChannelFromHomePage takes it).
QString ChannelFromReconnect(const QString& answer, const QString& baseDomain, SessionState& state);

// The logout link of the signed-in page ("&amp;" decoded), or empty.
QString LogoutLink(const QString& page);

} // namespace quillo
