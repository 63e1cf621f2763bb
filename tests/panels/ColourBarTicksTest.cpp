#include "panels/ColourBarTicks.h"

#include "tests/support/CommaLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <random>
#include <string>
#include <vector>

using orvane::panels::RoundTicks;
using orvane::panels::TickText;

namespace {

// The step of a tick list if it is 1, 2, 2.5 or 5 times a power of ten, else 0.
double FamilyStep(const std::vector<double>& ticks) {
    const double step = ticks[1] - ticks[0];
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    for (double mantissa : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (std::abs(step / power - mantissa) < 1e-9) {
            return step;
        }
    }
    return 0;
}

} // namespace

TEST(RoundTicks, TypicalRanges) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::string Name;
        double Low;
        double High;
        std::vector<double> Ticks;
    };
    const std::vector<Case> cases = {
        {"mm heights", 1.0, 3.0, {1.0, 1.5, 2.0, 2.5, 3.0}},
        {"reversed bounds", 3.0, 1.0, {1.0, 1.5, 2.0, 2.5, 3.0}},
        {"from zero", 0, 2, {0, 0.5, 1, 1.5, 2}},
        {"unit range prefers six ticks of 0.2 to five of 0.25", 0, 1, {0, 0.2, 0.4, 0.6, 0.8, 1}},
        {"0..10 prefers steps of 2 to 2.5", 0, 10, {0, 2, 4, 6, 8, 10}},
        {"fine range", 0.001, 0.065, {0.01, 0.02, 0.03, 0.04, 0.05, 0.06}},
        {"across zero", -12.5, 40, {-10, 0, 10, 20, 30, 40}},
        {"16-bit micrometres as mm", 0, 65.535, {0, 20, 40, 60}},
        {"display levels", 0, 255, {0, 50, 100, 150, 200, 250}},
        {"all negative", -1, -0.1, {-1, -0.8, -0.6, -0.4, -0.2}},
        {"micrometre scale", 1e-6, 5e-6, {1e-6, 2e-6, 3e-6, 4e-6, 5e-6}},
        {"thousands", 1000, 6000, {1000, 2000, 3000, 4000, 5000, 6000}},
        {"bound off by a rounding error keeps its tick", 0.1 + 0.2, 0.7, {0.3, 0.4, 0.5, 0.6, 0.7}},
        // 7 multiples of 2.5 but 3 of 5: every other multiple of 2.5.
        {"no step fits, halves of 5", 0.1, 19.6, {2.5, 7.5, 12.5, 17.5}},
        {"no step fits, odd units", 0.5, 7.5, {1, 3, 5, 7}},
        {"empty range", 2, 2, {2}},
        {"range below double precision", 1, 1 + 1e-12, {1}},
        {"not a number low", nan, 3, {3}},
        {"infinite high", -4, inf, {-4}},
        {"no finite bound", inf, -inf, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<double> ticks = RoundTicks(c.Low, c.High);
        ASSERT_EQ(ticks.size(), c.Ticks.size());
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            // Exact: a tick is the double nearest its decimal value, 0.3 and not 3 * 0.1.
            EXPECT_EQ(ticks[i], c.Ticks[i]) << "tick " << i;
        }
    }
}

TEST(RoundTicks, FourToSixEvenRoundTicksOverManyMagnitudes) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> exponent(-9, 9);
    std::uniform_real_distribution<double> mantissa(1, 10);
    std::uniform_real_distribution<double> offsetInWidths(-30, 30);
    int halfStepCases = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        const double width = std::pow(10.0, std::floor(exponent(random))) * mantissa(random);
        // One range in four starts at zero, as level and height ranges often do.
        const double low = trial % 4 == 0 ? 0 : width * offsetInWidths(random);
        const double high = low + width;
        SCOPED_TRACE(testing::Message() << std::setprecision(17) << low << " .. " << high);

        const std::vector<double> ticks = RoundTicks(low, high);
        ASSERT_GE(ticks.size(), 4u);
        ASSERT_LE(ticks.size(), 6u);
        const double step = FamilyStep(ticks);
        ASSERT_GT(step, 0) << "step " << ticks[1] - ticks[0];
        const double slack = 1e-6 * step;
        EXPECT_GE(ticks.front(), low - slack);
        EXPECT_LE(ticks.back(), high + slack);
        for (std::size_t i = 1; i < ticks.size(); ++i) {
            EXPECT_NEAR(ticks[i] - ticks[i - 1], step, 1e-9 * step) << i;
        }
        // Multiples of the step, or of half of it where no step fits.
        const bool onSteps = std::abs(std::remainder(ticks[0], step)) < 1e-6 * step;
        const double grid = onSteps ? step : step / 2;
        halfStepCases += !onSteps;
        for (double tick : ticks) {
            EXPECT_NEAR(std::remainder(tick, grid), 0, 1e-6 * grid) << tick;
            // The label reads back as the tick.
            EXPECT_NEAR(TickText(tick, step).toDouble(), tick, 1e-6 * step) << tick;
        }
    }
    // Both kinds of tick lists were met.
    EXPECT_GT(halfStepCases, 0);
    EXPECT_LT(halfStepCases, 20000 / 4);
}

TEST(TickText, JustTheDecimalsTheStepNeeds) {
    struct Case {
        double Value;
        double Step;
        const char* Text;
    };
    const Case cases[] = {
        {1.5, 0.5, "1.5"},
        {2, 0.5, "2.0"},
        {5, 2.5, "5.0"},
        {40, 10, "40"},
        {-10, 10, "-10"},
        {250, 50, "250"},
        {0.06, 0.01, "0.06"},
        {0.1 + 0.2, 0.1, "0.3"},
        {0.015000000000000001, 0.0049999999999999, "0.015"},
        {3e-6, 1e-6, "0.000003"},
        {1500000, 500000, "1500000"},
        {7.5, 5, "7.5"}, // a half-step tick keeps its decimal
        {-1e-17, 0.2, "0.0"},
        {-0.0, 1, "0"},
        {-3e-8, 0.1, "0.0"},
        {1.5, 0, "1.5"}, // a lone value
        {2, 0, "2"},
        {-0.0, 0, "0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TickText(c.Value, c.Step).toStdString(), c.Text) << c.Value << " step " << c.Step;
    }
}

TEST(TickText, PointAsSeparatorInAnyLocale) {
    const orvane::test::CommaLocale german;
    if (!german.Active())
        GTEST_SKIP() << german.kMissing;
    EXPECT_EQ(TickText(1234.5, 0.5).toStdString(), "1234.5");
}
