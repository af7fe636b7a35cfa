#pragma once

#include <QtGlobal>

#include <functional>

// Wall-clock timing for the benchmarks, reported through Qt Test's benchmark results.
namespace BenchClock {

// The median time of one `run`, in milliseconds, after one run to warm up. It runs at least
// `minRuns` times and for at least `minTotalMs`; `prepare`, if given, runs untimed before each.
qreal medianMs(const std::function<void()>& run, const std::function<void()>& prepare = {},
               int minRuns = 9, qreal minTotalMs = 500);

// medianMs() reported as the result of the running benchmark.
void report(const std::function<void()>& run, const std::function<void()>& prepare = {});

} // namespace BenchClock
