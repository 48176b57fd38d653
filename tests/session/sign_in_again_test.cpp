// When the program signs in again by itself after a lost session.
#include <gtest/gtest.h>

#include "session/sign_in_again.h"

using namespace quillo;
using Wait = SignInAgainRule::Wait;

namespace {

std::optional<qint64> waitMs(std::optional<Wait> wait) {
    return wait ? std::optional<qint64>(wait->count()) : std::nullopt;
}

} // namespace

TEST(SignInAgainRule, AtOnceThenLongerThenNoMore) {
    SignInAgainRule rule;
    qint64 now = 0;
    QList<std::optional<qint64>> waits;
    // A service that takes the password and ends every session a second later.
    for (int loss = 0; loss < 6; ++loss) {
        rule.sessionStarted(now);
        now += 1000;
        waits.append(waitMs(rule.afterLoss(now)));
    }
    EXPECT_EQ(waits,
              (QList<std::optional<qint64>>{0, 5000, 30000, 120000, std::nullopt, std::nullopt}));
}

TEST(SignInAgainRule, ASessionThatLastedOrThePersonStartsTheCountAnew) {
    SignInAgainRule rule;
    rule.afterLoss(0);
    rule.afterLoss(10);
    EXPECT_EQ(waitMs(rule.afterLoss(20)), 30000);

    rule.sessionStarted(1000);
    EXPECT_EQ(waitMs(rule.afterLoss(1000 + SignInAgainRule::kLastedLongEnough.count())), 0)
        << "a session of two minutes was no failure of the attempt before it";

    rule.afterLoss(200000);
    rule.reset();
    EXPECT_EQ(waitMs(rule.afterLoss(200010)), 0) << "the person signed in themselves";

    // A loss without a session in between (the sign-in itself failed) counts on.
    EXPECT_EQ(waitMs(rule.afterLoss(200020)), 5000);
}
