// The start-up check and error reports against the stand-in of the maker's servers and the
// IP echo service.
#include <QJsonArray>
#include <QThread>
#include <gtest/gtest.h>
#include <iostream>

#include "harness/standin_process.h"
#include "promo/startup_check.h"
#include "promo/startup_check_rules.h"
#include "session/answer_limits.h"
#include "session/session_state.h"
#include "support/oversized_answers.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace quillo::test;

namespace {

class StartupCheckTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString(); }

    struct Outcome {
        bool result;
        QList<int> reports; // what StartupCheckDone carried, in order
    };

    Outcome runOnce(bool autoUpdate = true) {
        Outcome outcome{false, {}};
        StartupCheck check(
            standin_.endpoints(), state_, ip_, mac_, [autoUpdate] { return autoUpdate; },
            [&outcome](int newVersion) { outcome.reports.append(newVersion); });
        outcome.result = check.run();
        return outcome;
    }

    qsizetype requestsTo(const char* path) {
        return standin_.requests(QStringLiteral("path=") + QLatin1String(path)).size();
    }

    StandInProcess standin_;
    SessionState state_;
    SharedValue<QString> ip_, mac_;
};

} // namespace

TEST_F(StartupCheckTest, OnlyAGreaterVersionEndsTheProgram) {
    const struct {
        const char* version;
        bool result;
        QList<int> reports;
    } cases[] = {
        {"1.361", true, {0}},
        {"1.361\r\n", true, {0}},
        {"1.360", true, {0}}, // older: not a reason to stop
        {"1.362", false, {1}},
        {"2.0", false, {1}},
        {"<html>Not Found</html>", true, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        ip_.clear();
        standin_.control(QStringLiteral("settings"), {{"version", QString::fromLatin1(c.version)}});
        const Outcome outcome = runOnce();
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.reports, c.reports);
        EXPECT_TRUE(LooksLikeIpAddress(ip_.get()));
        EXPECT_EQ(mac_.get().size(), 12);
    }
}

TEST_F(StartupCheckTest, AutoUpdateOffNeverAsksForTheVersion) {
    standin_.control(QStringLiteral("settings"), {{"version", "9.9"}});
    EXPECT_TRUE(runOnce(false).result);
    EXPECT_EQ(requestsTo("/version.htm"), 0);
}

TEST_F(StartupCheckTest, NoPublicAddressFailsTheCheck) {
    const struct {
        const char* what;
        QJsonObject fault;
    } cases[] = {
        {"echo fails", {{"host", "ipecho.test"}, {"action", "status"}, {"status", 503}}},
        {"echo redirects",
         {{"host", "ipecho.test"}, {"action", "redirect"}, {"location", "http://elsewhere.test/"}}},
        {"echo answers garbage", {{"host", "ipecho.test"}, {"action", "garbage"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ip_.clear();
        standin_.control(QStringLiteral("faults/clear"));
        standin_.control(QStringLiteral("faults"), c.fault);
        const Outcome outcome = runOnce();
        EXPECT_FALSE(outcome.result);
        EXPECT_TRUE(ip_.get().isEmpty());
        EXPECT_EQ(requestsTo("/version.htm"), 0) << "no version check without an address";
    }
}

TEST_F(StartupCheckTest, CancelledSignInMakesNoEchoRequest) {
    state_.CancelSignIn = true;
    EXPECT_FALSE(runOnce().result);
    EXPECT_EQ(requestsTo("/automation/n09230945.asp"), 0);
}

TEST_F(StartupCheckTest, ErrorReportCarriesLanguageAndCode) {
    PostErrorReport(standin_.endpoints(), QStringLiteral("German.lang"), QStringLiteral("0001"));
    const QJsonArray reports = standin_.controlGet(QStringLiteral("records?kind=reports")).array();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0][u"lang"].toString(), QStringLiteral("German.lang#0001"));
    EXPECT_EQ(reports[0][u"method"].toString(), QStringLiteral("POST"));
}

TEST_F(StartupCheckTest, AnAnswerWithoutEndFailsItsFetchAtOnceWithinItsLimit) {
    const struct {
        const char* kind;
        const char* host;
        const char* path;
        qsizetype limit;
        bool result;         // the address is known
        bool versionChecked; // the version was fetched (and failed)
    } kinds[] = {
        {"address echo", "ipecho.test", "/automation/n09230945.asp", answer_limits::kAddressEcho,
         false, false},
        {"version text", "update.quillo.test", "/version.htm", answer_limits::kVersionText, true,
         true},
    };
    for (const auto& k : kinds) {
        for (const char* action : kOversizedFaults) {
            SCOPED_TRACE(std::string(k.kind) + ", " + action);
            ip_.clear();
            standin_.control(QStringLiteral("faults/clear"));
            standin_.control(QStringLiteral("faults"), {{"host", QLatin1String(k.host)},
                                                        {"path", QLatin1String(k.path)},
                                                        {"action", QLatin1String(action)}});
            const int before = int(requestsTo(k.path));
            Outcome outcome{false, {}};
            const RequestCost cost = measureRequest([&] { outcome = runOnce(); });
            EXPECT_EQ(requestsTo(k.path), before + 1) << "the fetch met the fault";
            // Failed as a network failure fails it: no address, or no newer version.
            EXPECT_EQ(outcome.result, k.result);
            EXPECT_EQ(outcome.reports, QList<int>{0});
            EXPECT_EQ(ip_.get().isEmpty(), !k.result);
            EXPECT_LT(cost.elapsedMs, 15000);
            EXPECT_LE(cost.peakGrowthBytes, allowedGrowthBytes(k.limit));
            std::cout << "[ figures  ] " << k.kind << ", " << action << ": " << cost.elapsedMs
                      << " ms, peak memory +" << megabytes(cost.peakGrowthBytes) << " (limit "
                      << k.limit << " bytes)\n";
        }
    }
}

TEST_F(StartupCheckTest, AFetchThatThrowsFailsTheCheckAndTheOutcomeIsStillReported) {
    // The interruption is asked on the checking thread, inside each request.
    const Interruption throwing{nullptr, []() -> bool { throw std::bad_alloc(); }};
    QList<int> reports;
    StartupCheck check(
        standin_.endpoints(), state_, ip_, mac_, [] { return true; },
        [&reports](int newVersion) { reports.append(newVersion); }, throwing);
    EXPECT_FALSE(check.run());
    EXPECT_TRUE(ip_.get().isEmpty());
    EXPECT_EQ(reports, QList<int>{0});
    EXPECT_TRUE(check.FetchRemoteVersion().isEmpty());
    EXPECT_EQ(check.CheckForUpdate(), StartupCheck::UpdateAnswer::CheckFailed)
        << "a check without an answer is not \"no new version\"";
}
