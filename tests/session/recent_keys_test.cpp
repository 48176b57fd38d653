#include <gtest/gtest.h>

#include "session/recent_keys.h"

using namespace quillo;

namespace {

QString key(int n) {
    return QStringLiteral("line %1").arg(n);
}

} // namespace

TEST(RecentKeys, AKeyIsNewOnceAndForgottenOldestFirstPastTheCapacity) {
    RecentKeys keys(3);
    EXPECT_TRUE(keys.insert(key(1)));
    EXPECT_FALSE(keys.insert(key(1)));
    for (int n = 2; n <= 5; ++n)
        EXPECT_TRUE(keys.insert(key(n)));
    EXPECT_EQ(keys.size(), 3);
    EXPECT_FALSE(keys.contains(key(1)));
    EXPECT_FALSE(keys.contains(key(2)));
    EXPECT_TRUE(keys.contains(key(3)));
    EXPECT_TRUE(keys.insert(key(1))); // forgotten, so new again
}

TEST(RecentKeys, AKeyErasedAndInsertedAgainCountsFromItsNewPlace) {
    RecentKeys keys(2);
    keys.insert(key(1));
    keys.insert(key(2));
    EXPECT_TRUE(keys.erase(key(1)));
    EXPECT_FALSE(keys.erase(key(1)));
    keys.insert(key(1)); // now the newest
    keys.insert(key(3)); // forgets 2, the oldest, not 1
    EXPECT_TRUE(keys.contains(key(1)));
    EXPECT_FALSE(keys.contains(key(2)));
    EXPECT_TRUE(keys.contains(key(3)));
}

// Lines replayed and then met live are inserted and erased again and again: nothing of them may
// pile up, and what is still kept stays kept.
TEST(RecentKeys, KeysInsertedAndErasedLeaveNothingBehind) {
    RecentKeys keys(4);
    keys.insert(QStringLiteral("kept"));
    for (int n = 0; n < 100000; ++n) {
        ASSERT_TRUE(keys.insert(key(n)));
        ASSERT_TRUE(keys.erase(key(n)));
    }
    EXPECT_EQ(keys.size(), 1);
    EXPECT_TRUE(keys.contains(QStringLiteral("kept")));
    EXPECT_LE(keys.entriesHeld(), 9);
}
