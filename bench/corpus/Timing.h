#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

// Timing for the benchmarks. Every figure is printed next to a baseline
// measured in the same run, and the two take turns, so that a busy moment of
// a shared machine falls on both sides alike.
namespace Timing {

inline double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

inline double secondsOf(const std::function<void()>& work)
{
    return millisecondsOf(work) / 1e3;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Medians in milliseconds.
struct Pair
{
    double baseline = 0;
    double work = 0;
};

// One warm-up run of each side, then `runs` turns of each. A turn runs its
// side `repeat` times and counts the mean, for work too short to time once.
inline Pair interleaved(const std::function<void()>& baseline, const std::function<void()>& work,
                        int runs = 5, int repeat = 1)
{
    const auto turn = [repeat](const std::function<void()>& side) {
        return millisecondsOf([&] {
                   for (int i = 0; i < repeat; ++i)
                       side();
               }) /
               repeat;
    };
    baseline();
    work();
    std::vector<double> baselineTimes;
    std::vector<double> workTimes;
    for (int i = 0; i < runs; ++i) {
        baselineTimes.push_back(turn(baseline));
        workTimes.push_back(turn(work));
    }
    return {median(baselineTimes), median(workTimes)};
}

} // namespace Timing
