#pragma once

// Histogram of the 256 display levels of the sample buffer, as bar heights for the chart, and
// the points of the level marker. No widgets here: the chart is the frame's.

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvane::panels {

using LevelCounts = std::array<std::uint64_t, 256>;
using HistogramBars = std::array<double, 256>;

// Counts each level over `size` bytes. 64-bit counters, so no image size can overflow them.
// Large buffers are split over the available cores, each with private counters.
LevelCounts CountLevels(const std::uint8_t* levels, std::size_t size);

// Bar heights from counts: the tallest interior level (1..254) reaches 1, a lone interior spike
// taller than 5/3 of the runner-up is cut to the runner-up, levels 0 and 255 are clipped to the
// interior peak, and every non-empty level shows at least 0.02. With no interior level the
// larger of levels 0 and 255 is the reference. No counts at all (an empty image) give all 0.
HistogramBars BarHeights(LevelCounts counts);

// Counting and bar heights of an ImageWidth x ImageHeight buffer.
// `withoutValue` pixels of level 0 have no value and are not counted.
HistogramBars FillHistogram(const std::uint8_t* sampleBuffer, std::int64_t imageWidth,
                            std::int64_t imageHeight, std::int64_t withoutValue = 0);

struct ChartPoint {
    double X = 0;
    double Y = 0;
};

// The level marker: a spike from the baseline to the top of the chart at `level`, narrow enough
// to stay within one level on the 0..255 axis.
std::array<ChartPoint, 3> LevelMarkerPoints(int level);

} // namespace orvane::panels
