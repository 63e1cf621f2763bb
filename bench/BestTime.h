#pragma once
// The best of a few timed runs: the benchmarks' measure, least disturbed by the rest of the
// machine.
#include <algorithm>
#include <chrono>
#include <functional>

namespace orvane::bench {

inline double BestSeconds(int runs, const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace orvane::bench
