#pragma once
// A console reporter that also keeps each benchmark's real time per iteration, so that a
// benchmark's main can print the ratio of two runs measured in the same process.
// Main thread only; lives for the whole run in main.

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            seconds[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};
