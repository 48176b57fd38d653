// Form extraction and replace-all on generated pages shaped like the service's: stories with
// links, script blocks that carry escaped HTML, and many small forms, the wanted form last.
//
//  - FormExtraction/<size>: FindFormBlock for a marker in the last form, then ExtractForm, in
//    MB of page per second. Sizes 256 KB, 1 MB and 4 MB: the rate stays flat when the work is
//    linear in the page.
//  - ReplaceAll/Horspool and ReplaceAll/NaiveConcatenation: "&amp;" to "&" (any case) over
//    the 1 MB page, the second the way straightforward code does it (search, then rebuild the
//    text around each hit). The ratio of the two is printed at the end.
// A page's size counts characters; the pages are ASCII, so that is also their size in bytes as
// served.
#include <QString>
#include <QStringList>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "ratio_reporter.h"
#include "session/form_extract.h"
#include "session/pattern_search.h"

namespace {

constexpr qsizetype kKiB = 1024;
constexpr qsizetype kMiB = 1024 * kKiB;

QString makePage(qsizetype size) {
    std::mt19937 random(2009);
    const auto number = [&](int limit) { return QString::number(random() % limit); };
    QString page = QStringLiteral("<!DOCTYPE html><html><head><title>Facebook | Home</title>"
                                  "</head><body class=\"home\">\n");
    page.reserve(size + 4 * kKiB);
    int id = 0;
    while (page.size() < size) {
        ++id;
        const QString n = QString::number(id);
        switch (random() % 4) {
        case 0:
        case 1:
            page += QStringLiteral("<div class=\"UIStory\" id=\"story_") + n +
                    QStringLiteral("\"><a href=\"/profile.php?id=") + number(100000000) +
                    QStringLiteral("&amp;ref=nf\">Friend ") + n +
                    QStringLiteral("</a> <span class=\"UIStory_Message\">was here &amp; there "
                                   "&quot;again&quot; at ") +
                    number(24) + QStringLiteral(":00</span></div>\n");
            break;
        case 2:
            page += QStringLiteral("<script type=\"text/javascript\">big_pipe.onPageletArrive({"
                                   "\"id\":\"pagelet_") +
                    n +
                    QStringLiteral("\",\"content\":\"<div class=\\\"box\\\"><input type=\\\"hidden"
                                   "\\\" name=\\\"post_form_id\\\" value=\\\"") +
                    number(1000000) + QStringLiteral("\\\" \\/><\\/div>\"});</script>\n");
            break;
        default:
            page += QStringLiteral("<form method=\"post\" action=\"/ajax/like.php?story=") + n +
                    QStringLiteral("&amp;ref=home\" id=\"like_") + n +
                    QStringLiteral("\"><input type=\"hidden\" name=\"post_form_id\" value=\"") +
                    number(1000000) +
                    QStringLiteral("\"><input type=\"text\" name=\"comment\" value=\"\">"
                                   "<select name=\"audience\"><option value=\"1\">Friends"
                                   "</option><option value=\"2\" selected>Everyone</option>"
                                   "</select><input type=\"submit\" value=\"Comment\"></form>\n");
            break;
        }
    }
    page += QStringLiteral(
        "<form method=\"POST\" id=\"login_form\" action=\"https://login.facebook.test/login.php?"
        "login_attempt=1&amp;next=%2F\"><input type=\"hidden\" name=\"charset_test\" "
        "value=\"&euro;\"><input type=\"text\" name=\"email\"><input type=\"password\" "
        "name=\"pass\"><input type=\"checkbox\" name=\"persistent\" value=\"1\" checked>"
        "<input type=\"submit\" value=\"Log In\"></form></body></html>\n");
    return page;
}

const QString& pageOf(qsizetype size) {
    static std::map<qsizetype, QString> pages;
    auto it = pages.find(size);
    if (it == pages.end())
        it = pages.emplace(size, makePage(size)).first;
    return it->second;
}

void setRate(benchmark::State& state, qsizetype pageSize) {
    state.counters["MB/s"] = benchmark::Counter(
        double(state.iterations()) * double(pageSize) / double(kMiB), benchmark::Counter::kIsRate);
}

void FormExtraction(benchmark::State& state) {
    const QString& page = pageOf(state.range(0));
    QStringList controls;
    for (auto _ : state) {
        const QString form = quillo::FindFormBlock(page, u"id=\"login_form");
        const QString action = quillo::ExtractForm(form, u"https://www.facebook.test/", controls);
        benchmark::DoNotOptimize(action);
        if (controls.size() != 5)
            state.SkipWithError("the login form was not read");
    }
    setRate(state, page.size());
}
BENCHMARK(FormExtraction)->Arg(256 * kKiB)->Arg(kMiB)->Arg(4 * kMiB)->Unit(benchmark::kMillisecond);

void ReplaceAllHorspool(benchmark::State& state) {
    const QString& page = pageOf(kMiB);
    for (auto _ : state) {
        QString result = quillo::ReplaceAll(page, u"&amp;", u"&", Qt::CaseInsensitive);
        benchmark::DoNotOptimize(result);
    }
    setRate(state, page.size());
}
BENCHMARK(ReplaceAllHorspool)->Name("ReplaceAll/Horspool")->Unit(benchmark::kMillisecond);

QString naiveReplaceAll(QString text, const QString& pattern, const QString& replacement) {
    qsizetype at = text.indexOf(pattern, 0, Qt::CaseInsensitive);
    while (at >= 0) {
        text = text.left(at) + replacement + text.mid(at + pattern.size());
        at = text.indexOf(pattern, at + replacement.size(), Qt::CaseInsensitive);
    }
    return text;
}

void ReplaceAllNaive(benchmark::State& state) {
    const QString& page = pageOf(kMiB);
    const QString pattern = QStringLiteral("&amp;");
    const QString replacement = QStringLiteral("&");
    for (auto _ : state) {
        QString result = naiveReplaceAll(page, pattern, replacement);
        benchmark::DoNotOptimize(result);
    }
    setRate(state, page.size());
}
BENCHMARK(ReplaceAllNaive)
    ->Name("ReplaceAll/NaiveConcatenation")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // Check the two replacements agree before timing them.
    const QString& page = pageOf(kMiB);
    if (quillo::ReplaceAll(page, u"&amp;", u"&", Qt::CaseInsensitive) !=
        naiveReplaceAll(page, QStringLiteral("&amp;"), QStringLiteral("&"))) {
        std::fprintf(stderr, "ReplaceAll and the naive loop disagree\n");
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto fast = reporter.seconds.find("ReplaceAll/Horspool");
    const auto slow = reporter.seconds.find("ReplaceAll/NaiveConcatenation/iterations:3");
    if (fast != reporter.seconds.end() && slow != reporter.seconds.end() && fast->second > 0)
        std::printf("ReplaceAll speed-up over search-and-concatenate on 1 MB: %.1fx\n",
                    slow->second / fast->second);
    benchmark::Shutdown();
    return 0;
}
