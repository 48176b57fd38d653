#pragma once
// The program's mark: a white speech bubble on a blue rounded square. The one drawing of it,
// shared by the icon the running program draws and the icon files made at build time for the
// desktop (resources/icon), so that both always show the same picture.
//
// Needs Qt Gui only (no application object): the build-time generator paints with it too.

#include <QPainter>

namespace quillo {

// Paints the mark into the square (0, 0, side, side) of painter's coordinates.
void DrawApplicationMark(QPainter& painter, qreal side);

} // namespace quillo
