// What the user does with the contact tree: the context menu and its enabling rules, clicks,
// double clicks and selecting with Ctrl.
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

#include "buddy_tree_fixture.h"

namespace quillo::testing {
namespace {

class BuddyTreeInputTest : public BuddyTreeTest {
protected:
    QPoint pointOf(const QTreeWidgetItem* node) const {
        return tree->visualItemRect(node).center();
    }
    QPoint emptyPoint() const { return QPoint(40, tree->viewport()->height() - 3); }

    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, QPointF(pos), tree->viewport()->mapToGlobal(QPointF(pos)), button,
                          held, modifiers);
        QApplication::sendEvent(tree->viewport(), &event);
    }
    void click(QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        mouse(QEvent::MouseButtonPress, pos, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseButtonRelease, pos, Qt::LeftButton, modifiers);
    }
    void doubleClick(QPoint pos) {
        click(pos);
        mouse(QEvent::MouseButtonDblClick, pos, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, pos, Qt::LeftButton);
    }
    void rightClick(QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        mouse(QEvent::MouseButtonPress, pos, Qt::RightButton, modifiers);
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, tree->viewport()->mapToGlobal(pos),
                                modifiers);
        QApplication::sendEvent(tree->viewport(), &event);
        mouse(QEvent::MouseButtonRelease, pos, Qt::RightButton);
        tree->popupMenu()->hide();
    }
    QAction* item(const char* name) const {
        return tree->popupMenu()->findChild<QAction*>(QLatin1String(name));
    }
    // Which of Sendmessage1, RecommendQuilloForFaceBook1, Writetouserswall1, Sendmail1 are on.
    QString enabledItems() const {
        QString flags;
        for (const char* name :
             {"Sendmessage1", "RecommendQuilloForFaceBook1", "Writetouserswall1", "Sendmail1"})
            flags += item(name)->isEnabled() ? u'1' : u'0';
        return flags;
    }
};

TEST_F(BuddyTreeInputTest, TreeAndMenuCarryTheirNames) {
    EXPECT_EQ(tree->objectName(), QStringLiteral("TreeView1"));
    EXPECT_EQ(tree->popupMenu()->objectName(), QStringLiteral("PopupMenu1"));
    QStringList menu;
    for (const QAction* action : tree->popupMenu()->actions())
        menu.append(action->objectName() + u'=' + action->text());
    EXPECT_EQ(menu, (QStringList{"Sendmessage1=Send message",
                                 "RecommendQuilloForFaceBook1=Recommend Quillo For FaceBook",
                                 "Writetouserswall1=Write to user's wall", "Sendmail1=Send mail"}));
}

// Where the menu is opened: a buddy of a group (by row; row 1 is among those selected before
// when any is), a group, or below every node.
enum class Target {
    OnlineBuddy,
    SelectedOnlineBuddy,
    OfflineBuddy,
    OnlineGroup,
    OfflineGroup,
    Nothing
};

struct MenuCase {
    const char* name;
    int selectedBefore; // online buddies selected with Ctrl first (rows 1, 2, ...)
    Target target;
    const char* enabled; // Sendmessage1, RecommendQuilloForFaceBook1, Writetouserswall1, Sendmail1
    bool links;          // the recommendation links, which follow the selection
    int selectedAfter;
    bool ctrl = false; // the right-click with Ctrl held
    friend void PrintTo(const MenuCase& c, std::ostream* os) { *os << c.name; }
};

class MenuTest : public BuddyTreeInputTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(MenuTest, ItemsFollowTheNodeAndTheSelection) {
    const MenuCase& c = GetParam();
    build({"O1:Ann", "O2:Bea", "O3:Cid", "X4:Dan"});
    for (int row = 1; row <= c.selectedBefore; ++row)
        click(pointOf(online()->child(row)), Qt::ControlModifier);
    QTreeWidgetItem* node = nullptr;
    switch (c.target) {
    case Target::OnlineBuddy:
        node = online()->child(0);
        break;
    case Target::SelectedOnlineBuddy:
        node = online()->child(1);
        break;
    case Target::OfflineBuddy:
        node = offline()->child(0);
        break;
    case Target::OnlineGroup:
        node = online();
        break;
    case Target::OfflineGroup:
        node = offline();
        break;
    case Target::Nothing:
        break;
    }
    events.clear();

    rightClick(node ? pointOf(node) : emptyPoint(), c.ctrl ? Qt::ControlModifier : Qt::NoModifier);

    EXPECT_EQ(enabledItems(), QString::fromLatin1(c.enabled));
    EXPECT_EQ(tree->selectionHoldsBuddy(), c.links);
    if (!events.isEmpty()) {
        EXPECT_EQ(events.last(), c.links ? "links on" : "links off");
    }
    EXPECT_EQ(tree->selectedItems().size(), c.selectedAfter);
    if (node) {
        EXPECT_TRUE(node->isSelected());
        EXPECT_EQ(tree->currentItem(), node);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Points, MenuTest,
    ::testing::Values(
        MenuCase{"OnlineBuddy", 0, Target::OnlineBuddy, "1111", true, 1},
        // An unselected buddy becomes the selection: nothing of an earlier one lingers.
        MenuCase{"OnlineBuddyWithOneOtherSelected", 1, Target::OnlineBuddy, "1111", true, 1},
        MenuCase{"OnlineBuddyWithTwoSelected", 2, Target::OnlineBuddy, "1111", true, 1},
        // A selected one keeps the selection, for the bulk commands.
        MenuCase{"SelectedBuddyKeepsTheSelection", 2, Target::SelectedOnlineBuddy, "0011", true, 2},
        MenuCase{"CtrlAddsToTheSelection", 1, Target::OnlineBuddy, "0011", true, 2, true},
        MenuCase{"OfflineBuddy", 0, Target::OfflineBuddy, "0011", true, 1},
        MenuCase{"OnlineGroup", 0, Target::OnlineGroup, "0000", false, 1},
        MenuCase{"OfflineGroup", 1, Target::OfflineGroup, "0000", false, 1},
        MenuCase{"BelowTheNodes", 1, Target::Nothing, "0000", true, 1}),
    [](const ::testing::TestParamInfo<MenuCase>& row) { return row.param.name; });

TEST_F(BuddyTreeInputTest, MenuCommandsActOnTheBuddyTheMenuWasOpenedOn) {
    build({"O1:Ann", "O2:Bea", "X3:Cid"});
    rightClick(pointOf(online()->child(1)));
    // A snapshot while the menu is open puts Cid where Bea was.
    tree->UpdateBuddyTree(Ids({2, 3}));
    events.clear();

    item("Sendmessage1")->trigger();
    item("RecommendQuilloForFaceBook1")->trigger();
    item("Writetouserswall1")->trigger();
    item("Sendmail1")->trigger();
    EXPECT_EQ(events, (QStringList{"chat 2 Bea", "recommend 2 Bea", "bulk 1", "bulk 2"}));
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{online()->child(0)});
}

TEST_F(BuddyTreeInputTest, MenuCommandsOnAGroupDoNothing) {
    build({"O1:Ann"});
    rightClick(pointOf(online()));
    events.clear();
    item("Sendmessage1")->trigger();
    item("RecommendQuilloForFaceBook1")->trigger();
    EXPECT_TRUE(events.isEmpty()) << events.join(u'|').toStdString();
}

TEST_F(BuddyTreeInputTest, KeyboardMenuOpensOnTheCurrentNode) {
    build({"O1:Ann", "X2:Bob"});
    tree->setCurrentItem(offline()->child(0));
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1),
                            tree->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(tree->viewport(), &event);
    tree->popupMenu()->hide();
    EXPECT_EQ(enabledItems(), QStringLiteral("0011"));
}

struct DoubleClickCase {
    const char* name;
    Target target;
    QStringList events;
    friend void PrintTo(const DoubleClickCase& c, std::ostream* os) { *os << c.name; }
};

class DoubleClickTest : public BuddyTreeInputTest,
                        public ::testing::WithParamInterface<DoubleClickCase> {};

TEST_P(DoubleClickTest, OnlyOnlineBuddiesOpenAConversation) {
    const DoubleClickCase& c = GetParam();
    build({"O1:Ann", "X2:Bob"});
    QTreeWidgetItem* node = c.target == Target::OnlineBuddy    ? online()->child(0)
                            : c.target == Target::OfflineBuddy ? offline()->child(0)
                                                               : online();
    const QPoint at = pointOf(node);
    events.clear();
    doubleClick(at);
    EXPECT_EQ(events.filter(QStringLiteral("chat ")), c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Nodes, DoubleClickTest,
    ::testing::Values(DoubleClickCase{"OnlineBuddy", Target::OnlineBuddy, {"chat 1 Ann"}},
                      DoubleClickCase{"OfflineBuddy", Target::OfflineBuddy, {}},
                      DoubleClickCase{"Group", Target::OnlineGroup, {}}),
    [](const ::testing::TestParamInfo<DoubleClickCase>& row) { return row.param.name; });

TEST_F(BuddyTreeInputTest, ClickSwitchesTheRecommendationLinks) {
    build({"O1:Ann", "X2:Bob"});
    click(pointOf(offline()->child(0)));
    click(pointOf(online()));
    click(pointOf(online()->child(0)));
    click(emptyPoint());
    EXPECT_EQ(events, (QStringList{"links on", "links off", "links on", "links off"}));
}

TEST_F(BuddyTreeInputTest, SeveralNodesAreSelectedWithCtrlOnly) {
    build({"O1:Ann", "O2:Bea", "O3:Cid", "X4:Dan"});
    click(pointOf(online()->child(0)));
    click(pointOf(offline()->child(0)), Qt::ControlModifier);
    click(pointOf(online()->child(1)), Qt::ControlModifier);
    EXPECT_EQ(
        tree->selectedItems(),
        (QList<QTreeWidgetItem*>{online()->child(0), offline()->child(0), online()->child(1)}));
    click(pointOf(online()->child(2)), Qt::ShiftModifier);
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{online()->child(2)});
}

TEST_F(BuddyTreeInputTest, RightPressLeavesTheSelectionToTheMenu) {
    build({"O1:Ann", "O2:Bea"});
    click(pointOf(online()->child(0)));
    mouse(QEvent::MouseButtonPress, pointOf(online()->child(1)), Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, pointOf(online()->child(1)), Qt::RightButton);
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{online()->child(0)});
}

TEST_F(BuddyTreeInputTest, ClickOnTheTriangleOpensAndClosesAGroup) {
    build({"O1:Ann"});
    const QPoint triangle = tree->visualItemRect(online()).topLeft() + QPoint(6, 8);
    click(triangle);
    EXPECT_FALSE(online()->isExpanded());
    EXPECT_EQ(BuddyTree::IconOf(online()), 2);
    click(triangle);
    EXPECT_TRUE(online()->isExpanded());
    EXPECT_EQ(BuddyTree::IconOf(online()), 3);
}

TEST_F(BuddyTreeInputTest, ClosingAGroupDeselectsItsBuddies) {
    build({"O1:Ann", "X2:Bob"});
    click(pointOf(online()->child(0)));
    click(pointOf(offline()->child(0)), Qt::ControlModifier);
    offline()->setExpanded(false);
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{online()->child(0)});
}

TEST_F(BuddyTreeInputTest, NoticeClickOpensOnlyOnlineBuddies) {
    build({"O1:Ann", "X2:Bob"});
    tree->openChatWith(ContactId(2));
    tree->openChatWith(ContactId(9));
    tree->openChatWith(ContactId(1));
    EXPECT_EQ(events.filter(QStringLiteral("chat ")), QStringList{"chat 1 Ann"});
    EXPECT_TRUE(events.contains(QStringLiteral("links on"))) << "the links follow the selection";
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{online()->child(0)});
}

} // namespace
} // namespace quillo::testing
