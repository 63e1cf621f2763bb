#include "image/ValueMapping.h"

#include <algorithm>
#include <cstring>

namespace orvane::image {

namespace {

template <class T> double Load(const std::uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return static_cast<double>(value);
}

template <class T>
void MapTyped(const std::uint8_t* samples, std::int64_t count, std::int64_t columnStep,
              const ValueMapping& m, std::uint8_t* levels, std::uint8_t* maskRow,
              std::int64_t firstColumn, ValueRange& range) {
    const std::int64_t stride = columnStep * std::int64_t(sizeof(T));
    double low = range.min, high = range.max;
    std::int64_t valid = 0, noData = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        const double value = Load<T>(samples + i * stride);
        if (m.noData.Matches(value)) {
            ++noData;
            if (levels)
                levels[i] = 0;
            if (maskRow) {
                const std::int64_t column = firstColumn + i;
                maskRow[column / 8] |= std::uint8_t(1u << (column % 8));
            }
            continue;
        }
        ++valid;
        if (m.rangeOnly) {
            low = std::min(low, value);
            high = std::max(high, value);
        } else {
            levels[i] = LevelOfValue(value, m.low, m.high);
        }
    }
    range.min = low;
    range.max = high;
    range.valid += valid;
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
        MapTyped<decltype(type)>(samples, count, columnStep, mapping,
                                 mapping.rangeOnly ? nullptr : levels, maskRow, firstColumn, range);
    });
}

double SampleValue(const std::uint8_t* sample, const SampleFormat& format) {
    double value = 0;
    ByFormat(format, [&](auto type) { value = Load<decltype(type)>(sample); });
    return value;
}

} // namespace orvane::image
