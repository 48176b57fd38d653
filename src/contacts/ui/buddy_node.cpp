#include "contacts/ui/buddy_node.h"

#include <QSignalBlocker>
#include <QTreeWidget>

#include "contacts/ui/buddy_tree_delegate.h"
#include "contacts/ui/buddy_tree_images.h"
#include "conversation/shown_text.h"
#include "platform/ui/plain_text.h"

#include <utility>

namespace quillo {

namespace {

bool isText(int role) {
    return role == Qt::DisplayRole || role == Qt::EditRole;
}

} // namespace

BuddyNode::BuddyNode(const QString& name, ContactId id, int icon)
    : QTreeWidgetItem(kType)
    , shown_(ShownName(name))
    , icon_(icon)
    , id_(id.value()) {
    if (IsNameCut(name))
        setToolTip(0, plainToolTip(name));
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
}

QVariant BuddyNode::data(int column, int role) const {
    if (column == 0) {
        if (isText(role) && ownText_)
            return shown_;
        if (role == kBuddyIdRole)
            return id_;
        if (role == kBuddyIconRole)
            return icon_ == kIconNone ? QVariant() : QVariant(icon_);
        if (role == Qt::AccessibleTextRole)
            return accessibleText();
    }
    return QTreeWidgetItem::data(column, role);
}

QString BuddyNode::accessibleText() const {
    // The dot that shows the presence is not read aloud: the group's word follows the name.
    const QString name = data(0, Qt::DisplayRole).toString();
    const QString presence =
        parent() ? parent()->data(0, kGroupPresenceRole).toString() : QString();
    return presence.isEmpty() ? name : name + QStringLiteral(", ") + presence;
}

void BuddyNode::setData(int column, int role, const QVariant& value) {
    if (column == 0 && isText(role) && ownText_) {
        // A text set now is the item's, which tells the view of the change.
        ownText_ = false;
        shown_ = QString();
    }
    if (column != 0 || (role != kBuddyIdRole && role != kBuddyIconRole)) {
        QTreeWidgetItem::setData(column, role, value);
        return;
    }
    if (role == kBuddyIdRole) {
        const qint64 id = value.toLongLong();
        if (id == id_)
            return;
        id_ = id;
    } else {
        const int icon = value.isValid() ? value.toInt() : kIconNone;
        if (icon == icon_)
            return;
        icon_ = icon;
    }
    if (!treeWidget())
        return; // out of a view (the tree moves its nodes so): nobody to tell
    // The item tells the view about its columns, which it counts by what it keeps itself.
    if (ownText_) {
        ownText_ = false;
        // The text stays what it was, only kept elsewhere: nothing for the view to hear.
        const QSignalBlocker quiet(treeWidget()->model());
        QTreeWidgetItem::setData(0, Qt::DisplayRole, std::exchange(shown_, QString()));
    }
    emitDataChanged();
}

} // namespace quillo
