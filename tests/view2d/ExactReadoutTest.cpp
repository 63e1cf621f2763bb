#include "view2d/ExactReadout.h"

#include <gtest/gtest.h>

namespace {

using namespace orvane::view2d;
using orvane::image::FilePixel;
using orvane::image::ImageModel;

// A 3000 x 2000 file kept at step 3: 1000 x 666 levels covering 3000 x 1998 pixels.
ImageModel Thinned() {
    ImageModel m;
    static_cast<orvane::image::ImageGeometry&>(m) = orvane::image::ThinnedGeometry(3000, 1998, 3);
    m.FileWidth = 3000;
    m.FileHeight = 2000;
    m.BitsPerSample = 16;
    m.Resolution = 254.0f; // 0.1 mm pixels
    m.ZMin = 1.0;
    m.ZMax = 3.0;
    return m;
}

TEST(ExactFilePixel, ReachesThePixelsBetweenTheKeptOnes) {
    const ImageModel m = Thinned();
    const ViewWindow whole = WholeImageWindow(m);
    struct Case {
        int x, y;
        std::optional<FilePixel> expected;
    } const cases[] = {
        {0, 0, FilePixel{0, 0}},
        // A box as large as the buffer: box pixel 10 is buffer column 10, file column 30;
        // a 1000-pixel box over 1000 levels cannot show columns 31 and 32.
        {10, 20, FilePixel{30, 60}},
        {999, 665, FilePixel{2997, 1995}},
        {-1, 0, std::nullopt},
        {0, -1, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto p = ExactFilePixel(c.x, c.y, whole, 1000, 666, m);
        ASSERT_EQ(p.has_value(), c.expected.has_value()) << c.x << "," << c.y;
        if (p) {
            EXPECT_EQ(p->Column, c.expected->Column) << c.x << "," << c.y;
            EXPECT_EQ(p->Row, c.expected->Row) << c.x << "," << c.y;
        }
    }
    // Zoomed in on 100 x 66.6 levels: each box pixel is 0.3 file pixels, so every file pixel
    // is under the pointer somewhere, the two between kept columns included.
    const ViewWindow zoomed{100, 66.6, 10, 0};
    EXPECT_EQ(ExactFilePixel(4, 0, zoomed, 1000, 666, m)->Column, 31);
    EXPECT_EQ(ExactFilePixel(7, 0, zoomed, 1000, 666, m)->Column, 32);
    EXPECT_EQ(ExactFilePixel(0, 665, zoomed, 1000, 666, m)->Row, 1997);
    EXPECT_FALSE(ExactFilePixel(0, 0, zoomed, 0, 666, m));
}

// The measuring line's ends: drawn at the centre of the level that stands for the file pixel,
// which maps back to that pixel; picked as the level under the pointer, kept inside.
TEST(MeasuringLine, EndsMapToBoxPointsAndBack) {
    const ImageModel m = Thinned();
    struct Case {
        const char* name;
        ViewWindow window;
        int boxWidth, boxHeight;
    } const cases[] = {
        {"whole image", WholeImageWindow(m), 1000, 666},
        {"zoomed in", ViewWindow{100, 66.6, 10, 0}, 1000, 666},
        {"zoomed in off the origin", ViewWindow{50.5, 30.25, 400.75, 300.5}, 808, 484},
        {"box larger than the levels", WholeImageWindow(m), 1500, 999},
    };
    for (const Case& c : cases) {
        for (const FilePixel& pixel : {FilePixel{30, 60}, FilePixel{300, 120},
                                       FilePixel{1203, 1002}, FilePixel{1500, 1200}}) {
            const QPointF at = BoxPointOfFilePixel(pixel, c.window, c.boxWidth, c.boxHeight, m);
            if (at.x() < 0 || at.y() < 0 || at.x() >= c.boxWidth || at.y() >= c.boxHeight)
                continue; // outside this window
            const int x = int(at.x()), y = int(at.y());
            // The exact pixel under that point is one of the three the level stands for.
            const auto exact = ExactFilePixel(x, y, c.window, c.boxWidth, c.boxHeight, m);
            ASSERT_TRUE(exact) << c.name;
            EXPECT_TRUE(exact->Column >= pixel.Column && exact->Column < pixel.Column + 3)
                << c.name;
            EXPECT_TRUE(exact->Row >= pixel.Row && exact->Row < pixel.Row + 3) << c.name;
            const FilePixel end = MeasuringLineEnd(x, y, c.window, c.boxWidth, c.boxHeight, m);
            EXPECT_EQ(end.Column, pixel.Column) << c.name;
            EXPECT_EQ(end.Row, pixel.Row) << c.name;
        }
    }
    // Unthinned, the exact pixel is the pixel itself.
    ImageModel unthinned = Thinned();
    static_cast<orvane::image::ImageGeometry&>(unthinned) =
        orvane::image::ThinnedGeometry(600, 400);
    const ViewWindow zoomed{60.5, 40.25, 100.75, 200.5};
    const QPointF at = BoxPointOfFilePixel({120, 180}, zoomed, 605, 403, unthinned);
    const auto exact = ExactFilePixel(int(at.x()), int(at.y()), zoomed, 605, 403, unthinned);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->Column, 120);
    EXPECT_EQ(exact->Row, 180);
    // Beyond the image the end stays on its last kept pixel.
    const FilePixel outside = MeasuringLineEnd(5000, -40, WholeImageWindow(m), 1000, 666, m);
    EXPECT_EQ(outside.Column, 2997);
    EXPECT_EQ(outside.Row, 0);
}

TEST(PointerStatusText, HeightsToFourDecimalsWithTheSample) {
    ImageModel m = Thinned();
    const FilePixel p{1234, 567};
    EXPECT_EQ(PointerStatusText(p, {ExactSample::State::Value, 40123}, m, false, 45.25),
              "column 1234, row 567   x 123.4000 mm   y 56.7000 mm   z 2.2245 mm  "
              "(sample 40123 of 65535)   zoom 45.3 %   thinned 1:3");
    // Min-is-white: the sample counts down from the top of the range.
    EXPECT_EQ(PointerStatusText(p, {ExactSample::State::Value, 0}, m, true, 100),
              "column 1234, row 567   x 123.4000 mm   y 56.7000 mm   z 3.0000 mm  "
              "(sample 0 of 65535)   zoom 100.0 %   thinned 1:3");
    EXPECT_EQ(PointerStatusText(p, {ExactSample::State::Pending, 0}, m, false, 100),
              "column 1234, row 567   x 123.4000 mm   y 56.7000 mm   z reading...   "
              "zoom 100.0 %   thinned 1:3");
    EXPECT_EQ(PointerStatusText(p, {ExactSample::State::NoValue, 0}, m, false, 100),
              "column 1234, row 567   x 123.4000 mm   y 56.7000 mm   z no value (the file's "
              "data here cannot be read)   zoom 100.0 %   thinned 1:3");
}

TEST(PointerStatusText, UnknownRangeAndResolutionAreSaidNotGuessed) {
    ImageModel m = Thinned();
    m.ColumnStep = m.RowStep = 1;
    m.ZMin = m.ZMax = 0;
    m.Resolution = 0;
    m.BitsPerSample = 8;
    EXPECT_EQ(PointerStatusText({5, 6}, {ExactSample::State::Value, 200}, m, false, 250),
              "column 5, row 6   sample 200 of 255 (height range unknown)   zoom 250.0 %");
}

TEST(FileSummaryText, SizeBitsResolutionRangeAndStep) {
    ImageModel m = Thinned();
    EXPECT_EQ(FileSummaryText(m), "3000 x 2000 pixels, 16 bit, 254.00 dpi (0.1000 mm per "
                                  "pixel), heights 1.0000 to 3.0000 mm   thinned 1:3");
    m.Resolution = 0;
    m.ZMax = m.ZMin;
    m.ColumnStep = m.RowStep = 1;
    EXPECT_EQ(FileSummaryText(m),
              "3000 x 2000 pixels, 16 bit, resolution unknown, height range unknown");
}

TEST(ZoomPercent, ScreenPixelsPerFilePixel) {
    const ImageModel m = Thinned();
    EXPECT_DOUBLE_EQ(ZoomPercent(WholeImageWindow(m), 1000, m), 100.0 / 3);
    EXPECT_DOUBLE_EQ(ZoomPercent(ViewWindow{100, 66.6, 0, 0}, 600, m), 200.0);
}

} // namespace
