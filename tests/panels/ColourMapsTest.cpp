#include "panels/ColourMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using orvane::panels::kAllPalettes;
using orvane::panels::Palette;
using orvane::panels::PaletteDisplayName;
using orvane::panels::PaletteName;
using orvane::panels::PaletteTable;
using orvane::panels::ParsePalette;

namespace {

int Red(std::uint32_t argb) {
    return static_cast<int>(argb >> 16 & 0xFF);
}
int Green(std::uint32_t argb) {
    return static_cast<int>(argb >> 8 & 0xFF);
}
int Blue(std::uint32_t argb) {
    return static_cast<int>(argb & 0xFF);
}

// CIELAB L* of an sRGB colour (D65), from first principles rather than the code under test.
double Lightness(std::uint32_t argb) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double y = 0.2126729 * linear(Red(argb)) + 0.7151522 * linear(Green(argb)) +
                     0.0721750 * linear(Blue(argb));
    constexpr double kDelta = 6.0 / 29.0;
    const double f =
        y > kDelta * kDelta * kDelta ? std::cbrt(y) : y / (3 * kDelta * kDelta) + 4.0 / 29.0;
    return 116 * f - 16;
}

std::vector<double> LightnessOf(Palette palette) {
    const auto& table = PaletteTable(palette);
    std::vector<double> lightness;
    std::transform(table.begin(), table.end(), std::back_inserter(lightness), Lightness);
    return lightness;
}

} // namespace

TEST(ColourMaps, LevelsMatchThePublishedTables) {
    // Hand-rounded from matplotlib's float tables, e.g. viridis 0: 0.267004 0.004874 0.329415.
    struct Case {
        Palette Which;
        std::uint32_t Level0;
        std::uint32_t Level128;
        std::uint32_t Level255;
    };
    const Case cases[] = {
        {Palette::Grey, 0xFF000000, 0xFF808080, 0xFFFFFFFF},
        {Palette::Viridis, 0xFF440154, 0xFF21918C, 0xFFFDE725},
        {Palette::Cividis, 0xFF00224E, 0xFF7D7C78, 0xFFFEE838},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(PaletteName(c.Which).toStdString());
        const auto& table = PaletteTable(c.Which);
        EXPECT_EQ(table[0], c.Level0);
        EXPECT_EQ(table[128], c.Level128);
        EXPECT_EQ(table[255], c.Level255);
    }
}

TEST(ColourMaps, GreyIsTheExactRamp) {
    const auto& grey = PaletteTable(Palette::Grey);
    for (std::uint32_t level = 0; level < 256; ++level) {
        EXPECT_EQ(grey[level], 0xFF000000u | level << 16 | level << 8 | level) << level;
    }
}

TEST(ColourMaps, EveryColourIsOpaque) {
    for (Palette palette : kAllPalettes) {
        const auto& table = PaletteTable(palette);
        for (std::size_t level = 0; level < table.size(); ++level) {
            EXPECT_EQ(table[level] >> 24, 0xFFu)
                << PaletteName(palette).toStdString() << " level " << level;
        }
    }
}

TEST(ColourMaps, TerrainRunsFromDeepBlueThroughGreenAndTanToNearWhite) {
    const auto& terrain = PaletteTable(Palette::Terrain);
    const std::uint32_t deep = terrain[0];
    EXPECT_GT(Blue(deep), Green(deep));
    EXPECT_GT(Green(deep), Red(deep));
    const std::uint32_t green = terrain[90];
    EXPECT_GT(Green(green), Red(green));
    EXPECT_GT(Green(green), Blue(green));
    const std::uint32_t tan = terrain[170];
    EXPECT_GT(Red(tan), Green(tan));
    EXPECT_GT(Green(tan), Blue(tan));
    const std::uint32_t top = terrain[255];
    EXPECT_GE(std::min({Red(top), Green(top), Blue(top)}), 230);
    EXPECT_LE(std::max({Red(top), Green(top), Blue(top)}) -
                  std::min({Red(top), Green(top), Blue(top)}),
              10);
    // The lightness ramp the table is built on: L* 25 to 95.
    EXPECT_NEAR(Lightness(deep), 25, 0.5);
    EXPECT_NEAR(Lightness(top), 95, 0.5);
}

// Lightness alone must order the levels, so the maps read for colour-blind users and in grey.
TEST(ColourMaps, LightnessRisesEvenly) {
    for (Palette palette : kAllPalettes) {
        SCOPED_TRACE(PaletteName(palette).toStdString());
        const std::vector<double> lightness = LightnessOf(palette);
        for (std::size_t level = 0; level + 2 < lightness.size(); ++level) {
            // 8-bit rounding moves L* by up to about 0.15, so neighbours may dip a little
            // (viridis by 0.03, terrain by 0.06), but two levels apart the rise is clear.
            EXPECT_GT(lightness[level + 1], lightness[level] - 0.1) << level;
            EXPECT_GT(lightness[level + 2], lightness[level]) << level;
        }
        // 15 steps of 17 levels: viridis itself stays within 1.17 of the mean step, cividis
        // and the grey ramp within 1.25; a kink or a flat stretch goes past the bounds.
        std::vector<double> steps;
        for (std::size_t level = 17; level < lightness.size(); level += 17) {
            steps.push_back(lightness[level] - lightness[level - 17]);
        }
        double meanStep = 0;
        for (double step : steps) {
            meanStep += step / static_cast<double>(steps.size());
        }
        EXPECT_LT(*std::max_element(steps.begin(), steps.end()) / meanStep, 1.3);
        EXPECT_GT(*std::min_element(steps.begin(), steps.end()) / meanStep, 0.7);
    }
}

TEST(ColourMaps, NamesRoundTrip) {
    const std::vector<std::string> names = {"grey", "viridis", "cividis", "terrain"};
    const std::vector<std::string> displayNames = {"Grey", "Viridis", "Cividis", "Terrain"};
    ASSERT_EQ(kAllPalettes.size(), names.size());
    for (std::size_t i = 0; i < kAllPalettes.size(); ++i) {
        const Palette palette = kAllPalettes[i];
        EXPECT_EQ(PaletteName(palette).toStdString(), names[i]);
        EXPECT_EQ(PaletteDisplayName(palette).toStdString(), displayNames[i]);
        EXPECT_EQ(ParsePalette(PaletteName(palette)), palette);
        EXPECT_EQ(ParsePalette(PaletteDisplayName(palette)), palette);
    }
    EXPECT_EQ(ParsePalette(QStringLiteral("VIRIDIS")), Palette::Viridis);
    for (const char* unknown : {"", "jet", " viridis", "terrain2"}) {
        EXPECT_FALSE(ParsePalette(QString::fromLatin1(unknown)).has_value()) << unknown;
    }
}
