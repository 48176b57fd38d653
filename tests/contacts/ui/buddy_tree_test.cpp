// The contact tree's groups: building from the full list, reconciling presence snapshots,
// single moves, HideOffline, and the id index against a plain walk over the groups.
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <random>

#include "buddy_tree_fixture.h"
#include "contacts/ui/buddy_tree_delegate.h"
#include "contacts/ui/buddy_tree_images.h"
#include "conversation/shown_text.h"
#include "conversation/text_codecs.h"
#include "platform/ui/plain_text.h"

namespace quillo::testing {
namespace {

using namespace Qt::StringLiterals;

// ---- Building ----------------------------------------------------------------------------

struct BuildCase {
    const char* name;
    QStringList lines;
    QStringList online;
    QStringList offline;
    friend void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.name; }
};

class BuildTest : public BuddyTreeTest, public ::testing::WithParamInterface<BuildCase> {};

TEST_P(BuildTest, GroupsHoldTheListInItsOrder) {
    const BuildCase& c = GetParam();
    tree->BuildBuddyTree(ParseBuddyLines(c.lines));

    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(Members(online()), c.online);
    EXPECT_EQ(Members(offline()), c.offline);
    EXPECT_EQ(online()->text(0), QStringLiteral("Online (%1)").arg(c.online.size()));
    EXPECT_EQ(offline()->text(0), QStringLiteral("Offline (%1)").arg(c.offline.size()));
    for (int i = 0; i < online()->childCount(); ++i)
        EXPECT_EQ(BuddyTree::IconOf(online()->child(i)), kIconOnline);
    for (int i = 0; i < offline()->childCount(); ++i)
        EXPECT_EQ(BuddyTree::IconOf(offline()->child(i)), kIconOffline);
    EXPECT_TRUE(online()->isExpanded());
    EXPECT_TRUE(offline()->isExpanded());
    EXPECT_EQ(BuddyTree::IconOf(online()), kIconExpanded);
    EXPECT_EQ(BuddyTree::IconOf(offline()), kIconExpanded);
    EXPECT_EQ(tree->currentItem(), online());
    EXPECT_TRUE(tree->selectedItems().isEmpty());
    EXPECT_TRUE(events.isEmpty()) << events.join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Lists, BuildTest,
    ::testing::Values(
        BuildCase{"AnnOnlineBobOffline", {"O1:Ann", "X2: Bob"}, {"1:Ann"}, {"2:Bob"}},
        BuildCase{"NeverSorted",
                  {"X30:Zed", "O20:Yan", "X10:Abe", "O5:Bea"},
                  {"20:Yan", "5:Bea"},
                  {"30:Zed", "10:Abe"}},
        BuildCase{"NamesDecoded",
                  {"O7:Caf\\u00e9 \\u4e2d", "X8:\\u0041nn\\u00"},
                  {u"7:Café 中"_s},
                  {"8:Ann\\u00"}},
        BuildCase{"OnlyOneLeadingBlankGoes",
                  {"X8:  Two", "X9: ", "O10:Tail "},
                  {"10:Tail "},
                  {"8: Two", "9:"}},
        BuildCase{"UnreadableLinesSkipped",
                  {"no colon", ":5", "O:x", "Oabc:Name", "O4:Kept"},
                  {"4:Kept"},
                  {}},
        BuildCase{"AnyOtherLetterIsOffline", {"Z4:Zoe", "o5:Lower"}, {}, {"4:Zoe", "5:Lower"}},
        BuildCase{"DuplicatesBothShown",
                  {"O3:Dup", "O3:Dup again", "X3:Dup offline"},
                  {"3:Dup", "3:Dup again"},
                  {"3:Dup offline"}},
        BuildCase{"LargeIds", {"O100000123456789:Big"}, {"100000123456789:Big"}, {}},
        BuildCase{"Empty", {}, {}, {}}),
    [](const ::testing::TestParamInfo<BuildCase>& row) { return row.param.name; });

// A buddy's node keeps its values its own way; the view, the delegate and the other windows read
// them through the model as from any item, and a value changed on a shown tree reaches the view.
TEST_F(BuddyTreeTest, NodesAnswerThroughTheModelAndTellTheViewOfChanges) {
    const QString longName(kLongestShownName + 20, u'n');
    build({"O7:Ann", "X100000123456789:" + longName});
    const QAbstractItemModel* model = tree->model();
    const QModelIndex ann = model->index(0, 0, model->index(0, 0));
    const QModelIndex far = model->index(0, 0, model->index(1, 0));
    EXPECT_EQ(ann.data(Qt::DisplayRole).toString(), u"Ann"_s);
    EXPECT_EQ(ann.data(Qt::EditRole).toString(), u"Ann"_s);
    EXPECT_EQ(ann.data(kBuddyIdRole).toLongLong(), 7);
    EXPECT_EQ(ann.data(kBuddyIconRole).toInt(), kIconOnline);
    EXPECT_FALSE(ann.data(Qt::ToolTipRole).isValid());
    EXPECT_EQ(model->flags(ann),
              Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
    EXPECT_EQ(far.data(kBuddyIdRole).toLongLong(), 100000123456789);
    EXPECT_EQ(far.data(kBuddyIconRole).toInt(), kIconOffline);
    EXPECT_EQ(far.data(Qt::DisplayRole).toString(), ShownName(longName));
    EXPECT_EQ(far.data(Qt::ToolTipRole).toString(), plainToolTip(longName));

    QList<QTreeWidgetItem*> changed;
    QObject::connect(tree.get(), &QTreeWidget::itemChanged,
                     [&changed](QTreeWidgetItem* item, int) { changed.append(item); });
    QTreeWidgetItem* node = online()->child(0);
    node->setData(0, kBuddyIconRole, kIconOffline);
    EXPECT_EQ(ann.data(kBuddyIconRole).toInt(), kIconOffline);
    EXPECT_EQ(ann.data(Qt::DisplayRole).toString(), u"Ann"_s);
    node->setText(0, u"Anna"_s);
    EXPECT_EQ(ann.data(Qt::DisplayRole).toString(), u"Anna"_s);
    node->setData(0, kBuddyIconRole, QVariant());
    EXPECT_EQ(BuddyTree::IconOf(node), kIconNone);
    EXPECT_FALSE(ann.data(kBuddyIconRole).isValid());
    node->setData(0, kBuddyIconRole, QVariant()); // no change: nothing to tell
    EXPECT_EQ(changed, (QList<QTreeWidgetItem*>{node, node, node}));
    EXPECT_EQ(BuddyTree::BuddyIdOf(node), ContactId(7));
    EXPECT_EQ(node->text(0), u"Anna"_s);
}

TEST_F(BuddyTreeTest, BuildingAgainReplacesTheTree) {
    build({"O1:Ann", "X2:Bob"});
    tree->BuildBuddyTree(ParseBuddyLines({"X3:Cid"}));
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(Members(online()), QStringList());
    EXPECT_EQ(Members(offline()), QStringList{"3:Cid"});
    EXPECT_EQ(tree->FindBuddyNode(online(), ContactId(1)), nullptr);
}

// ---- A long list, built a slice per turn ------------------------------------------------

// 2,500 friends, every tenth online: more than one slice.
QList<BuddyEntry> longList() {
    QStringList lines;
    for (int i = 1; i <= 2500; ++i)
        lines.append((i % 10 == 0 ? u"O"_s : u"X"_s) + QString::number(i) + u":N\\u00e9"_s +
                     QString::number(i));
    return ParseBuddyLines(lines);
}

// What a tree holds, both groups with their captions and what the view shows of them.
QStringList Whole(BuddyTree& tree) {
    QStringList whole = {tree.onlineGroup()->text(0), tree.offlineGroup()->text(0)};
    whole += Members(tree.onlineGroup());
    whole += Members(tree.offlineGroup());
    whole.append(QString::number(tree.topLevelItemCount()));
    whole.append(tree.onlineGroup()->isExpanded() ? u"open"_s : u"closed"_s);
    whole.append(tree.currentItem() == tree.onlineGroup() ? u"current"_s : u"other"_s);
    return whole;
}

TEST_F(BuddyTreeTest, ALongListJoinsTheViewWholeAfterSomeTurns) {
    int built = 0;
    QObject::connect(tree.get(), &BuddyTree::treeBuilt, [&built] { ++built; });
    tree->BuildBuddyTree(longList());
    EXPECT_TRUE(tree->isBuilding());
    EXPECT_EQ(tree->topLevelItemCount(), 0); // no node shown before every one is made
    EXPECT_EQ(built, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tree->isBuilding(); }));
    EXPECT_EQ(built, 1);
    const QStringList whole = Whole(*tree);
    ASSERT_EQ(whole.size(), 2 + 2500 + 3);
    EXPECT_EQ(whole.at(0), u"Online (250)"_s);
    EXPECT_EQ(whole.at(2), u"10:Né10"_s);
    EXPECT_EQ(whole.at(2 + 250), u"1:Né1"_s);
    EXPECT_TRUE(events.isEmpty()) << events.join(u'|').toStdString();
}

// Whatever is asked of the tree while it builds, the answer is the whole list's, as if the
// tree had been built at once; a new list or a clearing drops what was left of the old one.
TEST_F(BuddyTreeTest, WhileALongListBuildsTheTreeAnswersForTheWholeList) {
    const QList<BuddyEntry> list = longList();
    BuddyTree reference(strings);
    reference.setNameLookup([](ContactId id) { return u"Tail "_s + id.toText(); });
    tree->setNameLookup([](ContactId id) { return u"Tail "_s + id.toText(); });
    const QList<ContactId> snapshot = Ids({3, 20, 4000, 7});

    const struct {
        const char* name;
        std::function<void(BuddyTree&)> ask;
    } cases[] = {
        {"online group", [](BuddyTree& t) { t.onlineGroup(); }},
        {"find", [](BuddyTree& t) { t.FindBuddyNode(t.offlineGroup(), ContactId(2499)); }},
        {"selected", [](BuddyTree& t) { t.FindSelectedBuddy(t.onlineGroup()); }},
        {"snapshot", [&snapshot](BuddyTree& t) { t.UpdateBuddyTree(snapshot); }},
        {"mark", [](BuddyTree& t) { t.MarkBuddyPresence(ContactId(5), true); }},
        {"hide offline", [](BuddyTree& t) { t.ApplyHideOffline(true); }},
        {"finish", [](BuddyTree& t) { t.finishBuilding(); }},
    };
    for (const auto& c : cases) {
        reference.ApplyHideOffline(false);
        tree->ApplyHideOffline(false);
        reference.BuildBuddyTree(list);
        reference.finishBuilding();
        c.ask(reference);

        tree->BuildBuddyTree(list);
        QCoreApplication::processEvents(); // a slice or so made
        ASSERT_TRUE(tree->isBuilding()) << c.name;
        c.ask(*tree);
        EXPECT_FALSE(tree->isBuilding()) << c.name;
        EXPECT_EQ(Whole(*tree), Whole(reference)) << c.name;
    }

    tree->BuildBuddyTree(list);
    tree->BuildBuddyTree(ParseBuddyLines({"O1:Ann"}));
    EXPECT_FALSE(tree->isBuilding());
    tree->BuildBuddyTree(list);
    tree->clearTree();
    EXPECT_FALSE(tree->isBuilding());
    QTest::qWait(50);
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    tree->BuildBuddyTree(list);
    tree.reset(); // the nodes made so far go with it
}

TEST_F(BuddyTreeTest, CaptionsFollowTheLanguage) {
    strings.setText(LanguageKey::OnlineCaption, QStringLiteral("En ligne"));
    strings.setText(LanguageKey::OfflineCaption, QStringLiteral("Hors ligne"));
    build({"O1:Ann", "O2:Bob", "X3:Cid"});
    EXPECT_EQ(online()->text(0), QStringLiteral("En ligne (2)"));
    EXPECT_EQ(offline()->text(0), QStringLiteral("Hors ligne (1)"));
}

// ---- Presence snapshots ------------------------------------------------------------------

struct SnapshotCase {
    const char* name;
    QStringList lines;
    QList<ContactId> snapshot;
    QHash<qint64, QString> names;
    QStringList online;
    QStringList offline;
    QStringList notices;
    friend void PrintTo(const SnapshotCase& c, std::ostream* os) { *os << c.name; }
};

class SnapshotTest : public BuddyTreeTest, public ::testing::WithParamInterface<SnapshotCase> {};

TEST_P(SnapshotTest, MovesAndNotices) {
    const SnapshotCase& c = GetParam();
    names = c.names;
    build(c.lines);
    tree->UpdateBuddyTree(c.snapshot);

    EXPECT_EQ(Members(online()), c.online);
    EXPECT_EQ(Members(offline()), c.offline);
    EXPECT_EQ(notices(), c.notices);
    EXPECT_EQ(online()->text(0), QStringLiteral("Online (%1)").arg(c.online.size()));
    EXPECT_EQ(offline()->text(0), QStringLiteral("Offline (%1)").arg(c.offline.size()));
    for (int i = 0; i < online()->childCount(); ++i)
        EXPECT_EQ(BuddyTree::IconOf(online()->child(i)), kIconOnline);
    for (int i = 0; i < offline()->childCount(); ++i)
        EXPECT_EQ(BuddyTree::IconOf(offline()->child(i)), kIconOffline);
    // Every notice comes right after the matching change of the conversation's presence.
    for (qsizetype i = 0; i < events.size(); i += 2) {
        ASSERT_LT(i + 1, events.size());
        EXPECT_TRUE(events[i].startsWith(u"tab ")) << events[i].toStdString();
        EXPECT_TRUE(events[i + 1].startsWith(u"notice ")) << events[i + 1].toStdString();
        EXPECT_EQ(events[i].mid(4, 1), events[i + 1].mid(7, 1));
        EXPECT_TRUE(events[i + 1].endsWith(u' ' + events[i].mid(6)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Snapshots, SnapshotTest,
    ::testing::Values(
        SnapshotCase{"AnnLeavesBobComes",
                     {"O1:Ann", "X2: Bob"},
                     Ids({2}),
                     {},
                     {"2:Bob"},
                     {"1:Ann"},
                     {"notice - Ann 1", "notice + Bob 2"}},
        SnapshotCase{"LeaversInGroupOrderArrivalsInSnapshotOrder",
                     {"O1:A", "O2:B", "O3:C", "X4:D", "X5:E", "X6:F"},
                     Ids({6, 2, 4}),
                     {},
                     {"2:B", "6:F", "4:D"},
                     {"5:E", "1:A", "3:C"},
                     {"notice - A 1", "notice - C 3", "notice + F 6", "notice + D 4"}},
        SnapshotCase{"NothingChanges", {"O1:A", "X2:B"}, Ids({1}), {}, {"1:A"}, {"2:B"}, {}},
        SnapshotCase{"EmptySnapshotTakesEveryoneOffline",
                     {"O1:A", "X2:B", "O3:C"},
                     {},
                     {},
                     {},
                     {"2:B", "1:A", "3:C"},
                     {"notice - A 1", "notice - C 3"}},
        SnapshotCase{"UnknownIdWithANameJoins",
                     {"O1:A"},
                     Ids({1, 99}),
                     {{99, "New \\u00e9"}},
                     {"1:A", u"99:New é"_s},
                     {},
                     {u"notice + New é 99"_s}},
        SnapshotCase{"UnknownIdWithoutANameIgnored",
                     {"O1:A"},
                     Ids({98, 1}),
                     {{99, "Other"}},
                     {"1:A"},
                     {},
                     {}},
        SnapshotCase{"RepeatedIdMovesOnce",
                     {"X2:B", "O1:A"},
                     Ids({2, 1, 2}),
                     {},
                     {"1:A", "2:B"},
                     {},
                     {"notice + B 2"}},
        SnapshotCase{"RepeatedIdMovesEachDuplicate",
                     {"X2:B", "X2:B again", "X2:B third"},
                     Ids({2, 2}),
                     {},
                     {"2:B", "2:B again"},
                     {"2:B third"},
                     {"notice + B 2", "notice + B again 2"}},
        SnapshotCase{"RepeatedUnknownIdAddedOnce",
                     {},
                     Ids({7, 7}),
                     {{7, "Seven"}},
                     {"7:Seven"},
                     {},
                     {"notice + Seven 7"}},
        SnapshotCase{"DuplicatesLeaveTogether",
                     {"O3:C", "O4:D", "O3:C2"},
                     Ids({4}),
                     {},
                     {"4:D"},
                     {"3:C", "3:C2"},
                     {"notice - C 3", "notice - C2 3"}},
        SnapshotCase{"OnlineAndOfflineDuplicateOnlyOfflineOneMoves",
                     {"O3:On", "X3:Off"},
                     Ids({3}),
                     {},
                     {"3:On", "3:Off"},
                     {},
                     {"notice + Off 3"}},
        SnapshotCase{"KnownNameWinsOverLookup",
                     {"X5:Listed"},
                     Ids({5}),
                     {{5, "From tail"}},
                     {"5:Listed"},
                     {},
                     {"notice + Listed 5"}}),
    [](const ::testing::TestParamInfo<SnapshotCase>& row) { return row.param.name; });

TEST_F(BuddyTreeTest, SnapshotBeforeAnyListMakesBareGroups) {
    names = {{7, "Seven"}};
    tree->UpdateBuddyTree(Ids({7, 8}));
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(online()->text(0), QStringLiteral("Online (1)"));
    EXPECT_EQ(offline()->text(0), QStringLiteral("Offline (0)"));
    EXPECT_EQ(Members(online()), QStringList{"7:Seven"});
    EXPECT_EQ(notices(), QStringList{"notice + Seven 7"});
}

TEST_F(BuddyTreeTest, ClearingForgetsTheIndex) {
    build({"O1:Ann", "X2:Bob"});
    tree->clearTree();
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(tree->onlineGroup(), nullptr);
    tree->MarkBuddyPresence(ContactId(2), true); // must not reach the deleted nodes
    EXPECT_EQ(Members(online()), QStringList());
    EXPECT_TRUE(notices().isEmpty());

    build({"O1:Ann", "X2:Bob"});
    tree->clear(); // the base class's own clearing bypasses clearTree
    names = {{2, "Bob"}};
    tree->UpdateBuddyTree(Ids({2}));
    EXPECT_EQ(Members(online()), QStringList{"2:Bob"});
}

// ---- One buddy ---------------------------------------------------------------------------

struct MarkCase {
    const char* name;
    QStringList lines;
    qint64 id;
    bool online;
    QStringList onlineAfter;
    QStringList offlineAfter;
    QStringList notices;
    friend void PrintTo(const MarkCase& c, std::ostream* os) { *os << c.name; }
};

class MarkTest : public BuddyTreeTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(MarkTest, MovesTheFirstNodeOfTheOtherGroup) {
    const MarkCase& c = GetParam();
    names = {{c.id, "Never used"}};
    build(c.lines);
    tree->MarkBuddyPresence(ContactId(c.id), c.online);
    EXPECT_EQ(Members(online()), c.onlineAfter);
    EXPECT_EQ(Members(offline()), c.offlineAfter);
    EXPECT_EQ(notices(), c.notices);
    EXPECT_EQ(online()->text(0), QStringLiteral("Online (%1)").arg(c.onlineAfter.size()));
    EXPECT_EQ(offline()->text(0), QStringLiteral("Offline (%1)").arg(c.offlineAfter.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Marks, MarkTest,
    ::testing::Values(MarkCase{"MessageFromOfflineBuddy",
                               {"O1:A", "X2:B", "X3:C"},
                               2,
                               true,
                               {"1:A", "2:B"},
                               {"3:C"},
                               {"notice + B 2"}},
                      MarkCase{"AlreadyOnline", {"O1:A", "X2:B"}, 1, true, {"1:A"}, {"2:B"}, {}},
                      MarkCase{"NotInTheTree", {"O1:A"}, 5, true, {"1:A"}, {}, {}},
                      MarkCase{"SendFoundBuddyOffline",
                               {"O1:A", "O2:B", "X3:C"},
                               1,
                               false,
                               {"2:B"},
                               {"3:C", "1:A"},
                               {"notice - A 1"}},
                      MarkCase{"AlreadyOffline", {"X3:C"}, 3, false, {}, {"3:C"}, {}},
                      MarkCase{"FirstOfTwoDuplicates",
                               {"X2:B", "X2:B2", "O1:A"},
                               2,
                               true,
                               {"1:A", "2:B"},
                               {"2:B2"},
                               {"notice + B 2"}}),
    [](const ::testing::TestParamInfo<MarkCase>& row) { return row.param.name; });

TEST_F(BuddyTreeTest, FindsByIdAndSelection) {
    build({"O1:A", "X2:B", "O3:C", "O1:A2"});
    EXPECT_EQ(tree->FindBuddyNode(online(), ContactId(1)), online()->child(0));
    EXPECT_EQ(tree->FindBuddyNode(online(), ContactId(2)), nullptr);
    EXPECT_EQ(tree->FindBuddyNode(offline(), ContactId(2)), offline()->child(0));
    EXPECT_EQ(tree->FindBuddyNode(nullptr, ContactId(2)), nullptr);
    EXPECT_EQ(tree->FindSelectedBuddy(online()), nullptr);
    online()->child(2)->setSelected(true);
    online()->child(1)->setSelected(true);
    EXPECT_EQ(tree->FindSelectedBuddy(online()), online()->child(1));
    EXPECT_EQ(tree->FindSelectedBuddy(offline()), nullptr);
}

TEST_F(BuddyTreeTest, ReconcilingKeepsSelectionCurrentExpansionAndScroll) {
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines.append(
            QStringLiteral("%1%2:Friend %2").arg(i % 2 ? QChar(u'O') : QChar(u'X')).arg(i));
    build(lines);
    QTreeWidgetItem* stays = tree->FindBuddyNode(online(), ContactId(51));
    QTreeWidgetItem* staysOffline = tree->FindBuddyNode(offline(), ContactId(150));
    QTreeWidgetItem* leaves = tree->FindBuddyNode(online(), ContactId(53));
    tree->selectionModel()->select(tree->indexFromItem(staysOffline),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    tree->selectionModel()->select(tree->indexFromItem(leaves),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    tree->selectionModel()->select(tree->indexFromItem(stays),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    tree->selectionModel()->setCurrentIndex(tree->indexFromItem(stays),
                                            QItemSelectionModel::NoUpdate);
    QCoreApplication::processEvents();
    tree->verticalScrollBar()->setValue(40);
    const int scroll = tree->verticalScrollBar()->value();
    ASSERT_GT(scroll, 0);

    QList<ContactId> snapshot;
    for (int i = 1; i <= 200; ++i) {
        if ((i % 2 && i != 53) || i % 4 == 0) // 53 leaves; every fourth id comes online
            snapshot.append(ContactId(i));
    }
    tree->UpdateBuddyTree(snapshot);

    EXPECT_EQ(tree->selectedItems(), (QList<QTreeWidgetItem*>{staysOffline, stays}));
    EXPECT_FALSE(leaves->isSelected());
    EXPECT_EQ(leaves->parent(), offline());
    EXPECT_EQ(tree->currentItem(), stays);
    EXPECT_TRUE(online()->isExpanded());
    EXPECT_TRUE(offline()->isExpanded());
    EXPECT_EQ(tree->verticalScrollBar()->value(), scroll);
}

TEST_F(BuddyTreeTest, BuddyLeavingADisabledGroupIsEnabled) {
    build({"O1:A", "X2:B"});
    tree->ApplyHideOffline(true);
    ASSERT_FALSE(offline()->child(0)->flags() & Qt::ItemIsEnabled);
    tree->MarkBuddyPresence(ContactId(2), true);
    EXPECT_TRUE(online()->child(1)->flags() & Qt::ItemIsEnabled);
    tree->MarkBuddyPresence(ContactId(1), false);
    EXPECT_FALSE(offline()->child(0)->flags() & Qt::ItemIsEnabled);
}

// ---- HideOffline -------------------------------------------------------------------------

TEST_F(BuddyTreeTest, HiddenOfflineGroupRefusesToOpen) {
    tree->ApplyHideOffline(true); // before any list: kept for the next build
    build({"O1:A", "X2:B"});
    EXPECT_FALSE(offline()->isExpanded());
    EXPECT_EQ(BuddyTree::IconOf(offline()), kIconHidden);
    EXPECT_TRUE(online()->isExpanded());
    EXPECT_EQ(BuddyTree::IconOf(online()), kIconExpanded);

    offline()->setExpanded(true);
    EXPECT_FALSE(offline()->isExpanded());
    EXPECT_EQ(BuddyTree::IconOf(offline()), kIconHidden);
    // By the keyboard: "+", the right arrow and "*" (the group with everything under it).
    tree->setCurrentItem(offline());
    for (const int key : {int(Qt::Key_Plus), int(Qt::Key_Right), int(Qt::Key_Asterisk)}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(tree.get(), &press);
        EXPECT_FALSE(offline()->isExpanded()) << key;
        EXPECT_EQ(BuddyTree::IconOf(offline()), kIconHidden) << key;
    }
    EXPECT_TRUE(online()->isExpanded());
}

TEST_F(BuddyTreeTest, ApplyingHideOfflineKeepsTheOnlineSelection) {
    build({"O1:A", "O3:C", "X2:B"});
    online()->child(1)->setSelected(true);
    offline()->child(0)->setSelected(true);

    tree->ApplyHideOffline(true);
    EXPECT_FALSE(offline()->isExpanded());
    EXPECT_EQ(BuddyTree::IconOf(offline()), kIconHidden);
    EXPECT_TRUE(offline()->isDisabled());
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{online()->child(1)});

    tree->ApplyHideOffline(false);
    EXPECT_TRUE(offline()->isExpanded());
    EXPECT_EQ(BuddyTree::IconOf(offline()), kIconExpanded);
    EXPECT_FALSE(offline()->isDisabled());
    EXPECT_FALSE(offline()->child(0)->isDisabled());
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{online()->child(1)});
}

TEST_F(BuddyTreeTest, HidingAClosedOfflineGroupLeavesItWithoutPicture) {
    build({"O1:A", "X2:B"});
    offline()->setExpanded(false);
    EXPECT_EQ(BuddyTree::IconOf(offline()), kIconCollapsed);
    tree->ApplyHideOffline(true);
    EXPECT_EQ(BuddyTree::IconOf(offline()), kIconNone);
    EXPECT_FALSE(offline()->isExpanded());
}

// ---- The index against the plain walk ----------------------------------------------------

// The groups as plain lists, changed by walking them for the id in decimal, step by step.
struct ReferenceTree {
    struct Node {
        qint64 id;
        QString text;
    };
    QList<Node> online, offline;
    QStringList notices;

    static qsizetype find(const QList<Node>& group, const QString& idText) {
        for (qsizetype i = 0; i < group.size(); ++i) {
            if (QString::number(group[i].id) == idText)
                return i;
        }
        return -1;
    }
    void note(const Node& node, bool on) {
        notices.append(QStringLiteral("notice %1 %2 %3")
                           .arg(on ? QChar(u'+') : QChar(u'-'))
                           .arg(node.text, QString::number(node.id)));
    }
    void update(const QStringList& list, const QHash<qint64, QString>& names) {
        for (qsizetype i = 0; i < online.size();) {
            if (list.contains(QString::number(online[i].id))) {
                ++i;
                continue;
            }
            const Node node = online.takeAt(i);
            offline.append(node);
            note(node, false);
        }
        for (const QString& idText : list) {
            const qsizetype off = find(offline, idText);
            if (off >= 0) {
                const Node node = offline.takeAt(off);
                online.append(node);
                note(node, true);
            } else if (find(online, idText) < 0) {
                const QString name = names.value(idText.toLongLong());
                if (name.isEmpty())
                    continue;
                online.append({idText.toLongLong(), DecodeUnicodeEscapes(name)});
                note(online.constLast(), true);
            }
        }
    }
    void mark(const QString& idText, bool on) {
        QList<Node>& from = on ? offline : online;
        const qsizetype at = find(from, idText);
        if (at < 0)
            return;
        const Node node = from.takeAt(at);
        (on ? online : offline).append(node);
        note(node, on);
    }
    static QStringList lines(const QList<Node>& group) {
        QStringList out;
        for (const Node& node : group)
            out.append(QString::number(node.id) + u':' + node.text);
        return out;
    }
};

TEST_F(BuddyTreeTest, IndexGivesTheSameTreeAsWalkingTheGroups) {
    std::mt19937 random(20091104);
    const auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    constexpr int kIds = 60; // few ids, so that duplicates and repeats are common

    for (int round = 0; round < 20; ++round) {
        QStringList lines;
        ReferenceTree reference;
        const int count = pick(80);
        for (int i = 0; i < count; ++i) {
            const qint64 id = 1000 + pick(kIds);
            const bool on = pick(2);
            const QString name = QStringLiteral("N%1 \\u00e9%2").arg(id).arg(i);
            lines.append((on ? u'O' : u'X') + QString::number(id) + u':' + name);
            (on ? reference.online : reference.offline).append({id, DecodeUnicodeEscapes(name)});
        }
        names.clear();
        for (int id = 1000; id < 1000 + kIds + 10; ++id) {
            if (pick(3))
                names.insert(id, QStringLiteral("Tail %1").arg(id));
        }
        build(lines);

        for (int step = 0; step < 15; ++step) {
            if (pick(4) == 0) {
                const qint64 id = 1000 + pick(kIds + 10);
                const bool on = pick(2);
                tree->MarkBuddyPresence(ContactId(id), on);
                reference.mark(QString::number(id), on);
            } else {
                QList<ContactId> snapshot;
                QStringList list;
                const int size = pick(kIds);
                for (int i = 0; i < size; ++i) {
                    const qint64 id = 1000 + pick(kIds + 10);
                    snapshot.append(ContactId(id));
                    list.append(QString::number(id));
                }
                tree->UpdateBuddyTree(snapshot);
                reference.update(list, names);
            }
            ASSERT_EQ(Members(online()), ReferenceTree::lines(reference.online))
                << "round " << round << " step " << step;
            ASSERT_EQ(Members(offline()), ReferenceTree::lines(reference.offline))
                << "round " << round << " step " << step;
            ASSERT_EQ(notices(), reference.notices) << "round " << round << " step " << step;
            ASSERT_EQ(online()->text(0),
                      QStringLiteral("Online (%1)").arg(reference.online.size()));
            ASSERT_EQ(offline()->text(0),
                      QStringLiteral("Offline (%1)").arg(reference.offline.size()));
        }
    }
}

} // namespace
} // namespace quillo::testing
