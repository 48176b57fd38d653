#pragma once
// The program's own pictures, drawn at run time so that no picture file has to travel with the
// program: the two tray pictures, the application icon, the logo of the about box and the
// notices' close box.
//
// A picture for one widget is drawn at that widget's device pixel ratio (ratio): ratio times
// the pixels, marked with the ratio, so that it stays sharp on a screen scaled by 2 and takes
// the same room as at 1.
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
QPixmap DrawTrayPicture(TrayState state, qreal ratio = 1);

// The tray picture of state at 1 and at 2, for a tray on any screen.
QIcon DrawTrayIcon(TrayState state);

// The application icon, in the sizes window managers and task bars ask for.
QIcon DrawApplicationIcon();

// The program's logo, filling size: the icon followed by the product name.
QPixmap DrawProgramLogo(QSize size, qreal ratio = 1);

// The white cross of a notice's close box, 8 by 8.
QPixmap DrawCloseBox(qreal ratio);

// An empty picture of size (in the widget's units) to draw on at ratio.
QPixmap TransparentPixmap(QSize size, qreal ratio = 1);

} // namespace quillo
