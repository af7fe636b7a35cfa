#include "benchclock.h"

#include <QElapsedTimer>
#include <QVector>
#include <QtTest>

#include <algorithm>

namespace BenchClock {

qreal medianMs(const std::function<void()>& run, const std::function<void()>& prepare, int minRuns,
               qreal minTotalMs) {
    const auto timed = [&run, &prepare] {
        if (prepare) {
            prepare();
        }
        QElapsedTimer timer;
        timer.start();
        run();
        return timer.nsecsElapsed() / 1e6;
    };
    timed();
    QVector<qreal> samples;
    qreal total = 0;
    constexpr int maxRuns = 1000;
    while ((samples.size() < minRuns || total < minTotalMs) && samples.size() < maxRuns) {
        samples.append(timed());
        total += samples.last();
    }
    std::sort(samples.begin(), samples.end());
    return samples.at(samples.size() / 2);
}

void report(const std::function<void()>& run, const std::function<void()>& prepare) {
    QTest::setBenchmarkResult(medianMs(run, prepare), QTest::WalltimeMilliseconds);
}

} // namespace BenchClock
