// Marking the online friends in a full-form contact list, for an account with 5,000 friends
// (lines "X<id>:Name", ids above 2^32) and an online snapshot of 5,000 of them in another order,
// with the user information of all of them in the answer's tail.
//
//  - MarkOnline/Indexed: MarkOnline, which indexes the online set by id once.
//  - MarkOnline/LineScan: the straightforward reading, for each online id a scan of every line
//    for the id and ":" at the second character.
// Each iteration starts from the unmarked list as the buddy worker holds it, lines of its own
// that marking changes in place; resetting it is not timed. (A list sharing its lines with
// another would add a copy of every line marked, the same for both, and hide the difference.)
// Main checks that both give the same list, then prints the ratio of their times.
#include <QString>
#include <QStringList>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "contacts/buddy_list.h"
#include "ratio_reporter.h"

namespace {

constexpr int kFriends = 5000;

struct Account {
    QStringList list; // full form, nobody online yet
    QStringList onlineIds;
    QString tail;
};

const Account& account() {
    static const Account built = [] {
        Account a;
        QStringList ids;
        for (int i = 0; i < kFriends; ++i) {
            const QString id = QString::number(Q_INT64_C(100000000000000) + qint64(i) * 7919);
            ids.append(id);
            a.list.append(QStringLiteral("X") + id + QStringLiteral(":Friend \\u00e9 ") +
                          QString::number(i));
        }
        a.onlineIds = ids;
        std::shuffle(a.onlineIds.begin(), a.onlineIds.end(), std::mt19937(2009));
        a.tail = QStringLiteral("},\"wasAvailableIDs\":[],\"userInfos\":{");
        for (const QString& id : a.onlineIds)
            a.tail += u'"' + id +
                      QStringLiteral("\":{\"name\":\"Friend\",\"firstName\":\"F\","
                                     "\"thumbSrc\":\"http:\\/\\/p\\/q.jpg\","
                                     "\"status\":null},");
        a.tail.chop(1);
        a.tail += QStringLiteral("},\"forcedRender\":true},\"time\":1257000000000}");
        return a;
    }();
    return built;
}

// For each online id, every line is looked at.
void lineScan(QStringList& list, const QStringList& onlineIds, const QString& tail) {
    for (const QString& id : onlineIds) {
        const QString key = id + u':';
        bool matched = false;
        for (QString& line : list) {
            if (QStringView(line).mid(1).startsWith(key)) {
                line[0] = u'O';
                matched = true;
            }
        }
        if (matched)
            continue;
        const QString name = quillo::NameFromBuddyTail(id, tail);
        if (!name.isEmpty())
            list.append(QStringLiteral("O") + id + u':' + name);
    }
}

// The list with lines of its own, as ReadFriendPage builds it.
QStringList unsharedCopy(const QStringList& lines) {
    QStringList copy;
    copy.reserve(lines.size());
    for (const QString& line : lines)
        copy.append(QString(line.constData(), line.size()));
    return copy;
}

template <typename Mark>
void markEveryIteration(benchmark::State& state, Mark mark) {
    const Account& a = account();
    QStringList list = unsharedCopy(a.list);
    for (auto _ : state) {
        state.PauseTiming();
        list.resize(a.list.size());
        for (QString& line : list)
            line[0] = u'X';
        state.ResumeTiming();
        mark(list, a.onlineIds, a.tail);
        benchmark::DoNotOptimize(list);
    }
}

void Indexed(benchmark::State& state) {
    markEveryIteration(state, quillo::MarkOnline);
}
BENCHMARK(Indexed)->Name("MarkOnline/Indexed")->Unit(benchmark::kMillisecond);

void LineScan(benchmark::State& state) {
    markEveryIteration(state, lineScan);
}
BENCHMARK(LineScan)->Name("MarkOnline/LineScan")->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const Account& a = account();
    QStringList fast = a.list;
    QStringList slow = a.list;
    quillo::MarkOnline(fast, a.onlineIds, a.tail);
    lineScan(slow, a.onlineIds, a.tail);
    if (fast != slow || fast.size() != kFriends || !fast.constLast().startsWith(u'O')) {
        std::fprintf(stderr, "MarkOnline and the line scan disagree\n");
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto indexed = reporter.seconds.find("MarkOnline/Indexed");
    const auto scan = reporter.seconds.find("MarkOnline/LineScan/iterations:5");
    if (indexed != reporter.seconds.end() && scan != reporter.seconds.end() && indexed->second > 0)
        std::printf("MarkOnline, %d friends, %d online: %.2f ms indexed, %.1f ms line scan, "
                    "%.0fx faster\n",
                    kFriends, int(a.onlineIds.size()), indexed->second, scan->second,
                    scan->second / indexed->second);
    benchmark::Shutdown();
    return 0;
}
