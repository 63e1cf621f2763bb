#include "view2d/Stretch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using namespace orvane::view2d;

using Bytes = std::vector<std::uint8_t>;

Bytes Stretch(const Bytes& buffer, int imageW, int imageH, const SourceRect& source, int destW,
              int destH) {
    Bytes dest(static_cast<std::size_t>(destW * destH), 0x5A);
    StretchToGrey(buffer.data(), imageW, imageH, source, dest.data(), destW, destH, destW);
    return dest;
}

SourceRect Rect(int x, int topRow, int width, int height) {
    SourceRect r;
    r.X = x;
    r.TopRow = topRow;
    r.Width = width;
    r.Height = height;
    return r;
}

} // namespace

TEST(SourceRectangle, RoundsTheWindowAndCountsRowsFromTheTop) {
    struct Case {
        ViewWindow window;
        int imageHeight;
        int x, y, width, height, topRow;
    };
    const Case cases[] = {
        {{1000, 800, 0, 0}, 800, 0, 0, 1000, 800, 0}, // after an open
        {{1000, 761.90, 0, 19.05}, 800, 0, 19, 1000, 762, 19},
        {{100, 100, 2.5, 2.5}, 800, 2, 2, 100, 100, 698}, // a half goes down
        {{100, 100, 2.5000001, 2.5000001}, 800, 3, 3, 100, 100, 697},
    };
    for (const Case& c : cases) {
        const SourceRect r = SourceRectangle(c.window, c.imageHeight);
        EXPECT_EQ(r.X, c.x);
        EXPECT_EQ(r.Y, c.y);
        EXPECT_EQ(r.Width, c.width);
        EXPECT_EQ(r.Height, c.height);
        EXPECT_EQ(r.TopRow, c.topRow);
    }
}

TEST(StretchSourceIndex, CentresOfDestinationPixelsInExactIntegers) {
    struct Case {
        int index, size;
        std::int64_t first, span, expected;
    };
    const Case cases[] = {
        // Same size: the identity.
        {0, 4, 0, 4, 0},
        {3, 4, 10, 4, 13},
        // Enlarging repeats, shrinking takes the centre of each group.
        {0, 6, 0, 3, 0},
        {1, 6, 0, 3, 0},
        {2, 6, 0, 3, 1},
        {5, 6, 0, 3, 2},
        {0, 25, 0, 50, 1},
        {24, 25, 0, 50, 49},
        // Not clamped: the caller keeps the index inside its buffer.
        {0, 2, -3, 4, -2},
        {0, 1, 5, 10, 10},
        {9, 10, 4, 0, 4},
        // Saturated windows do not overflow.
        {16383, 16384, 0, std::int64_t{1} << 40, 32767 * (std::int64_t{1} << 25)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StretchSourceIndex(c.index, c.size, c.first, c.span), c.expected)
            << c.index << " of " << c.size << " over " << c.span << " from " << c.first;
    }
}

TEST(StretchToGrey, EnlargingRepeatsLevelsUnblended) {
    const Bytes buffer = {0,   128, 255, //
                          255, 0,   128};
    EXPECT_EQ(Stretch(buffer, 3, 2, Rect(0, 0, 3, 2), 6, 4), (Bytes{0,   0,   128, 128, 255, 255, //
                                                                    0,   0,   128, 128, 255, 255, //
                                                                    255, 255, 0,   0,   128, 128, //
                                                                    255, 255, 0,   0,   128, 128}));
    // 3 levels over 5 pixels: blocks of 2, 1 and 2.
    EXPECT_EQ(Stretch(buffer, 3, 2, Rect(0, 0, 3, 1), 5, 1), (Bytes{0, 0, 128, 255, 255}));
}

TEST(StretchToGrey, ShrinkingDropsWholeRowsAndColumns) {
    Bytes buffer(16);
    for (int i = 0; i < 16; ++i) {
        buffer[i] = static_cast<std::uint8_t>(i * 17); // 0 .. 255
    }
    // Pixel centres of a 2-wide destination fall on source 1 and 3.
    EXPECT_EQ(Stretch(buffer, 4, 4, Rect(0, 0, 4, 4), 2, 2), (Bytes{85, 119, 221, 255}));
}

TEST(StretchToGrey, WindowSelectsItsPartOfTheBuffer) {
    // 4 x 4 buffer, window of the bottom-right 2 x 2 levels (offset Y 0 counts from the bottom).
    Bytes buffer(16);
    for (int i = 0; i < 16; ++i) {
        buffer[i] = static_cast<std::uint8_t>(i);
    }
    const SourceRect r = SourceRectangle(ViewWindow{2, 2, 2, 0}, 4);
    EXPECT_EQ(Stretch(buffer, 4, 4, r, 2, 2), (Bytes{10, 11, 14, 15}));
    const SourceRect top = SourceRectangle(ViewWindow{2, 2, 0, 2}, 4);
    EXPECT_EQ(Stretch(buffer, 4, 4, top, 2, 2), (Bytes{0, 1, 4, 5}));
}

// Rows wider than 4096 levels take the path that fetches the next row ahead:
// every destination pixel must still come from its own row and column.
TEST(StretchToGrey, WideRowsReadTheirOwnRowAndColumn) {
    const int imageW = 6000, imageH = 40;
    Bytes buffer(static_cast<std::size_t>(imageW) * imageH);
    for (int r = 0; r < imageH; ++r)
        for (int c = 0; c < imageW; ++c)
            buffer[static_cast<std::size_t>(r) * imageW + c] =
                std::uint8_t(r * 37 + c * 11 + c / 256);
    // The rule: destination pixel d of D over span S from s0 reads s0 + floor((d + 0.5) S / D).
    auto source = [](int d, int destSize, int start, int span) {
        return start + static_cast<int>((2LL * d + 1) * span / (2LL * destSize));
    };
    struct Case {
        SourceRect rect;
        int destW, destH;
    } const cases[] = {
        {Rect(0, 0, imageW, imageH), 900, 25},  // shrinking both ways
        {Rect(300, 5, 5200, 12), 1000, 30},     // rows repeated, columns dropped
        {Rect(0, 0, imageW, imageH), 1200, 40}, // one row each
    };
    for (const Case& c : cases) {
        const Bytes dest = Stretch(buffer, imageW, imageH, c.rect, c.destW, c.destH);
        for (int y = 0; y < c.destH; ++y)
            for (int x = 0; x < c.destW; ++x) {
                const int row = source(y, c.destH, c.rect.TopRow, c.rect.Height);
                const int column = source(x, c.destW, c.rect.X, c.rect.Width);
                ASSERT_EQ(dest[static_cast<std::size_t>(y) * c.destW + x],
                          buffer[static_cast<std::size_t>(row) * imageW + column])
                    << "pixel " << x << "," << y << " of " << c.destW << "x" << c.destH;
            }
    }
}

TEST(StretchToGrey, WindowPastTheEdgesRepeatsEdgeLevels) {
    const Bytes buffer = {0,   128, 255, //
                          255, 0,   128};
    // Starts one level before the buffer and ends one past it, in both directions.
    EXPECT_EQ(Stretch(buffer, 3, 2, Rect(-1, -1, 5, 4), 5, 4), (Bytes{0,   0,   128, 255, 255, //
                                                                      0,   0,   128, 255, 255, //
                                                                      255, 255, 0,   128, 128, //
                                                                      255, 255, 0,   128, 128}));
    // Far outside: only the nearest corner is read.
    EXPECT_EQ(Stretch(buffer, 3, 2, Rect(50, -90, 4, 4), 2, 2), (Bytes{255, 255, 255, 255}));
    EXPECT_EQ(Stretch(buffer, 3, 2, Rect(-2147483647, 2147483000, 2147483647, 2147483647), 2, 2),
              (Bytes{255, 255, 255, 255}));
}

TEST(StretchToGrey, EmptySpanRepeatsTheNearestLevel) {
    const Bytes buffer = {0,   128, 255, //
                          255, 0,   128};
    // A window zoomed below one level rounds to no columns and no rows.
    EXPECT_EQ(Stretch(buffer, 3, 2, Rect(1, 1, 0, 0), 3, 2), (Bytes{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Stretch(buffer, 3, 2, Rect(2, 0, 0, 2), 2, 2), (Bytes{255, 255, 128, 128}));
}

TEST(StretchToGrey, RespectsStrideAndLeavesPaddingAlone) {
    const Bytes buffer = {0, 128, 255};
    Bytes dest(2 * 8, 0x5A);
    StretchToGrey(buffer.data(), 3, 1, Rect(0, 0, 3, 1), dest.data(), 3, 2, 8);
    EXPECT_EQ(dest, (Bytes{0, 128, 255, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, //
                           0, 128, 255, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A}));
}

TEST(StretchToGrey, NoBufferOrNoDestinationWritesNothing) {
    const Bytes buffer = {1, 2, 3};
    EXPECT_EQ(Stretch({}, 0, 0, Rect(0, 0, 3, 1), 2, 1), (Bytes{0x5A, 0x5A}));
    Bytes dest(4, 0x5A);
    StretchToGrey(buffer.data(), 3, 1, Rect(0, 0, 3, 1), dest.data(), 0, 4, 0);
    EXPECT_EQ(dest, (Bytes{0x5A, 0x5A, 0x5A, 0x5A}));
}
