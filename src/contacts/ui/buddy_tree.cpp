#include "contacts/ui/buddy_tree.h"

#include <QAbstractEventDispatcher>
#include <QItemSelection>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <algorithm>

#include "contacts/ui/buddy_node.h"
#include "contacts/ui/buddy_tree_delegate.h"
#include "contacts/ui/buddy_tree_images.h"
#include "conversation/text_codecs.h"
#include "platform/heap_tuning.h"
#include "prefs/language_strings.h"

namespace quillo {
namespace {

constexpr Qt::ItemFlags kNodeFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
// From this many contacts on, taking a list in leaves a megabyte or more free in the heap.
constexpr qsizetype kLargeList = 1000;
// Free heap pages go back at the latest this long after a long list was taken in.
constexpr int kHeapReleaseLatestMs = 1000;
// Nodes made per turn of the event loop: well under a millisecond's work. A list no longer is
// built at once.
constexpr qsizetype kSliceNodes = 1000;

// Holds the view's painting and its scrolling after the current item while one report's
// changes are made, so that thousands of moves reach the screen as one repaint.
class ViewBatch {
public:
    explicit ViewBatch(QTreeWidget& tree)
        : tree_(tree)
        , updates_(tree.updatesEnabled())
        , autoScroll_(tree.hasAutoScroll()) {
        tree_.setUpdatesEnabled(false);
        tree_.setAutoScroll(false);
    }
    ~ViewBatch() {
        tree_.setAutoScroll(autoScroll_);
        tree_.setUpdatesEnabled(updates_);
    }
    ViewBatch(const ViewBatch&) = delete;
    ViewBatch& operator=(const ViewBatch&) = delete;

private:
    QTreeWidget& tree_;
    bool updates_;
    bool autoScroll_;
};

} // namespace

BuddyTree::BuddyTree(const LanguageStrings& strings, QWidget* parent)
    : QTreeWidget(parent)
    , strings_(strings)
    , delegate_(new BuddyTreeDelegate(this))
    , slices_(new QTimer(this)) {
    setObjectName(QStringLiteral("TreeView1"));
    setAccessibleName(QStringLiteral("Contacts"));
    setColumnCount(1);
    setHeaderHidden(true);
    setItemDelegate(delegate_);
    setIndentation(16);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setFont(QFont(QStringLiteral("Arial"), 8));
    setContextMenuPolicy(Qt::DefaultContextMenu);
    createMenu();
    slices_->setSingleShot(true);
    slices_->setInterval(0);
    connect(slices_, &QTimer::timeout, this, &BuddyTree::buildSlice);

    connect(this, &QTreeWidget::itemExpanded, this, &BuddyTree::nodeExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &BuddyTree::nodeCollapsed);
    // clear() and taking a group away bypass the operations above: the index must not outlive
    // the nodes it points to.
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, &BuddyTree::forgetNodes);
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex& group) {
                if (!group.isValid())
                    forgetNodes();
            });
}

BuddyTree::~BuddyTree() {
    // The base class empties the model after this part of the tree is gone.
    disconnect(model(), nullptr, this, nullptr);
    for (QTreeWidgetItem* group : buildingGroups_)
        delete group; // with the nodes made so far: not in the view yet
}

QTreeWidgetItem* BuddyTree::onlineGroup() const {
    settle();
    return online_;
}

QTreeWidgetItem* BuddyTree::offlineGroup() const {
    settle();
    return offline_;
}

void BuddyTree::settle() const {
    // Only the nodes' making is put off: the tree answers as if it had been done at once.
    if (isBuilding())
        const_cast<BuddyTree*>(this)->finishBuilding();
}

ContactId BuddyTree::BuddyIdOf(const QTreeWidgetItem* node) {
    if (node && node->type() == BuddyNode::kType)
        return static_cast<const BuddyNode*>(node)->id();
    return node ? ContactId(node->data(0, kBuddyIdRole).toLongLong()) : ContactId();
}

int BuddyTree::IconOf(const QTreeWidgetItem* node) {
    if (node && node->type() == BuddyNode::kType)
        return static_cast<const BuddyNode*>(node)->icon();
    const QVariant icon = node ? node->data(0, kBuddyIconRole) : QVariant();
    return icon.isValid() ? icon.toInt() : kIconNone;
}

QTreeWidgetItem* BuddyTree::newGroup(bool online) const {
    auto* group = new QTreeWidgetItem;
    const QString presence =
        strings_.text(online ? LanguageKey::OnlineCaption : LanguageKey::OfflineCaption);
    group->setText(0, presence);
    group->setData(0, kGroupPresenceRole, presence);
    group->setFlags(kNodeFlags);
    return group;
}

void BuddyTree::setCaptions() {
    const auto caption = [this](LanguageKey key, const QTreeWidgetItem* group) {
        return strings_.text(key) + QStringLiteral(" (") + QString::number(group->childCount()) +
               u')';
    };
    offline_->setText(0, caption(LanguageKey::OfflineCaption, offline_));
    online_->setText(0, caption(LanguageKey::OnlineCaption, online_));
}

void BuddyTree::forgetNodes() {
    slices_->stop();
    for (QTreeWidgetItem*& group : buildingGroups_)
        delete std::exchange(group, nullptr);
    building_ = {};
    built_ = 0;
    online_ = nullptr;
    offline_ = nullptr;
    onlineIndex_.clear();
    offlineIndex_.clear();
    menuBuddy_ = ContactId();
}

void BuddyTree::clearTree() {
    clear();
    forgetNodes();
}

void BuddyTree::ensureGroups() {
    if (online_)
        return;
    // Only a snapshot without a full list before it gets here; the groups start bare.
    online_ = newGroup(true);
    offline_ = newGroup(false);
    addTopLevelItems({online_, offline_});
}

void BuddyTree::BuildBuddyTree(const QList<BuddyEntry>& contacts) {
    {
        ViewBatch batch(*this);
        clearTree(); // a list still being built goes with it
    }
    // Filled before they join the view: no per-node signals.
    buildingGroups_[0] = newGroup(false);
    buildingGroups_[1] = newGroup(true);
    building_ = contacts;
    if (contacts.isEmpty()) {
        attachBuilt();
        return;
    }
    const qsizetype onlineCount = std::count_if(
        contacts.cbegin(), contacts.cend(), [](const BuddyEntry& entry) { return entry.online; });
    onlineIndex_.reserve(onlineCount);
    offlineIndex_.reserve(contacts.size() - onlineCount);
    if (contacts.size() <= kSliceNodes)
        finishBuilding();
    else
        slices_->start();
}

void BuddyTree::finishBuilding() {
    if (!isBuilding())
        return;
    slices_->stop();
    makeNodes(building_.size());
    attachBuilt();
}

void BuddyTree::buildSlice() {
    makeNodes(std::min(built_ + kSliceNodes, building_.size()));
    if (built_ < building_.size())
        slices_->start();
    else
        attachBuilt();
}

void BuddyTree::makeNodes(qsizetype end) {
    QList<QTreeWidgetItem*> made[2];
    for (; built_ < end; ++built_) {
        const BuddyEntry& entry = building_.at(built_);
        QTreeWidgetItem* node = new BuddyNode(DecodeUnicodeEscapes(entry.name), entry.id,
                                              entry.online ? kIconOnline : kIconOffline);
        made[entry.online ? 1 : 0].append(node);
        (entry.online ? onlineIndex_ : offlineIndex_).append(entry.id, node);
    }
    for (int g = 0; g < 2; ++g)
        buildingGroups_[g]->addChildren(made[g]);
}

void BuddyTree::attachBuilt() {
    ViewBatch batch(*this);
    QTreeWidgetItem* online = std::exchange(buildingGroups_[1], nullptr);
    QTreeWidgetItem* offline = std::exchange(buildingGroups_[0], nullptr);
    online->setData(0, kBuddyIconRole, kIconCollapsed);
    offline->setData(0, kBuddyIconRole, kIconCollapsed);
    const bool large = building_.size() >= kLargeList;
    building_ = {}; // clear() would keep a buffer of the same size when the list is shared
    built_ = 0;
    addTopLevelItems({online, offline});
    online_ = online;
    offline_ = offline;
    setCaptions();

    offline_->setExpanded(true); // refused under HideOffline
    online_->setExpanded(true);
    selectionModel()->setCurrentIndex(indexFromItem(online_), QItemSelectionModel::NoUpdate);

    if (large) {
        // Reading and building thousands of entries leaves megabytes free between the nodes
        // that the heap keeps. They go back once the view has painted the list (or after a
        // while, if it is not shown).
        heapReleaseDue_ = true;
        QTimer::singleShot(kHeapReleaseLatestMs, this, &BuddyTree::releaseHeapWhenIdle);
    }
    emit treeBuilt();
}

void BuddyTree::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (heapReleaseDue_)
        releaseHeapWhenIdle();
}

void BuddyTree::releaseHeapWhenIdle() {
    if (!std::exchange(heapReleaseDue_, false))
        return;
    // When this thread next waits for events, a worker gives the free pages back. It holds the
    // heap's lock for milliseconds, which this thread, idle, does not notice; a paint at the
    // same time would wait for it.
    connect(
        QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock, this,
        [this] { heapRelease_.post(&GiveBackFreeHeapPages); }, Qt::SingleShotConnection);
}

void BuddyTree::UpdateBuddyTree(const QList<ContactId>& online) {
    settle();
    ensureGroups();
    const QSet<ContactId> listed(online.cbegin(), online.cend());
    QList<Move> moves;

    // Gone offline, in the Online group's order.
    const int count = online_->childCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* node = online_->child(i);
        const ContactId id = BuddyIdOf(node);
        if (listed.contains(id))
            continue;
        onlineIndex_.remove(id, node);
        offlineIndex_.append(id, node);
        moves.append({node, false, false});
    }

    // Come online, in the snapshot's order.
    for (const ContactId id : online) {
        if (QTreeWidgetItem* node = offlineIndex_.first(id)) {
            offlineIndex_.remove(id, node);
            onlineIndex_.append(id, node);
            moves.append({node, true, false});
        } else if (!onlineIndex_.contains(id)) {
            const QString name = nameLookup_ ? nameLookup_(id) : QString();
            if (name.isEmpty())
                continue; // nobody to show
            QTreeWidgetItem* added = new BuddyNode(DecodeUnicodeEscapes(name), id, kIconOnline);
            onlineIndex_.append(id, added);
            moves.append({added, true, true});
        }
    }
    applyMoves(moves);
}

void BuddyTree::MarkBuddyPresence(ContactId id, bool online) {
    settle();
    ensureGroups();
    BuddyGroupIndex& from = online ? offlineIndex_ : onlineIndex_;
    BuddyGroupIndex& to = online ? onlineIndex_ : offlineIndex_;
    QList<Move> moves;
    if (QTreeWidgetItem* node = from.first(id)) {
        from.remove(id, node);
        to.append(id, node);
        moves.append({node, online, false});
    }
    applyMoves(moves);
}

void BuddyTree::applyMoves(const QList<Move>& moves) {
    if (moves.isEmpty()) {
        setCaptions();
        return;
    }
    ViewBatch batch(*this);
    const int scroll = verticalScrollBar()->value();
    QTreeWidgetItem* current = currentItem();
    const QList<QTreeWidgetItem*> selected = selectedItems();

    QSet<QTreeWidgetItem*> moving;
    moving.reserve(moves.size());
    QList<QTreeWidgetItem*> arrivals[2]; // [0] Offline, [1] Online
    for (const Move& move : moves) {
        if (!move.created) {
            moving.insert(move.node);
            if (move.node->isSelected())
                move.node->setSelected(false); // a moved buddy is a new node of its group
        }
        arrivals[move.online ? 1 : 0].append(move.node);
    }

    // Both groups give up all their nodes and take back the ones that stay plus the arrivals:
    // two model changes per group, whatever the number of moves.
    QTreeWidgetItem* groups[2] = {offline_, online_};
    QList<QTreeWidgetItem*> members[2] = {offline_->takeChildren(), online_->takeChildren()};
    for (const Move& move : moves) // out of the view now: no change signal per node
        move.node->setData(0, kBuddyIconRole, move.online ? kIconOnline : kIconOffline);
    for (int g = 0; g < 2; ++g) {
        QList<QTreeWidgetItem*> kept;
        kept.reserve(members[g].size() + arrivals[g].size());
        for (QTreeWidgetItem* node : std::as_const(members[g])) {
            if (!moving.contains(node))
                kept.append(node);
        }
        kept += arrivals[g];
        groups[g]->addChildren(kept);
    }

    // Taking the nodes out dropped their selection; the ones that stayed get it back, in the
    // order it was made (the bulk-send dialog reads it in that order).
    QItemSelection keep;
    for (QTreeWidgetItem* node : selected) {
        if (moving.contains(node))
            continue;
        const QModelIndex index = indexFromItem(node);
        keep.select(index, index);
    }
    selectionModel()->select(keep, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (current && !moving.contains(current))
        selectionModel()->setCurrentIndex(indexFromItem(current), QItemSelectionModel::NoUpdate);
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(scroll);
    setCaptions();

    for (const Move& move : moves) {
        const ContactId id = BuddyIdOf(move.node);
        emit conversationPresenceChanged(id, move.online);
        emit presenceNotice(move.node->text(0), id, move.online);
    }
}

QTreeWidgetItem* BuddyTree::FindBuddyNode(const QTreeWidgetItem* group, ContactId id) const {
    settle();
    if (!group)
        return nullptr;
    if (group == online_)
        return onlineIndex_.first(id);
    if (group == offline_)
        return offlineIndex_.first(id);
    for (int i = 0; i < group->childCount(); ++i) {
        if (BuddyIdOf(group->child(i)) == id)
            return group->child(i);
    }
    return nullptr;
}

QTreeWidgetItem* BuddyTree::FindSelectedBuddy(const QTreeWidgetItem* group) const {
    settle();
    if (!group)
        return nullptr;
    for (int i = 0; i < group->childCount(); ++i) {
        if (group->child(i)->isSelected())
            return group->child(i);
    }
    return nullptr;
}

void BuddyTree::OpenChatWith(QTreeWidgetItem* node) {
    if (!IsBuddyNode(node))
        return;
    setCurrentItem(node);
    emit openChatRequested(BuddyIdOf(node), node->text(0));
}

void BuddyTree::openChatWith(ContactId id) {
    OpenChatWith(FindBuddyNode(online_, id));
}

void BuddyTree::ApplyHideOffline(bool hideOffline) {
    settle();
    hideOffline_ = hideOffline;
    delegate_->setHideOffline(hideOffline);
    viewport()->update();
    if (!offline_)
        return;
    QTreeWidgetItem* kept = FindSelectedBuddy(online_);
    if (hideOffline) {
        // An Offline group that was already closed keeps no picture at all.
        offline_->setData(0, kBuddyIconRole, kIconNone);
        offline_->setExpanded(false);
        offline_->setDisabled(true);
    } else {
        offline_->setData(0, kBuddyIconRole, kIconExpanded);
        offline_->setExpanded(true);
        offline_->setDisabled(false);
    }
    if (kept)
        kept->setSelected(true);
}

void BuddyTree::nodeExpanded(QTreeWidgetItem* node) {
    if (node->parent())
        return;
    if (node == offline_ && hideOffline_) {
        node->setData(0, kBuddyIconRole, kIconHidden);
        node->setExpanded(false);
        return;
    }
    node->setData(0, kBuddyIconRole, kIconExpanded);
}

void BuddyTree::nodeCollapsed(QTreeWidgetItem* node) {
    if (node->parent())
        return;
    node->setData(0, kBuddyIconRole,
                  node == offline_ && hideOffline_ ? kIconHidden : kIconCollapsed);
    // Only visible nodes stay selected: a closed group's buddies are not sent to by mistake.
    if (node->childCount() > 0) {
        const QModelIndex first = indexFromItem(node->child(0));
        const QModelIndex last = indexFromItem(node->child(node->childCount() - 1));
        selectionModel()->select(QItemSelection(first, last),
                                 QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
}

} // namespace quillo
