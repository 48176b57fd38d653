#pragma once
// The application core's own pictures, drawn here in code so that their source is this file:
// the splash, the login page's picture, the signing-in picture and the stand-in for the
// user's picture. (The icons are desktop/ui/desktop_pictures.h's.)
//
// Thread: the user-interface thread (pixmaps).

#include <QPixmap>

namespace quillo {

QPixmap SplashPicture();      // 467 x 313
QPixmap LoginPicture();       // the login page's logo
QPixmap BusyPicture();        // the signing-in panel's picture
QPixmap DefaultUserPicture(); // until the user's own picture arrives

} // namespace quillo
