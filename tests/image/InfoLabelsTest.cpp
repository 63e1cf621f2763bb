#include "image/InfoLabels.h"
#include "image/ImageModel.h"
#include "image/NumberText.h"

#include "tests/support/CommaLocale.h"

#include <gtest/gtest.h>

namespace {

using namespace orvane::image;

TEST(NumberText, FixedPointAfterSignificantRounding) {
    struct Case {
        double value;
        int digits, decimals;
        const char* text;
    } const cases[] = {
        {254.0, 6, 2, "254.00"},
        {1000.0, 6, 2, "1000.00"},
        {1234.567, 6, 2, "1234.57"},
        {12345.678, 6, 2, "12345.70"}, // digits beyond the precision become 0
        {25.4, 7, 1, "25.4"},
        {20.32, 7, 1, "20.3"},
        {0.05, 7, 2, "0.05"},
        {-1.005, 7, 2, "-1.01"}, // decimal rounding of the 7-digit value, half away from zero
        {-0.001, 7, 2, "0.00"},
        {0.0, 7, 2, "0.00"},
        {9999999.0, 7, 2, "9999999.00"},
        {12345678.0, 7, 2, "1.234568E+7"},
        {1234567.0, 6, 2, "1.23457E+6"},
        {100000000.0, 7, 2, "1E+8"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.digits, c.decimals).toStdString(), c.text)
            << c.value << " " << c.digits << " " << c.decimals;
}

TEST(InfoLabels, ResolutionAndSizeTexts) {
    EXPECT_EQ(ResolutionLabelText(1000.0f, 16), "1000.00 dpi  -  16 bit");
    EXPECT_EQ(ResolutionLabelText(254.0f, 8), "254.00 dpi  -  8 bit");
    EXPECT_EQ(SizeLabelText(1000, 800, 1000.0f), "1000x800 pixels [25.4x20.3 mm]");
    EXPECT_EQ(SizeLabelText(1001, 500, 254.0f), "1001x500 pixels [100.1x50.0 mm]");
}

TEST(InfoLabels, UnknownResolutionShowsNoMillimetres) {
    EXPECT_EQ(ResolutionLabelText(0.0f, 16), "0.00 dpi  -  16 bit");
    EXPECT_EQ(SizeLabelText(1000, 800, 0.0f), "1000x800 pixels [?x? mm]");
    EXPECT_EQ(MillimetresPerPixel(0.0f), 0.0);
    EXPECT_EQ(MillimetresPerPixel(-3.0f), 0.0);
}

TEST(InfoLabels, CommaLocaleChangesNothing) {
    const orvane::test::CommaLocale german;
    if (!german.Active())
        GTEST_SKIP() << german.kMissing;
    EXPECT_EQ(ResolutionLabelText(254.0f, 8), "254.00 dpi  -  8 bit");
    EXPECT_EQ(SizeLabelText(1000, 800, 1000.0f), "1000x800 pixels [25.4x20.3 mm]");
    EXPECT_EQ(FormatFixed(-1234.5, 7, 2), "-1234.50");
}

} // namespace
