#include "measure/Roughness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace orvane::measure;

constexpr double kPi = 3.14159265358979323846;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kAlpha = std::sqrt(std::log(2.0) / kPi);

std::vector<double> Sampled(std::size_t count, const std::function<double(std::size_t)>& at) {
    std::vector<double> heights(count);
    for (std::size_t i = 0; i < count; ++i)
        heights[i] = at(i);
    return heights;
}

// Points for a line of `cutoffs` cut-offs at `perCutoff` points per cut-off.
std::size_t PointsFor(double cutoffs, int perCutoff) {
    return std::size_t(std::lround(cutoffs * perCutoff)) + 1;
}

// The amplitude the infinite Gaussian passes of a wavelength: 1/2 at the cut-off.
double IdealTransmission(double wavelengthInCutoffs) {
    const double u = kAlpha / wavelengthInCutoffs;
    return std::exp(-kPi * u * u);
}

// The mean of f(x) under the weighting function cut at half a cut-off either side and
// renormalised, by Simpson's rule over the window (x in cut-offs).
double TruncatedWindowMean(const std::function<double(double)>& f) {
    const int steps = 20000;
    const double h = 1.0 / steps;
    double sum = 0, sumWeights = 0;
    for (int s = 0; s <= steps; ++s) {
        const double x = -0.5 + s * h;
        const double factor = (s == 0 || s == steps) ? 1 : (s % 2 ? 4 : 2);
        const double w = factor * std::exp(-kPi * (x / kAlpha) * (x / kAlpha));
        sum += w * f(x);
        sumWeights += w;
    }
    return sum / sumWeights;
}

// The amplitude the cut weighting function passes of a wavelength.
double TruncatedTransmission(double wavelengthInCutoffs) {
    return TruncatedWindowMean(
        [&](double x) { return std::cos(2 * kPi * x / wavelengthInCutoffs); });
}

// --- The Gaussian mean line -------------------------------------------------------------------

// A sine wave comes out of the filter as the same wave times the transmission: the mean line
// keeps T of it and the roughness 1 - T. At the cut-off both are one half.
TEST(GaussianMeanLine, PassesSineWavesAsTheGaussianDoes) {
    const double lambdaCMm = 0.8, spacingMm = lambdaCMm / 200, amplitudeMm = 0.002;
    const std::size_t count = PointsFor(40, 200);
    for (double wavelength : {1.0, 10.0, 0.1, 2.0, 0.5, 0.05}) {
        SCOPED_TRACE("wavelength " + std::to_string(wavelength) + " cut-offs");
        const auto heights = Sampled(count, [&](std::size_t i) {
            return amplitudeMm * std::sin(2 * kPi * i * spacingMm / (wavelength * lambdaCMm) + 0.3);
        });
        const PointRange range = EvaluationRange(count, spacingMm, lambdaCMm);
        const auto meanLine = GaussianMeanLine(heights, spacingMm, lambdaCMm);
        double sumProducts = 0, sumSquares = 0;
        for (std::size_t i = range.First; i < range.End; ++i) {
            sumProducts += meanLine[i] * heights[i];
            sumSquares += heights[i] * heights[i];
        }
        const double passed = sumProducts / sumSquares;
        // Cutting the weights at half a cut-off moves the transmission by up to 0.0106 (at the
        // cut-off: 0.5106 instead of 0.5); the sum over points at lambdaC / 200 stays within
        // 5e-4 of the integral over the cut weights.
        EXPECT_NEAR(passed, IdealTransmission(wavelength), 0.012);
        EXPECT_NEAR(passed, TruncatedTransmission(wavelength), 1e-3);
        // Neither shifted nor reshaped: the same wave, point by point.
        for (std::size_t i = range.First; i < range.End; ++i)
            ASSERT_NEAR(meanLine[i], passed * heights[i], 1e-9 * amplitudeMm) << i;

        const RoughnessOutcome outcome = MeasureRoughness(heights, spacingMm, lambdaCMm);
        ASSERT_TRUE(outcome.Figures) << outcome.WhyNone;
        double inputSquares = 0;
        for (std::size_t i = range.First; i < range.End; ++i)
            inputSquares += heights[i] * heights[i];
        const double inputRq = std::sqrt(inputSquares / double(range.End - range.First));
        EXPECT_NEAR(outcome.Figures->Rq / inputRq, 1 - IdealTransmission(wavelength), 0.012);
        EXPECT_NEAR(outcome.Figures->Rq / inputRq, 1 - TruncatedTransmission(wavelength), 1e-3);
        if (wavelength == 1.0) {
            // 39 whole waves: Ra of a sine is 2A / pi.
            EXPECT_NEAR(outcome.Figures->Ra, (1 - passed) * 2 * amplitudeMm / kPi,
                        1e-4 * amplitudeMm);
            EXPECT_NEAR(outcome.Figures->Ra, 0.5 * 2 * amplitudeMm / kPi, 0.012 * amplitudeMm);
        }
    }
}

// The filter passes straight lines whole, so their roughness is nil whatever their tilt.
TEST(GaussianMeanLine, StraightLinesHaveNoRoughness) {
    struct Case {
        double offsetMm, slope, spacingMm, lambdaCMm;
    } const cases[] = {
        {0, 0.01, 0.004, 0.8}, {2.5, -0.3, 0.001, 0.25}, {1000, 1e-3, 0.01, 2.5},
        {-40, 2, 0.05, 8},     {0.1, 0, 0.003, 0.8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.offsetMm) + " + " + std::to_string(c.slope) + " x");
        const std::size_t count = PointsFor(6 * c.lambdaCMm / c.spacingMm, 1);
        const auto heights =
            Sampled(count, [&](std::size_t i) { return c.offsetMm + c.slope * i * c.spacingMm; });
        double scale = 0;
        for (double z : heights)
            scale = std::max(scale, std::abs(z));
        const RoughnessOutcome outcome = MeasureRoughness(heights, c.spacingMm, c.lambdaCMm);
        ASSERT_TRUE(outcome.Figures) << outcome.WhyNone;
        const RoughnessFigures& f = *outcome.Figures;
        for (std::size_t i = f.FirstPoint; i < f.EndPoint; ++i)
            ASSERT_NEAR(f.MeanLineMm[i], heights[i], 1e-12 * scale) << i;
        for (double value : {f.Ra, f.Rq, f.Rt, *f.Rz, *f.Rp, *f.Rv})
            EXPECT_LE(std::abs(value), 1e-12 * scale);
        EXPECT_EQ(f.Rsk, 0);
        EXPECT_EQ(f.Rku, 0);
    }
}

// A parabola c x^2 comes out of the filter raised by c times the window's second moment m2,
// the same everywhere: the roughness is r = -c m2 throughout and stays so (its mean is not
// taken off): Ra = Rq = |c| m2, Rp = -Rv = -c m2, Rt = Rz = 0, Rsk = -sign(c), Rku = 1.
TEST(RoughnessParameters, TakeTheRoughnessAsTheFilterLeavesIt) {
    const double m2InCutoffs = TruncatedWindowMean([](double x) { return x * x; });
    struct Case {
        double curvaturePerMm, lambdaCMm;
    } const cases[] = {{0.5, 0.8}, {-2, 0.25}, {0.01, 2.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.curvaturePerMm) + " x^2 at " + std::to_string(c.lambdaCMm));
        const double spacingMm = c.lambdaCMm / 1000;
        const auto heights = Sampled(PointsFor(3 * c.lambdaCMm / spacingMm, 1), [&](std::size_t i) {
            const double x = double(i) * spacingMm - 1.5 * c.lambdaCMm;
            return c.curvaturePerMm * x * x;
        });
        const RoughnessOutcome outcome = MeasureRoughness(heights, spacingMm, c.lambdaCMm);
        ASSERT_TRUE(outcome.Figures) << outcome.WhyNone;
        const RoughnessFigures& f = *outcome.Figures;
        const double lift = c.curvaturePerMm * m2InCutoffs * c.lambdaCMm * c.lambdaCMm;
        // At 1000 points a cut-off, summing over points instead of integrating moves the second
        // moment by under 5e-4 of it.
        const double tolerance = 1e-3 * std::abs(lift);
        EXPECT_NEAR(f.Ra, std::abs(lift), tolerance);
        EXPECT_NEAR(f.Rq, std::abs(lift), tolerance);
        EXPECT_NEAR(*f.Rp, -lift, tolerance);
        EXPECT_NEAR(*f.Rv, lift, tolerance);
        EXPECT_LE(*f.Rz, 1e-9 * std::abs(lift));
        EXPECT_LE(f.Rt, 1e-9 * std::abs(lift));
        EXPECT_NEAR(f.Rsk, lift > 0 ? -1 : 1, 1e-9);
        EXPECT_NEAR(f.Rku, 1, 1e-9);
    }
}

// --- The end rule -----------------------------------------------------------------------------

// The evaluation range leaves out half a cut-off at each end, and the filter's window reaches
// exactly half a cut-off, so the range has whole windows and nothing more.
TEST(EvaluationRange, LeavesHalfACutoffAtEachEnd) {
    struct Case {
        const char* name;
        std::size_t count;
        double spacingMm, lambdaCMm;
        std::size_t first, end; // first == end: empty
        std::size_t halfWindow; // points of the window on either side
    } const cases[] = {
        {"half a cut-off of whole spacings", 1001, 0.001, 0.8, 400, 601, 400},
        {"half a cut-off between two points", 1000, 0.003, 0.8, 134, 866, 133},
        {"coarse points", 20, 0.3, 0.8, 2, 18, 1},
        {"a line of exactly one cut-off: one point", 81, 0.1, 8, 40, 41, 40},
        {"a line a cut-off and a spacing long", 82, 0.1, 8, 40, 42, 40},
        // 0.8 / (2 * 25.4 / 254) is 4.000000000000001 in binary, and with 0.1 * (1 / 10)
        // mm points 0.4 mm is 39.99999999999999 spacings: both are meant as whole numbers.
        {"half a cut-off a hair above 4 spacings", 101, 25.4 / 254, 0.8, 4, 97, 4},
        {"half a cut-off a hair below 40 spacings", 201, 0.1 * (1.0 / 10), 0.8, 40, 161, 40},
        {"a line a spacing short of one cut-off", 80, 0.1, 8, 0, 0, 40},
        {"a line far shorter than one cut-off", 10, 0.1, 2.5, 0, 0, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PointRange range = EvaluationRange(c.count, c.spacingMm, c.lambdaCMm);
        if (c.first == c.end) {
            EXPECT_EQ(range.First, range.End);
        } else {
            EXPECT_EQ(range.First, c.first);
            EXPECT_EQ(range.End, c.end);
        }

        // An impulse at point 0 reaches the mean line up to halfWindow points away, no further.
        std::vector<double> impulse(c.count, 0.0);
        impulse[0] = 1;
        const auto meanLine = GaussianMeanLine(impulse, c.spacingMm, c.lambdaCMm);
        if (c.halfWindow < c.count) {
            EXPECT_GT(meanLine[c.halfWindow], 0);
        }
        if (c.halfWindow + 1 < c.count) {
            EXPECT_EQ(meanLine[c.halfWindow + 1], 0);
        }

        // The figures report the same range, and need two points in it.
        const RoughnessOutcome outcome =
            MeasureRoughness(std::vector<double>(c.count, 1.0), c.spacingMm, c.lambdaCMm);
        ASSERT_EQ(bool(outcome.Figures), c.end >= c.first + 2) << outcome.WhyNone;
        if (outcome.Figures) {
            EXPECT_EQ(outcome.Figures->FirstPoint, c.first);
            EXPECT_EQ(outcome.Figures->EndPoint, c.end);
            EXPECT_EQ(outcome.Figures->ValidPoints, std::int64_t(c.end - c.first));
        }
    }
}

// --- The parameters ---------------------------------------------------------------------------

// Profiles repeating every 10 points (a twentieth of the cut-off, which the filter removes
// whole) over exactly 100 repeats in the evaluation range, on a tilted base the filter keeps
// whole, so the roughness is the repeat itself about its mean and every parameter is known:
//  - a sine sampled 10 times a wave: mean |cos| = (2 + 4 cos 36 + 4 cos 72) / 10 = (1 + sqrt 5)
//    / 5, mean cos^2 = 1/2, mean cos^3 = 0, mean cos^4 = 3/8, peaks and valleys sampled;
//  - one spike of h in 10: r = 0.9 h once and -0.1 h nine times: Ra 0.18 h, Rq 0.3 h, Rsk
//    0.072 / 0.027 = 8/3, Rku 0.0657 / 0.0081 = 73/9;
//  - one pit of h in 10: the same mirrored.
TEST(RoughnessParameters, MatchHandWorkedProfiles) {
    const double lambdaCMm = 0.8, spacingMm = lambdaCMm / 200;
    const std::size_t count = 1200; // 100 points each end, then 1000 in the range
    const double sqrt5 = std::sqrt(5.0);
    struct Case {
        const char* name;
        std::function<double(int)> repeat; // height at phase 0..9, in units of a
        double ra, rq, rsk, rku, rp, rv, rz, rt;
    } const cases[] = {
        {"sine", [](int p) { return std::cos(2 * kPi * p / 10); }, (1 + sqrt5) / 5,
         1 / std::sqrt(2.0), 0, 1.5, 1, 1, 2, 2},
        {"spikes", [](int p) { return p == 0 ? 1.0 : 0.0; }, 0.18, 0.3, 8.0 / 3, 73.0 / 9, 0.9, 0.1,
         1, 1},
        {"pits", [](int p) { return p == 0 ? -1.0 : 0.0; }, 0.18, 0.3, -8.0 / 3, 73.0 / 9, 0.1, 0.9,
         1, 1},
    };
    for (const Case& c : cases) {
        for (double a : {0.001, 0.05}) {
            SCOPED_TRACE(std::string(c.name) + " of " + std::to_string(a) + " mm");
            const auto heights = Sampled(count, [&](std::size_t i) {
                const int phase = int((i + 1000 - 100) % 10); // 0 at the range's first point
                return 5 + 0.01 * i * spacingMm + a * c.repeat(phase);
            });
            const RoughnessOutcome outcome = MeasureRoughness(heights, spacingMm, lambdaCMm);
            ASSERT_TRUE(outcome.Figures) << outcome.WhyNone;
            const RoughnessFigures& f = *outcome.Figures;
            EXPECT_EQ(f.FirstPoint, 100u);
            EXPECT_EQ(f.EndPoint, 1100u);
            EXPECT_EQ(f.ValidPoints, 1000);
            EXPECT_EQ(f.LambdaCMm, lambdaCMm);
            EXPECT_FALSE(f.Automatic);
            // The last point lies 999 spacings from the first: short of 5 cut-offs by one.
            EXPECT_EQ(f.RzLengths, 4);
            ASSERT_TRUE(f.Rz && f.Rp && f.Rv);
            // What the cut window lets through of the repeat's harmonics is below 3e-4 a.
            const double tolerance = 1e-3 * a;
            EXPECT_NEAR(f.Ra, c.ra * a, tolerance);
            EXPECT_NEAR(f.Rq, c.rq * a, tolerance);
            EXPECT_NEAR(f.Rsk, c.rsk, 1e-2);
            EXPECT_NEAR(f.Rku, c.rku, 1e-2);
            EXPECT_NEAR(*f.Rp, c.rp * a, tolerance);
            EXPECT_NEAR(*f.Rv, c.rv * a, tolerance);
            EXPECT_NEAR(*f.Rz, c.rz * a, tolerance);
            EXPECT_NEAR(f.Rt, c.rt * a, tolerance);
        }
    }
}

// Rp, Rv and Rz are means over at most five sampling lengths of one cut-off from the start of
// the range. A sine of a twentieth of the cut-off whose amplitude grows by a each cut-off,
// a (1 + x / lambdaC) with x from the range's first point, has in sampling length j its highest
// sampled peak 0.05 cut-offs before the end, a (j + 1.95), and its deepest valley 0.025 before,
// a (j + 1.975): Rp = a ((n - 1) / 2 + 1.95), Rv = a ((n - 1) / 2 + 1.975).
TEST(RoughnessParameters, AverageUpToFiveSamplingLengths) {
    const double lambdaCMm = 0.8, spacingMm = lambdaCMm / 200, a = 0.002;
    struct Case {
        double cutoffs; // line length
        int lengths;
    } const cases[] = {
        {10, 5},   {7, 5},   {6, 5},
        {5.5, 4},  {3, 2},   {2, 1}, // the range is exactly one cut-off long
        {1.99, 0}, {1.5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.cutoffs) + " cut-offs");
        const std::size_t count = PointsFor(c.cutoffs, 200);
        const auto heights = Sampled(count, [&](std::size_t i) {
            const double x = (double(i) - 100) * spacingMm;
            return a * (1 + x / lambdaCMm) * std::cos(2 * kPi * x / (lambdaCMm / 20));
        });
        const RoughnessOutcome outcome = MeasureRoughness(heights, spacingMm, lambdaCMm);
        ASSERT_TRUE(outcome.Figures) << outcome.WhyNone;
        const RoughnessFigures& f = *outcome.Figures;
        EXPECT_EQ(f.RzLengths, c.lengths);
        ASSERT_EQ(bool(f.Rz), c.lengths > 0);
        ASSERT_EQ(bool(f.Rp), c.lengths > 0);
        ASSERT_EQ(bool(f.Rv), c.lengths > 0);
        // What the cut window lets through of the sine is 2e-4 of it.
        const auto near = [](double expected) { return 5e-4 * expected; };
        if (c.lengths > 0) {
            const double middle = (c.lengths - 1) / 2.0;
            EXPECT_NEAR(*f.Rp, a * (middle + 1.95), near(a * (middle + 1.95)));
            EXPECT_NEAR(*f.Rv, a * (middle + 1.975), near(a * (middle + 1.975)));
            EXPECT_NEAR(*f.Rz, a * (2 * middle + 3.925), near(a * (2 * middle + 3.925)));
        }
        // Rt spans the whole range: its last peak and last valley (points 10 and 5 apart).
        const std::size_t last = f.EndPoint - 1 - f.FirstPoint;
        const std::size_t lastPeak = last / 10 * 10;
        const std::size_t lastValley = last >= 5 ? (last - 5) / 10 * 10 + 5 : 0;
        const double rt = a * (2 + double(lastPeak + lastValley) * spacingMm / lambdaCMm);
        EXPECT_NEAR(f.Rt, rt, near(rt));
    }
}

// --- Points without a value -------------------------------------------------------------------

// Weights are normalised over the points that have a value, so gaps neither pull the mean line
// towards zero nor leave holes shorter than the window.
TEST(MissingPoints, LeaveTheMeanLineWhereThePointsAre) {
    const double lambdaCMm = 0.8, spacingMm = lambdaCMm / 200, heightMm = 1.5;
    const std::size_t count = PointsFor(10, 200);
    auto heights = Sampled(count, [&](std::size_t i) { return i % 3 == 1 ? kNaN : heightMm; });
    for (std::size_t i = 900; i < 1300; ++i) // a gap twice the window
        heights[i] = kNaN;
    heights[0] = heights[count - 1] = kNaN;

    const auto meanLine = GaussianMeanLine(heights, spacingMm, lambdaCMm);
    for (std::size_t i = 0; i < count; ++i) {
        // Defined exactly where some point within 100 (half a cut-off) has a value.
        bool anyValue = false;
        for (std::size_t j = i >= 100 ? i - 100 : 0; j <= std::min(count - 1, i + 100); ++j)
            anyValue = anyValue || !std::isnan(heights[j]);
        if (anyValue)
            ASSERT_NEAR(meanLine[i], heightMm, 1e-12) << i;
        else
            ASSERT_TRUE(std::isnan(meanLine[i])) << i;
    }
    EXPECT_TRUE(std::isnan(meanLine[1100]));
    EXPECT_FALSE(std::isnan(meanLine[999]));

    const RoughnessOutcome outcome = MeasureRoughness(heights, spacingMm, lambdaCMm);
    ASSERT_TRUE(outcome.Figures) << outcome.WhyNone;
    const RoughnessFigures& f = *outcome.Figures;
    std::int64_t valid = 0;
    for (std::size_t i = f.FirstPoint; i < f.EndPoint; ++i)
        valid += std::isnan(heights[i]) ? 0 : 1;
    EXPECT_EQ(f.ValidPoints, valid);
    EXPECT_LT(f.ValidPoints, std::int64_t(f.EndPoint - f.FirstPoint));
    EXPECT_LE(f.Ra, 1e-12);
    EXPECT_LE(f.Rt, 1e-12);
    EXPECT_EQ(f.Rsk, 0); // no roughness: no shape
    EXPECT_EQ(f.Rku, 0);
}

// Figures with gaps stay figures of the heights that are there, and a sampling length with no
// value at all is left out of Rz.
TEST(MissingPoints, AreLeftOutOfTheFigures) {
    const double lambdaCMm = 0.8, spacingMm = lambdaCMm / 200, a = 0.003;
    const std::size_t count = PointsFor(7, 200);
    const auto sine = Sampled(
        count, [&](std::size_t i) { return a * std::cos(2 * kPi * (double(i) - 100) / 10); });
    const RoughnessFigures whole = *MeasureRoughness(sine, spacingMm, lambdaCMm).Figures;
    struct Case {
        const char* name;
        std::function<bool(std::size_t)> missing;
        int lengths;
    } const cases[] = {
        {"every seventh point", [](std::size_t i) { return i % 7 == 3; }, 5},
        {"a gap within a sampling length", [](std::size_t i) { return i >= 150 && i < 260; }, 5},
        // Sampling length 2 is points 500 to 699.
        {"a whole sampling length", [](std::size_t i) { return i >= 500 && i < 700; }, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto heights = sine;
        std::int64_t valid = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (c.missing(i))
                heights[i] = kNaN;
            else if (i >= whole.FirstPoint && i < whole.EndPoint)
                ++valid;
        }
        const RoughnessOutcome outcome = MeasureRoughness(heights, spacingMm, lambdaCMm);
        ASSERT_TRUE(outcome.Figures) << outcome.WhyNone;
        const RoughnessFigures& f = *outcome.Figures;
        EXPECT_EQ(f.ValidPoints, valid);
        EXPECT_EQ(f.RzLengths, c.lengths);
        for (double value : {f.Ra, f.Rq, f.Rt, f.Rsk, f.Rku, *f.Rz, *f.Rp, *f.Rv})
            EXPECT_TRUE(std::isfinite(value));
        // Whole waves stay whole waves: the same figures as without the gaps, to what leaving
        // out points of some phases more often than others changes.
        EXPECT_NEAR(f.Ra, whole.Ra, 0.01 * whole.Ra);
        EXPECT_NEAR(f.Rq, whole.Rq, 0.01 * whole.Rq);
        EXPECT_NEAR(f.Rku, 1.5, 0.02);
        // Beside a gap the window is one-sided and its mean of the wave is no longer nil, up to
        // 1 % of the amplitude: the peaks there stand that much off.
        EXPECT_NEAR(*f.Rz, 2 * a, 0.02 * a);
        EXPECT_NEAR(f.Rt, 2 * a, 0.02 * a);
    }
}

// --- No figures -------------------------------------------------------------------------------

TEST(MeasureRoughness, SaysWhyThereAreNoFigures) {
    const std::vector<double> longLine(2001, 0.5);
    std::vector<double> oneValue(2001, kNaN);
    oneValue[1000] = 0.5;
    struct Case {
        const char* name;
        std::vector<double> heights;
        double spacingMm, lambdaCMm;
        std::string why;
    } const cases[] = {
        {"no points", {}, 0.001, 0.8, "the line has fewer than two points"},
        {"one point", {0.5}, 0.001, 0.8, "the line has fewer than two points"},
        {"no spacing", longLine, 0, 0.8, "the spacing of the points is not a positive length"},
        {"spacing not a number", longLine, kNaN, 0.8,
         "the spacing of the points is not a positive length"},
        {"negative cut-off", longLine, 0.001, -0.8,
         "the cut-off is not a positive length (or 0 to choose it automatically)"},
        {"line shorter than the cut-off", longLine, 0.001, 2.5,
         "the line is shorter than one cut-off (2.5 mm)"},
        {"line a spacing short of the cut-off", std::vector<double>(800, 0.5), 0.001, 0.8,
         "the line is shorter than one cut-off (0.8 mm)"},
        {"no values", std::vector<double>(2001, kNaN), 0.001, 0.8,
         "fewer than two points with a value are left once half a cut-off (0.4 mm) is set "
         "aside at each end of the line"},
        {"one value", oneValue, 0.001, 0.8,
         "fewer than two points with a value are left once half a cut-off (0.4 mm) is set "
         "aside at each end of the line"},
        {"automatic, line shorter than every cut-off", std::vector<double>(51, 0.5), 0.001, 0,
         "the line is not longer than the shortest cut-off (0.08 mm)"},
        {"automatic, no values", std::vector<double>(2001, kNaN), 0.001, 0,
         "fewer than two points with a value are left once half a cut-off (0.04 mm) is set "
         "aside at each end of the line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RoughnessOutcome outcome = MeasureRoughness(c.heights, c.spacingMm, c.lambdaCMm);
        EXPECT_FALSE(outcome.Figures);
        EXPECT_EQ(outcome.WhyNone, c.why);
    }
    const RoughnessOutcome measured = MeasureRoughness(longLine, 0.001, 0.8);
    EXPECT_TRUE(measured.Figures);
    EXPECT_EQ(measured.WhyNone, "");
}

// --- The automatic cut-off --------------------------------------------------------------------

TEST(AutomaticCutoff, BandsOfRa) {
    struct Case {
        double raUm, lambdaCMm;
    } const cases[] = {
        {0, 0.08},   {0.006, 0.08}, {0.0061, 0.08}, {0.02, 0.08}, {0.0201, 0.25},
        {0.1, 0.25}, {0.1001, 0.8}, {2, 0.8},       {2.001, 2.5}, {10, 2.5},
        {10.01, 8},  {80, 8},       {80.1, 8},      {1e6, 8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutoffForRaUm(c.raUm), c.lambdaCMm) << c.raUm << " µm";
}

// Sine waves of a quarter of a cut-off with Ra in a band lead to the band's cut-off, after the
// path of measurements each calls for the next (8 mm: 0.8, 2.5, then 8); a waviness the 0.8 mm
// cut-off keeps in the roughness and the shorter ones take out leads down (0.8, 0.25, 0.08).
// When the band's cut-off is as long as the line, the longest shorter one is taken.
TEST(AutomaticCutoff, SettlesOnTheBandOfTheMeasuredRa) {
    struct Case {
        const char* name;
        double raUm, wavelengthMm;   // the roughness, a sine of 20 points a wave
        double waveUm, waveLengthMm; // a waviness: amplitude and wavelength
        double lineMm;
        std::vector<double> pathMm; // the cut-offs measured, the last the one chosen
    } const cases[] = {
        {"0.08 band", 0.012, 0.02, 0, 1, 2, {0.8, 0.08}},
        {"0.25 band", 0.05, 0.0625, 0, 1, 2, {0.8, 0.25}},
        {"0.8 band", 0.5, 0.2, 0, 1, 4, {0.8}},
        {"2.5 band", 5, 0.625, 0, 1, 12.5, {0.8, 2.5}},
        {"8 band, by way of 2.5", 30, 2, 0, 1, 40, {0.8, 2.5, 8}},
        {"waviness, down by way of 0.25", 0.012, 0.02, 0.075, 0.5, 4, {0.8, 0.25, 0.08}},
        {"no roughness", 0, 0.2, 0, 1, 4, {0.8, 0.08}},
        {"0.25 band, line too short to start at 0.8", 0.05, 0.0625, 0, 1, 0.75, {0.25}},
        {"8 band on a 1 mm line", 30, 0.02, 0, 1, 1, {0.8}},
        {"0.8 band on a 0.75 mm line", 0.5, 0.02, 0, 1, 0.75, {0.25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double spacingMm = c.wavelengthMm / 20;
        // Mean |sin| of 20 samples a wave: 2 cot(pi / 20) / 20, a little under 2 / pi.
        const double amplitudeMm = c.raUm / 1000 / (2 / std::tan(kPi / 20) / 20);
        const auto heights = Sampled(PointsFor(c.lineMm / spacingMm, 1), [&](std::size_t i) {
            const double x = double(i) * spacingMm;
            return 0.3 + amplitudeMm * std::sin(2 * kPi * i / 20.0) +
                   c.waveUm / 1000 * std::sin(2 * kPi * x / c.waveLengthMm);
        });
        const RoughnessOutcome outcome = MeasureRoughness(heights, spacingMm, 0);
        ASSERT_TRUE(outcome.Figures) << outcome.WhyNone;
        EXPECT_TRUE(outcome.Figures->Automatic);
        EXPECT_EQ(outcome.Figures->LambdaCMm, c.pathMm.back());
        EXPECT_EQ(AutomaticCutoffMm(heights, spacingMm), c.pathMm.back());
        if (c.waveUm == 0) {
            EXPECT_NEAR(outcome.Figures->Ra * 1000, c.raUm, 0.01 * c.raUm + 1e-9);
        }
        // The path is what the bands call for.
        for (std::size_t k = 0; k + 1 < c.pathMm.size(); ++k) {
            const RoughnessOutcome step = MeasureRoughness(heights, spacingMm, c.pathMm[k]);
            ASSERT_TRUE(step.Figures) << step.WhyNone;
            EXPECT_EQ(CutoffForRaUm(step.Figures->Ra * 1000), c.pathMm[k + 1]) << c.pathMm[k];
        }
        // The same figures as asking for that cut-off.
        const RoughnessOutcome manual = MeasureRoughness(heights, spacingMm, c.pathMm.back());
        ASSERT_TRUE(manual.Figures);
        EXPECT_FALSE(manual.Figures->Automatic);
        EXPECT_EQ(outcome.Figures->Ra, manual.Figures->Ra);
        EXPECT_EQ(outcome.Figures->FirstPoint, manual.Figures->FirstPoint);
    }
    EXPECT_EQ(AutomaticCutoffMm(std::vector<double>(51, 0.0), 0.001), std::nullopt);
}

} // namespace
