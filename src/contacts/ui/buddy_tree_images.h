#pragma once
// ImageList1 of the contact tree: five 12 by 12 pictures, drawn here at run time so that the
// program carries no picture files for them. A node's icon is an index into this list.

#include <QImage>
#include <QList>

namespace quillo {

enum BuddyIcon : int {
    kIconNone = -1,     // the node shows no picture
    kIconOnline = 0,    // green dot: a buddy in the Online group
    kIconOffline = 1,   // red dot: a buddy in the Offline group
    kIconCollapsed = 2, // outlined triangle pointing right: a collapsed group
    kIconExpanded = 3,  // outlined triangle pointing down: an expanded group
    kIconHidden = 4,    // grey filled triangle pointing right: the Offline group under HideOffline
};

inline constexpr int kBuddyIconSize = 12;
inline constexpr int kBuddyIconCount = 5;

// The five pictures by index, kBuddyIconSize in the tree's units drawn at its device pixel ratio
// (ratio times the pixels, marked with it). Needs no QGuiApplication (images, not pixmaps).
QList<QImage> DrawBuddyTreeImages(qreal ratio = 1);

} // namespace quillo
