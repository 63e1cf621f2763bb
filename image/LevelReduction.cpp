#include "image/LevelReduction.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Running sums of 16 differences at a time: a prefix sum inside the vector
// (log2 of the lane count shifted adds) plus the sum carried in from before,
// broadcast to every lane. Returns how many samples it did.
std::int64_t AccumulateVector8(const std::uint8_t* differences, std::int64_t count,
                               std::uint8_t& sum, std::uint8_t* levels) {
    __m128i carry = _mm_set1_epi8(char(sum));
    std::int64_t i = 0;
    for (; i + 16 <= count; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(differences + i));
        v = _mm_add_epi8(v, _mm_slli_si128(v, 1));
        v = _mm_add_epi8(v, _mm_slli_si128(v, 2));
        v = _mm_add_epi8(v, _mm_slli_si128(v, 4));
        v = _mm_add_epi8(v, _mm_slli_si128(v, 8));
        v = _mm_add_epi8(v, carry);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(levels + i), v);
        // Byte 15 to every lane.
        const __m128i top = _mm_srli_si128(v, 15);
        carry = _mm_unpacklo_epi8(top, top);
        carry = _mm_shufflelo_epi16(carry, 0);
        carry = _mm_shuffle_epi32(carry, 0);
    }
    if (i > 0)
        sum = levels[i - 1];
    return i;
}

__m128i PrefixSum16(__m128i v, __m128i carry) {
    v = _mm_add_epi16(v, _mm_slli_si128(v, 2));
    v = _mm_add_epi16(v, _mm_slli_si128(v, 4));
    v = _mm_add_epi16(v, _mm_slli_si128(v, 8));
    return _mm_add_epi16(v, carry);
}

__m128i LastLane16(__m128i v) {
    return _mm_shuffle_epi32(_mm_shufflehi_epi16(v, 0xFF), 0xFF);
}

std::int64_t AccumulateVector16(const std::uint8_t* differences, std::int64_t count,
                                std::uint16_t& sum, std::uint8_t* levels) {
    __m128i carry = _mm_set1_epi16(short(sum));
    std::int64_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i low = PrefixSum16(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(differences + 2 * i)), carry);
        const __m128i high =
            PrefixSum16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(differences + 2 * i + 16)),
                        LastLane16(low));
        carry = LastLane16(high);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(levels + i),
                         _mm_packus_epi16(_mm_srli_epi16(low, 8), _mm_srli_epi16(high, 8)));
    }
    if (i > 0)
        sum = std::uint16_t(_mm_cvtsi128_si32(carry));
    return i;
}
#endif

std::int64_t AccumulateVector(const std::uint8_t* differences, std::int64_t count,
                              std::uint8_t& sum, std::uint8_t* levels) {
#if defined(__SSE2__)
    return AccumulateVector8(differences, count, sum, levels);
#else
    return 0;
#endif
}

std::int64_t AccumulateVector(const std::uint8_t* differences, std::int64_t count,
                              std::uint16_t& sum, std::uint8_t* levels) {
#if defined(__SSE2__)
    return AccumulateVector16(differences, count, sum, levels);
#else
    return 0;
#endif
}

template <typename Sample>
void KeepAccumulated(const std::uint8_t* differences, std::int64_t keptCount,
                     std::int64_t columnStep, std::uint8_t* levels) {
    if (keptCount <= 0)
        return;
    if (columnStep == 1) {
        Sample sum = 0;
        std::int64_t i = AccumulateVector(differences, keptCount, sum, levels);
        for (; i < keptCount; ++i) {
            sum = Sample(sum + SampleAt<Sample>(differences, i));
            levels[i] = LevelOf(sum);
        }
        return;
    }
    Sample sum = SampleAt<Sample>(differences, 0);
    levels[0] = LevelOf(sum);
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
