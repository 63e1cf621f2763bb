#include "view2d/Profile.h"

#include "image/SampleReader.h"
#include "tools/TiffWriter.h"

#include <QLocale>
#include <QTemporaryDir>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <string>
#include <vector>

using orvane::image::FilePixel;
using orvane::image::SampleHeightMm;
using orvane::image::SampleReader;
using orvane::view2d::kMaxProfilePoints;
using orvane::view2d::MeasureProfile;
using orvane::view2d::Profile;
using orvane::view2d::ProfileCsv;
using orvane::view2d::ProfileLine;
using orvane::view2d::ProfilePixels;
using orvane::view2d::ProfileUnits;

using namespace orvane::image;
using namespace orvane::tools;
namespace {

// The profile of samples given as optional values (nothing: unreadable).
Profile BuildProfile(const ProfileLine& line,
                     const std::vector<std::optional<std::uint32_t>>& samples, int bits,
                     bool minIsWhite, const ProfileUnits& units) {
    std::vector<StoredSample> stored;
    for (const std::optional<std::uint32_t>& sample : samples)
        stored.push_back(sample ? StoredSample::Of(*sample) : StoredSample{});
    return orvane::view2d::BuildProfile(line, stored, bits, minIsWhite, units);
}

struct PixelCase {
    ProfileLine line;
    std::vector<std::int64_t> columns, rows;
};

// Worked by hand. Halves round away from zero: +0.5 up, -0.5 down (rounding half up would
// give 5 and 1 in the third and seventh lines, half to even 0 and 2 in the last).
const PixelCase kPixelCases[] = {
    {{0, 0, 3, 1}, {0, 1, 2, 3}, {0, 0, 1, 1}},                   // 1/3, 2/3
    {{0, 0, 4, 1}, {0, 1, 2, 3, 4}, {0, 0, 1, 1, 1}},             // 2/4 = 0.5 -> 1
    {{10, 5, 14, 4}, {10, 11, 12, 13, 14}, {5, 5, 4, 4, 4}},      // -0.5 -> -1
    {{4, 1, 0, 0}, {4, 3, 2, 1, 0}, {1, 1, 0, 0, 0}},             // not the reverse of the 2nd
    {{0, 0, 2, 5}, {0, 0, 1, 1, 2, 2}, {0, 1, 2, 3, 4, 5}},       // 0.4, 0.8, 1.2, 1.6
    {{0, 0, 1, 2}, {0, 1, 1}, {0, 1, 2}},                         // 0.5 -> 1
    {{1, 0, 0, 2}, {1, 0, 0}, {0, 1, 2}},                         // -0.5 -> -1
    {{5, 5, 5, 5}, {5}, {5}},                                     // one pixel
    {{2, 7, 2, 4}, {2, 2, 2, 2}, {7, 6, 5, 4}},                   // upwards
    {{3, 9, 0, 9}, {3, 2, 1, 0}, {9, 9, 9, 9}},                   // leftwards
    {{0, 0, 6, 3}, {0, 1, 2, 3, 4, 5, 6}, {0, 1, 1, 2, 2, 3, 3}}, // 0.5, 1.5, 2.5 all up
};

TEST(ProfilePixels, FollowTheRoundingRule) {
    for (const PixelCase& c : kPixelCases) {
        const std::vector<FilePixel> pixels = ProfilePixels(c.line);
        ASSERT_EQ(pixels.size(), c.columns.size()) << c.line.Column2 << "," << c.line.Row2;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            EXPECT_EQ(pixels[i].Column, c.columns[i])
                << "point " << i << " of line to " << c.line.Column2 << "," << c.line.Row2;
            EXPECT_EQ(pixels[i].Row, c.rows[i])
                << "point " << i << " of line to " << c.line.Column2 << "," << c.line.Row2;
        }
    }
}

TEST(ProfilePixels, LinesTooLongAreRefused) {
    EXPECT_EQ(ProfilePixels({0, 0, kMaxProfilePoints - 1, 0}).size(),
              std::size_t(kMaxProfilePoints));
    EXPECT_TRUE(ProfilePixels({0, 0, kMaxProfilePoints, 0}).empty());
    EXPECT_TRUE(ProfilePixels({INT64_MIN, 0, INT64_MAX, 0}).empty());
    EXPECT_TRUE(ProfilePixels({INT64_MAX, 0, INT64_MAX, 0}).empty());
    EXPECT_EQ(orvane::view2d::UnmeasurableLineText({0, 0, kMaxProfilePoints - 1, 0}), QString());
    EXPECT_EQ(orvane::view2d::UnmeasurableLineText({5, 0, 5, kMaxProfilePoints + 4}),
              QStringLiteral("The line crosses 4194309 pixels: a profile holds at most 4194304 "
                             "points."));
}

// A 3-4-5 line through five pixels; heights 10 + 0.5 * sample.
const ProfileLine kLine{0, 0, 3, 4};
const std::vector<std::optional<std::uint32_t>> kSamples{2, std::nullopt, 4, 6, 12};
constexpr double kZMin = 10, kZMax = 10 + 255 * 0.5;

TEST(Profile, DistancesFollowTheLengthAndResolution) {
    const Profile mm = BuildProfile(kLine, kSamples, 8, false, {kZMin, kZMax, 50.8});
    const double expectedPx[] = {0, 1.25, 2.5, 3.75, 5};
    ASSERT_EQ(mm.Points.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(mm.Points[i].DistancePx, expectedPx[i]);
        ASSERT_TRUE(mm.Points[i].DistanceMm);
        EXPECT_DOUBLE_EQ(*mm.Points[i].DistanceMm, expectedPx[i] / 2);
    }
    EXPECT_EQ(mm.Points.back().DistancePx, mm.LengthPx) << "the last point ends the line exactly";
    EXPECT_DOUBLE_EQ(mm.LengthPx, 5);
    EXPECT_DOUBLE_EQ(*mm.LengthMm, 2.5);
    EXPECT_EQ(mm.DxPx, 3);
    EXPECT_EQ(mm.DyPx, 4);
    EXPECT_DOUBLE_EQ(*mm.DxMm, 1.5);
    EXPECT_DOUBLE_EQ(*mm.DyMm, 2);

    for (double dpi : {0.0, -300.0, std::nan(""), double(INFINITY)}) {
        const Profile px = BuildProfile(kLine, kSamples, 8, false, {kZMin, kZMax, dpi});
        EXPECT_FALSE(px.MillimetresKnown) << dpi;
        EXPECT_FALSE(px.LengthMm || px.DxMm || px.DyMm || px.Points[2].DistanceMm) << dpi;
        EXPECT_DOUBLE_EQ(px.Points[2].DistancePx, 2.5);
        EXPECT_FALSE(px.SlopeDeg) << dpi;
    }
}

TEST(Profile, StatisticsOverThePointsWithAValue) {
    const Profile p = BuildProfile(kLine, kSamples, 8, false, {kZMin, kZMax, 25.4});
    ASSERT_TRUE(p.HeightsKnown);
    // Heights 11, -, 12, 13, 16: mean 13, deviations 2 1 0 3.
    const auto& s = p.Statistics;
    EXPECT_EQ(s.ValuedPoints, 4);
    EXPECT_EQ(s.MissingPoints, 1);
    EXPECT_DOUBLE_EQ(*s.Min, 11);
    EXPECT_DOUBLE_EQ(*s.Max, 16);
    EXPECT_DOUBLE_EQ(*s.Mean, 13);
    EXPECT_DOUBLE_EQ(*s.Ra, 1.5);
    EXPECT_DOUBLE_EQ(*s.Rq, std::sqrt(3.5));
    EXPECT_FALSE(p.Points[1].HeightMm || p.Points[1].Value || p.Points[1].Sample);
    EXPECT_DOUBLE_EQ(*p.Dz, 5);
    EXPECT_DOUBLE_EQ(*p.SlopeDeg, 45); // 5 mm up over 5 mm

    // No height range: the same statistics over the samples 2, 4, 6, 12 (mean 6).
    const Profile samples = BuildProfile(kLine, kSamples, 8, false, {3, 3, 25.4});
    EXPECT_FALSE(samples.HeightsKnown);
    EXPECT_FALSE(samples.Points[0].HeightMm);
    EXPECT_DOUBLE_EQ(*samples.Statistics.Mean, 6);
    EXPECT_DOUBLE_EQ(*samples.Statistics.Ra, 3);
    EXPECT_DOUBLE_EQ(*samples.Statistics.Rq, std::sqrt(14.0));
    EXPECT_DOUBLE_EQ(*samples.Dz, 10);
    EXPECT_FALSE(samples.SlopeDeg) << "a slope needs heights in mm";

    // Min-is-white 16-bit: heights 0 + 65535 * (65535 - S) / 65535.
    const Profile white = BuildProfile({0, 0, 1, 0}, {65535, 0}, 16, true, {0, 65535, 0});
    EXPECT_DOUBLE_EQ(*white.Points[0].HeightMm, 0);
    EXPECT_DOUBLE_EQ(*white.Points[1].HeightMm, 65535);
    EXPECT_DOUBLE_EQ(*white.Dz, 65535);
}

// A flat profile of a height that no sum of copies divides back exactly: the
// mean is that height, never a rounding beside it outside [min, max].
TEST(Profile, FlatProfileHasItsHeightAsMean) {
    for (std::uint32_t sample : {1u, 3u, 12345u, 65534u}) {
        const std::int64_t n = 777;
        const Profile p =
            BuildProfile({0, 0, n - 1, 0}, std::vector<std::optional<std::uint32_t>>(n, sample), 16,
                         false, {0.1, 2.3, 1000});
        const double height = *p.Points[0].HeightMm;
        EXPECT_EQ(*p.Statistics.Min, height);
        EXPECT_EQ(*p.Statistics.Mean, height) << sample;
        EXPECT_EQ(*p.Statistics.Ra, 0.0);
        EXPECT_EQ(*p.Statistics.Rq, 0.0);
    }
}

// Files whose samples are heights: metres become millimetres, a georeferenced pixel size gives
// the lengths, degrees give none, no unit leaves plain values; no-data points are missing.
TEST(Profile, ValuesInTheFilesUnits) {
    const StoredSample noData{StoredSample::State::NoData, -32768};
    // Along a row, 4 points: 12.5, no data, 13, 14.5.
    const std::vector<StoredSample> stored = {StoredSample::Of(12.5), noData, StoredSample::Of(13),
                                              StoredSample::Of(14.5)};
    struct UnitCase {
        const char* name;
        double mmPerValueUnit;
        std::optional<double> mmPerPixel;
        bool degrees;
        double resolutionDpi;
        bool heightsKnown;
        std::optional<double> lengthMm;
        double scale; // of the figures against the stored values
    } const cases[] = {
        {"metres on a 2 m grid", 1000, 2000, false, 0, true, 6000, 1000},
        {"metres, pixels in degrees", 1000, std::nullopt, true, 0, true, std::nullopt, 1000},
        {"no unit, a resolution", 0, std::nullopt, false, 254, false, 0.3, 1},
        {"no unit, no resolution", 0, std::nullopt, false, 0, false, std::nullopt, 1},
    };
    for (const UnitCase& c : cases) {
        ProfileUnits units;
        units.Values = true;
        units.MmPerValueUnit = c.mmPerValueUnit;
        units.MmPerPixelX = units.MmPerPixelY = c.mmPerPixel;
        units.PixelsInDegrees = c.degrees;
        units.ResolutionDpi = c.resolutionDpi;
        const Profile p = orvane::view2d::BuildProfile({0, 0, 3, 0}, stored, 16, false, units);
        EXPECT_EQ(p.HeightsKnown, c.heightsKnown) << c.name;
        EXPECT_EQ(p.LengthMm.has_value(), c.lengthMm.has_value()) << c.name;
        if (c.lengthMm && p.LengthMm) {
            EXPECT_DOUBLE_EQ(*p.LengthMm, *c.lengthMm) << c.name;
        }
        EXPECT_EQ(p.Points[1].Sample.state, StoredSample::State::NoData) << c.name;
        EXPECT_FALSE(p.Points[1].Value || p.Points[1].HeightMm) << c.name;
        EXPECT_EQ(p.Points[0].HeightMm.has_value(), c.heightsKnown) << c.name;
        const auto& s = p.Statistics;
        EXPECT_EQ(s.ValuedPoints, 3) << c.name;
        EXPECT_EQ(s.MissingPoints, 1) << c.name;
        // Mean 13.333..., departures 0.8333, 0.3333, 1.1667.
        EXPECT_DOUBLE_EQ(*s.Min, 12.5 * c.scale) << c.name;
        EXPECT_DOUBLE_EQ(*s.Max, 14.5 * c.scale) << c.name;
        EXPECT_DOUBLE_EQ(*s.Mean, 40.0 / 3 * c.scale) << c.name;
        EXPECT_NEAR(*s.Ra, 7.0 / 9 * c.scale, 1e-12 * c.scale) << c.name;
        EXPECT_DOUBLE_EQ(*p.Dz, 2 * c.scale) << c.name;
        // A slope needs heights and lengths in millimetres: 2 m up over 6 m.
        EXPECT_EQ(p.SlopeDeg.has_value(), c.heightsKnown && c.lengthMm.has_value()) << c.name;
        if (p.SlopeDeg) {
            EXPECT_NEAR(*p.SlopeDeg, std::atan2(2.0, 6.0) * 180 / M_PI, 1e-12) << c.name;
        }
        EXPECT_EQ(p.Statistics.NoDataPoints, 1) << c.name;
    }

    // The panel shows a file in metres in metres, and says why the hole is left out.
    ProfileUnits metres;
    metres.Values = true;
    metres.MmPerValueUnit = 1000;
    metres.MmPerPixelX = metres.MmPerPixelY = 2000;
    metres.LengthUnit = metres.HeightUnit = QStringLiteral("m");
    metres.MmPerLengthUnit = metres.MmPerHeightUnit = 1000;
    const Profile p = orvane::view2d::BuildProfile({0, 0, 3, 0}, stored, 16, false, metres);
    EXPECT_EQ(orvane::view2d::ProfileFiguresText(p).toStdString(),
              "length 6.0000 m (3.0 px)   dX 6.0000 m (3 px)   dY 0.0000 m (0 px)\n"
              "dZ 2.0000 m   slope 18.43 deg\n"
              "min 12.5000 m   max 14.5000 m   mean 13.3333 m\n"
              "Pa 0.7778 m   Pq 0.8498 m   Pt 2.0000 m\n"
              "1 of 4 points have no value (the file marks them as having none) and are left out");
    const auto curve = orvane::view2d::ProfileCurveOf(p);
    EXPECT_EQ(curve.Runs.back().back(), QPointF(6, 14.5));

    // The CSV gives a 32-bit float sample as that float: 0.1, not its double's 17 digits.
    ProfileUnits floats;
    floats.Values = true;
    floats.Samples = {SampleKind::Float, 32};
    const Profile tenth = orvane::view2d::BuildProfile(
        {0, 0, 0, 0}, {StoredSample::Of(double(0.1f))}, 32, false, floats);
    EXPECT_EQ(ProfileCsv(tenth), QStringLiteral("distance_px,column,row,sample,height_mm\n"
                                                "0,0,0,0.1,\n"));
}

// Floating-point files hold heights of any size: the figures of huge and tiny ones are those of
// ordinary ones scaled, not infinities or zeros from squares that leave the doubles' range.
TEST(Profile, StatisticsOfHeightsOfAnySize) {
    struct SizeCase {
        double scale;
        bool finite;
    } const cases[] = {{1, true},     {1e200, true}, {1e-160, true}, {1e-310, true},
                       {1e300, true}, {1e307, true}, {-1e305, true}};
    for (const SizeCase& c : cases) {
        // Stored values 11, 12, 13, 16 times the scale: mean 13, Ra 1.5, Rq sqrt(3.5).
        std::vector<StoredSample> stored;
        for (double v : {11.0, 12.0, 13.0, 16.0})
            stored.push_back(StoredSample::Of(v * c.scale));
        ProfileUnits units;
        units.Values = true;
        const Profile p = orvane::view2d::BuildProfile({0, 0, 3, 0}, stored, 64, false, units);
        const auto& s = p.Statistics;
        ASSERT_EQ(s.ValuedPoints, 4) << c.scale;
        EXPECT_NEAR(*s.Mean / c.scale, 13, 1e-12) << c.scale;
        EXPECT_NEAR(*s.Ra / std::abs(c.scale), 1.5, 1e-12) << c.scale;
        EXPECT_NEAR(*s.Rq / std::abs(c.scale), std::sqrt(3.5), 1e-12) << c.scale;
    }
    // Heights of both signs at the largest double: their departures span twice it, yet Rq is at
    // most half the span of the heights, so every figure is a double.
    const double big = std::numeric_limits<double>::max();
    ProfileUnits units;
    units.Values = true;
    const Profile p = orvane::view2d::BuildProfile(
        {0, 0, 1, 0}, {StoredSample::Of(big), StoredSample::Of(-big)}, 64, false, units);
    EXPECT_EQ(*p.Statistics.Mean, 0.0);
    EXPECT_EQ(*p.Statistics.Ra, big);
    EXPECT_EQ(*p.Statistics.Rq, big);
}

TEST(Profile, EndsWithoutAValueLeaveNoHeightDifference) {
    struct EndCase {
        const char* name;
        ProfileLine line;
        std::vector<std::optional<std::uint32_t>> samples;
        bool dz, slope;
    };
    const EndCase cases[] = {
        {"first end missing", kLine, {std::nullopt, 1, 4, 6, 12}, false, false},
        {"last end missing", kLine, {2, 1, 4, 6, std::nullopt}, false, false},
        {"nothing has a value", kLine, std::vector<std::optional<std::uint32_t>>(5), false, false},
        {"one pixel", {7, 7, 7, 7}, {9}, true, false}, // dZ 0 over no length: no slope
    };
    for (const EndCase& c : cases) {
        const Profile p = BuildProfile(c.line, c.samples, 8, false, {kZMin, kZMax, 25.4});
        EXPECT_EQ(p.Dz.has_value(), c.dz) << c.name;
        EXPECT_EQ(p.SlopeDeg.has_value(), c.slope) << c.name;
    }
    const Profile none =
        BuildProfile(kLine, std::vector<std::optional<std::uint32_t>>(5), 8, false, {0, 1, 1});
    EXPECT_EQ(none.Statistics.MissingPoints, 5);
    EXPECT_FALSE(none.Statistics.Mean || none.Statistics.Min || none.Statistics.Ra);
}

TEST(Profile, CsvTextIsTheSameInEveryLocale) {
    const QLocale before;
    const std::string numericBefore = std::setlocale(LC_NUMERIC, nullptr);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // may be absent; QLocale alone then

    const QString mm = ProfileCsv(BuildProfile(kLine, kSamples, 8, false, {kZMin, kZMax, 50.8}));
    const QString px = ProfileCsv(BuildProfile(kLine, kSamples, 8, false, {3, 3, 0}));

    std::setlocale(LC_NUMERIC, numericBefore.c_str());
    QLocale::setDefault(before);

    EXPECT_EQ(mm.toStdString(), "distance_mm,column,row,sample,height_mm\n"
                                "0,0,0,2,11\n"
                                "0.625,1,1,,\n"
                                "1.25,2,2,4,12\n"
                                "1.875,2,3,6,13\n"
                                "2.5,3,4,12,16\n");
    EXPECT_EQ(px.toStdString(), "distance_px,column,row,sample,height_mm\n"
                                "0,0,0,2,\n"
                                "1.25,1,1,,\n"
                                "2.5,2,2,4,\n"
                                "3.75,2,3,6,\n"
                                "5,3,4,12,\n");
}

std::uint32_t Stored(std::uint32_t x, std::uint32_t y) {
    return ((x * 2654435761u) ^ (y * 40503u + x * y * 977u)) >> 5 & 0xFFFFu;
}

class ProfileFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    static constexpr std::uint32_t kWidth = 61, kHeight = 45;

    QString Write(std::uint32_t rowsPerStrip, std::uint32_t tileSize) {
        TiffLayout layout;
        layout.width = kWidth;
        layout.height = kHeight;
        layout.compression = 8;
        layout.rowsPerStrip = rowsPerStrip;
        layout.tileSize = tileSize;
        const QString path = dir.filePath(QStringLiteral("p.tif"));
        return WriteTiff(path, layout,
                         [](std::uint32_t x, std::uint32_t y, int) { return Stored(x, y); })
                   ? path
                   : QString();
    }
};

TEST_F(ProfileFile, SamplesAndHeightsComeFromTheFile) {
    SampleReader reader(TiffSource::File(Write(3, 0)));
    ASSERT_TRUE(reader.IsOpen());
    const ProfileLine line{60, 44, -3, 2}; // leaves the image on the left
    const auto profile = MeasureProfile(reader, line, {-2, 7, 300});
    ASSERT_TRUE(profile);
    const std::vector<FilePixel> pixels = ProfilePixels(line);
    ASSERT_EQ(profile->Points.size(), pixels.size());
    std::int64_t outside = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const auto& p = profile->Points[i];
        ASSERT_EQ(p.Column, pixels[i].Column);
        ASSERT_EQ(p.Row, pixels[i].Row);
        if (p.Column < 0) {
            ++outside;
            EXPECT_FALSE(p.Sample);
            continue;
        }
        ASSERT_EQ(p.Sample, Stored(p.Column, p.Row)) << i;
        ASSERT_EQ(p.HeightMm, SampleHeightMm(std::uint32_t(*p.Sample), 16, false, -2, 7)) << i;
    }
    EXPECT_EQ(profile->Statistics.MissingPoints, outside);
    EXPECT_GT(outside, 0);
}

TEST_F(ProfileFile, CancelledOrTooLongGivesNothing) {
    SampleReader reader(TiffSource::File(Write(3, 0)));
    std::atomic<bool> cancel{true};
    EXPECT_FALSE(MeasureProfile(reader, {0, 0, 60, 44}, {0, 1, 300}, &cancel));
    cancel = false;
    EXPECT_TRUE(MeasureProfile(reader, {0, 0, 60, 44}, {0, 1, 300}, &cancel));
    EXPECT_FALSE(MeasureProfile(reader, {0, 0, kMaxProfilePoints, 0}, {0, 1, 300}));
}

// Whatever its direction, a line decodes each strip, band or tile it crosses once, even with
// a cache too small to keep them all.
TEST_F(ProfileFile, EachStripOrTileCrossedIsDecodedOnce) {
    struct OnceCase {
        const char* name;
        std::uint32_t rowsPerStrip, tileSize;
        std::int64_t boundBytes;
    };
    const OnceCase cases[] = {
        {"a row per strip", 1, 0, 500}, // 122-byte strips, four kept
        {"five rows per strip", 5, 0, 2500},
        {"one strip in bands", kHeight, 0, 4096}, // bands of 8 rows, four kept
        {"tiles", 0, 16, 2048},                   // 512-byte tiles, four kept
    };
    const ProfileLine lines[] = {{0, 0, 60, 44}, {60, 44, 0, 0}, {0, 44, 60, 0}, {60, 0, 0, 44}};
    for (const OnceCase& c : cases) {
        const QString path = Write(c.rowsPerStrip, c.tileSize);
        for (const ProfileLine& line : lines) {
            SampleReader reader(TiffSource::File(path), c.boundBytes);
            ASSERT_TRUE(reader.IsOpen());
            const auto profile = MeasureProfile(reader, line, {0, 1, 300});
            ASSERT_TRUE(profile);
            ASSERT_EQ(profile->Statistics.MissingPoints, 0) << c.name;
            std::int64_t crossedBytes = std::int64_t(kHeight) * kWidth * 2; // every strip
            if (c.tileSize) {
                std::set<std::pair<std::int64_t, std::int64_t>> tiles;
                for (const auto& p : profile->Points)
                    tiles.insert({p.Column / c.tileSize, p.Row / c.tileSize});
                crossedBytes = std::int64_t(tiles.size()) * c.tileSize * c.tileSize * 2;
            }
            EXPECT_EQ(reader.DecodedBytes(), crossedBytes)
                << c.name << ", line to " << line.Column2 << "," << line.Row2;
        }
    }
}

} // namespace

namespace {

using namespace orvane::view2d;

// The chart draws runs of valued points; a point without a value ends a run.
TEST(ProfileCurve, RunsBreakAtMissingValuesAndAxesSpareFivePercent) {
    const Profile p = BuildProfile(kLine, kSamples, 8, false, {kZMin, kZMax, 50.8});
    const ProfileCurve curve = ProfileCurveOf(p);
    ASSERT_EQ(curve.Runs.size(), 2);
    EXPECT_EQ(curve.Runs[0], QList<QPointF>({{0, 11}}));
    EXPECT_EQ(curve.Runs[1], QList<QPointF>({{1.25, 12}, {1.875, 13}, {2.5, 16}}));
    EXPECT_EQ(curve.Distances, std::make_pair(0.0, 2.5));
    EXPECT_DOUBLE_EQ(curve.Values.first, 11 - 0.25);
    EXPECT_DOUBLE_EQ(curve.Values.second, 16 + 0.25);

    // One point: a distance axis one unit wide, a value axis one unit above it.
    const Profile one = BuildProfile({2, 2, 2, 2}, {4}, 8, false, {kZMin, kZMax, 0});
    const ProfileCurve single = ProfileCurveOf(one);
    EXPECT_EQ(single.Distances, std::make_pair(0.0, 1.0));
    EXPECT_EQ(single.Values, std::make_pair(12.0, 13.0));
}

// A levelling's form is taken from every value and height at the point's own pixel, before the
// figures; the sample stays as the file holds it.
TEST(ProfileFigures, TakeTheLevellingsFormAway) {
    ProfileUnits units{kZMin, kZMax, 50.8};
    units.Form = [](std::int64_t column, std::int64_t row) {
        return 11.0 + 0.5 * double(column) + 0.25 * double(row);
    };
    units.Levelling = QStringLiteral("plane");
    const Profile raw = BuildProfile(kLine, kSamples, 8, false, {kZMin, kZMax, 50.8});
    const Profile p = BuildProfile(kLine, kSamples, 8, false, units);
    ASSERT_EQ(p.Points.size(), raw.Points.size());
    for (std::size_t i = 0; i < p.Points.size(); ++i) {
        const ProfilePoint& a = p.Points[i];
        const ProfilePoint& b = raw.Points[i];
        EXPECT_EQ(a.Sample.state, b.Sample.state);
        EXPECT_EQ(a.Sample.value, b.Sample.value);
        ASSERT_EQ(a.Value.has_value(), b.Value.has_value());
        if (!b.Value)
            continue;
        const double form = 11.0 + 0.5 * double(b.Column) + 0.25 * double(b.Row);
        EXPECT_DOUBLE_EQ(*a.Value, *b.Value - form);
        EXPECT_DOUBLE_EQ(*a.HeightMm, *b.HeightMm - form);
    }
    EXPECT_NE(p.Statistics.Mean, raw.Statistics.Mean);
    EXPECT_TRUE(ProfileFiguresText(p).contains(QStringLiteral("levelled: plane")));
    EXPECT_FALSE(ProfileFiguresText(raw).contains(QStringLiteral("levelled")));
}

TEST(ProfileFigures, SayUnitsAndMissingPoints) {
    const Profile p = BuildProfile(kLine, kSamples, 8, false, {kZMin, kZMax, 50.8});
    EXPECT_EQ(
        ProfileFiguresText(p),
        QStringLiteral("length 2.5000 mm (5.0 px)   dX 1.5000 mm (3 px)   dY 2.0000 mm (4 px)\n"
                       "dZ 5.0000 mm   slope 63.43 deg\n"
                       "min 11.0000 mm   max 16.0000 mm   mean 13.0000 mm\n"
                       "Pa 1.5000 mm   Pq 1.8708 mm   Pt 5.0000 mm\n"
                       "1 of 5 points have no value (unreadable data) and are left out"));
    const Profile samples = BuildProfile(kLine, kSamples, 8, false, {0, 0, 0});
    EXPECT_TRUE(ProfileFiguresText(samples).startsWith(
        QStringLiteral("length 5.0 px   dX 3 px   dY 4 px\ndZ 10.0000   slope ?\n")));
    EXPECT_TRUE(ProfileFiguresText(samples).contains(
        QStringLiteral("(sample values: the file gives no height range)")));
}

} // namespace

// The pixels across a line, worked by hand: whole steps along the normal's longer axis, the
// other coordinate rounded as the line's points are.
TEST(AcrossPixels, ThePerpendicularRoundedAsTheLineIs) {
    struct Case {
        const char* name;
        ProfileLine line;
        FilePixel point;
        int width;
        std::vector<std::int64_t> columns, rows;
    } const cases[] = {
        {"width 1: the point", {0, 0, 9, 0}, {4, 5}, 1, {4}, {5}},
        {"rightwards, odd", {0, 5, 9, 5}, {4, 5}, 3, {4, 4, 4}, {4, 5, 6}},
        {"rightwards, even: the extra pixel below",
         {0, 5, 9, 5},
         {4, 5},
         4,
         {4, 4, 4, 4},
         {4, 5, 6, 7}},
        {"downwards", {3, 0, 3, 9}, {3, 4}, 3, {2, 3, 4}, {4, 4, 4}},
        // Normal (-8, 8): a column back for each row down.
        {"diagonal", {0, 0, 8, 8}, {4, 4}, 3, {5, 4, 3}, {3, 4, 5}},
        // Normal (1, 4) of a shallow line: steps k = -2..2 down the rows, columns k/4 rounded
        // (-0.5 -> -1, -0.25 -> 0, 0.5 -> 1).
        {"steep normal", {0, 0, 4, -1}, {2, 5}, 5, {1, 2, 2, 2, 3}, {3, 4, 5, 6, 7}},
        // Normal (3, 2): steps along the columns, rows 2k/3 (-1.33 -> -1, 0.67 -> 1).
        {"shallow normal", {0, 0, -2, 3}, {9, 9}, 4, {8, 9, 10, 11}, {8, 9, 10, 10}},
        {"a single pixel has no across", {2, 2, 2, 2}, {2, 2}, 5, {2}, {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<FilePixel> pixels =
            orvane::view2d::AcrossPixels(c.line, c.point, c.width);
        ASSERT_EQ(pixels.size(), c.columns.size());
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            EXPECT_EQ(pixels[i].Column, c.columns[i]) << i;
            EXPECT_EQ(pixels[i].Row, c.rows[i]) << i;
        }
    }
}

// A profile N pixels wide: each point's height the mean of the heights across it that lie in the
// file, computed here from the stored samples; width 1 the profile as it always was.
TEST_F(ProfileFile, WidthAveragesTheHeightsAcrossTheLine) {
    SampleReader reader(TiffSource::File(Write(3, 0)));
    const ProfileLine line{2, 40, 58, 1}; // its ends' across pixels leave the file
    const ProfileUnits units{-2, 7, 300};
    const auto narrow = MeasureProfile(reader, line, units);
    const auto one = MeasureProfile(reader, line, units, nullptr, 1);
    ASSERT_TRUE(narrow && one);
    for (std::size_t i = 0; i < narrow->Points.size(); ++i)
        ASSERT_EQ(one->Points[i].HeightMm, narrow->Points[i].HeightMm);
    EXPECT_EQ(one->Width, 1);
    for (const int width : {2, 5}) {
        SCOPED_TRACE(width);
        const auto wide = MeasureProfile(reader, line, units, nullptr, width);
        ASSERT_TRUE(wide);
        EXPECT_EQ(wide->Width, width);
        ASSERT_EQ(wide->Points.size(), narrow->Points.size());
        for (std::size_t i = 0; i < wide->Points.size(); ++i) {
            const auto& p = wide->Points[i];
            double sum = 0;
            int count = 0;
            for (const FilePixel& at :
                 orvane::view2d::AcrossPixels(line, {p.Column, p.Row}, width)) {
                if (at.Column < 0 || at.Row < 0 || at.Column >= kWidth || at.Row >= kHeight)
                    continue;
                sum += *SampleHeightMm(Stored(std::uint32_t(at.Column), std::uint32_t(at.Row)), 16,
                                       false, -2, 7);
                ++count;
            }
            ASSERT_GT(count, 0);
            ASSERT_NEAR(*p.HeightMm, sum / count, 1e-12) << i;
            EXPECT_EQ(p.Sample.value, narrow->Points[i].Sample.value); // the line's own pixel
        }
        EXPECT_NE(wide->Statistics.Rq, narrow->Statistics.Rq);
        EXPECT_NE(orvane::view2d::ProfileFiguresText(*wide).indexOf(
                      QStringLiteral("width %1 px").arg(width)),
                  -1);
    }
}

TEST(ProfileHover, NearestPointOnTheChartsAxis) {
    const ProfileLine line{0, 0, 4, 0};
    ProfileUnits units{1, 3, 254}; // 0.1 mm pixels, heights in mm
    const Profile profile = BuildProfile(line, {0, 65535, std::nullopt, 0, 0}, 16, false, units);
    struct Case {
        double distance;
        std::optional<std::size_t> point;
    } const cases[] = {{-5, 0},    {0, 0},     {0.04, 0},
                       {0.049, 0}, {0.051, 1}, {0.26, 3},
                       {0.4, 4},   {9, 4},     {std::nan(""), std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(orvane::view2d::NearestPoint(profile, c.distance), c.point) << c.distance;
    EXPECT_EQ(orvane::view2d::PointText(profile, profile.Points[1]).toStdString(),
              "0.1000 mm   3.0000 mm   (column 1, row 0)");
    EXPECT_EQ(orvane::view2d::PointText(profile, profile.Points[2]).toStdString(),
              "0.2000 mm   no value   (column 2, row 0)");
    EXPECT_FALSE(orvane::view2d::NearestPoint(Profile{}, 1));
}
