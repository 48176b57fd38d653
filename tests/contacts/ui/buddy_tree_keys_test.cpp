// The contact tree by keys and through a screen reader: the arrows move, Enter opens the
// conversation as a double click does, and each friend is read out with their presence.
#include <QAccessible>
#include <QTest>
#include <functional>

#include "buddy_tree_fixture.h"
#include "contacts/ui/buddy_tree_images.h"

namespace quillo::testing {
namespace {

struct KeysCase {
    const char* name;
    QList<int> keys; // pressed in turn, from the state the tree is built in
    QStringList chats;
    const char* current; // the current node's text afterwards
    bool onlineOpen = true;
    friend void PrintTo(const KeysCase& c, std::ostream* os) { *os << c.name; }
};

class BuddyTreeKeysTest : public BuddyTreeTest, public ::testing::WithParamInterface<KeysCase> {};

TEST_P(BuddyTreeKeysTest, ArrowsMoveAndEnterOpensAnOnlineFriend) {
    const KeysCase& c = GetParam();
    build({"O1:Ann", "O2:Bea", "X3:Cid"});
    tree->setFocus();
    for (const int key : c.keys)
        QTest::keyClick(tree.get(), Qt::Key(key));
    EXPECT_EQ(events.filter(QStringLiteral("chat ")), c.chats);
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), QString::fromUtf8(c.current));
    EXPECT_EQ(online()->isExpanded(), c.onlineOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, BuddyTreeKeysTest,
    ::testing::Values(
        KeysCase{"DownEnterOpensTheFirst", {Qt::Key_Down, Qt::Key_Return}, {"chat 1 Ann"}, "Ann"},
        KeysCase{"TheKeypadEnterToo",
                 {Qt::Key_Down, Qt::Key_Down, Qt::Key_Enter},
                 {"chat 2 Bea"},
                 "Bea"},
        KeysCase{"UpComesBack",
                 {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Return},
                 {"chat 1 Ann"},
                 "Ann"},
        // As with a double click, a friend who is offline has no conversation to open.
        KeysCase{"AnOfflineFriendOpensNothing", {Qt::Key_End, Qt::Key_Return}, {}, "Cid"},
        KeysCase{"EnterOnAGroupClosesIt", {Qt::Key_Return}, {}, "Online (2)", false},
        KeysCase{"AndOpensItAgain",
                 {Qt::Key_Return, Qt::Key_Return, Qt::Key_Down, Qt::Key_Return},
                 {"chat 1 Ann"},
                 "Ann"}),
    [](const ::testing::TestParamInfo<KeysCase>& row) { return row.param.name; });

TEST_F(BuddyTreeTest, ShiftOrCtrlEnterOpensNothing) {
    build({"O1:Ann"});
    tree->setFocus();
    QTest::keyClick(tree.get(), Qt::Key_Down);
    QTest::keyClick(tree.get(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(tree.get(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(events.filter(QStringLiteral("chat ")), QStringList());
}

// What a screen reader reads for each row, through the tree's accessibility interface.
QStringList ReadAloud(BuddyTree* tree) {
    QStringList rows;
    const QAbstractItemModel* model = tree->model();
    const std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const QModelIndex index = model->index(row, 0, parent);
            const QVariant said = index.data(Qt::AccessibleTextRole);
            rows.append(said.isValid() ? said.toString() : index.data().toString());
            walk(index);
        }
    };
    walk(QModelIndex());
    return rows;
}

TEST_F(BuddyTreeTest, EachFriendIsReadWithTheirPresenceWhereverTheyMove) {
    build({"O1:Ann", "X2:Bob"});
    EXPECT_EQ(ReadAloud(tree.get()),
              (QStringList{"Online (1)", "Ann, Online", "Offline (1)", "Bob, Offline"}));

    // Moves say it at once: the screen reader never reads yesterday's presence.
    tree->MarkBuddyPresence(ContactId(1), false);
    tree->UpdateBuddyTree(Ids({2, 5}));
    names.insert(5, QStringLiteral("Eve"));
    tree->UpdateBuddyTree(Ids({2, 5}));
    EXPECT_EQ(ReadAloud(tree.get()), (QStringList{"Online (2)", "Bob, Online", "Eve, Online",
                                                  "Offline (1)", "Ann, Offline"}));
}

TEST_F(BuddyTreeTest, ThePresenceIsSaidInTheLanguageInUse) {
    LanguageStrings german;
    german.setText(LanguageKey::OnlineCaption, QStringLiteral("Angemeldet"));
    german.setText(LanguageKey::OfflineCaption, QStringLiteral("Abgemeldet"));
    BuddyTree germanTree(german);
    germanTree.BuildBuddyTree(ParseBuddyLines(QStringList{"O1:Ann", "X2:Bob"}));
    EXPECT_EQ(ReadAloud(&germanTree), (QStringList{"Angemeldet (1)", "Ann, Angemeldet",
                                                   "Abgemeldet (1)", "Bob, Abgemeldet"}));
}

TEST_F(BuddyTreeTest, TheScreenReaderFindsTheTreeByNameAndTheFriendsInIt) {
    build({"O1:Ann"});
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(tree.get());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->role(), QAccessible::Tree);
    EXPECT_FALSE(view->text(QAccessible::Name).isEmpty());
    QStringList cells;
    for (int i = 0; i < view->childCount(); ++i) {
        if (QAccessibleInterface* cell = view->child(i))
            cells.append(cell->text(QAccessible::Name));
    }
    EXPECT_TRUE(cells.contains(QStringLiteral("Ann, Online"))) << cells.join(u'|').toStdString();
}

} // namespace
} // namespace quillo::testing
