#include "image/ValueMapping.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <type_traits>

namespace orvane::image {

namespace {

template <class T> double Load(const std::uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return static_cast<double>(value);
}

// The range pass: the smallest and largest valid value. Written without branches on the value,
// so that the compiler can vectorise it: a read spends a whole pass here.
template <class T>
void RangeTyped(const std::uint8_t* samples, std::int64_t count, std::int64_t columnStep,
                const NoDataMatch& noDataMatch, ValueRange& range) {
    const std::int64_t stride = columnStep * std::int64_t(sizeof(T));
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double low = range.min, high = range.max;
    std::int64_t noData = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        const double value = Load<T>(samples + i * stride);
        const bool missing = noDataMatch.Matches(value);
        noData += missing;
        low = std::min(low, missing ? kInf : value);
        high = std::max(high, missing ? -kInf : value);
    }
    range.min = low;
    range.max = high;
    range.valid += count - noData;
    range.noData += noData;
}

// The levels pass: LevelOfValue for every sample, level 0 and a mask bit for those without a
// value. Clamping to [0, 255] before the conversion to an integer gives what the floor then
// the clamp of LevelOfValue give, for every value that is not NaN; NaN is no-data. A range
// wider than the largest double is taken at half its size, as ShareOfRange does.
template <class T>
void LevelsTyped(const std::uint8_t* samples, std::int64_t count, std::int64_t columnStep,
                 const ValueMapping& m, std::uint8_t* levels, std::uint8_t* maskRow,
                 std::int64_t firstColumn, ValueRange& range) {
    const std::int64_t stride = columnStep * std::int64_t(sizeof(T));
    const bool spread = m.high > m.low;
    const double half = std::isfinite(m.high - m.low) ? 1.0 : 0.5;
    const double low = half * m.low, span = spread ? half * m.high - half * m.low : 1.0;
    std::int64_t noData = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        const double value = Load<T>(samples + i * stride);
        const bool missing = m.noData.Matches(value);
        noData += missing;
        const double level = std::clamp((half * value - low) / span * 256.0, 0.0, 255.0);
        levels[i] = missing || !spread || !(level >= 0) ? 0 : static_cast<std::uint8_t>(level);
    }
    if (noData > 0 && maskRow)
        for (std::int64_t i = 0; i < count; ++i)
            if (m.noData.Matches(Load<T>(samples + i * stride))) {
                const std::int64_t column = firstColumn + i;
                maskRow[column / 8] |= std::uint8_t(1u << (column % 8));
            }
    range.valid += count - noData;
    range.noData += noData;
}

template <class Visit> void ByFormat(const SampleFormat& f, Visit&& visit) {
    switch (f.kind) {
    case SampleKind::Unsigned:
        if (f.bits == 8)
            visit(std::uint8_t{});
        else if (f.bits == 16)
            visit(std::uint16_t{});
        else
            visit(std::uint32_t{});
        break;
    case SampleKind::Signed:
        if (f.bits == 8)
            visit(std::int8_t{});
        else if (f.bits == 16)
            visit(std::int16_t{});
        else
            visit(std::int32_t{});
        break;
    case SampleKind::Float:
        if (f.bits == 32)
            visit(float{});
        else
            visit(double{});
        break;
    }
}

} // namespace

void MapValues(const std::uint8_t* samples, std::int64_t count, std::int64_t columnStep,
               const ValueMapping& mapping, std::uint8_t* levels, std::int64_t keptRow,
               std::int64_t firstColumn, ValueRange& range) {
    std::uint8_t* maskRow =
        mapping.rangeOnly || !mapping.mask ? nullptr : mapping.mask + keptRow * mapping.maskStride;
    ByFormat(mapping.format, [&](auto type) {
        using T = decltype(type);
        if (mapping.rangeOnly)
            RangeTyped<T>(samples, count, columnStep, mapping.noData, range);
        else
            LevelsTyped<T>(samples, count, columnStep, mapping, levels, maskRow, firstColumn,
                           range);
    });
}

void SampleHeights(const std::uint8_t* samples, std::int64_t count, std::int64_t columnStep,
                   const HeightConversion& c, double* heights) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    ByFormat(c.format, [&](auto type) {
        using T = decltype(type);
        const std::int64_t stride = columnStep * std::int64_t(sizeof(T));
        if constexpr (std::is_same_v<T, std::uint8_t> || std::is_same_v<T, std::uint16_t>) {
            if (c.table) {
                const double* table = c.table->data();
                for (std::int64_t i = 0; i < count; ++i) {
                    T value;
                    std::memcpy(&value, samples + i * stride, sizeof value);
                    heights[i] = table[value];
                }
                return;
            }
        }
        for (std::int64_t i = 0; i < count; ++i) {
            const double value = Load<T>(samples + i * stride);
            heights[i] = c.noData.Matches(value) ? kNaN : value * c.scale;
        }
    });
}

double HeightOfValue(double value, const HeightConversion& c) {
    if (c.table) {
        if (value >= 0 && value < double(c.table->size()) && value == std::floor(value))
            return (*c.table)[std::size_t(value)];
        return std::numeric_limits<double>::quiet_NaN();
    }
    return c.noData.Matches(value) ? std::numeric_limits<double>::quiet_NaN() : value * c.scale;
}

double SampleValue(const std::uint8_t* sample, const SampleFormat& format) {
    double value = 0;
    ByFormat(format, [&](auto type) { value = Load<decltype(type)>(sample); });
    return value;
}

} // namespace orvane::image
