#pragma once
// Draws every node of the contact tree itself: the selection background as the style paints
// it, the node's picture from ImageList1, and its text in the look of LookOfBuddyNode.
//
// Thread: main thread only. Owned by the tree that installs it.

#include <QImage>
#include <QList>
#include <QStyledItemDelegate>

#include "contacts/ui/buddy_node_look.h"

namespace quillo {

// Item data of the tree's nodes: a buddy's id (qint64) and every node's picture index.
inline constexpr int kBuddyIdRole = Qt::UserRole;
inline constexpr int kBuddyIconRole = Qt::UserRole + 1;
// A group's presence in the words of the language file ("Online"), which its buddies read out
// after their names to screen readers.
inline constexpr int kGroupPresenceRole = Qt::UserRole + 2;

class BuddyTreeDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit BuddyTreeDelegate(QObject* parent = nullptr);

    void setHideOffline(bool hide) { hideOffline_ = hide; }

    // The kind of the node at index: the first top-level row is the Online group.
    static BuddyNodeKind KindOf(const QModelIndex& index);
    // Where the node's picture is drawn inside its row.
    static QRect IconRect(const QRect& row);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    // Drawn again when the tree paints at another device pixel ratio (another screen).
    mutable QList<QImage> images_;
    mutable qreal imagesRatio_ = 1;
    bool hideOffline_ = false;
};

} // namespace quillo
