// The main function of the window benchmarks: one QApplication (on the headless platform unless
// QT_QPA_PLATFORM says otherwise), then the benchmarks named on the command line.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

inline int RunGuiBenchmarks(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
