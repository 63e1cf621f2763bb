#include "measure/Roughness.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <utility>

namespace orvane::measure {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = 3.14159265358979323846;

// Lengths that are whole numbers of spacings in decimal (0.4 mm at 0.1 mm) are rarely so in
// binary: 0.8 / (2 * 25.4 / 254) is 4.000000000000001. Counting within this relative margin
// keeps such points on the side they are meant to be on.
constexpr double kCountMargin = 1e-9;

// How many spacings fit in lengthMm, counting one that ends within the margin of lengthMm.
double SpacingsIn(double lengthMm, double spacingMm) {
    return std::floor(lengthMm / spacingMm * (1 + kCountMargin));
}

// The first whole number of spacings that reaches lengthMm, within the margin.
double SpacingsToReach(double lengthMm, double spacingMm) {
    return std::ceil(lengthMm / spacingMm * (1 - kCountMargin));
}

// Relative size of rounding errors in a mean line, well above those of double sums.
constexpr double kRoundingLevel = 1e-12;

bool Positive(double value) {
    return std::isfinite(value) && value > 0;
}

std::string MmText(double mm) {
    std::ostringstream text;
    text << mm << " mm";
    return text.str();
}

RoughnessOutcome None(std::string why) {
    return RoughnessOutcome{std::nullopt, std::move(why)};
}

// The roughness parameters of r = z - mean line over the evaluation range.
void FillParameters(const std::vector<double>& heightsMm, double spacingMm,
                    RoughnessFigures& figures) {
    const std::size_t first = figures.FirstPoint, end = figures.EndPoint;
    const double lambdaCMm = figures.LambdaCMm;
    const std::vector<double>& meanLine = figures.MeanLineMm;

    // ISO 4287 takes the parameters of the roughness profile as it comes out of the filter; its
    // own mean over the range is close to zero but is not taken off.
    double sumAbs = 0, sum2 = 0, sum3 = 0, sum4 = 0;
    double highest = -std::numeric_limits<double>::infinity();
    double lowest = std::numeric_limits<double>::infinity();
    double largestHeight = 0;
    std::int64_t count = 0;
    for (std::size_t i = first; i < end; ++i) {
        if (!std::isfinite(heightsMm[i]))
            continue;
        largestHeight = std::max(largestHeight, std::abs(heightsMm[i]));
        const double r = heightsMm[i] - meanLine[i];
        const double r2 = r * r;
        sumAbs += std::abs(r);
        sum2 += r2;
        sum3 += r2 * r;
        sum4 += r2 * r2;
        highest = std::max(highest, r);
        lowest = std::min(lowest, r);
        ++count;
    }
    figures.ValidPoints = count;
    const double n = double(count);
    figures.Ra = sumAbs / n;
    figures.Rq = std::sqrt(sum2 / n);
    figures.Rt = highest - lowest;
    // A profile without roughness has no shape to describe: Rsk and Rku are 0 rather than 0 / 0.
    // Roughness at the level of rounding (a flat line's mean line is not exactly its height)
    // counts as none, or its skewness would be noise.
    if (figures.Rq > kRoundingLevel * largestHeight) {
        const double rq2 = figures.Rq * figures.Rq;
        figures.Rsk = sum3 / n / (rq2 * figures.Rq);
        figures.Rku = sum4 / n / (rq2 * rq2);
    }

    // Sampling lengths: pieces one cut-off long from the start of the evaluation range. A point
    // belongs to the piece whose start it has reached, so a piece is [start, start + λc).
    const double evaluationMm = double(end - 1 - first) * spacingMm;
    const int pieces = int(std::min(5.0, SpacingsIn(evaluationMm, lambdaCMm)));
    double sumPeaks = 0, sumValleys = 0;
    int used = 0;
    for (int j = 0; j < pieces; ++j) {
        const std::size_t from = first + std::size_t(SpacingsToReach(j * lambdaCMm, spacingMm));
        const std::size_t to =
            std::min(end, first + std::size_t(SpacingsToReach((j + 1) * lambdaCMm, spacingMm)));
        double peak = -std::numeric_limits<double>::infinity();
        double valley = std::numeric_limits<double>::infinity();
        for (std::size_t i = from; i < to; ++i) {
            if (!std::isfinite(heightsMm[i]))
                continue;
            const double r = heightsMm[i] - meanLine[i];
            peak = std::max(peak, r);
            valley = std::min(valley, r);
        }
        if (peak < valley)
            continue; // no value in this piece: it says nothing about the heights
        sumPeaks += peak;
        sumValleys += valley;
        ++used;
    }
    figures.RzLengths = used;
    if (used > 0) {
        figures.Rp = sumPeaks / used;
        figures.Rv = -sumValleys / used;
        figures.Rz = *figures.Rp + *figures.Rv;
    }
}

RoughnessOutcome MeasureWithCutoff(const std::vector<double>& heightsMm, double spacingMm,
                                   double lambdaCMm) {
    const PointRange range = EvaluationRange(heightsMm.size(), spacingMm, lambdaCMm);
    if (range.First == range.End)
        return None("the line is shorter than one cut-off (" + MmText(lambdaCMm) + ")");
    std::int64_t valid = 0;
    for (std::size_t i = range.First; i < range.End && valid < 2; ++i)
        valid += std::isfinite(heightsMm[i]) ? 1 : 0;
    if (valid < 2)
        return None("fewer than two points with a value are left once half a cut-off (" +
                    MmText(lambdaCMm / 2) + ") is set aside at each end of the line");

    RoughnessFigures figures;
    figures.LambdaCMm = lambdaCMm;
    figures.FirstPoint = range.First;
    figures.EndPoint = range.End;
    figures.MeanLineMm = GaussianMeanLine(heightsMm, spacingMm, lambdaCMm);
    FillParameters(heightsMm, spacingMm, figures);
    return RoughnessOutcome{std::move(figures), {}};
}

std::size_t CutoffIndex(double lambdaCMm) {
    return std::size_t(std::find(kCutoffsMm.begin(), kCutoffsMm.end(), lambdaCMm) -
                       kCutoffsMm.begin());
}

RoughnessOutcome MeasureAutomatically(const std::vector<double>& heightsMm, double spacingMm) {
    const double lineMm = double(heightsMm.size() - 1) * spacingMm;
    std::array<std::optional<RoughnessOutcome>, kCutoffsMm.size()> measured;
    const auto measure = [&](std::size_t index) -> const RoughnessOutcome& {
        if (!measured[index])
            measured[index] = MeasureWithCutoff(heightsMm, spacingMm, kCutoffsMm[index]);
        return *measured[index];
    };
    // A shorter cut-off has a longer evaluation range holding that of any longer one, so once a
    // cut-off takes part all shorter ones do: the longest at or below the wanted one is the
    // closest the line allows.
    const auto longestTakingPart = [&](std::size_t atMost) -> std::optional<std::size_t> {
        for (std::size_t index = atMost + 1; index-- > 0;) {
            if (kCutoffsMm[index] < lineMm && measure(index).Figures)
                return index;
        }
        return std::nullopt;
    };

    const std::optional<std::size_t> start = longestTakingPart(CutoffIndex(0.8));
    if (!start) {
        if (kCutoffsMm[0] < lineMm)
            return measure(0);
        return None("the line is not longer than the shortest cut-off (" + MmText(kCutoffsMm[0]) +
                    ")");
    }

    std::array<bool, kCutoffsMm.size()> tried{};
    std::size_t current = *start;
    tried[current] = true;
    std::size_t chosen = *start;
    for (;;) {
        const double raUm = measure(current).Figures->Ra * 1000;
        // start takes part, so the search from the band's cut-off down always finds one.
        const std::size_t next = *longestTakingPart(CutoffIndex(CutoffForRaUm(raUm)));
        if (next == current) {
            chosen = current;
            break;
        }
        // Coming back to a cut-off already tried means no choice settles (this also ends the
        // search once all five have been tried); the usual start is the safest choice then.
        if (tried[next]) {
            chosen = *start;
            break;
        }
        tried[next] = true;
        current = next;
    }
    RoughnessOutcome outcome = measure(chosen);
    outcome.Figures->Automatic = true;
    return outcome;
}

} // namespace

std::vector<double> GaussianMeanLine(const std::vector<double>& heightsMm, double spacingMm,
                                     double lambdaCMm) {
    const std::size_t count = heightsMm.size();
    std::vector<double> meanLine(count, kNaN);
    if (count == 0 || !Positive(spacingMm) || !Positive(lambdaCMm))
        return meanLine;

    // Weights s(x) = exp(-pi (x / (alpha lambdaC))^2), alpha = sqrt(ln 2 / pi), which passes half
    // the amplitude of a wavelength of lambdaC. The constant factor 1 / (alpha lambdaC) cancels
    // out in the normalisation below. The window stops at lambdaC / 2 either side (a truncation
    // constant of 0.5), which is what lets the evaluation range, half a cut-off in from each end,
    // have complete windows. The price, with the weights renormalised: a wave of lambdaC keeps
    // 51.0 % of its amplitude in the mean line, not the untruncated filter's 50 %.
    const double alpha = std::sqrt(std::log(2.0) / kPi);
    const double halfWindow = std::min(SpacingsIn(lambdaCMm / 2, spacingMm), double(count - 1));
    const std::size_t half = std::size_t(halfWindow);
    std::vector<double> weights(half + 1);
    for (std::size_t k = 0; k <= half; ++k) {
        const double u = double(k) * spacingMm / (alpha * lambdaCMm);
        weights[k] = std::exp(-kPi * u * u);
    }

    // Heights padded with half a window of zeros each side, and 1 where a point has a value: the
    // window then runs without bounds checks, and points beyond the ends or without a value add
    // neither height nor weight.
    std::vector<double> heights(count + 2 * half, 0.0), present(count + 2 * half, 0.0);
    for (std::size_t i = 0; i < count; ++i) {
        if (std::isfinite(heightsMm[i])) {
            heights[half + i] = heightsMm[i];
            present[half + i] = 1;
        }
    }

    // The weights are normalised over the points that have a value, so a missing point neither
    // pulls the line towards zero nor lowers it near the ends. Each pair of points at the same
    // distance is added first, which keeps a straight line exactly straight.
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t centre = half + i;
        double sumHeights = weights[0] * heights[centre];
        double sumWeights = weights[0] * present[centre];
        for (std::size_t k = 1; k <= half; ++k) {
            sumHeights += weights[k] * (heights[centre - k] + heights[centre + k]);
            sumWeights += weights[k] * (present[centre - k] + present[centre + k]);
        }
        if (sumWeights > 0)
            meanLine[i] = sumHeights / sumWeights;
    }
    return meanLine;
}

PointRange EvaluationRange(std::size_t pointCount, double spacingMm, double lambdaCMm) {
    if (pointCount == 0 || !Positive(spacingMm) || !Positive(lambdaCMm))
        return {};
    // The comparison in double keeps a cut-off of billions of spacings from overflowing.
    const double firstPoint = SpacingsToReach(lambdaCMm / 2, spacingMm);
    if (2 * firstPoint >= double(pointCount))
        return {pointCount, pointCount};
    const std::size_t first = std::size_t(firstPoint);
    return {first, pointCount - first};
}

double CutoffForRaUm(double raUm) {
    constexpr std::array<double, 5> kUpperRaUm{0.02, 0.1, 2, 10, 80};
    for (std::size_t i = 0; i < kUpperRaUm.size(); ++i) {
        if (raUm <= kUpperRaUm[i])
            return kCutoffsMm[i];
    }
    return kCutoffsMm.back();
}

RoughnessOutcome MeasureRoughness(const std::vector<double>& heightsMm, double spacingMm,
                                  double lambdaCMm) {
    if (!Positive(spacingMm))
        return None("the spacing of the points is not a positive length");
    if (!std::isfinite(lambdaCMm) || lambdaCMm < 0)
        return None("the cut-off is not a positive length (or 0 to choose it automatically)");
    if (heightsMm.size() < 2)
        return None("the line has fewer than two points");
    if (lambdaCMm == 0)
        return MeasureAutomatically(heightsMm, spacingMm);
    return MeasureWithCutoff(heightsMm, spacingMm, lambdaCMm);
}

std::optional<double> AutomaticCutoffMm(const std::vector<double>& heightsMm, double spacingMm) {
    const RoughnessOutcome outcome = MeasureRoughness(heightsMm, spacingMm, 0);
    if (!outcome.Figures)
        return std::nullopt;
    return outcome.Figures->LambdaCMm;
}

} // namespace orvane::measure
