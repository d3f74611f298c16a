#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

// main() of a window benchmark: the registered benchmarks run inside an application on the
// offscreen platform (unless QT_QPA_PLATFORM names another). `prepare` builds what they share
// once the application exists; what it returns lives until they have all run.
template <typename Prepare> int runWindowBenchmarks(int argc, char** argv, Prepare prepare) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto shared = prepare();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
