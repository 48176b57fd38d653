#include "contacts/ui/buddy_group_index.h"

namespace quillo {

void BuddyGroupIndex::clear() {
    first_.clear();
    later_.clear();
}

void BuddyGroupIndex::append(ContactId id, QTreeWidgetItem* node) {
    QTreeWidgetItem*& first = first_[id];
    if (!first)
        first = node;
    else
        later_[id].append(node);
}

void BuddyGroupIndex::remove(ContactId id, QTreeWidgetItem* node) {
    const auto found = first_.find(id);
    if (found == first_.end())
        return;
    const auto more = later_.find(id);
    if (*found == node) {
        if (more == later_.end()) {
            first_.erase(found);
            return;
        }
        *found = more->takeFirst();
    } else if (more != later_.end()) {
        more->removeOne(node);
    } else {
        return;
    }
    if (more->isEmpty())
        later_.erase(more);
}

} // namespace quillo
