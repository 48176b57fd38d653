#pragma once
// The application core's own pictures, drawn here in code so that their source is this file:
// the splash, the login page's picture, the signing-in picture and the stand-in for the
// user's picture. (The icons are desktop/ui/desktop_pictures.h's.) Each is drawn at the device
// pixel ratio of the widget that shows it (ratio), sharp on a screen scaled by 2.
//
// Thread: the user-interface thread (pixmaps).

#include <QPixmap>

namespace quillo {

QPixmap SplashPicture(qreal ratio);      // 467 x 313
QPixmap LoginPicture(qreal ratio);       // the login page's logo
QPixmap BusyPicture(qreal ratio);        // the signing-in panel's picture
QPixmap DefaultUserPicture(qreal ratio); // until the user's own picture arrives

} // namespace quillo
