#pragma once
// Who a bulk send goes to: the friends selected in the contact tree.
//
// Thread: the user-interface thread.

#include <QList>

#include "social/bulk_send.h"

namespace quillo {

class BuddyTree;

inline constexpr int kMostSelectedEntries = 20;

// The friends among the first kMostSelectedEntries selected entries of the tree, in the order
// they were selected. A group among them is deselected and adds nobody, but it still counts.
QList<BulkRecipient> TakeSelectedRecipients(BuddyTree& tree);

} // namespace quillo
