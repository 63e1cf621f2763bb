#include "view3d/HeightSource.h"

#include <cmath>

namespace orvane::view3d {

namespace {

// floor(v) as an index in [0, limit]. Past the far edge (a rounding limit) reads index 0;
// so do points before the near edge and NaN from an empty range, which would otherwise
// read outside the buffer.
int IndexOrZero(long double v, int limit) {
    const long double f = std::floor(v);
    if (!(f >= 0) || f > limit) {
        return 0;
    }
    return static_cast<int>(f);
}

} // namespace

long double PixelSizeMm(float resolutionDpi) {
    if (!(resolutionDpi > 0) || !std::isfinite(resolutionDpi)) {
        return 1.0L;
    }
    return 25.4L / resolutionDpi;
}

void HeightField1GetHeight(const THeightSource& src, float x, float y, float& z) {
    if (!src.SampleBuffer || src.ImageWidth <= 0 || src.ImageHeight <= 0) {
        return;
    }
    const int w = src.ImageWidth;
    const int h = src.ImageHeight;
    const long double xMax = src.XMax;
    const long double yMax = src.YMax;

    const int column = IndexOrZero((x + xMax) * (w - 1) / (2 * xMax), w - 1);
    const long double rowFromBottom = std::floor((y + yMax) * (h - 1) / (2 * yMax));
    const int row = IndexOrZero((h - 1) - rowFromBottom, h - 1);

    const float level = src.SampleBuffer[static_cast<long long>(row) * w + column];
    long double range = static_cast<long double>(src.ZMax) - src.ZMin;
    if (range == 0) {
        range = 1; // no height range in the file: 1 mm
    }
    float zv = static_cast<float>(level * (1.0L / 255) * range);
    zv = static_cast<float>(zv - range * 0.5L);

    const int span = src.SpanWidth > 0 ? src.SpanWidth : w;
    const double factor = static_cast<double>((static_cast<long double>(src.XMax) - src.XMin) /
                                              (span * PixelSizeMm(src.Resolution)));
    z = static_cast<float>(zv * factor);
}

} // namespace orvane::view3d
