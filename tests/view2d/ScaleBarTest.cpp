#include "view2d/ScaleBar.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orvane::view2d;

TEST(ScaleBar, LongestRoundLengthInAQuarterOfTheView) {
    struct Case {
        double viewWidthPx, filePixelsPerViewPixel;
        std::optional<double> mmPerFilePixel;
        double length;
        const char* label;
    };
    const Case cases[] = {
        // 1200 px view at 0.01 mm a view pixel: a quarter is 3 mm -> 2 mm over 200 px.
        {1200, 1, 0.01, 2, "2 mm"},
        {1200, 1, 0.1, 20, "20 mm"},         // quarter 30 mm
        {1000, 1, 0.02, 5, "5 mm"},          // quarter exactly 5 mm: the round length itself
        {1000, 4, 0.05, 50, "50 mm"},        // thinned: 0.2 mm a view pixel, quarter 50 mm
        {800, 0.25, 0.001, 0.05, "0.05 mm"}, // zoomed in: quarter 0.05 mm
        {800, 0.25, 0.0011, 0.05, "0.05 mm"},
        {400, 1, 0.0254, 2, "2 mm"},               // 1000 dpi: quarter 2.54 mm
        {1200, 10, std::nullopt, 2000, "2000 px"}, // no lengths: file pixels
        {1200, 0.1, std::nullopt, 20, "20 px"},
        {1200, 1, 0.0, 200, "200 px"}, // a zero scale is none
        {1200, 1, 999.0, 200000, "200000 mm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::optional<ScaleBar> bar =
            ScaleBarFor(c.viewWidthPx, c.filePixelsPerViewPixel, c.mmPerFilePixel);
        ASSERT_TRUE(bar);
        EXPECT_DOUBLE_EQ(bar->length, c.length);
        EXPECT_EQ(bar->Label(), QString::fromLatin1(c.label));
        const double unitsPerPixel =
            c.filePixelsPerViewPixel *
            (c.mmPerFilePixel && *c.mmPerFilePixel > 0 ? *c.mmPerFilePixel : 1.0);
        EXPECT_NEAR(bar->pixels, c.length / unitsPerPixel, 1e-9 * bar->pixels);
        EXPECT_LE(bar->pixels, c.viewWidthPx / 4 + 1e-9);
        // The next round length would not fit.
        const double next = bar->length * (bar->Label().startsWith('2') ? 2.5 : 2);
        EXPECT_GT(next / unitsPerPixel, c.viewWidthPx / 4);
    }
}

TEST(ScaleBar, NoneWithoutWidthOrScale) {
    EXPECT_FALSE(ScaleBarFor(0, 1, 0.01));
    EXPECT_FALSE(ScaleBarFor(1200, 0, 0.01));
    EXPECT_FALSE(ScaleBarFor(1200, std::nan(""), 0.01));
    EXPECT_FALSE(ScaleBarFor(2, 1, std::nullopt)); // a quarter is half a file pixel
}
