#include "image/LevelReduction.h"

#include <cstring>

namespace orvane::image {
namespace {

// A compile-time stride lets the compiler turn the loop into vector shuffles;
// `__restrict` tells it the level buffer never overlaps the samples.
template <int Stride>
void KeepEvery(const std::uint8_t* __restrict in, std::int64_t count,
               std::uint8_t* __restrict out) {
    for (std::int64_t i = 0; i < count; ++i)
        out[i] = in[Stride * i];
}

void KeepEvery(const std::uint8_t* __restrict in, std::int64_t count, std::int64_t stride,
               std::uint8_t* __restrict out) {
    for (std::int64_t i = 0; i < count; ++i)
        out[i] = in[stride * i];
}

// Byte stride between kept levels: `stride` bytes apart, starting at `in`.
void KeepBytes(const std::uint8_t* in, std::int64_t count, std::int64_t stride, std::uint8_t* out) {
    switch (stride) {
    case 1:
        std::memcpy(out, in, static_cast<std::size_t>(count));
        return;
    case 2:
        return KeepEvery<2>(in, count, out);
    case 3:
        return KeepEvery<3>(in, count, out);
    case 4:
        return KeepEvery<4>(in, count, out);
    case 6:
        return KeepEvery<6>(in, count, out);
    case 8:
        return KeepEvery<8>(in, count, out);
    default:
        return KeepEvery(in, count, stride, out);
    }
}

template <typename Sample> Sample SampleAt(const std::uint8_t* bytes, std::int64_t index) {
    Sample value;
    std::memcpy(&value, bytes + index * std::int64_t(sizeof(Sample)), sizeof(Sample));
    return value;
}

template <typename Sample> std::uint8_t LevelOf(Sample sum) {
    return static_cast<std::uint8_t>(sum >> (8 * (sizeof(Sample) - 1)));
}

template <typename Sample>
void KeepAccumulated(const std::uint8_t* differences, std::int64_t keptCount,
                     std::int64_t columnStep, std::uint8_t* levels) {
    if (keptCount <= 0)
        return;
    Sample sum = SampleAt<Sample>(differences, 0);
    levels[0] = LevelOf(sum);
    if (columnStep == 1) {
        for (std::int64_t i = 1; i < keptCount; ++i) {
            sum = Sample(sum + SampleAt<Sample>(differences, i));
            levels[i] = LevelOf(sum);
        }
        return;
    }
    // Every sample up to the last kept one adds to the sum.
    for (std::int64_t kept = 1, i = 1; kept < keptCount; ++kept) {
        for (const std::int64_t end = kept * columnStep; i <= end; ++i)
            sum = Sample(sum + SampleAt<Sample>(differences, i));
        levels[kept] = LevelOf(sum);
    }
}

} // namespace

int HighByteIndex(bool bigEndian) {
    return bigEndian ? 0 : 1;
}

int NativeHighByteIndex() {
    const std::uint16_t one = 1;
    std::uint8_t first = 0;
    std::memcpy(&first, &one, 1);
    return HighByteIndex(first == 0);
}

void KeepLevels8(const std::uint8_t* samples, std::int64_t keptCount, std::int64_t columnStep,
                 std::uint8_t* levels) {
    if (keptCount > 0)
        KeepBytes(samples, keptCount, columnStep, levels);
}

void KeepLevels16(const std::uint8_t* samples, std::int64_t keptCount, std::int64_t columnStep,
                  int highByteIndex, std::uint8_t* levels) {
    if (keptCount > 0)
        KeepBytes(samples + highByteIndex, keptCount, 2 * columnStep, levels);
}

void KeepAccumulatedLevels8(const std::uint8_t* differences, std::int64_t keptCount,
                            std::int64_t columnStep, std::uint8_t* levels) {
    KeepAccumulated<std::uint8_t>(differences, keptCount, columnStep, levels);
}

void KeepAccumulatedLevels16(const std::uint8_t* differences, std::int64_t keptCount,
                             std::int64_t columnStep, std::uint8_t* levels) {
    KeepAccumulated<std::uint16_t>(differences, keptCount, columnStep, levels);
}

} // namespace orvane::image
