#pragma once
// Keeping windows on the screen: placed by their frame (title bar and borders included) within
// the screen's available area, the screen less the desktop's panels and docks.

#include <QRect>

class QWidget;

namespace quillo {

// frame moved, and made smaller where it is larger than area, so that it lies within area.
QRect fitWithin(QRect frame, QRect area);

// The available area of the screen the window is on (the primary one before it is shown).
QRect availableArea(const QWidget* window);

// Moves (and if need be shrinks) the window so that its frame lies within availableArea.
void keepOnScreen(QWidget* window);

// Puts the window's frame in the middle of availableArea, within it.
void centreOnScreen(QWidget* window);

} // namespace quillo
