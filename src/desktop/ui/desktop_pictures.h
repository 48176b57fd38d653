#pragma once
// The program's own pictures, drawn at run time so that no picture file has to travel with the
// program: the two tray pictures, the application icon and the logo of the about box.
//
// Main thread only, and only once a QGuiApplication exists (pixmaps need one).

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace quillo {

// Which picture the tray shows; the values are the indexes the dispatcher passes.
enum class TrayState : int {
    Offline = 0, // not signed in: grey figure with an orange round badge
    Online = 1,  // signed in with the contact list shown: blue figure
};

inline constexpr int kTrayPictureSize = 16;

// The 16 by 16 tray picture of state.
QPixmap DrawTrayPicture(TrayState state);

// The application icon, in the sizes window managers and task bars ask for.
QIcon DrawApplicationIcon();

// The program's logo, filling size: the icon followed by the product name.
QPixmap DrawProgramLogo(QSize size);

// An empty picture of size to draw on.
QPixmap TransparentPixmap(QSize size);

} // namespace quillo
