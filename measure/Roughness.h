#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Profile roughness of a line of equally spaced heights: the Gaussian mean line (ISO 16610-21),
// the roughness parameters of ISO 4287 over the evaluation length, and the cut-off chosen as
// ISO 4288 does for non-periodic profiles.
//
// Heights and spacings are in millimetres. A height that is not finite (NaN) marks a point
// without a value: it takes no part in any mean line or parameter.
namespace orvane::measure {

// The standard cut-offs λc, shortest first.
constexpr std::array<double, 5> kCutoffsMm{0.08, 0.25, 0.8, 2.5, 8};

// A half-open range of point indices [First, End); empty when First == End.
struct PointRange {
    std::size_t First = 0;
    std::size_t End = 0;
};

// The Gaussian mean line at every point: the weighted mean of the points with a value within
// half a cut-off either side. NaN where no point of that window has a value. Near the ends the
// window is cut short by the end of the line, so only the evaluation range (below) has complete
// windows. All NaN when the spacing or the cut-off is not positive.
std::vector<double> GaussianMeanLine(const std::vector<double>& heightsMm, double spacingMm,
                                     double lambdaCMm);

// The evaluation range: the points at least half a cut-off from both ends of the line (point i
// lies at i * spacing; the line is (pointCount - 1) * spacing long). Empty when the line is
// shorter than one cut-off.
PointRange EvaluationRange(std::size_t pointCount, double spacingMm, double lambdaCMm);

// The cut-off whose Ra band (ISO 4288, non-periodic profiles) holds raUm, in µm:
// (0.006, 0.02] -> 0.08 mm, (0.02, 0.1] -> 0.25, (0.1, 2] -> 0.8, (2, 10] -> 2.5,
// (10, 80] -> 8. Smaller values take 0.08 mm, larger ones 8 mm.
double CutoffForRaUm(double raUm);

struct RoughnessFigures {
    double LambdaCMm = 0;       // the cut-off used
    bool Automatic = false;     // chosen by the ISO 4288 procedure
    std::size_t FirstPoint = 0; // the evaluation range [FirstPoint, EndPoint)
    std::size_t EndPoint = 0;
    std::vector<double> MeanLineMm;                  // every point of the profile (NaN where none)
    double Ra = 0, Rq = 0, Rt = 0, Rsk = 0, Rku = 0; // heights in mm
    std::optional<double> Rz, Rp, Rv;                // absent with no whole sampling length
    int RzLengths = 0;                               // sampling lengths behind Rz, Rp, Rv
    std::int64_t ValidPoints = 0;                    // points of the evaluation range with a value
};

struct RoughnessOutcome {
    std::optional<RoughnessFigures> Figures;
    std::string WhyNone; // plain English, empty when there are figures
};

// The roughness of the line with cut-off lambdaCMm, or with the cut-off AutomaticCutoffMm
// chooses when lambdaCMm is 0.
//
// Ra, Rq, Rsk, Rku and Rt are taken over the whole evaluation range, the usual practice.
// Rp, Rv and Rz are means over the sampling lengths: consecutive pieces one cut-off long from
// the start of the evaluation range, at most five; a piece without any value is left out. They
// are absent when the evaluation range is shorter than one cut-off. Rsk and Rku are 0 when
// there is no roughness (Rq within rounding of zero), where they would be 0 / 0.
RoughnessOutcome MeasureRoughness(const std::vector<double>& heightsMm, double spacingMm,
                                  double lambdaCMm);

// The cut-off chosen as ISO 4288 does for non-periodic profiles, by Ra: measure with 0.8 mm,
// take the cut-off of the band that holds the result, measure again with it, until the cut-off
// a measurement calls for is the one it was made with. Only cut-offs shorter than the line that
// leave two points with a value take part; when the band's cut-off does not, the longest one
// below it that does is taken. Should the choices go round in a circle, the starting cut-off
// (0.8 mm, or the longest that takes part when 0.8 mm does not) is used. None when no cut-off
// takes part.
std::optional<double> AutomaticCutoffMm(const std::vector<double>& heightsMm, double spacingMm);

} // namespace orvane::measure
