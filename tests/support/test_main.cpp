// GoogleTest entry for engine tests: a QCoreApplication exists for the whole run, so code that
// needs an event loop (queued calls, timers, threads reporting back) behaves as in the program.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
