#include "view3d/HeightSource.h"

#include <cmath>
#include <limits>

namespace orvane::view3d {

namespace {

// floor(v) as an index in [0, limit]. Past the far edge (a rounding limit) reads index 0;
// so do points before the near edge and NaN from an empty range, which would otherwise
// read outside the buffer.
std::int64_t IndexOrZero(long double v, std::int64_t limit) {
    const long double f = std::floor(v);
    if (!(f >= 0) || f > limit) {
        return 0;
    }
    return static_cast<std::int64_t>(f);
}

} // namespace

long double PixelSizeMm(float resolutionDpi) {
    if (!image::ResolutionKnown(resolutionDpi)) {
        return 1.0L;
    }
    return 25.4L / resolutionDpi;
}

namespace {

// A degree of latitude is 110.6 to 111.7 km long. The relief of a geographic raster takes its
// pixels' north-south size at this length for its proportions only: nothing is measured with it.
constexpr long double kMmPerDegreeOfLatitude = 111320.0L * 1000;

// A georeferenced pixel whose unit has no length known here (neither a length nor degrees).
bool PixelWithoutLength(const image::ImageModel& image) {
    return image.GeoPixel && !image.MmPerPixelX() &&
           image.GeoPixel->Unit.Kind != image::UnitKind::Degree;
}

// The height range the levels span in mm (the levelled one while a levelling is shown); 1 mm
// when there is none. Values in a unit of known length
// convert to mm; values without a unit are taken as mm, as a pixel without a size is, and so
// are values beside pixels without a length: one stored unit a pixel.
long double HeightRangeMm(const image::ImageModel& image) {
    long double range = static_cast<long double>(image.ShownHigh()) - image.ShownLow();
    if (image.LevelsFromValues && image.MmPerHeightUnit > 0 && !PixelWithoutLength(image))
        range *= image.MmPerHeightUnit;
    return range == 0 ? 1 : range;
}

// The width of a file pixel in mm: a georeference's scale where it gives one in a length, its
// degrees along a meridian for a geographic raster, 1 for a unit without a known length; else
// the resolution's (1 mm without one).
long double PixelWidthMm(const image::ImageModel& image) {
    if (image.GeoPixel) {
        if (const std::optional<double> mm = image.MmPerPixelX())
            return *mm;
        if (image.GeoPixel->Unit.Kind == image::UnitKind::Degree)
            return image.GeoPixel->Y * kMmPerDegreeOfLatitude;
        return 1;
    }
    return PixelSizeMm(image.Resolution);
}

} // namespace

double GridUnitsPerMm(const image::ImageModel& image, const HeightField& field) {
    const std::int64_t span = image.SpanWidth > 0 ? image.SpanWidth : image.ImageWidth;
    const long double xRange =
        static_cast<long double>(field.xSamplingScale.Max()) - field.xSamplingScale.Min();
    return static_cast<double>(xRange / (span * PixelWidthMm(image)));
}

Vector4f LevelPlane(const image::ImageModel& image, const HeightField& field) {
    const long double zSpan = HeightRangeMm(image) * GridUnitsPerMm(image, field);
    const float zCoefficient = static_cast<float>(1.0L / zSpan);
    if (zSpan == 0 || !std::isfinite(zCoefficient)) {
        return {0, 0, 0, 0.5f};
    }
    return {0, 0, zCoefficient, 0.5f};
}

Vector4f RangePlane(const Vector4f& plane, double low, double high) {
    const double span = high - low;
    if (!(span != 0) || !std::isfinite(span))
        return plane;
    // s = (fraction - low) / span, where the plane gives the fraction.
    return {float(plane[0] / span), float(plane[1] / span), float(plane[2] / span),
            float((plane[3] - low) / span)};
}

void ReliefHeight(const image::ImageModel& image, const HeightField& field, float x, float y,
                  float& z) {
    if (!image.HasImage() || image.ImageWidth <= 0 || image.ImageHeight <= 0) {
        return;
    }
    const std::int64_t w = image.ImageWidth;
    const std::int64_t h = image.ImageHeight;
    const long double xMax = field.xSamplingScale.Max();
    const long double yMax = field.ySamplingScale.Max();

    const std::int64_t column = IndexOrZero((x + xMax) * (w - 1) / (2 * xMax), w - 1);
    const long double rowFromBottom = std::floor((y + yMax) * (h - 1) / (2 * yMax));
    const std::int64_t row = IndexOrZero((h - 1) - rowFromBottom, h - 1);

    if (image.NoDataAt(column, row)) {
        // A pixel without a value is a hole in the relief.
        z = std::numeric_limits<float>::quiet_NaN();
        return;
    }
    const float level = image.Levels()[row * w + column];
    const long double range = HeightRangeMm(image);
    float zv = static_cast<float>(level * (1.0L / 255) * range);
    zv = static_cast<float>(zv - range * 0.5L);
    z = static_cast<float>(zv * GridUnitsPerMm(image, field));
}

} // namespace orvane::view3d
