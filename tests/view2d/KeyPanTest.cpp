#include "view2d/KeyPan.h"

#include <gtest/gtest.h>

#include <string>

using namespace orvane::view2d;
using orvane::image::ThinnedGeometry;

namespace {

struct Case {
    std::string Name;
    ViewWindow Start;
    PanDirection Direction;
    double OffsetX, OffsetY; // expected
};

// A 1000 x 800 buffer.
const Case kCases[] = {
    {"right moves a tenth of the width", {200, 100, 300, 300}, PanDirection::Right, 320, 300},
    {"left", {200, 100, 300, 300}, PanDirection::Left, 280, 300},
    {"up raises the offset counted from the bottom",
     {200, 100, 300, 300},
     PanDirection::Up,
     300,
     310},
    {"down", {200, 100, 300, 300}, PanDirection::Down, 300, 290},
    {"clamped at the left edge", {200, 100, 10, 300}, PanDirection::Left, 0, 300},
    {"clamped at the right edge", {200, 100, 790, 300}, PanDirection::Right, 800, 300},
    {"clamped at the top", {200, 100, 300, 695}, PanDirection::Up, 300, 700},
    {"clamped at the bottom", {200, 100, 300, 5}, PanDirection::Down, 300, 0},
    {"the whole image does not move", {1000, 800, 0, 0}, PanDirection::Right, 0, 0},
    {"fractional window", {33.3, 12.5, 100.25, 50}, PanDirection::Right, 103.58, 50},
};

TEST(KeyPan, TenthOfTheWindowWithTheDragClamp) {
    const auto image = ThinnedGeometry(1000, 800);
    for (const Case& c : kCases) {
        ViewWindow window = c.Start;
        PanByKey(c.Direction, image, window);
        EXPECT_NEAR(window.ViewOffsetX, c.OffsetX, 1e-9) << c.Name;
        EXPECT_NEAR(window.ViewOffsetY, c.OffsetY, 1e-9) << c.Name;
        // Only the offsets move.
        EXPECT_EQ(window.ViewWidth, c.Start.ViewWidth) << c.Name;
        EXPECT_EQ(window.ViewHeight, c.Start.ViewHeight) << c.Name;
        // The drag's own clamp leaves the result as it is.
        ViewWindow clamped = window;
        ClampViewOffsets(clamped, image);
        EXPECT_EQ(clamped.ViewOffsetX, window.ViewOffsetX) << c.Name;
        EXPECT_EQ(clamped.ViewOffsetY, window.ViewOffsetY) << c.Name;
    }
}

TEST(KeyPan, OppositeKeysReturnInsideTheImage) {
    const auto image = ThinnedGeometry(1000, 800);
    ViewWindow window{200, 100, 300, 300};
    for (PanDirection d :
         {PanDirection::Right, PanDirection::Up, PanDirection::Left, PanDirection::Down})
        PanByKey(d, image, window);
    EXPECT_NEAR(window.ViewOffsetX, 300, 1e-9);
    EXPECT_NEAR(window.ViewOffsetY, 300, 1e-9);
}

} // namespace

TEST(PanDirectionOfKey, TheArrowsAndNothingElse) {
    using orvane::view2d::PanDirection;
    using orvane::view2d::PanDirectionOfKey;
    EXPECT_EQ(PanDirectionOfKey(Qt::Key_Left), PanDirection::Left);
    EXPECT_EQ(PanDirectionOfKey(Qt::Key_Right), PanDirection::Right);
    EXPECT_EQ(PanDirectionOfKey(Qt::Key_Up), PanDirection::Up);
    EXPECT_EQ(PanDirectionOfKey(Qt::Key_Down), PanDirection::Down);
    EXPECT_FALSE(PanDirectionOfKey(Qt::Key_Escape));
    EXPECT_FALSE(PanDirectionOfKey(Qt::Key_Plus));
}
