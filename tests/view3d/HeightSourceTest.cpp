#include "view3d/HeightSource.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <limits>
#include <vector>

using namespace orvane::view3d;

namespace {

// A 1000 x 800 file at 1000 dpi with a 2 mm height range: 25.4 mm wide, so one grid
// unit is 25.4 mm.
struct ImageCase {
    orvane::image::ImageModel Src;
    HeightField Field;

    ImageCase(int w, int h, std::uint8_t fill) {
        Src.SampleBuffer.reset(orvane::image::TryAllocate(static_cast<size_t>(w) * h));
        std::fill_n(Src.SampleBuffer.get(), static_cast<size_t>(w) * h, fill);
        Src.ImageWidth = w;
        Src.ImageHeight = h;
        Src.SpanWidth = w;
        Src.Resolution = 1000;
        Src.ZMin = 0;
        Src.ZMax = 2;
        const float longer = static_cast<float>(std::max(w, h));
        SetRange(Field.xSamplingScale, 0.5f * w / longer);
        SetRange(Field.ySamplingScale, 0.5f * h / longer);
    }
    static void SetRange(SamplingScale& scale, float max) {
        scale.SetMax(max);
        scale.SetMin(-max);
    }
    void Set(int column, int row, std::uint8_t level) {
        Src.SampleBuffer.get()[static_cast<size_t>(row) * Src.ImageWidth + column] = level;
    }
    float At(float x, float y, float z0 = 0) const {
        float z = z0;
        ReliefHeight(Src, Field, x, y, z);
        return z;
    }
};

} // namespace

TEST(HeightSource, CornersMapToFirstAndLastPixels) {
    ImageCase img(1000, 800, 128);
    img.Set(999, 799, 255); // bottom right
    img.Set(0, 0, 0);       // top left
    EXPECT_NEAR(img.At(0.5f, -0.4f), 0.03937, 1e-6);
    EXPECT_NEAR(img.At(-0.5f, 0.4f), -0.03937, 1e-6);
    img.Set(999, 799, 0);
    EXPECT_NEAR(img.At(0.5f, -0.4f), -0.03937, 1e-6);
}

TEST(HeightSource, LevelsScaleLinearlyAboutTheMiddleOfTheRange) {
    struct Case {
        double ZMin, ZMax;
        std::uint8_t Level;
        double Mm; // expected height in mm before the grid scaling
    };
    const Case cases[] = {
        {0, 2, 255, 1.0}, {0, 2, 0, -1.0},     {1, 3, 255, 1.0}, // ZMin not added
        {0, 0, 255, 0.5}, {0, 0, 0, -0.5},                       // no range: 1 mm
        {5, 5, 255, 0.5}, {0, 2, 51, 0.4 - 1},                   // 51/255 of 2 mm
    };
    for (const Case& c : cases) {
        ImageCase img(1000, 800, c.Level);
        img.Src.ZMin = c.ZMin;
        img.Src.ZMax = c.ZMax;
        EXPECT_NEAR(img.At(0.1f, 0.1f), c.Mm / 25.4, 1e-6) << c.ZMin << " " << c.ZMax;
    }
}

TEST(HeightSource, OneRowImageReadsRowZeroEverywhere) {
    ImageCase img(64, 1, 0);
    img.Set(10, 0, 255);
    const float x = -0.5f + 10.2f / 63.0f; // column 10
    for (float y : {img.Field.ySamplingScale.Min(), 0.0f, img.Field.ySamplingScale.Max()}) {
        EXPECT_GT(img.At(x, y), 0) << y;
    }
}

TEST(HeightSource, NoBufferLeavesZUnchanged) {
    ImageCase img(10, 10, 255);
    img.Src.SampleBuffer.reset();
    EXPECT_EQ(img.At(0, 0, 7.5f), 7.5f);
}

TEST(HeightSource, MissingResolutionTakesOneMillimetrePixels) {
    // 1000 pixels of 1 mm span the unit range: 1 mm of height = 0.001 units.
    for (float res : {0.0f, -10.0f, std::numeric_limits<float>::infinity(), std::nanf("")}) {
        ImageCase img(1000, 800, 255);
        img.Src.Resolution = res;
        const float z = img.At(0, 0);
        EXPECT_TRUE(std::isfinite(z)) << res;
        EXPECT_NEAR(z, 0.001, 1e-9) << res;
    }
}

TEST(HeightSource, ThinnedImageUsesTheCoveredFileWidth) {
    // 500 kept columns covering 1000 file columns at 1000 dpi: still 25.4 mm wide.
    ImageCase img(500, 400, 255);
    img.Src.SpanWidth = 1000;
    EXPECT_NEAR(img.At(0, 0), 1.0 / 25.4, 1e-6);
}

TEST(HeightSource, PointsOutsideTheRangeNeverReadOutsideTheBuffer) {
    ImageCase img(8, 8, 200);
    img.Set(0, 0, 10);
    const float far = 10.0f;
    for (float x : {-far, far}) {
        for (float y : {-far, far}) {
            const float z = img.At(x, y);
            EXPECT_TRUE(std::isfinite(z));
        }
    }
    ImageCase::SetRange(img.Field.xSamplingScale,
                        0); // empty range: NaN index falls back to column 0
    EXPECT_TRUE(std::isfinite(img.At(0, 0.5f)));
}

TEST(HeightSource, LevelPlaneGivesTheLevelOverTwoHundredFiftyFive) {
    struct Case {
        double ZMin, ZMax;
        float Resolution;
        std::int64_t SpanWidth;
    };
    // With and without a height range, a resolution, thinning, a reversed range.
    const Case cases[] = {{0, 2, 1000, 1000}, {1, 3, 254, 1000},  {5, 5, 1000, 1000},
                          {0, 2, 0, 1000},    {0, 2, 1000, 2000}, {3, 1, 500, 1000}};
    for (const Case& c : cases) {
        for (int level : {0, 1, 128, 254, 255}) {
            ImageCase img(1000, 800, static_cast<std::uint8_t>(level));
            img.Src.ZMin = c.ZMin;
            img.Src.ZMax = c.ZMax;
            img.Src.Resolution = c.Resolution;
            img.Src.SpanWidth = c.SpanWidth;
            const Vector4f plane = LevelPlane(img.Src, img.Field);
            const float x = 0.1f, y = -0.2f, z = img.At(x, y);
            const double s = plane[0] * x + plane[1] * y + plane[2] * z + plane[3];
            EXPECT_NEAR(s, level / 255.0, 1e-5) << c.ZMin << " " << c.ZMax << " " << level;
            // Only the height counts: the same everywhere on a flat relief.
            EXPECT_EQ(plane[0], 0);
            EXPECT_EQ(plane[1], 0);
        }
    }
}

TEST(HeightSource, LevelPlaneOfAReliefWithoutExtentIsConstant) {
    ImageCase img(10, 10, 255);
    ImageCase::SetRange(img.Field.xSamplingScale, 0);
    const Vector4f plane = LevelPlane(img.Src, img.Field);
    EXPECT_EQ(plane[2], 0);
    EXPECT_EQ(plane[3], 0.5f);
}

// A georeferenced file's relief keeps its proportions: heights in metres over pixels of 2 m rise
// as a file of 2000 mm pixels with the same range in mm does; pixels in degrees take a degree
// of latitude's length (1/3600 degree: 30.9 m); pixels of an unknown unit one height unit each.
TEST(HeightSource, GeoreferencedPixelsKeepTheReliefsProportions) {
    auto geo = [](ImageCase& img, double size, orvane::image::UnitKind kind) {
        img.Src.LevelsFromValues = true;
        img.Src.ZMin = 100;
        img.Src.ZMax = 110; // metres
        img.Src.MmPerHeightUnit = 1000;
        img.Src.Resolution = 0;
        orvane::image::PixelSize pixel;
        pixel.X = pixel.Y = size;
        pixel.Unit.Kind = kind;
        pixel.Unit.Name = kind == orvane::image::UnitKind::Metre    ? QStringLiteral("m")
                          : kind == orvane::image::UnitKind::Degree ? QStringLiteral("deg")
                                                                    : QStringLiteral("unknown");
        img.Src.GeoPixel = pixel;
    };
    ImageCase metres(1000, 800, 255);
    geo(metres, 2.0, orvane::image::UnitKind::Metre);
    ImageCase millimetres(1000, 800, 255);
    millimetres.Src.Resolution = float(25.4 / 2000); // 2000 mm pixels
    millimetres.Src.ZMin = 100000;
    millimetres.Src.ZMax = 110000;
    EXPECT_NEAR(metres.At(0, 0), millimetres.At(0, 0), 1e-6);
    // 1000 pixels of 2 m span one grid unit; 10 m is 1/200 of it, level 255 its top half.
    EXPECT_NEAR(metres.At(0, 0), 0.5 * 10 / 2000.0, 1e-6);

    ImageCase degrees(1000, 800, 255);
    geo(degrees, 1.0 / 3600, orvane::image::UnitKind::Degree);
    EXPECT_NEAR(degrees.At(0, 0), 0.5 * 10 / (1000 * 111320.0 / 3600), 1e-6);

    ImageCase unknown(1000, 800, 255);
    geo(unknown, 2.0, orvane::image::UnitKind::Unknown);
    EXPECT_NEAR(unknown.At(0, 0), 0.5 * 10 / 1000.0, 1e-6);
}
