#include "panels/ColourBarScale.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace orvane::panels;

struct Tick {
    double Value;
    double Fraction;
    const char* Text;
};

struct Case {
    std::string Name;
    double ZMin, ZMax;
    const char* Unit;
    std::vector<Tick> Ticks;
};

TEST(ColourBarScale, TicksInMillimetresOrLevels) {
    const std::vector<Case> cases = {
        {"heights of 1 to 3 mm",
         1,
         3,
         "mm",
         {{1, 0, "1.0"}, {1.5, 0.25, "1.5"}, {2, 0.5, "2.0"}, {2.5, 0.75, "2.5"}, {3, 1, "3.0"}}},
        {"no height range: levels",
         0,
         0,
         "level",
         {{0, 0, "0"},
          {50, 50 / 255.0, "50"},
          {100, 100 / 255.0, "100"},
          {150, 150 / 255.0, "150"},
          {200, 200 / 255.0, "200"},
          {250, 250 / 255.0, "250"}}},
        {"equal bounds away from zero: levels",
         2.5,
         2.5,
         "level",
         {{0, 0, "0"},
          {50, 50 / 255.0, "50"},
          {100, 100 / 255.0, "100"},
          {150, 150 / 255.0, "150"},
          {200, 200 / 255.0, "200"},
          {250, 250 / 255.0, "250"}}},
        {"16-bit micrometres",
         0,
         65.535,
         "mm",
         {{0, 0, "0"}, {20, 20 / 65.535, "20"}, {40, 40 / 65.535, "40"}, {60, 60 / 65.535, "60"}}},
        {"across zero",
         -12.5,
         40,
         "mm",
         {{-10, 2.5 / 52.5, "-10"},
          {0, 12.5 / 52.5, "0"},
          {10, 22.5 / 52.5, "10"},
          {20, 32.5 / 52.5, "20"},
          {30, 42.5 / 52.5, "30"},
          {40, 1, "40"}}},
        {"fine range",
         0.001,
         0.065,
         "mm",
         {{0.01, 0.009 / 0.064, "0.01"},
          {0.02, 0.019 / 0.064, "0.02"},
          {0.03, 0.029 / 0.064, "0.03"},
          {0.04, 0.039 / 0.064, "0.04"},
          {0.05, 0.049 / 0.064, "0.05"},
          {0.06, 0.059 / 0.064, "0.06"}}},
        // Level 0 is the higher height: the bar runs downward in millimetres.
        {"reversed range",
         3,
         1,
         "mm",
         {{1, 1, "1.0"}, {1.5, 0.75, "1.5"}, {2, 0.5, "2.0"}, {2.5, 0.25, "2.5"}, {3, 0, "3.0"}}},
    };
    for (const Case& c : cases) {
        const ColourBarScale scale = ColourBarScaleFor(c.ZMin, c.ZMax);
        EXPECT_EQ(scale.Unit.toStdString(), c.Unit) << c.Name;
        ASSERT_EQ(scale.Ticks.size(), c.Ticks.size()) << c.Name;
        EXPECT_GE(scale.Ticks.size(), 4u) << c.Name;
        EXPECT_LE(scale.Ticks.size(), 6u) << c.Name;
        for (std::size_t i = 0; i < c.Ticks.size(); ++i) {
            EXPECT_NEAR(scale.Ticks[i].Value, c.Ticks[i].Value, 1e-12) << c.Name << " " << i;
            EXPECT_NEAR(scale.Ticks[i].Fraction, c.Ticks[i].Fraction, 1e-9) << c.Name << " " << i;
            EXPECT_EQ(scale.Ticks[i].Text.toStdString(), c.Ticks[i].Text) << c.Name << " " << i;
        }
    }
}

} // namespace
