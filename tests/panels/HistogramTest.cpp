#include "panels/Histogram.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace orvane::panels;

// A buffer holding `count` pixels of each listed level, in a scattered order.
std::vector<std::uint8_t> BufferOf(const std::map<int, int>& counts) {
    std::vector<std::uint8_t> buffer;
    for (const auto& [level, count] : counts) {
        buffer.insert(buffer.end(), static_cast<std::size_t>(count),
                      static_cast<std::uint8_t>(level));
    }
    std::shuffle(buffer.begin(), buffer.end(), std::mt19937(7));
    return buffer;
}

} // namespace

TEST(Histogram, BarHeightRules) {
    struct Case {
        std::string name;
        std::map<int, int> counts;
        std::map<int, double> bars; // every level not listed must be 0
    };
    const std::vector<Case> cases = {
        {"single interior level", {{77, 1000}}, {{77, 1.0}}},
        {"lone spike cut to runner-up", {{100, 1000}, {101, 500}}, {{100, 1.0}, {101, 1.0}}},
        {"runner-up at exactly 0.6: no cut", {{100, 1000}, {101, 600}}, {{100, 1.0}, {101, 0.6}}},
        {"two equal peaks",
         {{50, 500}, {200, 500}, {120, 100}},
         {{50, 1.0}, {200, 1.0}, {120, 0.2}}},
        {"black and white", {{0, 300}, {255, 700}}, {{0, 300.0 / 700}, {255, 1.0}}},
        {"black and white, tiny share", {{0, 1000}, {255, 10}}, {{0, 1.0}, {255, 0.02}}},
        {"black and white tie", {{0, 400}, {255, 400}}, {{0, 1.0}, {255, 1.0}}},
        {"extremes clipped to the interior peak",
         {{0, 5000}, {100, 1000}, {101, 900}, {255, 1001}},
         {{0, 1.0}, {100, 1.0}, {101, 0.9}, {255, 1.0}}},
        {"single pixel shows a sliver",
         {{10, 1}, {100, 100000}, {101, 90000}},
         {{10, 0.02}, {100, 1.0}, {101, 0.9}}},
        {"all zero bytes", {{0, 640 * 4}}, {{0, 1.0}}},
        {"spike cut, then extremes clipped to the cut",
         {{0, 800}, {60, 1000}, {61, 400}},
         {{0, 1.0}, {60, 1.0}, {61, 1.0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto buffer = BufferOf(c.counts);
        const HistogramBars bars = FillHistogram(buffer.data(), static_cast<int>(buffer.size()), 1);
        for (int level = 0; level < 256; ++level) {
            const auto it = c.bars.find(level);
            EXPECT_DOUBLE_EQ(bars[level], it == c.bars.end() ? 0.0 : it->second)
                << "level " << level;
        }
    }
}

TEST(Histogram, EmptyImageGivesNoBars) {
    const HistogramBars bars = FillHistogram(nullptr, 0, 0);
    for (double b : bars) {
        EXPECT_EQ(b, 0.0);
    }
}

TEST(CountLevels, MatchesOneCounterPerByte) {
    // Large enough to be split over threads, with a length that splits unevenly.
    const std::size_t size = (std::size_t{24} << 20) + 13;
    std::vector<std::uint8_t> buffer(size);
    std::mt19937 random(11);
    for (std::size_t i = 0; i < size; ++i) {
        // Long runs of one level alternate with noise.
        buffer[i] = (i / 4096) % 3 == 0 ? 200 : static_cast<std::uint8_t>(random());
    }
    LevelCounts expected{};
    for (std::uint8_t level : buffer) {
        ++expected[level];
    }
    EXPECT_EQ(CountLevels(buffer.data(), size), expected);
    // Odd small sizes stay on one thread and still count the tail.
    for (std::size_t small : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{4099}}) {
        LevelCounts e{};
        for (std::size_t i = 0; i < small; ++i) {
            ++e[buffer[i]];
        }
        EXPECT_EQ(CountLevels(buffer.data(), small), e) << small;
    }
}

TEST(LevelMarker, NarrowSpikeAtTheLevel) {
    const auto points = LevelMarkerPoints(128);
    EXPECT_DOUBLE_EQ(points[0].X, 128 - 0.0000001);
    EXPECT_EQ(points[0].Y, 0.0);
    EXPECT_EQ(points[1].X, 128.0);
    EXPECT_EQ(points[1].Y, 1.0);
    EXPECT_DOUBLE_EQ(points[2].X, 128 + 0.0000001);
    EXPECT_EQ(points[2].Y, 0.0);
}
