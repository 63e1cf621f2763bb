// Levelling and areal parameters over whole files: the measuring read, the form fitted to every
// valid pixel and the two passes of the areal figures, on files written here with surfaces whose
// answers are known.
#include "measure/SurfacePasses.h"
#include "image/OpenImage.h"
#include "tools/TiffWriter.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <tiffio.h>

namespace {

using namespace orvane::measure;
using orvane::image::FilePixel;
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
};

// A float file of `width` x `height` with z(x, y), NaN for holes, in strips of 5 rows.
std::unique_ptr<File> FloatFile(std::uint32_t width, std::uint32_t height,
                                const std::function<double(std::uint32_t, std::uint32_t)>& z,
                                std::uint16_t compression = COMPRESSION_NONE) {
    auto file = std::make_unique<File>();
    file->path = file->dir.filePath(QStringLiteral("surface.tif"));
    TiffLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerSample = 64;
    layout.sampleFormat = SAMPLEFORMAT_IEEEFP;
    layout.rowsPerStrip = 5;
    layout.compression = compression;
    EXPECT_TRUE(orvane::tools::WriteTiffValues(file->path, layout, z));
    file->opened = OpenWithoutWindow(TiffSource::File(file->path));
    EXPECT_EQ(file->opened.result.outcome, OpenOutcome::Shown);
    return file;
}

// Fits of surfaces each form removes exactly: the residual is rounding, and the coefficients
// over file pixels are the surface's own.
TEST(FitLevelling, RemovesTheFormsItCanHold) {
    struct Case {
        const char* name;
        FormKind kind;
        std::vector<double> coefficients; // 1, x, y, x^2, xy, y^2, x^3, x^2y, xy^2, y^3
    } const cases[] = {
        {"tilted plane", FormKind::Plane, {1000.25, 0.03125, -0.0625}},
        {"paraboloid", FormKind::Poly2, {-3.5, 0.02, 0.01, -1e-4, 2e-5, 3e-4}},
        {"cubic", FormKind::Poly3, {7, 0.1, -0.2, 1e-3, -2e-3, 5e-4, 1e-6, -2e-6, 3e-6, -4e-6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto surface = [&c](std::uint32_t xi, std::uint32_t yi) {
            const double x = xi, y = yi;
            const double terms[] = {1,     x,         y,         x * x,     x * y,
                                    y * y, x * x * x, x * x * y, x * y * y, y * y * y};
            double z = 0;
            for (std::size_t i = 0; i < c.coefficients.size(); ++i)
                z += c.coefficients[i] * terms[i];
            return (xi * 7 + yi) % 23 == 0 ? kNaN : z; // holes leave the fit alone
        };
        const auto file = FloatFile(97, 61, surface, COMPRESSION_ADOBE_DEFLATE);
        const LevellingOutcome outcome =
            FitLevelling(TiffSource::File(file->path), file->opened.model, c.kind, nullptr);
        ASSERT_TRUE(outcome.Levelled) << outcome.WhyNone.toStdString();
        const Levelling& l = *outcome.Levelled;
        EXPECT_FALSE(l.Millimetres); // a float file without a unit: stored values
        EXPECT_LT(l.ResidualRms, 1e-9);
        const std::vector<double> fitted = l.Form.PixelCoefficients();
        ASSERT_EQ(fitted.size(), c.coefficients.size());
        for (std::size_t i = 0; i < fitted.size(); ++i)
            EXPECT_NEAR(fitted[i], c.coefficients[i], 1e-9 * (1 + std::fabs(c.coefficients[i])))
                << "term " << i;
        std::int64_t holes = 0;
        for (std::uint32_t y = 0; y < 61; ++y)
            for (std::uint32_t x = 0; x < 97; ++x)
                holes += (x * 7 + y) % 23 == 0;
        EXPECT_EQ(l.Points, 97 * 61 - holes);
    }
}

// A plane cannot hold a paraboloid: what remains is the paraboloid's departure from its best
// plane, computed here independently over the same pixels.
TEST(FitLevelling, ResidualIsWhatTheFormCannotHold) {
    const std::uint32_t w = 40, h = 30;
    auto z = [](std::uint32_t x, std::uint32_t y) { return 0.01 * double(x) * double(x) + y; };
    const auto file = FloatFile(w, h, z);
    const LevellingOutcome outcome =
        FitLevelling(TiffSource::File(file->path), file->opened.model, FormKind::Plane, nullptr);
    ASSERT_TRUE(outcome.Levelled);
    // The best plane of x^2 over x = 0..39 is a + b x with b = 39 (the x^2 slope at the middle)
    // and a = mean(x^2) - b mean(x); the residual's mean square is the variance of x^2 less
    // b^2 var(x), times 0.01^2.
    double mx = 0, mx2 = 0, mx3 = 0, mx4 = 0;
    for (std::uint32_t x = 0; x < w; ++x) {
        const double v = x;
        mx += v / w, mx2 += v * v / w, mx3 += v * v * v / w, mx4 += v * v * v * v / w;
    }
    const double varX = mx2 - mx * mx;
    const double covXX2 = mx3 - mx * mx2;
    const double varX2 = mx4 - mx2 * mx2;
    const double residualMeanSquare = 1e-4 * (varX2 - covXX2 * covXX2 / varX);
    EXPECT_NEAR(outcome.Levelled->ResidualRms, std::sqrt(residualMeanSquare), 1e-12);
    const std::vector<double> c = outcome.Levelled->Form.PixelCoefficients();
    EXPECT_NEAR(c[1], 0.01 * covXX2 / varX, 1e-12);
    EXPECT_NEAR(c[2], 1.0, 1e-12);
}

TEST(FitLevelling, SaysWhyItCannotFit) {
    // One valid pixel cannot hold a plane.
    const auto lonely = FloatFile(
        8, 8, [](std::uint32_t x, std::uint32_t y) { return x == 3 && y == 4 ? 1.0 : kNaN; });
    const LevellingOutcome outcome = FitLevelling(TiffSource::File(lonely->path),
                                                  lonely->opened.model, FormKind::Plane, nullptr);
    EXPECT_FALSE(outcome.Levelled);
    EXPECT_FALSE(outcome.Cancelled);
    EXPECT_FALSE(outcome.WhyNone.isEmpty());

    // Heights of both signs near the largest double: their squares are beyond it.
    const auto huge = FloatFile(
        16, 16, [](std::uint32_t x, std::uint32_t y) { return (x + y) % 2 ? 1.5e308 : -1.5e308; });
    const LevellingOutcome tooLarge =
        FitLevelling(TiffSource::File(huge->path), huge->opened.model, FormKind::Plane, nullptr);
    EXPECT_FALSE(tooLarge.Levelled);
    EXPECT_TRUE(tooLarge.WhyNone.contains(QStringLiteral("too large")))
        << tooLarge.WhyNone.toStdString();

    const std::atomic<bool> cancelled{true};
    const auto file = FloatFile(64, 64, [](std::uint32_t x, std::uint32_t) { return double(x); });
    const LevellingOutcome stopped = FitLevelling(TiffSource::File(file->path), file->opened.model,
                                                  FormKind::Plane, nullptr, &cancelled);
    EXPECT_FALSE(stopped.Levelled);
    EXPECT_TRUE(stopped.Cancelled);
}

// Three points of a tilted plane give that plane; points on one line give none.
TEST(LevelThroughPoints, TakesThePlaneOfThreePixels) {
    auto z = [](std::uint32_t x, std::uint32_t y) { return 5 + 0.5 * x - 0.25 * y; };
    const auto file = FloatFile(50, 40, z);
    orvane::image::SampleReader reader(TiffSource::File(file->path));
    const LevellingOutcome outcome =
        LevelThroughPoints(TiffSource::File(file->path), file->opened.model, reader,
                           {FilePixel{2, 3}, FilePixel{40, 5}, FilePixel{10, 35}}, nullptr);
    ASSERT_TRUE(outcome.Levelled) << outcome.WhyNone.toStdString();
    const std::vector<double> c = outcome.Levelled->Form.PixelCoefficients();
    EXPECT_NEAR(c[0], 5, 1e-12);
    EXPECT_NEAR(c[1], 0.5, 1e-12);
    EXPECT_NEAR(c[2], -0.25, 1e-12);
    EXPECT_LT(outcome.Levelled->ResidualRms, 1e-12);

    const LevellingOutcome line =
        LevelThroughPoints(TiffSource::File(file->path), file->opened.model, reader,
                           {FilePixel{0, 0}, FilePixel{10, 10}, FilePixel{20, 20}}, nullptr);
    EXPECT_FALSE(line.Levelled);
}

// A rectangle's figures on the levelled surface: a sinusoid along x on a tilted plane, whole
// periods in the rectangle, peaks on pixels: Sa = 2A/pi is the continuous value only in the
// limit, so the discrete means are computed here from the same samples.
TEST(MeasureAreal, FiguresOfARectangleOnTheLevelledSurface) {
    const double amplitude = 2.0;
    const int period = 16;
    auto wave = [&](std::uint32_t x) {
        return amplitude * std::sin(2 * M_PI * double(x) / period);
    };
    auto z = [&](std::uint32_t x, std::uint32_t y) { return wave(x) + 0.1 * x + 0.2 * y + 50; };
    const auto file = FloatFile(96, 40, z);
    const TiffSource source = TiffSource::File(file->path);
    const PixelRect rect = RectBetween({8 + 4 * period - 1, 30}, {8, 10}, 96, 40);
    EXPECT_EQ(rect.Column1, 8);
    EXPECT_EQ(rect.Row2, 30);

    // The plane under the wave.
    const std::optional<SurfaceForm> plane =
        PlaneThroughPoints({{{0, 0, 50}, {10, 0, 51}, {0, 10, 52}}}, 96, 40);
    ASSERT_TRUE(plane);

    const ArealOutcome areal = MeasureAreal(source, file->opened.model, rect, &*plane, nullptr);
    ASSERT_TRUE(areal.Figures);
    double sumAbs = 0, sumSq = 0, sum4 = 0, n = 0;
    for (int x = 8; x < 8 + 4 * period; ++x) {
        const double d = wave(std::uint32_t(x));
        sumAbs += std::fabs(d), sumSq += d * d, sum4 += d * d * d * d, ++n;
    }
    const ArealFigures& f = *areal.Figures;
    EXPECT_EQ(f.Valid, 4 * period * 21);
    EXPECT_NEAR(f.Mean, 0, 1e-9);
    EXPECT_NEAR(f.Sa, sumAbs / n, 1e-9);
    EXPECT_NEAR(f.Sq, std::sqrt(sumSq / n), 1e-9);
    EXPECT_NEAR(f.Sku, (sum4 / n) / std::pow(sumSq / n, 2), 1e-9);
    EXPECT_NEAR(f.Ssk, 0, 1e-9);
    EXPECT_NEAR(f.Sp, amplitude, 1e-9);
    EXPECT_NEAR(f.Sv, amplitude, 1e-9);
    EXPECT_NEAR(f.Sz, 2 * amplitude, 1e-9);
    EXPECT_FALSE(areal.AreaMm2); // no resolution, no area
    EXPECT_TRUE(areal.Levelled);
}

// No-data pixels inside the rectangle are counted and left out; outside it they change nothing.
TEST(MeasureAreal, CountsPixelsWithoutAValue) {
    struct Case {
        const char* name;
        PixelRect rect;
        std::int64_t holes;
    } const cases[] = {
        {"holes inside", {2, 2, 9, 9}, 4},
        {"no holes", {12, 0, 19, 19}, 0},
        {"one pixel, a hole", {3, 3, 3, 3}, 1},
    };
    const auto file = FloatFile(20, 20, [](std::uint32_t x, std::uint32_t y) {
        return (x == 3 || x == 5) && (y == 3 || y == 8) ? kNaN : double(x + y);
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ArealOutcome areal = MeasureAreal(TiffSource::File(file->path), file->opened.model,
                                                c.rect, nullptr, nullptr);
        const std::int64_t pixels = c.rect.Width() * c.rect.Height();
        if (c.holes == pixels) {
            EXPECT_FALSE(areal.Figures);
            continue;
        }
        ASSERT_TRUE(areal.Figures);
        EXPECT_EQ(areal.Figures->Valid, pixels - c.holes);
        EXPECT_EQ(areal.Figures->NoData, c.holes);
    }
}

// A file thinned on screen is measured at full resolution all the same.
TEST(MeasureAreal, TakesEveryPixelOfAThinnedFile) {
    auto z = [](std::uint32_t x, std::uint32_t y) { return double((x * 31 + y * 17) % 101); };
    const auto file = FloatFile(400, 300, z);
    orvane::image::OpenOptions small;
    small.allocationLimitBytes = 20000; // the levels of 400 x 300 do not fit: thinned
    const OpenedImage thinned = OpenWithoutWindow(TiffSource::File(file->path), small);
    ASSERT_EQ(thinned.result.outcome, OpenOutcome::Shown);
    ASSERT_GT(thinned.model.ColumnStep, 1);
    const PixelRect all{0, 0, 399, 299};
    const ArealOutcome a =
        MeasureAreal(TiffSource::File(file->path), thinned.model, all, nullptr, nullptr);
    const ArealOutcome b =
        MeasureAreal(TiffSource::File(file->path), file->opened.model, all, nullptr, nullptr);
    ASSERT_TRUE(a.Figures && b.Figures);
    EXPECT_EQ(a.Figures->Valid, 400 * 300);
    EXPECT_EQ(a.Figures->Sq, b.Figures->Sq);
    EXPECT_EQ(a.Figures->Sa, b.Figures->Sa);
}

// Millimetres come from the sample-value range of 16-bit files, and the area from the resolution.
TEST(MeasureAreal, SixteenBitHeightsAndAreaInMillimetres) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mm.tif"));
    TiffLayout layout;
    layout.width = 30;
    layout.height = 20;
    layout.minSampleValue = 0;
    layout.maxSampleValue = 65535; // 65.535 mm over the 16 bits: 1 µm a step
    layout.xResolution = 254.0f;   // 0.1 mm pixels
    ASSERT_TRUE(orvane::tools::WriteTiff(
        path, layout, [](std::uint32_t x, std::uint32_t, int) { return x % 2 ? 1000u : 3000u; }));
    const OpenedImage opened = OpenWithoutWindow(TiffSource::File(path));
    ASSERT_EQ(opened.result.outcome, OpenOutcome::Shown);
    const ArealOutcome areal =
        MeasureAreal(TiffSource::File(path), opened.model, {0, 0, 29, 19}, nullptr, nullptr);
    ASSERT_TRUE(areal.Figures);
    EXPECT_TRUE(areal.Millimetres);
    ASSERT_TRUE(areal.AreaMm2);
    EXPECT_NEAR(*areal.AreaMm2, 30 * 20 * 0.01, 1e-12);
    // Half at 1 mm, half at 3 mm: a step of 2 mm about its middle.
    EXPECT_NEAR(areal.Figures->Mean, 2.0, 1e-12);
    EXPECT_NEAR(areal.Figures->Sa, 1.0, 1e-12);
    EXPECT_NEAR(areal.Figures->Sq, 1.0, 1e-12);
    EXPECT_NEAR(areal.Figures->Sku, 1.0, 1e-12);
}

} // namespace

namespace {

// 8- and 16-bit files measured without a form take one pass counting their stored values; the
// figures agree with the two passes over heights (forced here by a form of zero), with holes,
// min-is-white and a rectangle inside the image.
TEST(MeasureAreal, CountingStoredValuesGivesTheTwoPassesFigures) {
    struct Case {
        const char* name;
        int bits;
        std::uint16_t photometric;
        const char* noData; // GDAL_NODATA, or null
    } const cases[] = {
        {"16-bit", 16, 1, nullptr},
        {"16-bit, min-is-white", 16, 0, nullptr},
        {"8-bit", 8, 1, nullptr},
        {"16-bit with a no-data value", 16, 1, "7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("counted.tif"));
        TiffLayout layout;
        layout.width = 70;
        layout.height = 45;
        layout.bitsPerSample = c.bits;
        layout.photometric = c.photometric;
        layout.rowsPerStrip = 4;
        layout.minSampleValue = 100;
        layout.maxSampleValue = 4100;
        if (c.noData)
            layout.gdalNoData = QString::fromLatin1(c.noData);
        const std::uint32_t top = c.bits == 8 ? 255 : 65535;
        ASSERT_TRUE(
            orvane::tools::WriteTiff(path, layout, [top](std::uint32_t x, std::uint32_t y, int) {
                return (x * 7 + y * 3) % 17 == 0 ? 7u : (x * x * 13 + y * 977) % (top + 1);
            }));
        const OpenedImage opened = OpenWithoutWindow(TiffSource::File(path));
        ASSERT_EQ(opened.result.outcome, OpenOutcome::Shown);
        const PixelRect rect{3, 2, 60, 40};
        const std::optional<SurfaceForm> zero =
            PlaneThroughPoints({{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, 70, 45);
        ASSERT_TRUE(zero);
        const ArealOutcome counted =
            MeasureAreal(TiffSource::File(path), opened.model, rect, nullptr, nullptr);
        const ArealOutcome passes =
            MeasureAreal(TiffSource::File(path), opened.model, rect, &*zero, nullptr);
        ASSERT_TRUE(counted.Figures && passes.Figures);
        const ArealFigures& a = *counted.Figures;
        const ArealFigures& b = *passes.Figures;
        EXPECT_EQ(a.Valid, b.Valid);
        EXPECT_EQ(a.NoData, b.NoData);
        EXPECT_EQ(a.NoData > 0, c.noData != nullptr);
        EXPECT_EQ(a.Min, b.Min);
        EXPECT_EQ(a.Max, b.Max);
        for (const auto& [x, y] : {std::pair{a.Mean, b.Mean},
                                   {a.Sa, b.Sa},
                                   {a.Sq, b.Sq},
                                   {a.Ssk, b.Ssk},
                                   {a.Sku, b.Sku},
                                   {a.Sp, b.Sp},
                                   {a.Sv, b.Sv}})
            EXPECT_NEAR(x, y, 1e-12 * (1 + std::fabs(y)));
    }
}

} // namespace

namespace {

// The levelled span is in the unit of the model's ZMin: mm for heights from a sample-value range,
// a value file's own unit (or its plain values without one); none without heights at all.
TEST(LevelledSpanOf, TakesTheUnitOfTheFilesRange) {
    struct Case {
        const char* name;
        bool valueFile;
        double mmPerHeightUnit;
        bool millimetres; // how the levelling measured
        std::optional<std::pair<double, double>> span;
    } const cases[] = {
        {"16-bit with a range", false, 0, true, std::pair{-2.0, 3.0}},
        {"16-bit without a range", false, 0, false, std::nullopt},
        {"float in metres", true, 1000, true, std::pair{-0.002, 0.003}},
        {"float without a unit", true, 0, false, std::pair{-2.0, 3.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        orvane::image::ImageModel model;
        model.LevelsFromValues = c.valueFile;
        model.MmPerHeightUnit = c.mmPerHeightUnit;
        Levelling levelling;
        levelling.Millimetres = c.millimetres;
        levelling.ResidualMin = -2;
        levelling.ResidualMax = 3;
        const auto span = LevelledSpanOf(model, levelling);
        ASSERT_EQ(span.has_value(), c.span.has_value());
        if (span) {
            EXPECT_DOUBLE_EQ(span->Low, c.span->first);
            EXPECT_DOUBLE_EQ(span->High, c.span->second);
        }
    }
}

} // namespace
