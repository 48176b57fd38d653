// One copy of the program at a time, and a crashed copy's lock never blocks the next start.
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/single_instance.h"

using namespace quillo;

TEST(SingleInstance, ASecondCopyFindsTheLockHeldUntilTheFirstEnds) {
    QTemporaryDir folder;
    {
        SingleInstance first(folder.path());
        ASSERT_TRUE(first.acquired());
        SingleInstance second(folder.path());
        EXPECT_FALSE(second.acquired());
    }
    SingleInstance next(folder.path());
    EXPECT_TRUE(next.acquired()) << "the lock goes with the copy that held it";
}

TEST(SingleInstance, ALockLeftByACrashedCopyIsTakenOver) {
    QTemporaryDir folder;
    QFile stale(folder.filePath(QStringLiteral("QLFFB_instance.lock")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    // The lock file's own layout: the holder's process id, program name and host.
    stale.write("2147483646\nquillo\n" + QSysInfo::machineHostName().toUtf8() + '\n');
    stale.close();
    SingleInstance copy(folder.path());
    EXPECT_TRUE(copy.acquired());
}
