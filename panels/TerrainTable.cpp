#include "panels/ColourMapTables.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace orvane::panels {

namespace {

struct Chroma {
    double A = 0; // CIELAB a*: green (-) to red (+)
    double B = 0; // CIELAB b*: blue (-) to yellow (+)
};

// The hue path, evenly spaced in lightness from the lowest level to the highest: deep blue,
// teal, green, olive, tan, sand, near white. Chroma stays moderate so little of the path leaves
// the sRGB gamut.
constexpr std::array<Chroma, 10> kControlPoints = {{
    {8, -42},
    {-8, -32},
    {-26, -12},
    {-38, 18},
    {-24, 38},
    {0, 36},
    {5, 28},
    {3, 18},
    {1, 8},
    {0, 2},
}};

constexpr double kLowestLightness = 25;
constexpr double kHighestLightness = 95;

// Uniform Catmull-Rom through the control points, so hue and chroma turn without kinks.
Chroma ChromaAt(double position) {
    const int lastIndex = static_cast<int>(kControlPoints.size()) - 1;
    const double scaled = position * lastIndex;
    const int segment = std::clamp(static_cast<int>(scaled), 0, lastIndex - 1);
    const double t = scaled - segment;
    const auto point = [&](int index) {
        return kControlPoints[static_cast<std::size_t>(std::clamp(index, 0, lastIndex))];
    };
    const Chroma p0 = point(segment - 1);
    const Chroma p1 = point(segment);
    const Chroma p2 = point(segment + 1);
    const Chroma p3 = point(segment + 2);
    const auto spline = [t](double v0, double v1, double v2, double v3) {
        return 0.5 * (2 * v1 + (v2 - v0) * t + (2 * v0 - 5 * v1 + 4 * v2 - v3) * t * t +
                      (3 * v1 - v0 - 3 * v2 + v3) * t * t * t);
    };
    return {spline(p0.A, p1.A, p2.A, p3.A), spline(p0.B, p1.B, p2.B, p3.B)};
}

struct LinearRgb {
    double R = 0;
    double G = 0;
    double B = 0;
};

// CIELAB (D65 white) to linear sRGB.
LinearRgb LabToLinearRgb(double lightness, Chroma chroma) {
    constexpr double kDelta = 6.0 / 29.0;
    const auto inverseF = [](double f) {
        return f > kDelta ? f * f * f : 3 * kDelta * kDelta * (f - 4.0 / 29.0);
    };
    const double fy = (lightness + 16) / 116;
    const double x = 0.95047 * inverseF(fy + chroma.A / 500);
    const double y = inverseF(fy);
    const double z = 1.08883 * inverseF(fy - chroma.B / 200);
    return {3.2404542 * x - 1.5371385 * y - 0.4985314 * z,
            -0.9692660 * x + 1.8760108 * y + 0.0415560 * z,
            0.0556434 * x - 0.2040259 * y + 1.0572252 * z};
}

bool InGamut(const LinearRgb& rgb) {
    constexpr double kSlack = 1e-9;
    const auto inRange = [](double v) { return v >= -kSlack && v <= 1 + kSlack; };
    return inRange(rgb.R) && inRange(rgb.G) && inRange(rgb.B);
}

std::uint32_t EncodeChannel(double linear) {
    const double clamped = std::clamp(linear, 0.0, 1.0);
    const double encoded =
        clamped <= 0.0031308 ? 12.92 * clamped : 1.055 * std::pow(clamped, 1 / 2.4) - 0.055;
    return static_cast<std::uint32_t>(std::floor(encoded * 255 + 0.5));
}

// Colours outside sRGB lose chroma at their own lightness and hue rather than being clipped per
// channel, which would bend the lightness ramp.
std::uint32_t LabToArgb(double lightness, Chroma chroma) {
    LinearRgb rgb = LabToLinearRgb(lightness, chroma);
    if (!InGamut(rgb)) {
        double inside = 0;
        double outside = 1;
        for (int step = 0; step < 40; ++step) {
            const double middle = (inside + outside) / 2;
            if (InGamut(LabToLinearRgb(lightness, {chroma.A * middle, chroma.B * middle}))) {
                inside = middle;
            } else {
                outside = middle;
            }
        }
        rgb = LabToLinearRgb(lightness, {chroma.A * inside, chroma.B * inside});
    }
    return 0xFF000000u | EncodeChannel(rgb.R) << 16 | EncodeChannel(rgb.G) << 8 |
           EncodeChannel(rgb.B);
}

} // namespace

std::array<std::uint32_t, 256> BuildTerrainTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::size_t level = 0; level < table.size(); ++level) {
        const double position = static_cast<double>(level) / 255;
        const double lightness =
            kLowestLightness + (kHighestLightness - kLowestLightness) * position;
        table[level] = LabToArgb(lightness, ChromaAt(position));
    }
    return table;
}

} // namespace orvane::panels
