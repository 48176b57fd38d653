#include "contacts/ui/buddy_node_look.h"

namespace quillo {

BuddyNodeLook LookOfBuddyNode(BuddyNodeKind kind, bool hideOffline, bool selected,
                              const QPalette& palette) {
    BuddyNodeLook look;
    switch (kind) {
    case BuddyNodeKind::OnlineBuddy:
        look = {true, false, palette.color(QPalette::Text)};
        break;
    case BuddyNodeKind::OfflineBuddy:
        look = {false, true, palette.color(QPalette::Text)};
        break;
    case BuddyNodeKind::OfflineGroup:
        look = hideOffline ? BuddyNodeLook{false, true, QColor(kSilver)}
                           : BuddyNodeLook{true, false, QColor(kSkyBlue)};
        break;
    case BuddyNodeKind::OnlineGroup:
        look = {true, false, QColor(kSkyBlue)};
        break;
    }
    if (selected)
        look.colour = palette.color(QPalette::HighlightedText);
    return look;
}

} // namespace quillo
