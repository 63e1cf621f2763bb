#include "view2d/PointerZoom.h"
#include "view2d/Readout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace orvane::view2d;

const ImageArea kArea{97, 1200, 700};

struct View {
    ViewWindow window;
    BoxRect box;
};

View WholeImage(const ImageGeometry& image) {
    View view{WholeImageWindow(image), {}};
    view.box = *PlaceImage(view.window, image, kArea);
    return view;
}

// The buffer level under a frame point, as the readout maps it.
BufferPosition LevelAtFrame(const View& view, const ImageGeometry& image, int frameX, int frameY) {
    return MapPointer(frameX - view.box.Left, frameY - view.box.Top, view.window, view.box.Width,
                      view.box.Height, int(image.ImageHeight));
}

// Zooms `notches` about the frame point and checks that the level under it stays and that the
// scale changed by 1.25 a notch. Returns the axes on which the level was checked.
int ZoomKeeping(View& view, const ImageGeometry& image, int notches, int frameX, int frameY) {
    const BufferPosition before = LevelAtFrame(view, image, frameX, frameY);
    const double scaleBefore = FilePixelsPerBoxPixel(view.window, view.box, image);
    EXPECT_EQ(PointerZoom(notches, frameX - view.box.Left, frameY - view.box.Top, image, kArea,
                          view.window, view.box),
              WheelResult::Placed);
    const BufferPosition after = LevelAtFrame(view, image, frameX, frameY);
    // Kept on each axis where the window did not have to stop at the image's edges.
    const auto free = [](double offset, double size, double imageSize) {
        return offset > 1e-9 && offset + size < imageSize - 1e-9;
    };
    int checked = 0;
    if (free(view.window.ViewOffsetX, view.window.ViewWidth, image.ImageWidth)) {
        EXPECT_EQ(after.Column, before.Column);
        ++checked;
    }
    if (free(view.window.ViewOffsetY, view.window.ViewHeight, image.ImageHeight)) {
        EXPECT_EQ(after.Row, before.Row);
        ++checked;
    }
    const double expected =
        std::max(scaleBefore * std::pow(1.25, -notches), 1 / MaxBoxPixelsPerFilePixel);
    EXPECT_NEAR(FilePixelsPerBoxPixel(view.window, view.box, image), expected, 1e-9 * expected);
    // Never beyond the image.
    EXPECT_GE(view.window.ViewOffsetX, 0);
    EXPECT_GE(view.window.ViewOffsetY, 0);
    EXPECT_LE(view.window.ViewOffsetX + view.window.ViewWidth, image.ImageWidth + 1e-9);
    EXPECT_LE(view.window.ViewOffsetY + view.window.ViewHeight, image.ImageHeight + 1e-9);
    return checked;
}

} // namespace

TEST(PointerZoom, KeepsThePointersLevelAcrossZoomsAndPlaces) {
    struct Case {
        const char* name;
        ImageGeometry image;
        int notches, frameX, frameY;
    };
    const Case cases[] = {
        {"centre, one notch in", {3000, 2000, 1, 1}, 1, 600, 447},
        {"top left quarter, three in", {3000, 2000, 1, 1}, 3, 250, 250},
        {"bottom right, five in", {3000, 2000, 1, 1}, 5, 1100, 700},
        {"near the first pixel, ten in", {3000, 2000, 1, 1}, 10, 80, 101},
        {"tall image, box narrower than the area", {500, 4000, 1, 1}, 2, 600, 300},
        {"thinned 1:4 buffer", {750, 500, 4, 4}, 4, 333, 555},
        {"thinned 1:3 x 1:2 buffer", {1000, 1500, 3, 2}, 6, 900, 200},
        {"tiny image, far in", {7, 5, 1, 1}, 12, 640, 400},
    };
    int checked = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        View view = WholeImage(c.image);
        checked += ZoomKeeping(view, c.image, c.notches, c.frameX, c.frameY);
        // Then further in and back out by a notch at other places of the view.
        checked += ZoomKeeping(view, c.image, 2, view.box.Left + view.box.Width / 3,
                               view.box.Top + view.box.Height / 2);
        checked += ZoomKeeping(view, c.image, -1, view.box.Left + view.box.Width / 2,
                               view.box.Top + view.box.Height / 3);
    }
    EXPECT_GE(checked, 40); // most steps leave the window clear of the edges
}

TEST(PointerZoom, ClampsAtTheEdgesAndResetsWhenTheWholeImageFits) {
    const ImageGeometry image{3000, 2000, 1, 1};
    View view = WholeImage(image);
    // In at the top-left corner, then out by less than the way in: the view stays inside the
    // image, pinned to its corner.
    ASSERT_EQ(PointerZoom(8, 0, 0, image, kArea, view.window, view.box), WheelResult::Placed);
    ASSERT_EQ(PointerZoom(-3, view.box.Width - 1, view.box.Height - 1, image, kArea, view.window,
                          view.box),
              WheelResult::Placed);
    EXPECT_EQ(view.window.ViewOffsetX, 0);
    EXPECT_NEAR(view.window.ViewOffsetY + view.window.ViewHeight, 2000, 1e-9);
    // Out beyond the whole image: the caller shows the whole image.
    EXPECT_EQ(PointerZoom(-20, 10, 10, image, kArea, view.window, view.box),
              WheelResult::ResetZoom);
}

TEST(PointerZoom, ActualPixelsAndTheClosestZoom) {
    const ImageGeometry thinned{750, 500, 4, 4}; // a 3000 x 2000 file
    View view = WholeImage(thinned);
    const int centreX = view.box.Width / 2, centreY = view.box.Height / 2;
    ASSERT_EQ(ZoomToScale(1.0, centreX, centreY, thinned, kArea, view.window, view.box),
              WheelResult::Placed);
    EXPECT_DOUBLE_EQ(FilePixelsPerBoxPixel(view.window, view.box, thinned), 1.0);
    EXPECT_EQ(view.box.Width, kArea.AreaWidth);
    EXPECT_EQ(view.box.Height, kArea.AreaHeight);
    // No closer than one file pixel over 256 box pixels.
    ASSERT_EQ(PointerZoom(100, 5, 5, thinned, kArea, view.window, view.box), WheelResult::Placed);
    EXPECT_DOUBLE_EQ(FilePixelsPerBoxPixel(view.window, view.box, thinned), 1.0 / 256);
    // Nothing to zoom.
    View empty{};
    EXPECT_EQ(ZoomToScale(1.0, 0, 0, ImageGeometry{0, 0, 1, 1}, kArea, empty.window, empty.box),
              WheelResult::Ignored);
}
