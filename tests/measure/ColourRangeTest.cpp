// The colour range: its level rule, the ranks of Auto, and the Data and Auto ranges and levels of
// whole files against the same figures computed here from every value.
#include "measure/ColourRange.h"
#include "image/OpenImage.h"
#include "measure/SurfacePasses.h"
#include "tools/TiffWriter.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <tiffio.h>
#include <vector>

namespace {

using namespace orvane::measure;
using orvane::image::OpenedImage;
using orvane::image::OpenOutcome;
using orvane::image::OpenWithoutWindow;
using orvane::image::TiffSource;
using orvane::tools::TiffLayout;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct File {
    QTemporaryDir dir;
    QString path;
    OpenedImage opened;
    TiffSource Source() const { return TiffSource::File(path); }
};

std::unique_ptr<File> WriteFile(TiffLayout layout,
                                const std::function<double(std::uint32_t, std::uint32_t)>& z) {
    auto file = std::make_unique<File>();
    file->path = file->dir.filePath(QStringLiteral("surface.tif"));
    layout.rowsPerStrip = 7;
    EXPECT_TRUE(orvane::tools::WriteTiffValues(file->path, layout, z));
    file->opened = OpenWithoutWindow(file->Source());
    EXPECT_EQ(file->opened.result.outcome, OpenOutcome::Shown);
    return file;
}

// The nearest-rank percentiles of `values`, NaN left out, worked out by sorting.
std::pair<double, double> SortedRanks(std::vector<double> values) {
    values.erase(
        std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }),
        values.end());
    std::sort(values.begin(), values.end());
    const auto n = double(values.size());
    const auto at = [&](double p) {
        return values[std::size_t(std::max(1.0, std::ceil(p * n))) - 1];
    };
    return {at(0.005), at(0.995)};
}

} // namespace

TEST(ColourRange, LevelRuleAndRanks) {
    struct Case {
        double height, low, high;
        int level;
    } const cases[] = {
        {0, 0, 1, 0},
        {0.5, 0, 1, 128},
        {1.0 / 256, 0, 1, 1},
        {0.99, 0, 1, 253},
        {1, 0, 1, 255},
        {7, 0, 1, 255},
        {-0.1, 0, 1, 0},
        {30500, 30000, 30999, 128},
        {kNaN, 0, 1, 0},
        {-1e308, -1e308, 1e308, 0},
        {1e308, -1e308, 1e308, 255},
        {0, -1e308, 1e308, 128},
    };
    for (const Case& c : cases)
        EXPECT_EQ(int(RangeLevel(c.height, c.low, c.high)), c.level)
            << c.height << " over " << c.low << " - " << c.high;
    struct Ranks {
        std::int64_t count, low, high;
    } const ranks[] = {{0, 0, 0},      {1, 1, 1},      {200, 1, 199},
                       {1000, 5, 995}, {1001, 6, 996}, {400000000, 2000000, 398000000}};
    for (const Ranks& r : ranks) {
        const AutoRanks got = AutoRanksOf(r.count);
        EXPECT_EQ(got.Low, r.low) << r.count;
        EXPECT_EQ(got.High, r.high) << r.count;
    }
}

// A 16-bit file whose values fill a narrow band: its Data and Auto ranges by counting stored
// values, and the same through the heights pass (a flat form), equal the sorted values' own; the
// Data levels use all 256.
TEST(ColourRange, NarrowSixteenBitBandSpreadsOverEveryLevel) {
    TiffLayout layout;
    layout.width = 120;
    layout.height = 90;
    layout.bitsPerSample = 16;
    const auto value = [](std::uint32_t x, std::uint32_t y) {
        return 30000.0 + double((x * 37 + y * 101 + x * y) % 1000);
    };
    const auto file = WriteFile(layout, value);
    std::vector<double> values;
    double least = 1e9, greatest = -1e9;
    for (std::uint32_t y = 0; y < layout.height; ++y)
        for (std::uint32_t x = 0; x < layout.width; ++x) {
            values.push_back(value(x, y));
            least = std::min(least, value(x, y));
            greatest = std::max(greatest, value(x, y));
        }
    const auto [autoLow, autoHigh] = SortedRanks(values);
    const SurfaceForm flat;
    for (const SurfaceForm* form : {static_cast<const SurfaceForm*>(nullptr), &flat}) {
        SCOPED_TRACE(form ? "heights pass" : "counting pass");
        const HeightRangeOutcome data = MeasureHeightRange(file->Source(), file->opened.model,
                                                           ColourRangeKind::Data, form, nullptr);
        ASSERT_TRUE(data.Low && data.High);
        EXPECT_EQ(*data.Low, least);
        EXPECT_EQ(*data.High, greatest);
        EXPECT_EQ(data.Valid, std::int64_t(values.size()));
        const HeightRangeOutcome automatic = MeasureHeightRange(
            file->Source(), file->opened.model, ColourRangeKind::Auto, form, nullptr);
        ASSERT_TRUE(automatic.Low && automatic.High);
        EXPECT_EQ(*automatic.Low, autoLow);
        EXPECT_EQ(*automatic.High, autoHigh);
        EXPECT_EQ(automatic.Least, least); // the Data range found on the way
        EXPECT_EQ(automatic.Greatest, greatest);

        std::vector<std::uint8_t> levels(std::size_t(file->opened.model.LevelCount()));
        ASSERT_TRUE(RangeLevels(file->Source(), file->opened.model, form, least, greatest, false,
                                levels.data(), nullptr));
        std::vector<bool> used(256, false);
        // The kept pixels: the open keeps whole groups of columns.
        const auto& kept = file->opened.model;
        for (std::uint32_t y = 0; y < kept.ImageHeight; ++y)
            for (std::uint32_t x = 0; x < kept.ImageWidth; ++x) {
                const double expected =
                    std::min(255.0, std::floor(256 * (value(x, y) - least) / (greatest - least)));
                const std::uint8_t level = levels[y * kept.ImageWidth + x];
                ASSERT_EQ(int(level), int(expected)) << x << "," << y;
                used[level] = true;
            }
        EXPECT_EQ(std::count(used.begin(), used.end(), true), 256);
    }
}

// A float surface with holes, levelled by a plane and not: the ranges of the heights less the
// form equal those of the same residuals sorted here; the spread of values over many decades
// takes several narrowing passes.
TEST(ColourRange, FloatHeightsLessTheFormAcrossDecades) {
    TiffLayout layout;
    layout.width = 83;
    layout.height = 67;
    layout.bitsPerSample = 64;
    layout.sampleFormat = SAMPLEFORMAT_IEEEFP;
    const auto z = [](std::uint32_t x, std::uint32_t y) {
        if ((x * 3 + y * 5) % 19 == 0)
            return kNaN;
        const double spread = std::pow(10.0, double((x * 7 + y * 13) % 12) - 4);
        return 0.5 * x - 0.25 * y + spread * std::sin(0.37 * x + 0.11 * y * y);
    };
    const auto file = WriteFile(layout, z);
    const FormOutcome plane = FitForm(file->Source(), file->opened.model, FormKind::Plane, nullptr);
    ASSERT_TRUE(plane.Form);
    for (const SurfaceForm* form : {static_cast<const SurfaceForm*>(nullptr), &*plane.Form}) {
        SCOPED_TRACE(form ? "levelled" : "as stored");
        std::vector<double> heights;
        for (std::uint32_t y = 0; y < layout.height; ++y)
            for (std::uint32_t x = 0; x < layout.width; ++x)
                heights.push_back(form ? z(x, y) - form->At(x, y) : z(x, y));
        const auto [autoLow, autoHigh] = SortedRanks(heights);
        const HeightRangeOutcome automatic = MeasureHeightRange(
            file->Source(), file->opened.model, ColourRangeKind::Auto, form, nullptr);
        ASSERT_TRUE(automatic.Low && automatic.High);
        EXPECT_EQ(*automatic.Low, autoLow);
        EXPECT_EQ(*automatic.High, autoHigh);
        const HeightRangeOutcome data = MeasureHeightRange(file->Source(), file->opened.model,
                                                           ColourRangeKind::Data, form, nullptr);
        ASSERT_TRUE(data.Low && data.High);
        const auto [least, greatest] =
            std::minmax_element(heights.begin(), heights.end(), [](double a, double b) {
                return std::isnan(a) ? false : std::isnan(b) ? true : a < b;
            });
        EXPECT_EQ(*data.Low, *least);
        EXPECT_EQ(*data.High,
                  *std::max_element(heights.begin(), heights.end(), [](double a, double b) {
                      return std::isnan(a) || (!std::isnan(b) && a < b);
                  }));
        (void)greatest;
        // The levels of the Auto range: holes at 0, the rest by the rule.
        std::vector<std::uint8_t> levels(std::size_t(file->opened.model.LevelCount()));
        ASSERT_TRUE(RangeLevels(file->Source(), file->opened.model, form, autoLow, autoHigh, false,
                                levels.data(), nullptr));
        const auto& kept = file->opened.model;
        ASSERT_EQ(kept.ColumnStep, 1);
        for (std::uint32_t y = 0; y < kept.ImageHeight; ++y)
            for (std::uint32_t x = 0; x < kept.ImageWidth; ++x)
                ASSERT_EQ(int(levels[y * kept.ImageWidth + x]),
                          int(RangeLevel(heights[y * layout.width + x], autoLow, autoHigh)))
                    << x << "," << y;
    }
}

TEST(ColourRange, NoValueNoRangeAndCancel) {
    TiffLayout layout;
    layout.width = 10;
    layout.height = 10;
    layout.bitsPerSample = 32;
    layout.sampleFormat = SAMPLEFORMAT_IEEEFP;
    const auto holes = WriteFile(layout, [](std::uint32_t, std::uint32_t) { return kNaN; });
    const HeightRangeOutcome none = MeasureHeightRange(holes->Source(), holes->opened.model,
                                                       ColourRangeKind::Auto, nullptr, nullptr);
    EXPECT_FALSE(none.Low || none.High || none.Cancelled || none.ReadFailed);
    const auto file = WriteFile(layout, [](std::uint32_t x, std::uint32_t) { return x; });
    const std::atomic<bool> cancel{true};
    const HeightRangeOutcome cancelled = MeasureHeightRange(
        file->Source(), file->opened.model, ColourRangeKind::Data, nullptr, nullptr, &cancel);
    EXPECT_TRUE(cancelled.Cancelled);
    EXPECT_FALSE(cancelled.Low);
}

// Heights a power of two apart across the whole range of doubles: bins over values would narrow
// a few binades a pass; over the doubles' bit patterns the ranks are exact within six passes.
TEST(ColourRange, AutoAcrossEveryDecadeOfTheDoubles) {
    TiffLayout layout;
    layout.width = 40;
    layout.height = 50;
    layout.bitsPerSample = 64;
    layout.sampleFormat = SAMPLEFORMAT_IEEEFP;
    const auto z = [](std::uint32_t x, std::uint32_t y) {
        const int i = int(y * 40 + x); // 0 .. 1999
        return (i % 2 ? -1.0 : 1.0) * std::ldexp(1.0, (i * 7) % 2000 - 1000);
    };
    const auto file = WriteFile(layout, z);
    std::vector<double> heights;
    for (std::uint32_t y = 0; y < layout.height; ++y)
        for (std::uint32_t x = 0; x < layout.width; ++x)
            heights.push_back(z(x, y));
    const auto [autoLow, autoHigh] = SortedRanks(heights);
    const HeightRangeOutcome automatic = MeasureHeightRange(
        file->Source(), file->opened.model, ColourRangeKind::Auto, nullptr, nullptr);
    ASSERT_TRUE(automatic.Low && automatic.High);
    EXPECT_EQ(*automatic.Low, autoLow);
    EXPECT_EQ(*automatic.High, autoHigh);
}
