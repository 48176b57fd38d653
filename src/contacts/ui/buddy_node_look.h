#pragma once
// How a node of the contact tree is written: the font style and the colour, by the node's
// place in the tree. A pure table, so that the drawing rules can be checked without painting.

#include <QColor>
#include <QPalette>

namespace quillo {

enum class BuddyNodeKind {
    OnlineBuddy,  // a child of the Online group
    OfflineBuddy, // a child of the Offline group
    OnlineGroup,
    OfflineGroup,
};

struct BuddyNodeLook {
    bool bold = false;
    bool italic = false;
    QColor colour;

    friend bool operator==(const BuddyNodeLook&, const BuddyNodeLook&) = default;
};

inline constexpr QRgb kSkyBlue = 0xA6CAF0;
inline constexpr QRgb kSilver = 0xC0C0C0;

// The look of a node of kind. A selected node is written in the palette's highlighted-text
// colour, whatever the table says; otherwise buddies take the palette's text colour.
BuddyNodeLook LookOfBuddyNode(BuddyNodeKind kind, bool hideOffline, bool selected,
                              const QPalette& palette);

} // namespace quillo
