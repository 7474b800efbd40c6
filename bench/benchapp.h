#pragma once

// The main() every editor benchmark shares: the fixtures need a widget platform but no screen.

#include <QApplication>
#include <benchmark/benchmark.h>

#include <functional>

namespace tl::bench
{

// Runs the benchmarks named on the command line. setUp runs once the application exists
// (fixtures built before any benchmark); tearDown once they are done, while the application
// still lives (widgets must go before it).
inline int RunHeadless(int argc, char** argv, const std::function<void()>& setUp = {},
                       const std::function<void()>& tearDown = {})
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (setUp)
        setUp();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (tearDown)
        tearDown();
    return 0;
}

} // namespace tl::bench
