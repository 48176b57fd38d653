#pragma once
// The buddy nodes of one group of the contact tree by id, each id's nodes in the group's order,
// so that "the first child of the group with this id" is a hash look-up and not a walk over the
// group. The full list is not de-duplicated, so one id may have several nodes.
//
// Thread: main thread only. Owned by the tree; holds the nodes, does not own them. It stays
// true only while the group changes through the tree's own operations.

#include <QHash>
#include <QList>

#include "session/contact_id.h"

class QTreeWidgetItem;

namespace quillo {

class BuddyGroupIndex {
public:
    void clear();
    void reserve(qsizetype size) { first_.reserve(size); }

    // node was added at the end of the group.
    void append(ContactId id, QTreeWidgetItem* node);
    // node left the group.
    void remove(ContactId id, QTreeWidgetItem* node);

    // The first node of the group with id, or none.
    QTreeWidgetItem* first(ContactId id) const { return first_.value(id); }
    bool contains(ContactId id) const { return first_.contains(id); }

private:
    // Duplicates are rare: one hash entry per id, and a list only for the nodes after the
    // first, in the group's order.
    QHash<ContactId, QTreeWidgetItem*> first_;
    QHash<ContactId, QList<QTreeWidgetItem*>> later_;
};

} // namespace quillo
