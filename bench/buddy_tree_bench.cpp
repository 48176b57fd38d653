// The contact tree with 5,000 friends, on a shown window of the offscreen platform.
//
//  - BuddyTree/Build: BuildBuddyTree from the full list, nobody online, until its last slice
//    of nodes is in the tree.
//  - BuddyTree/Reconcile/Indexed: UpdateBuddyTree with a snapshot of all 5,000 ids in another
//    order, so that every friend moves to the Online group: the tree's index by id.
//  - BuddyTree/Reconcile/LinearSearch: the same snapshot on the same kind of tree, done the
//    straightforward way: for each Online node a scan of the snapshot, for each id a walk over
//    the group comparing each node's id in decimal, each move one node taken and one added.
// Both reconciles start from a freshly built tree (not timed) and end once the window has
// handled the events they left. Main checks that both give the same tree, then prints the
// figures and their ratio.
#include <QApplication>
#include <QList>
#include <QStringList>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <random>

#include "contacts/buddy_entry.h"
#include "contacts/ui/buddy_tree.h"
#include "prefs/language_strings.h"
#include "ratio_reporter.h"

namespace {

using quillo::BuddyTree;
using quillo::ContactId;

constexpr int kFriends = 5000;

struct Account {
    QList<quillo::BuddyEntry> contacts; // everyone offline
    QList<ContactId> snapshot;          // everyone online, shuffled
};

const Account& account() {
    static const Account built = [] {
        Account a;
        QStringList lines;
        for (int i = 0; i < kFriends; ++i) {
            const qint64 id = Q_INT64_C(100000000000000) + qint64(i) * 7919;
            lines.append(QStringLiteral("X%1:Friend \\u00e9 %2").arg(id).arg(i));
            a.snapshot.append(ContactId(id));
        }
        a.contacts = quillo::ParseBuddyLines(lines);
        std::shuffle(a.snapshot.begin(), a.snapshot.end(), std::mt19937(2009));
        return a;
    }();
    return built;
}

const quillo::LanguageStrings& strings() {
    static const quillo::LanguageStrings texts;
    return texts;
}

std::unique_ptr<BuddyTree> shownTree() {
    auto tree = std::make_unique<BuddyTree>(strings());
    tree->resize(260, 600);
    tree->show();
    QCoreApplication::processEvents();
    return tree;
}

QTreeWidgetItem* findLinear(QTreeWidgetItem* group, const QString& idText) {
    for (int i = 0; i < group->childCount(); ++i) {
        if (QString::number(BuddyTree::BuddyIdOf(group->child(i)).value()) == idText)
            return group->child(i);
    }
    return nullptr;
}

void moveLinear(QTreeWidgetItem* node, QTreeWidgetItem* to, int icon) {
    QTreeWidgetItem* from = node->parent();
    from->takeChild(from->indexOfChild(node));
    node->setData(0, Qt::UserRole + 1, icon);
    to->addChild(node);
}

// The snapshot reconciled by walking the groups; ids compared as decimal text.
void reconcileLinear(BuddyTree& tree, const QList<ContactId>& snapshot) {
    QStringList list;
    for (const ContactId id : snapshot)
        list.append(id.toText());
    tree.setUpdatesEnabled(false);
    QTreeWidgetItem* online = tree.topLevelItem(0);
    QTreeWidgetItem* offline = tree.topLevelItem(1);
    for (int i = 0; i < online->childCount();) {
        QTreeWidgetItem* node = online->child(i);
        if (list.contains(BuddyTree::BuddyIdOf(node).toText()))
            ++i;
        else
            moveLinear(node, offline, 1);
    }
    for (const QString& idText : std::as_const(list)) {
        if (QTreeWidgetItem* node = findLinear(offline, idText))
            moveLinear(node, online, 0);
    }
    online->setText(0, QStringLiteral("Online (%1)").arg(online->childCount()));
    offline->setText(0, QStringLiteral("Offline (%1)").arg(offline->childCount()));
    tree.setUpdatesEnabled(true);
}

// BuildBuddyTree and the turns of the event loop that make a long list's nodes.
void buildWhole(BuddyTree& tree, const QList<quillo::BuddyEntry>& contacts) {
    tree.BuildBuddyTree(contacts);
    while (tree.isBuilding())
        QCoreApplication::processEvents();
}

void Build(benchmark::State& state) {
    const Account& a = account();
    const std::unique_ptr<BuddyTree> tree = shownTree();
    for (auto _ : state) {
        buildWhole(*tree, a.contacts);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(Build)->Name("BuddyTree/Build")->Unit(benchmark::kMillisecond);

template <typename Reconcile>
void reconcileEveryIteration(benchmark::State& state, Reconcile reconcile) {
    const Account& a = account();
    const std::unique_ptr<BuddyTree> tree = shownTree();
    for (auto _ : state) {
        state.PauseTiming();
        buildWhole(*tree, a.contacts);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        reconcile(*tree, a.snapshot);
        QCoreApplication::processEvents();
    }
}

void Indexed(benchmark::State& state) {
    reconcileEveryIteration(state, [](BuddyTree& tree, const QList<ContactId>& snapshot) {
        tree.UpdateBuddyTree(snapshot);
    });
}
BENCHMARK(Indexed)->Name("BuddyTree/Reconcile/Indexed")->Unit(benchmark::kMillisecond);

void LinearSearch(benchmark::State& state) {
    reconcileEveryIteration(state, reconcileLinear);
}
BENCHMARK(LinearSearch)
    ->Name("BuddyTree/Reconcile/LinearSearch")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

QStringList members(const QTreeWidgetItem* group) {
    QStringList lines;
    for (int i = 0; i < group->childCount(); ++i)
        lines.append(BuddyTree::BuddyIdOf(group->child(i)).toText() + u':' +
                     group->child(i)->text(0));
    return lines;
}

bool sameResult() {
    const Account& a = account();
    const std::unique_ptr<BuddyTree> fast = shownTree();
    const std::unique_ptr<BuddyTree> slow = shownTree();
    buildWhole(*fast, a.contacts);
    buildWhole(*slow, a.contacts);
    fast->UpdateBuddyTree(a.snapshot);
    reconcileLinear(*slow, a.snapshot);
    const QStringList online = members(fast->onlineGroup());
    return online.size() == kFriends && online == members(slow->topLevelItem(0)) &&
           fast->onlineGroup()->text(0) == slow->topLevelItem(0)->text(0) &&
           fast->offlineGroup()->childCount() == 0 && slow->topLevelItem(1)->childCount() == 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!sameResult()) {
        std::fprintf(stderr, "the indexed and the linear reconcile disagree\n");
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto build = reporter.seconds.find("BuddyTree/Build");
    const auto indexed = reporter.seconds.find("BuddyTree/Reconcile/Indexed");
    const auto linear = reporter.seconds.find("BuddyTree/Reconcile/LinearSearch/iterations:2");
    if (build != reporter.seconds.end())
        std::printf("BuddyTree, %d friends: build %.2f ms\n", kFriends, build->second);
    if (indexed != reporter.seconds.end() && linear != reporter.seconds.end() &&
        indexed->second > 0)
        std::printf("BuddyTree, %d-id snapshot, every friend moving: %.2f ms indexed, %.1f ms "
                    "linear search, %.0fx faster\n",
                    kFriends, indexed->second, linear->second, linear->second / indexed->second);
    benchmark::Shutdown();
    return 0;
}
