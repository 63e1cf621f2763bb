#include "panels/Histogram.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace orvane::panels {

namespace {

// Four private tables: runs of one level would otherwise make every increment wait for the
// previous store to the same counter.
void CountRange(const std::uint8_t* levels, std::size_t size, LevelCounts& counts) {
    // 32-bit lanes are faster to increment; flushed into the 64-bit totals before they could
    // overflow.
    constexpr std::size_t chunk = std::size_t{1} << 30;
    std::uint32_t lanes[4][256];
    for (std::size_t begin = 0; begin < size; begin += chunk) {
        const std::size_t end = std::min(size, begin + chunk);
        std::fill(&lanes[0][0], &lanes[0][0] + 4 * 256, 0u);
        std::size_t i = begin;
        for (; i + 4 <= end; i += 4) {
            ++lanes[0][levels[i]];
            ++lanes[1][levels[i + 1]];
            ++lanes[2][levels[i + 2]];
            ++lanes[3][levels[i + 3]];
        }
        for (; i < end; ++i) {
            ++lanes[0][levels[i]];
        }
        for (int level = 0; level < 256; ++level) {
            counts[level] += std::uint64_t{lanes[0][level]} + lanes[1][level] + lanes[2][level] +
                             lanes[3][level];
        }
    }
}

} // namespace

LevelCounts CountLevels(const std::uint8_t* levels, std::size_t size) {
    LevelCounts counts{};
    if (levels == nullptr || size == 0) {
        return counts;
    }
    // Below a few megabytes a thread costs more than it saves.
    constexpr std::size_t minBytesPerThread = std::size_t{4} << 20;
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads = std::clamp<std::size_t>(size / minBytesPerThread, 1, cores);
    if (threads == 1) {
        CountRange(levels, size, counts);
        return counts;
    }
    std::vector<LevelCounts> partial(threads, LevelCounts{});
    std::vector<std::thread> workers;
    workers.reserve(threads - 1);
    const std::size_t share = size / threads;
    for (std::size_t t = 1; t < threads; ++t) {
        const std::size_t begin = t * share;
        const std::size_t length = t + 1 == threads ? size - begin : share;
        workers.emplace_back(CountRange, levels + begin, length, std::ref(partial[t]));
    }
    CountRange(levels, share, partial[0]); // this thread takes the first share
    for (auto& worker : workers) {
        worker.join();
    }
    for (const auto& p : partial) {
        for (int level = 0; level < 256; ++level) {
            counts[level] += p[level];
        }
    }
    return counts;
}

HistogramBars BarHeights(LevelCounts counts) {
    // Peak over the interior levels; strictly greater, so the lowest of equal levels wins.
    std::uint64_t peak = 0;
    int peakLevel = 0;
    for (int level = 1; level <= 254; ++level) {
        if (counts[level] > peak) {
            peak = counts[level];
            peakLevel = level;
        }
    }
    std::uint64_t runnerUp = 0;
    for (int level = 1; level <= 254; ++level) {
        if (level != peakLevel && counts[level] > runnerUp) {
            runnerUp = counts[level];
        }
    }
    if (peak == 0) {
        // Only the extremes occur: the larger of them is the reference (255 on a tie).
        peak = counts[0] > counts[255] ? counts[0] : counts[255];
        runnerUp = peak;
    }
    // A lone interior spike would flatten every other bar: cut it to the runner-up.
    if (runnerUp != 0 && 0.6 * static_cast<double>(peak) > static_cast<double>(runnerUp)) {
        counts[peakLevel] = runnerUp;
        peak = runnerUp;
    }
    // The extremes collect everything out of range; never let them dwarf the image's levels.
    counts[0] = std::min(counts[0], peak);
    counts[255] = std::min(counts[255], peak);

    HistogramBars bars{};
    if (peak == 0) {
        return bars; // no pixels at all
    }
    for (int level = 0; level < 256; ++level) {
        double height = static_cast<double>(counts[level]) / static_cast<double>(peak);
        // A few pixels still deserve a visible sliver.
        if (height != 0 && height < 0.02) {
            height = 0.02;
        }
        bars[level] = height;
    }
    return bars;
}

HistogramBars FillHistogram(const std::uint8_t* sampleBuffer, std::int64_t imageWidth,
                            std::int64_t imageHeight, std::int64_t withoutValue) {
    if (imageWidth <= 0 || imageHeight <= 0) {
        return BarHeights(LevelCounts{});
    }
    const std::size_t size = static_cast<std::size_t>(imageWidth) * imageHeight;
    LevelCounts counts = CountLevels(sampleBuffer, size);
    // Pixels without a value hold level 0, and are no height.
    counts[0] -=
        std::min<std::uint64_t>(counts[0], std::uint64_t(std::max<std::int64_t>(0, withoutValue)));
    return BarHeights(counts);
}

std::array<ChartPoint, 3> LevelMarkerPoints(int level) {
    return {
        {{level - 0.0000001, 0.0}, {static_cast<double>(level), 1.0}, {level + 0.0000001, 0.0}}};
}

} // namespace orvane::panels
