#pragma once
// Samples that are heights in their own right (signed and 32-bit integers, floating point, or
// any file with a declared no-data value): how they become the 8-bit levels of the picture.
// Unsigned 8- and 16-bit files without a no-data value keep the high-byte rule of
// LevelReduction and never come here.
#include "image/GeoTiff.h"
#include "image/SampleKind.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace orvane::image {

// The valid values a read has met.
struct ValueRange {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    std::int64_t valid = 0;  // kept pixels with a value
    std::int64_t noData = 0; // kept pixels without one

    void Merge(const ValueRange& other) {
        min = std::min(min, other.min);
        max = std::max(max, other.max);
        valid += other.valid;
        noData += other.noData;
    }
};

// The share of [low, high] below `value`, (v - low) / (high - low), for a range wider than
// zero. A range wider than the largest double (values of both signs near it) is taken at half
// its size, which is exact; so 256 times the share never overflows either.
inline double ShareOfRange(double value, double low, double high) {
    const double span = high - low;
    if (std::isfinite(span))
        return (value - low) / span;
    return (0.5 * value - 0.5 * low) / (0.5 * high - 0.5 * low);
}

// The level of a value of [low, high]: min(255, floor(256 (v - low) / (high - low))) in double
// precision; a range of one value (low == high) gives level 0. Scaling by 256 after the division
// is exact, so this is the rule's value, without its overflow for values beyond 7e305.
inline std::uint8_t LevelOfValue(double value, double low, double high) {
    if (!(high > low))
        return 0;
    const double level = 256.0 * ShareOfRange(value, low, high);
    return level > 0 ? static_cast<std::uint8_t>(std::min(std::floor(level), 255.0)) : 0;
}

// How stored samples become heights for a read that measures rather than shows: height =
// value x Scale, or the entry of Table for 8- and 16-bit unsigned samples, whose heights come from
// the file's range over the bit depth. NaN stands for a pixel without a value.
struct HeightConversion {
    SampleFormat format;
    NoDataMatch noData;
    double scale = 1;
    std::shared_ptr<const std::vector<double>> table; // one height per sample value
};

// Receives the heights of a measuring read, row by row; each reading thread has its own.
class HeightRows {
public:
    virtual ~HeightRows() = default;
    // Heights of file pixels (firstColumn + i, row), i < count; NaN where a pixel has no value.
    virtual void Row(std::int64_t row, std::int64_t firstColumn, const double* heights,
                     std::int64_t count) = 0;
    // A receiver that would rather count stored samples than add up heights (the heights of 8-
    // and 16-bit unsigned samples come from a table) says so, and then gets SampleRow in place
    // of Row: the samples of pixels (firstColumn + i x columnStep, row), every columnStep-th of
    // `samples`, in this machine's byte order.
    virtual bool TakesSamples() const { return false; }
    virtual void SampleRow(std::int64_t row, std::int64_t firstColumn, const std::uint8_t* samples,
                           std::int64_t count, std::int64_t columnStep) {
        (void)row, (void)firstColumn, (void)samples, (void)count, (void)columnStep;
    }
};
using HeightRowsMaker = std::function<std::unique_ptr<HeightRows>()>;

// Converts `count` samples, every `columnStep`-th one of `samples` (this machine's byte order).
void SampleHeights(const std::uint8_t* samples, std::int64_t count, std::int64_t columnStep,
                   const HeightConversion& conversion, double* heights);

// The height of one stored value, as SampleHeights gives it.
double HeightOfValue(double value, const HeightConversion& conversion);

// A read of such samples runs twice: first for the range of the valid values, then for the
// levels over that range, with a bit per kept pixel marking those without a value.
struct ValueMapping {
    SampleFormat format;
    NoDataMatch noData;
    bool rangeOnly = true; // the first pass: only `range` is gathered
    double low = 0, high = 0;
    std::uint8_t* mask = nullptr; // the levels pass: one bit per kept pixel, rows of maskStride
    std::int64_t maskStride = 0;
    // A measuring read: rows of heights go to a receiver per thread (made by `heightRows`, which
    // is called from the reading threads and must be safe to call from several), and no level
    // is written.
    const HeightConversion* heights = nullptr;
    const HeightRowsMaker* heightRows = nullptr;
};

// Bytes per row of a no-data mask of `keptWidth` pixels: whole bytes, so that threads writing
// different rows never share one.
inline std::int64_t MaskStride(std::int64_t keptWidth) {
    return (keptWidth + 7) / 8;
}

inline bool MaskBit(const std::uint8_t* mask, std::int64_t stride, std::int64_t column,
                    std::int64_t row) {
    return (mask[row * stride + column / 8] >> (column % 8)) & 1;
}

// Maps `count` samples, every `columnStep`-th one of `samples` (this machine's byte order),
// to levels from `levels` on (none in the range pass), marking no-data pixels in row
// `keptRow` of the mask from column `firstColumn` on, and adding the valid values to `range`.
void MapValues(const std::uint8_t* samples, std::int64_t count, std::int64_t columnStep,
               const ValueMapping& mapping, std::uint8_t* levels, std::int64_t keptRow,
               std::int64_t firstColumn, ValueRange& range);

// The stored value of one sample of `format` at `sample` (this machine's byte order).
double SampleValue(const std::uint8_t* sample, const SampleFormat& format);

} // namespace orvane::image
