#include "view2d/Viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace orvane::view2d;

// A 1200 x 797 client area under a 97-pixel control strip.
const ImageArea kArea{97, 1200, 700};

ImageGeometry Image(int width, int height) {
    return ImageGeometry{width, height, 1, 1};
}

void ExpectWindow(const ViewWindow& w, double width, double height, double offsetX, double offsetY,
                  const std::string& where) {
    SCOPED_TRACE(where);
    EXPECT_NEAR(w.ViewWidth, width, 0.005);
    EXPECT_NEAR(w.ViewHeight, height, 0.005);
    EXPECT_NEAR(w.ViewOffsetX, offsetX, 0.005);
    EXPECT_NEAR(w.ViewOffsetY, offsetY, 0.005);
}

void ExpectBox(const BoxRect& b, int left, int top, int width, int height,
               const std::string& where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(b.Left, left);
    EXPECT_EQ(b.Top, top);
    EXPECT_EQ(b.Width, width);
    EXPECT_EQ(b.Height, height);
}

} // namespace

TEST(Conversions, RoundTruncateHalve) {
    EXPECT_EQ(Rounded(2.5), 2); // an exact half goes down
    EXPECT_EQ(Rounded(2.5000001), 3);
    EXPECT_EQ(Rounded(761.90), 762);
    EXPECT_EQ(Rounded(-0.2), 0);
    EXPECT_EQ(Truncated(-1.9), -1);
    EXPECT_EQ(Truncated(918.99), 918);
    EXPECT_EQ(Halved(325), 162);
    EXPECT_EQ(Halved(-3), -1);
    // Degenerate geometry must not reach undefined conversions.
    EXPECT_EQ(Truncated(std::nan("")), 0);
    EXPECT_EQ(Truncated(INFINITY), 2147483647);
    EXPECT_EQ(Truncated(-INFINITY), -2147483647 - 1);
}

TEST(PlaceImage, FitsWholeImageCentred) {
    struct Case {
        int imageW, imageH;
        ImageArea area;
        int left, top, width, height;
    };
    const std::vector<Case> cases = {
        {1000, 800, kArea, 162, 97, 875, 700},
        {2000, 250, kArea, 0, 372, 1200, 150},
        {640, 480, kArea, 133, 97, 933, 700}, // a small image is enlarged
        {800, 1000, kArea, 320, 97, 560, 700},
        {1200, 700, kArea, 0, 97, 1200, 700},
        {1000, 500, ImageArea{97, 1000, 500}, 0, 97, 1000, 500},
    };
    for (const Case& c : cases) {
        const ImageGeometry image = Image(c.imageW, c.imageH);
        const auto box = PlaceImage(WholeImageWindow(image), image, c.area);
        ASSERT_TRUE(box.has_value());
        ExpectBox(*box, c.left, c.top, c.width, c.height,
                  std::to_string(c.imageW) + "x" + std::to_string(c.imageH));
    }
}

TEST(PlaceImage, ShapeCountsFilePixelsNotLevels) {
    // Row step twice the column step: 1000 x 400 levels cover a 1000 x 800 file shape.
    const ImageGeometry image{1000, 400, 1, 2};
    const auto box = PlaceImage(WholeImageWindow(image), image, kArea);
    ASSERT_TRUE(box.has_value());
    ExpectBox(*box, 162, 97, 875, 700, "steps 1 x 2");
}

TEST(PlaceImage, NothingWithoutImageAndEmptyBoxWithoutArea) {
    EXPECT_FALSE(PlaceImage(ViewWindow{}, Image(0, 0), kArea).has_value());
    EXPECT_FALSE(PlaceImage(ViewWindow{}, Image(100, 0), kArea).has_value());
    const ImageGeometry image = Image(1000, 800);
    for (const ImageArea& area : {ImageArea{97, 1200, 0}, ImageArea{97, 0, 700},
                                  ImageArea{97, 0, 0}, ImageArea{97, 1200, -5}}) {
        const auto box = PlaceImage(WholeImageWindow(image), image, area);
        ASSERT_TRUE(box.has_value());
        ExpectBox(*box, 0, 97, 0, 0, "empty area");
    }
}

TEST(WheelStep, ZoomInThenOutReturnsToFirstPlacement) {
    const ImageGeometry image = Image(1000, 800);
    ViewWindow window = WholeImageWindow(image);
    BoxRect box = *PlaceImage(window, image, kArea);

    // Columns all stay, rows are cut top and bottom; the box widens towards the area.
    ASSERT_EQ(WheelStep(ZoomDirection::In, image, kArea, window, box), WheelResult::Placed);
    ExpectWindow(window, 1000, 761.90, 0, 19.05, "in 1");
    ExpectBox(box, 140, 97, 919, 700, "in 1");
    WheelStep(ZoomDirection::In, image, kArea, window, box);
    WheelStep(ZoomDirection::In, image, kArea, window, box);
    ExpectWindow(window, 1000, 691.07, 0, 54.46, "in 3");
    ExpectBox(box, 93, 97, 1013, 700, "in 3");

    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(WheelStep(ZoomDirection::Out, image, kArea, window, box), WheelResult::Placed);
    }
    ExpectWindow(window, 1000, 800, 0, 0, "out 3");
    ExpectBox(box, 162, 97, 875, 700, "out 3");
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(WheelStep(ZoomDirection::Out, image, kArea, window, box), WheelResult::Placed);
        ExpectWindow(window, 1000, 800, 0, 0, "further out");
        ExpectBox(box, 162, 97, 875, 700, "further out");
    }
}

TEST(WheelStep, WideImageCutsColumns) {
    const ImageGeometry image = Image(2000, 250);
    ViewWindow window = WholeImageWindow(image);
    BoxRect box = *PlaceImage(window, image, kArea);
    ASSERT_EQ(WheelStep(ZoomDirection::In, image, kArea, window, box), WheelResult::Placed);
    ExpectWindow(window, 1904.76, 250, 47.62, 0, "2000x250 in");
    ExpectBox(box, 0, 368, 1200, 157, "2000x250 in");
}

TEST(WheelStep, AreaShapedImage) {
    const ImageArea area{97, 1000, 500};
    const ImageGeometry image = Image(1000, 500);

    // Zooming out of the whole image outgrows it both ways: back to the whole image.
    ViewWindow window = WholeImageWindow(image);
    BoxRect box = *PlaceImage(window, image, area);
    EXPECT_EQ(WheelStep(ZoomDirection::Out, image, area, window, box), WheelResult::ResetZoom);

    window = WholeImageWindow(image);
    box = *PlaceImage(window, image, area);
    ASSERT_EQ(WheelStep(ZoomDirection::In, image, area, window, box), WheelResult::Placed);
    ExpectWindow(window, 952.38, 476.19, 23.81, 11.90, "1000x500 in");
    ExpectBox(box, 0, 97, 1000, 500, "1000x500 in");
}

TEST(WheelStep, NarrowedAreaThenZoomShowsMoreRows) {
    const ImageGeometry image = Image(1000, 800);
    ViewWindow window = WholeImageWindow(image);
    BoxRect box = *PlaceImage(window, image, kArea);
    for (int i = 0; i < 12; ++i) {
        ASSERT_EQ(WheelStep(ZoomDirection::In, image, kArea, window, box), WheelResult::Placed);
    }
    ExpectWindow(window, 763.66, 445.47, 118.17, 177.27, "12 in");
    ExpectBox(box, 0, 97, 1200, 700, "12 in");

    // A resize keeps the window and borders it.
    const ImageArea narrow{97, 900, 700};
    box = *PlaceImage(window, image, narrow);
    ExpectWindow(window, 763.66, 445.47, 118.17, 177.27, "after resize");
    ExpectBox(box, 0, 184, 900, 525, "after resize");

    ASSERT_EQ(WheelStep(ZoomDirection::In, image, narrow, window, box), WheelResult::Placed);
    ExpectWindow(window, 727.30, 565.68, 136.35, 117.16, "in after resize");
    ExpectBox(box, 0, 97, 900, 700, "in after resize");
}

// A window bordered by a resize, of nearly the area's shape, whose zoom-out step
// passes the image's width (or height) in the shape-keeping case only: the
// repair shows the whole image that way and fills the area along it, and caps
// the other side of the box at the area.
TEST(WheelStep, WindowOutgrowingTheImageOneWayIsRepaired) {
    struct Case {
        const char* name;
        int imageWidth, imageHeight;
        ImageArea area;
        ViewWindow before;
        ViewWindow after; // ViewWidth, ViewHeight, ViewOffsetX, ViewOffsetY
        BoxRect box;      // Left, Top, Width, Height
    } const cases[] = {
        // w = 953.1 x 1.05 = 1000.755 rounds past 1000; h = 500 x 1.05 x 1.9062 / 2 =
        // 500.3775 stays; the box is 1200 wide and 1200 x 500.3775 / 1000 = 600 high.
        {"too wide",
         1000,
         500,
         {97, 1200, 600},
         {953.1, 500, 46.9, 0},
         {1000, 500.3775, 0, -0.3775},
         {0, 97, 1200, 600}},
        // h = 500.451 makes the box 601 high: capped at 600, the window's height
        // follows (1000 x 600 / 1200 = 500).
        {"too wide, box capped",
         1000,
         500,
         {97, 1200, 600},
         {953.24, 500, 46.76, 0},
         {1000, 500, 0, -0.451},
         {0, 97, 1200, 600}},
        {"too high",
         500,
         1000,
         {97, 600, 1200},
         {500, 953.1, 0, 46.9},
         {500.3775, 1000, -0.3775, 0},
         {0, 97, 600, 1200}},
        {"too high, box capped",
         500,
         1000,
         {97, 600, 1200},
         {500, 953.24, 0, 46.76},
         {500, 1000, -0.451, 0},
         {0, 97, 600, 1200}},
    };
    for (const Case& c : cases) {
        const ImageGeometry image = Image(c.imageWidth, c.imageHeight);
        ViewWindow window = c.before;
        BoxRect box = *PlaceImage(window, image, c.area);
        ASSERT_EQ(WheelStep(ZoomDirection::Out, image, c.area, window, box), WheelResult::Placed)
            << c.name;
        ExpectWindow(window, c.after.ViewWidth, c.after.ViewHeight, c.after.ViewOffsetX,
                     c.after.ViewOffsetY, c.name);
        ExpectBox(box, c.box.Left, c.box.Top, c.box.Width, c.box.Height, c.name);
    }
}

TEST(WheelStep, IgnoredWithoutImageOrArea) {
    ViewWindow window;
    BoxRect box{1, 2, 3, 4};
    EXPECT_EQ(WheelStep(ZoomDirection::In, Image(0, 0), kArea, window, box), WheelResult::Ignored);
    const ImageGeometry image = Image(1000, 800);
    window = WholeImageWindow(image);
    EXPECT_EQ(WheelStep(ZoomDirection::Out, image, ImageArea{97, 1200, 0}, window, box),
              WheelResult::Ignored);
    ExpectWindow(window, 1000, 800, 0, 0, "unchanged");
    ExpectBox(box, 1, 2, 3, 4, "unchanged");
}

TEST(WheelStep, DeepZoomStaysFiniteAndCentred) {
    // No lower limit: far past the point where the window rounds to zero levels the geometry
    // must stay usable and keep zooming about the same centre.
    const ImageGeometry image = Image(1000, 800);
    ViewWindow window = WholeImageWindow(image);
    BoxRect box = *PlaceImage(window, image, kArea);
    for (int i = 0; i < 400; ++i) {
        ASSERT_EQ(WheelStep(ZoomDirection::In, image, kArea, window, box), WheelResult::Placed);
    }
    EXPECT_TRUE(std::isfinite(window.ViewWidth) && window.ViewWidth > 0);
    EXPECT_TRUE(std::isfinite(window.ViewHeight) && window.ViewHeight > 0);
    EXPECT_EQ(Rounded(window.ViewWidth), 0);
    EXPECT_NEAR(window.ViewOffsetX + window.ViewWidth / 2, 500, 0.01);
    EXPECT_NEAR(window.ViewOffsetY + window.ViewHeight / 2, 400, 0.01);
    ExpectBox(box, 0, 97, 1200, 700, "deep zoom");
}

TEST(ClampOffsets, LowEdgesFirstThenHighEdges) {
    const ImageGeometry image = Image(1000, 800);
    struct Case {
        double x, y, w, h, expectX, expectY;
    };
    const std::vector<Case> cases = {
        {-5, -7, 500, 400, 0, 0},
        {600, 450, 500, 400, 500, 400},
        {499.5, 399.5, 500, 400, 499.5, 399.5},
        {500, 400, 500, 400, 500, 400}, // touching the edge counts: same value again
        {-3, -3, 1000, 800, 0, 0},
        {0, 0, 1010, 850, -10, -50}, // wider than the image: the high edge wins
    };
    for (const Case& c : cases) {
        double x = c.x;
        double y = c.y;
        ClampOffsets(x, y, c.w, c.h, image);
        EXPECT_DOUBLE_EQ(x, c.expectX);
        EXPECT_DOUBLE_EQ(y, c.expectY);
    }
}

TEST(Strips, EraseLeavesTheBoxAlone) {
    EXPECT_EQ(EraseRects(true, BoxRect{162, 97, 875, 700}, kArea),
              (std::vector<FillRect>{{0, 0, 162, 797}, {1037, 0, 1200, 797}}));
    EXPECT_EQ(EraseRects(true, BoxRect{0, 372, 1200, 150}, kArea),
              (std::vector<FillRect>{{0, 0, 1200, 372}, {0, 522, 1200, 797}}));
    EXPECT_TRUE(EraseRects(true, BoxRect{0, 97, 1200, 700}, kArea).empty());
    EXPECT_EQ(EraseRects(false, BoxRect{162, 97, 875, 700}, kArea),
              (std::vector<FillRect>{{0, 0, 1200, 797}}));
}
