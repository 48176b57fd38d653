#pragma once
// BuddyNode: one buddy of the contact tree. A tree holds thousands of them, so a node keeps its
// shown name, its id and its picture in members of its own: the item's general storage costs
// two lists and a variant per value on every node. Everything that reads roles (the view, the
// delegate, BuddyTree::BuddyIdOf) sees what it saw before: the text under DisplayRole and
// EditRole, the id as a qint64 under kBuddyIdRole, the picture index under kBuddyIconRole. A
// text set after construction, and any other role (the tooltip of a cut name), is kept the
// item's general way. Screen readers get the name and the presence word of the node's group
// (Qt::AccessibleTextRole).
//
// Thread: main thread only, as the tree that owns it.

#include <QTreeWidgetItem>

#include "session/contact_id.h"

namespace quillo {

class BuddyNode final : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    // name: decoded. The node shows it as a line of bounded length; a name cut for that is whole
    // in the node's tooltip.
    BuddyNode(const QString& name, ContactId id, int icon);

    ContactId id() const { return ContactId(id_); }
    int icon() const { return icon_; }

    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant& value) override;

private:
    QString accessibleText() const;

    QString shown_; // the text until one is set; then the item keeps it
    bool ownText_ = true;
    int icon_;
    qint64 id_;
};

} // namespace quillo
