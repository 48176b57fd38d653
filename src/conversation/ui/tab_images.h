#pragma once
// The pictures of the chat window's tab row: a coloured dot per tab, drawn in code. Drawn at the
// tab row's device pixel ratio (ratio times the pixels, marked with it), sharp on a screen
// scaled by 2.
//
// Thread: the user-interface thread (pixmaps).

#include <QPixmap>

#include "conversation/ui/chat_tab.h"

namespace quillo {

inline constexpr int kTabImageSize = 9;

// The kTabImageSize square picture of image.
QPixmap DrawTabImage(TabImage image, qreal ratio);

} // namespace quillo
