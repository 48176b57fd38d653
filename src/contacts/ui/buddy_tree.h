#pragma once
// BuddyTree: the contact tree TreeView1 of the main window. Two top-level groups, Online first
// and Offline second, captioned with their member counts; under them one node per buddy, its
// text the decoded display name and its data the buddy's id. The tree is the running session's
// record of who is online: other windows find buddies here (FindBuddyNode) and read their group.
//
// It is fed by the session engine's reports: BuildBuddyTree with the first full list,
// UpdateBuddyTree with every presence snapshot, MarkBuddyPresence for one buddy. A long list
// is turned into nodes a slice per turn of the event loop, so that the thread stays free for
// its events; the groups join the view whole, once every node is made. Whoever asks the tree
// anything meanwhile through the operations below gets the whole list at once. Nodes are never
// sorted: a buddy who changes group goes to the end of the other group. Each group keeps an
// index by id, so a snapshot costs one look-up per id, with the same result as walking the
// group for the first node with the id; the changes of one report reach the view as one batch.
//
// What the tree asks of the rest of the program it asks through its signals, which the main
// window connects: opening a conversation, the recommendation, the bulk-send dialog (which reads
// selectedItems() itself), the presence notices, the chat tabs' presence, and the two links of
// the recommendation panel.
//
// Thread: main thread only. The tree owns its nodes, its delegate and its context menu; the
// language strings must outlive it. Nodes change only through the operations below (or clear()).

#include <QList>
#include <QPoint>
#include <QTreeWidget>
#include <functional>

#include "contacts/buddy_entry.h"
#include "contacts/ui/buddy_group_index.h"
#include "session/contact_id.h"
#include "session/worker_pool.h"

class QAction;
class QMenu;
class QTimer;

namespace quillo {

class BuddyTreeDelegate;
class LanguageStrings;

class BuddyTree final : public QTreeWidget {
    Q_OBJECT
public:
    explicit BuddyTree(const LanguageStrings& strings, QWidget* parent = nullptr);
    ~BuddyTree() override;

    // Where the name of an online id that is new to the tree comes from: the user information of
    // the buddy-list answer, still service-escaped (NameFromBuddyTail). Without it, or when it
    // gives empty text, such an id is not shown.
    void setNameLookup(std::function<QString(ContactId)> lookup) {
        nameLookup_ = std::move(lookup);
    }

    // Replaces whatever the tree holds by the two groups and contacts, in their order. Raises
    // no notices. A long list is complete when treeBuilt() comes.
    void BuildBuddyTree(const QList<BuddyEntry>& contacts);
    // True while the last list given to BuildBuddyTree is still being made into nodes.
    bool isBuilding() const { return !building_.isEmpty(); }
    // Makes the rest of a list being built at once.
    void finishBuilding();
    // Reconciles the groups with the ids online now: Online members not listed go to the end of
    // the Offline group, then for each listed id in order its first Offline node goes to the end
    // of the Online group, or, when the tree lacks it, a node is added there under the name the
    // lookup gives. Repeated ids move further nodes of the same id, if there are any.
    void UpdateBuddyTree(const QList<ContactId>& online);
    // Moves the first node of id in the other group to the end of the group online names. A
    // buddy in neither group is not added.
    void MarkBuddyPresence(ContactId id, bool online);
    // Empties the tree (a new sign-in starts).
    void clearTree();

    // The HideOffline setting: while on, the Offline group refuses to open. With the tree built,
    // also applies it at once: on collapses and disables the Offline group, off opens and
    // enables it; the first selected Online buddy stays selected.
    void ApplyHideOffline(bool hideOffline);
    bool hideOffline() const { return hideOffline_; }

    QTreeWidgetItem* onlineGroup() const;
    QTreeWidgetItem* offlineGroup() const;
    // The first child of group with id; none if there is none.
    QTreeWidgetItem* FindBuddyNode(const QTreeWidgetItem* group, ContactId id) const;
    // The first selected child of group, in the group's order; none if there is none.
    QTreeWidgetItem* FindSelectedBuddy(const QTreeWidgetItem* group) const;
    // Selects node (alone) and asks for its conversation.
    void OpenChatWith(QTreeWidgetItem* node);
    // A clicked notice: opens the conversation with id if id is in the Online group.
    void openChatWith(quillo::ContactId id);

    static bool IsBuddyNode(const QTreeWidgetItem* node) { return node && node->parent(); }
    static ContactId BuddyIdOf(const QTreeWidgetItem* node);
    // The node's picture in ImageList1 (BuddyIcon), kIconNone for none.
    static int IconOf(const QTreeWidgetItem* node);

    // PopupMenu1 and its items Sendmessage1, RecommendQuilloForFaceBook1, Writetouserswall1 and
    // Sendmail1, found by those object names.
    QMenu* popupMenu() const { return menu_; }
    // What opening the menu at p (viewport coordinates) does before it shows, as desktops do: a
    // node that is not selected becomes the selection (with addToSelection, as with Ctrl, it
    // joins it); a selected one keeps the selection as it is. Then the items are enabled for
    // the node at p and the selection.
    void PrepareContextMenu(const QPoint& p, bool addToSelection = false);
    // The selection holds at least one buddy (the bulk commands and their links act on it).
    bool selectionHoldsBuddy() const;

signals:
    // The list given to BuildBuddyTree is in the tree, whole: before BuildBuddyTree returns for
    // a short list, a few turns of the event loop later for a long one.
    void treeBuilt();
    // A conversation with the buddy is to be opened and brought to the front.
    void openChatRequested(quillo::ContactId id, const QString& name);
    // The product is to be recommended to the buddy by chat message.
    void recommendRequested(quillo::ContactId id, const QString& name);
    // The bulk-send dialog is to be opened for the selected buddies: mode 1 wall posts, mode 2
    // private messages (the menu's commands: no text filled in).
    void bulkRequested(int mode);
    // A buddy changed group (emitted after the tree shows it, in the order of the moves); the
    // main window shows a notice unless TurnOffNotify is on.
    void presenceNotice(const QString& name, quillo::ContactId id, bool online);
    // The buddy's conversation tab, if any, is to show the new presence.
    void conversationPresenceChanged(quillo::ContactId id, bool online);
    // lbSendMail and lbSendWall of the recommendation panel: enabled while the selection holds
    // a buddy (selectionHoldsBuddy), emitted whenever the selection changes.
    void buddyLinksEnabled(bool enabled);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Enter on an online buddy opens the conversation, as a double click does.
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
    void paintEvent(QPaintEvent* event) override;

private:
    struct Move {
        QTreeWidgetItem* node;
        bool online;  // the group it goes to
        bool created; // new to the tree (not in a group yet)
    };

    void createMenu();
    void ensureGroups();
    void buildSlice();
    void makeNodes(qsizetype end);
    void attachBuilt();
    // A list still being built is finished first: what the tree answers is the whole list.
    void settle() const;
    void releaseHeapWhenIdle();
    QTreeWidgetItem* newGroup(bool online) const;
    void setCaptions();
    void forgetNodes();
    void applyMoves(const QList<Move>& moves);
    void nodeExpanded(QTreeWidgetItem* node);
    void nodeCollapsed(QTreeWidgetItem* node);
    // The buddy the context menu was opened on, wherever a report has moved it since.
    QTreeWidgetItem* menuNode() const;
    void sendMessageCommand();
    void recommendCommand();

    const LanguageStrings& strings_;
    BuddyTreeDelegate* delegate_;
    QMenu* menu_ = nullptr;
    QAction* sendMessage_ = nullptr;
    QAction* recommend_ = nullptr;
    QAction* writeWall_ = nullptr;
    QAction* sendMail_ = nullptr;

    QTreeWidgetItem* online_ = nullptr;
    QTreeWidgetItem* offline_ = nullptr;
    BuddyGroupIndex onlineIndex_;
    BuddyGroupIndex offlineIndex_;
    // The list being built, how much of it is made, and the groups that take its nodes until
    // they join the view ([0] Offline, [1] Online).
    QList<BuddyEntry> building_;
    qsizetype built_ = 0;
    QTreeWidgetItem* buildingGroups_[2] = {};
    QTimer* slices_;
    std::function<QString(ContactId)> nameLookup_;
    bool hideOffline_ = false;
    QPoint menuPoint_;
    ContactId menuBuddy_;
    // Gives the heap's free pages back after a long list was taken in (GiveBackFreeHeapPages).
    WorkerPool heapRelease_{QStringLiteral("heap release"), 1};
    bool heapReleaseDue_ = false;
};

} // namespace quillo
