// The hand-written and vectorised level loops against their plain meaning,
// for every row length around the vector widths and the common steps.
#include "image/LevelReduction.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using namespace orvane::image;

std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& b : bytes)
        b = std::uint8_t(random());
    return bytes;
}

std::uint16_t Native16(const std::vector<std::uint8_t>& bytes, std::int64_t index) {
    std::uint16_t value;
    std::memcpy(&value, bytes.data() + 2 * index, 2);
    return value;
}

TEST(LevelReduction, KeepsEveryStepthSampleOrItsHighByte) {
    for (std::int64_t step : {1, 2, 3, 4, 5, 6, 8, 11})
        for (std::int64_t kept = 0; kept <= 70; ++kept) {
            const auto samples = RandomBytes(std::size_t(2 * kept * step + 2), unsigned(kept));
            std::vector<std::uint8_t> levels(std::size_t(kept) + 1, 0xEE);
            KeepLevels8(samples.data(), kept, step, levels.data());
            for (std::int64_t i = 0; i < kept; ++i)
                ASSERT_EQ(levels[i], samples[i * step]) << "8-bit, step " << step << ", " << i;
            for (int high : {0, 1}) {
                KeepLevels16(samples.data(), kept, step, high, levels.data());
                for (std::int64_t i = 0; i < kept; ++i)
                    ASSERT_EQ(levels[i], samples[2 * i * step + high])
                        << "16-bit, step " << step << ", " << i;
            }
            ASSERT_EQ(levels[kept], 0xEE) << "written past the row";
        }
}

TEST(LevelReduction, AccumulatesDifferencesAsTheLibraryDoes) {
    for (std::int64_t step : {1, 2, 3, 4})
        for (std::int64_t kept = 0; kept <= 70; ++kept) {
            const auto differences = RandomBytes(std::size_t(2 * kept * step + 2), unsigned(kept));
            std::vector<std::uint8_t> levels(std::size_t(kept) + 1, 0xEE);

            KeepAccumulatedLevels8(differences.data(), kept, step, levels.data());
            std::uint8_t sum8 = 0;
            for (std::int64_t i = 0; i < (kept - 1) * step + 1 && kept > 0; ++i) {
                sum8 = std::uint8_t(sum8 + differences[i]);
                if (i % step == 0) {
                    ASSERT_EQ(levels[i / step], sum8) << "8-bit, step " << step << ", " << i;
                }
            }
            ASSERT_EQ(levels[kept], 0xEE);

            KeepAccumulatedLevels16(differences.data(), kept, step, levels.data());
            std::uint16_t sum16 = 0;
            for (std::int64_t i = 0; i < (kept - 1) * step + 1 && kept > 0; ++i) {
                sum16 = std::uint16_t(sum16 + Native16(differences, i));
                if (i % step == 0) {
                    ASSERT_EQ(levels[i / step], sum16 >> 8) << "16-bit, step " << step << ", " << i;
                }
            }
            ASSERT_EQ(levels[kept], 0xEE);
        }
}

} // namespace
