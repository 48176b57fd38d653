#pragma once
// What the benchmarks against the local stand-in share: one stand-in for the whole program,
// started at first use, and a main that checks it started and lets held long polls wait long
// enough for any measurement.

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdio>

#include "harness/standin_process.h"

inline quillo::test::StandInProcess& standin() {
    static quillo::test::StandInProcess process;
    return process;
}

inline int RunBenchmarksAgainstStandIn(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!standin().started()) {
        std::fprintf(stderr, "the stand-in did not start: %s\n", qPrintable(standin().problem()));
        return 1;
    }
    standin().control(QStringLiteral("settings"), {{"hold_ms", 30000}});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
