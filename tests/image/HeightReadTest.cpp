// The measuring read of files of the original kind (unsigned 8 and 16 bits whose heights come
// from the sample-value range), and its cancellation.
#include "image/HeightRead.h"
#include "image/OpenImage.h"
#include "image/SampleReader.h"
#include "tools/TiffWriter.h"

#include <QTemporaryDir>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace {

using namespace orvane::image;
using orvane::tools::TiffLayout;

// Sums of the heights of every delivered row, gathered under a lock.
struct Totals {
    std::mutex mutex;
    std::int64_t pixels = 0, missing = 0;
    std::vector<double> heights; // by file pixel
    std::int64_t width = 0;
};

HeightRowsMaker Gather(Totals& totals) {
    struct Rows : HeightRows {
        Totals* totals = nullptr;
        void Row(std::int64_t row, std::int64_t firstColumn, const double* h,
                 std::int64_t count) override {
            std::lock_guard<std::mutex> lock(totals->mutex);
            for (std::int64_t i = 0; i < count; ++i) {
                ++totals->pixels;
                totals->missing += std::isnan(h[i]);
                if (!totals->heights.empty())
                    totals->heights[std::size_t(row * totals->width + firstColumn + i)] = h[i];
            }
        }
    };
    return [&totals] {
        auto rows = std::make_unique<Rows>();
        rows->totals = &totals;
        return std::unique_ptr<HeightRows>(std::move(rows));
    };
}

// Heights in millimetres from the sample-value range, min-is-white inverted, as the exact
// readout gives them; with no range, the stored samples themselves.
TEST(HeightRead, OriginalKindGivesTheReadoutsHeights) {
    struct Case {
        const char* name;
        int bits;
        std::uint16_t photometric;
        std::optional<std::uint16_t> minValue, maxValue; // thousandths of a millimetre
        bool millimetres;
    } const cases[] = {
        {"16-bit, range", 16, 1, 1000, 9000, true},
        {"16-bit, min-is-white", 16, 0, 1000, 9000, true},
        {"8-bit, range", 8, 1, 0, 250, true},
        {"16-bit, no range", 16, 1, std::nullopt, std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        TiffLayout layout;
        layout.width = 33;
        layout.height = 21;
        layout.bitsPerSample = c.bits;
        layout.photometric = c.photometric;
        layout.rowsPerStrip = 4;
        layout.minSampleValue = c.minValue;
        layout.maxSampleValue = c.maxValue;
        const QString path = dir.filePath("h.tif");
        ASSERT_TRUE(
            orvane::tools::WriteTiff(path, layout, [](std::uint32_t x, std::uint32_t y, int) {
                return (x * 977 + y * 131) % 251 * 97;
            }));
        const OpenedImage opened = OpenWithoutWindow(TiffSource::File(path));
        ASSERT_EQ(opened.result.outcome, OpenOutcome::Shown);
        const ImageModel& m = opened.model;
        ASSERT_FALSE(m.LevelsFromValues);
        EXPECT_EQ(HeightBasisOf(m).Millimetres, c.millimetres);

        Totals totals;
        totals.width = m.FileWidth;
        totals.heights.assign(std::size_t(m.FileWidth * m.FileHeight), 0);
        const ReadResult read =
            ReadHeights(TiffSource::File(path), m, m.FileHeight, Gather(totals), nullptr);
        ASSERT_TRUE(read.opened);
        EXPECT_EQ(totals.pixels, m.FileWidth * m.FileHeight);
        EXPECT_EQ(totals.missing, 0);
        SampleReader reader(TiffSource::File(path));
        for (std::int64_t y = 0; y < m.FileHeight; ++y)
            for (std::int64_t x = 0; x < m.FileWidth; ++x) {
                const StoredSample s = reader.Sample(x, y);
                ASSERT_TRUE(s);
                const double expected =
                    c.millimetres ? *SampleHeightMm(*s, c.bits, c.photometric == 0, m.ZMin, m.ZMax)
                                  : *s;
                ASSERT_EQ(totals.heights[std::size_t(y * m.FileWidth + x)], expected)
                    << x << "," << y;
            }
    }
}

// Rows [0, endRow) only; a read cancelled before it starts delivers nothing.
TEST(HeightRead, StopsAtTheEndRowAndOnCancel) {
    QTemporaryDir dir;
    TiffLayout layout;
    layout.width = 64;
    layout.height = 300;
    layout.rowsPerStrip = 2;
    const QString path = dir.filePath("h.tif");
    ASSERT_TRUE(orvane::tools::WriteTiff(path, layout,
                                         [](std::uint32_t x, std::uint32_t, int) { return x; }));
    const OpenedImage opened = OpenWithoutWindow(TiffSource::File(path));
    ASSERT_EQ(opened.result.outcome, OpenOutcome::Shown);

    Totals some;
    ReadHeights(TiffSource::File(path), opened.model, 17, Gather(some), nullptr);
    EXPECT_EQ(some.pixels, 17 * 64);

    Totals none;
    const std::atomic<bool> cancelled{true};
    ReadHeights(TiffSource::File(path), opened.model, 300, Gather(none), nullptr, &cancelled);
    EXPECT_EQ(none.pixels, 0);
}

} // namespace
