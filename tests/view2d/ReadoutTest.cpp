#include "view2d/Readout.h"

#include "tests/support/CommaLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace orvane::view2d;

std::string Text(const QString& s) {
    return s.toStdString();
}

} // namespace

TEST(MapPointer, TruncatesIntoBufferLevels) {
    const ViewWindow whole{1000, 800, 0, 0};
    struct Case {
        ViewWindow window;
        int x, y, boxW, boxH;
        int column, row;
    };
    const std::vector<Case> cases = {
        {whole, 874, 699, 875, 700, 998, 798}, // last box pixel: not 999, 799
        {whole, 0, 0, 875, 700, 0, 0},
        // Zoomed window: row 0 of the box is the window's top row, counted from the top.
        {ViewWindow{1000, 761.90, 0, 19.05}, 0, 0, 919, 700, 0, 19},
        {ViewWindow{500, 400, 100, 50}, 500, 400, 1000, 800, 350, 550},
    };
    for (const Case& c : cases) {
        const BufferPosition p = MapPointer(c.x, c.y, c.window, c.boxW, c.boxH, 800);
        EXPECT_EQ(p.Column, c.column);
        EXPECT_EQ(p.Row, c.row);
    }
}

TEST(ReadoutNumber, SevenSignificantDigitsThenTwoDecimals) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0.00"},
        {123.4, "123.40"},
        {-1.5, "-1.50"},
        {0.125, "0.13"}, // halves away from zero
        {-0.125, "-0.13"},
        {2.675, "2.68"},             // 2.67499999... is 2.675000 at 7 digits
        {0.0049999996, "0.01"},      // 0.005000000 at 7 digits
        {99.996, "100.00"},          // carry into a new integer digit
        {-0.001, "0.00"},            // no "-0.00"
        {1234567.891, "1234568.00"}, // no thousands separators
        {9999999.4, "9999999.00"},
        {12345678.0, "1.234568E+7"}, // 8 integer digits: exponent notation
        {-12345678.0, "-1.234568E+7"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(ReadoutNumber(c.value)), c.text) << c.value;
    }
    EXPECT_EQ(Text(ReadoutNumber(std::numeric_limits<double>::quiet_NaN())), "NAN");
}

TEST(Labels, PositionInFilePixelsAndMillimetres) {
    // Resolution 254 dpi is 0.1 mm per file pixel; thinning steps of 2.
    const ImageGeometry image{500, 100, 2, 2};
    const BufferPosition p{617, 40};
    EXPECT_EQ(Text(XLabelText(FileColumn(p, image), 254.0f)), "1234 [123.40 mm]");
    EXPECT_EQ(Text(YLabelText(FileRow(p, image), 254.0f)), "80 [8.00 mm]");
}

TEST(Labels, MillimetresUnknownWithoutResolution) {
    for (float dpi : {0.0f, -10.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(Text(XLabelText(1234, dpi)), "1234 [? mm]") << dpi;
    }
}

TEST(Labels, HeightAndRange) {
    struct Case {
        std::optional<std::uint8_t> level;
        double zMin, zMax;
        const char* text;
    };
    const std::vector<Case> cases = {
        {128, 1.0, 3.0, "2.00 mm (1.00\u00F73.00)"},
        {255, 1.0, 3.0, "3.00 mm (1.00\u00F73.00)"},
        {0, 1.0, 3.0, "1.00 mm (1.00\u00F73.00)"},
        {200, 0.0, 0.0, "0.00 mm (0.00\u00F70.00)"},          // file without a height range
        {std::nullopt, 1.0, 3.0, "0.00 mm (1.00\u00F73.00)"}, // outside the buffer
        {0, -2.5, 1.0, "-2.50 mm (-2.50\u00F71.00)"},
    };
    for (const Case& c : cases) {
        const float z = HeightMm(c.level, c.zMin, c.zMax);
        EXPECT_EQ(Text(ZLabelText(z, c.zMin, c.zMax)), c.text);
    }
    // The division sign is one character, U+00F7.
    EXPECT_EQ(ZLabelText(1, 1, 3).count(QChar(0x00F7)), 1);
    EXPECT_EQ(ZLabelText(1, 1, 3).size(), 19);
}

TEST(Labels, SameUnderACommaLocale) {
    const orvane::test::CommaLocale german;
    if (!german.Active())
        GTEST_SKIP() << german.kMissing;
    EXPECT_EQ(Text(XLabelText(1234567, 254.0f)), "1234567 [123456.70 mm]");
    EXPECT_EQ(Text(ReadoutNumber(-12345678.0)), "-1.234568E+7");
    EXPECT_EQ(Text(ZLabelText(HeightMm(128, 1.0, 3.0), 1.0, 3.0)), "2.00 mm (1.00\u00F73.00)");
}

TEST(LevelAt, ReadsOnlyInsideTheBuffer) {
    const ImageGeometry image{3, 2, 1, 1};
    const std::vector<std::uint8_t> buffer = {7, 1, 2, 3, 4, 9};
    EXPECT_EQ(LevelAt(buffer.data(), image, {0, 0}), std::optional<std::uint8_t>(7));
    EXPECT_EQ(LevelAt(buffer.data(), image, {2, 1}), std::optional<std::uint8_t>(9));
    for (const BufferPosition p :
         {BufferPosition{3, 1}, BufferPosition{0, 2}, BufferPosition{-1, 0}, BufferPosition{0, -1},
          BufferPosition{2147483647, 2147483647}}) {
        EXPECT_FALSE(LevelAt(buffer.data(), image, p).has_value()) << p.Column << "," << p.Row;
    }
    EXPECT_FALSE(LevelAt(nullptr, image, {0, 0}).has_value());
    EXPECT_EQ(HeightMm(std::nullopt, 1.0, 3.0), 0.0f);
}

TEST(Drag, PictureFollowsThePointerWithinTheImage) {
    const ImageGeometry image{1000, 800, 1, 1};
    struct Case {
        ViewWindow start;
        int boxW, boxH, dx, dy;
        double offsetX, offsetY;
    };
    const std::vector<Case> cases = {
        {{500, 400, 200, 100}, 1000, 800, 100, 0, 150, 100}, // right: 50 levels left
        {{500, 400, 30, 100}, 1000, 800, 100, 0, 0, 100},    // ... down to 0 at most
        {{500, 400, 200, 100}, 1000, 800, 0, 100, 200, 150}, // down: offset Y up by 50
        {{500, 400, 200, 350}, 1000, 800, 0, 200, 200, 400}, // top edge
        {{500, 400, 200, 100}, 1000, 800, -1000, 0, 500, 100},
        {{1000, 800, 0, 0}, 875, 700, 300, -200, 0, 0}, // whole image: nothing moves
        // Offsets restart from their truncated values at the press.
        {{500, 400, 200.7, 100.6}, 1000, 800, 0, 0, 200, 100},
    };
    for (const Case& c : cases) {
        ViewWindow window = c.start;
        DragState drag;
        BeginDrag(drag, 400, 300, window);
        EXPECT_TRUE(drag.Panning);
        DragTo(drag, 400 + c.dx, 300 + c.dy, c.boxW, c.boxH, image, window);
        EXPECT_DOUBLE_EQ(window.ViewOffsetX, c.offsetX);
        EXPECT_DOUBLE_EQ(window.ViewOffsetY, c.offsetY);
        EXPECT_EQ(window.ViewWidth, c.start.ViewWidth);
        EXPECT_EQ(window.ViewHeight, c.start.ViewHeight);
    }
}
