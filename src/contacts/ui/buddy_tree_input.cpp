// BuddyTree: what the user does with the tree: clicks, double clicks, the context menu and its
// commands, selecting several nodes with Ctrl, and Enter.
#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <memory>

#include "contacts/ui/buddy_tree.h"
#include "contacts/ui/buddy_tree_delegate.h"

namespace quillo {

void BuddyTree::createMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const char* name, const QString& caption) {
        QAction* action = menu_->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    sendMessage_ = item("Sendmessage1", QStringLiteral("Send message"));
    recommend_ =
        item("RecommendQuilloForFaceBook1", QStringLiteral("Recommend Quillo For FaceBook"));
    writeWall_ = item("Writetouserswall1", QStringLiteral("Write to user's wall"));
    sendMail_ = item("Sendmail1", QStringLiteral("Send mail"));

    connect(sendMessage_, &QAction::triggered, this, &BuddyTree::sendMessageCommand);
    connect(recommend_, &QAction::triggered, this, &BuddyTree::recommendCommand);
    connect(writeWall_, &QAction::triggered, this, [this] { emit bulkRequested(1); });
    connect(sendMail_, &QAction::triggered, this, [this] { emit bulkRequested(2); });
    connect(this, &QTreeWidget::itemSelectionChanged, this,
            [this] { emit buddyLinksEnabled(selectionHoldsBuddy()); });
}

bool BuddyTree::selectionHoldsBuddy() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return std::any_of(selected.cbegin(), selected.cend(), IsBuddyNode);
}

void BuddyTree::PrepareContextMenu(const QPoint& p, bool addToSelection) {
    menuPoint_ = p;
    QTreeWidgetItem* node = itemAt(p);
    const bool buddy = IsBuddyNode(node);
    menuBuddy_ = buddy ? BuddyIdOf(node) : ContactId();

    // The bulk commands act on every selected buddy: a right-click on one of them keeps the
    // selection, one elsewhere starts a new one, so that no earlier right-click lingers in it.
    if (node) {
        const auto how = node->isSelected() || addToSelection ? QItemSelectionModel::Select
                                                              : QItemSelectionModel::ClearAndSelect;
        selectionModel()->setCurrentIndex(indexFromItem(node), how | QItemSelectionModel::Rows);
    }

    sendMail_->setEnabled(buddy);
    writeWall_->setEnabled(buddy);
    const bool oneOnline = buddy && node->parent() == online_ && selectedItems().size() < 2;
    sendMessage_->setEnabled(oneOnline);
    recommend_->setEnabled(oneOnline);
}

void BuddyTree::contextMenuEvent(QContextMenuEvent* event) {
    QPoint p = event->pos();
    if (event->reason() == QContextMenuEvent::Keyboard && currentItem())
        p = visualItemRect(currentItem()).center();
    PrepareContextMenu(p, event->modifiers() & Qt::ControlModifier);
    menu_->popup(viewport()->mapToGlobal(p));
    event->accept();
}

QTreeWidgetItem* BuddyTree::menuNode() const {
    // By id, not by the point: a snapshot while the menu is open may have moved other buddies
    // under it, or this one to the other group.
    if (!menuBuddy_.isValid())
        return nullptr;
    if (QTreeWidgetItem* node = FindBuddyNode(online_, menuBuddy_))
        return node;
    return FindBuddyNode(offline_, menuBuddy_);
}

void BuddyTree::sendMessageCommand() {
    OpenChatWith(menuNode());
}

void BuddyTree::recommendCommand() {
    QTreeWidgetItem* node = menuNode();
    if (!node)
        return;
    setCurrentItem(node);
    emit recommendRequested(BuddyIdOf(node), node->text(0));
}

void BuddyTree::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The selection stays as it is; the context menu decides what the click selects.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem* node = itemAt(pos);
    if (event->button() == Qt::LeftButton && node && !node->parent() &&
        (node->flags() & Qt::ItemIsEnabled) &&
        BuddyTreeDelegate::IconRect(visualItemRect(node)).contains(pos))
        node->setExpanded(!node->isExpanded()); // the group's triangle is its button
    QTreeWidget::mousePressEvent(event);
}

void BuddyTree::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
}

void BuddyTree::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event); // a group opens or closes
    if (event->button() != Qt::LeftButton)
        return;
    QTreeWidgetItem* node = itemAt(event->position().toPoint());
    if (IsBuddyNode(node) && node->parent() == online_)
        OpenChatWith(node);
}

void BuddyTree::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier)) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    QTreeWidgetItem* node = currentItem();
    if (IsBuddyNode(node) && node->parent() == online_)
        OpenChatWith(node);
    else if (node && !node->parent() && (node->flags() & Qt::ItemIsEnabled))
        node->setExpanded(!node->isExpanded()); // a group opens and closes as with its triangle
}

QItemSelectionModel::SelectionFlags BuddyTree::selectionCommand(const QModelIndex& index,
                                                                const QEvent* event) const {
    // Several nodes are picked with Ctrl only: Shift does not select ranges here.
    const auto* input = event ? dynamic_cast<const QInputEvent*>(event) : nullptr;
    if (input && (input->modifiers() & Qt::ShiftModifier)) {
        std::unique_ptr<QEvent> plain(event->clone());
        static_cast<QInputEvent*>(plain.get())
            ->setModifiers(input->modifiers() & ~Qt::ShiftModifier);
        return QTreeWidget::selectionCommand(index, plain.get());
    }
    return QTreeWidget::selectionCommand(index, event);
}

} // namespace quillo
