#include "social/ui/bulk_recipients.h"

#include "contacts/ui/buddy_tree.h"

namespace quillo {

QList<BulkRecipient> TakeSelectedRecipients(BuddyTree& tree) {
    QList<BulkRecipient> recipients;
    const QList<QTreeWidgetItem*> selected = tree.selectedItems();
    for (qsizetype i = 0; i < selected.size() && i < kMostSelectedEntries; ++i) {
        QTreeWidgetItem* node = selected[i];
        if (BuddyTree::IsBuddyNode(node))
            recipients.append({BuddyTree::BuddyIdOf(node), node->text(0)});
        else
            node->setSelected(false);
    }
    return recipients;
}

} // namespace quillo
