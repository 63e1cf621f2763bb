#include "panels/ColourBarTicks.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvane::panels {

namespace {

constexpr int kFewestTicks = 4;
constexpr int kMostTicks = 6;

// Rounding slack, as a fraction of the step: a bound that is a multiple of the step up to
// floating-point error still gets its tick.
constexpr double kStepTolerance = 1e-6;

// Narrower than this fraction of its magnitude, a range has too few distinct doubles for ticks.
constexpr double kNarrowestRelativeWidth = 1e-8;

double PowerOfTen(int exponent) {
    return std::pow(10.0, exponent);
}

// A step of Tenths / 10 * 10^Exponent, kept apart so that tick values are computed as an exact
// integer scaled once by a power of ten: 3 / 10 gives 0.3, where 3 * 0.1 does not.
struct Step {
    int Tenths = 10; // 10, 20, 25 or 50
    int Exponent = 0;

    double Scale(double multiple) const {
        const int power = Exponent - 1;
        return power >= 0 ? multiple * PowerOfTen(power) : multiple / PowerOfTen(-power);
    }
    double Size() const { return Scale(Tenths); }
    double ValueAt(double index) const { return Scale(index * Tenths); }
};

// Indices of the first and last multiples of the step within [low, high].
struct Multiples {
    double First = 0;
    double Last = -1;

    int Count() const { return static_cast<int>(std::max(0.0, Last - First + 1)); }
};

Multiples MultiplesWithin(double low, double high, const Step& step) {
    const double size = step.Size();
    return {std::ceil(low / size - kStepTolerance), std::floor(high / size + kStepTolerance)};
}

std::vector<double> TickValues(const Step& step, const Multiples& multiples, int stride) {
    std::vector<double> values;
    for (double index = multiples.First; index <= multiples.Last; index += stride) {
        values.push_back(step.ValueAt(index));
    }
    return values;
}

// Smallest d such that `value` is a multiple of 10^-d, up to `tolerance`.
int DecimalsOf(double value, double tolerance) {
    constexpr int kMostDecimals = 20;
    for (int decimals = 0; decimals < kMostDecimals; ++decimals) {
        const double scale = PowerOfTen(decimals);
        const double scaled = value * scale;
        if (std::abs(scaled - std::round(scaled)) <= tolerance * scale) {
            return decimals;
        }
    }
    return kMostDecimals;
}

} // namespace

std::vector<double> RoundTicks(double low, double high) {
    if (!std::isfinite(low) && !std::isfinite(high)) {
        return {};
    }
    if (!std::isfinite(low) || !std::isfinite(high)) {
        return {std::isfinite(low) ? low : high};
    }
    if (low > high) {
        std::swap(low, high);
    }
    const double width = high - low;
    const double magnitude = std::max(std::abs(low), std::abs(high));
    if (width <= kNarrowestRelativeWidth * magnitude || !std::isfinite(width)) {
        return {low};
    }

    // Candidate steps in ascending order, from one that gives hundreds of ticks to one
    // larger than the range.
    const int widthExponent = static_cast<int>(std::floor(std::log10(width)));
    std::vector<Step> steps;
    for (int exponent = widthExponent - 2; exponent <= widthExponent + 2; ++exponent) {
        for (int tenths : {10, 20, 25, 50}) {
            steps.push_back({tenths, exponent});
        }
    }

    for (const Step& step : steps) {
        const Multiples multiples = MultiplesWithin(low, high, step);
        const int count = multiples.Count();
        if (count >= kFewestTicks && count <= kMostTicks) {
            return TickValues(step, multiples, 1);
        }
    }

    // No step fits: the range holds 7 multiples of some step and at most 3 of the next, which
    // is twice as large. Every other multiple of the smaller step gives 4 ticks.
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        const Multiples multiples = MultiplesWithin(low, high, *step);
        if (multiples.Count() > kMostTicks) {
            return TickValues(*step, multiples, 2);
        }
    }
    return {low, high};
}

QString TickText(double value, double step) {
    step = std::abs(step);
    int decimals = 0;
    if (std::isfinite(step) && step > 0) {
        const double tolerance = kStepTolerance * step;
        decimals = std::max(DecimalsOf(step, tolerance), DecimalsOf(value, tolerance));
    } else {
        // A lone value: as many decimals as it needs, up to 6.
        decimals = std::min(6, DecimalsOf(value, 1e-9 * std::abs(value)));
    }
    // Anything that rounds to zero prints as "0", never "-0".
    if (std::abs(value) < 0.5 * PowerOfTen(-decimals)) {
        value = 0;
    }
    return QString::number(value, 'f', decimals);
}

} // namespace orvane::panels
