#include "panels/ColourBarScale.h"

#include "panels/ColourBarTicks.h"

#include <cmath>

namespace orvane::panels {

ColourBarScale ColourBarScaleFor(double zMinMm, double zMaxMm, const QString& unit) {
    ColourBarScale scale;
    const bool heightsKnown = std::isfinite(zMinMm) && std::isfinite(zMaxMm) && zMinMm != zMaxMm;
    if (heightsKnown) {
        scale.Unit = unit;
        scale.Low = zMinMm;
        scale.High = zMaxMm;
    } else {
        scale.Unit = QStringLiteral("level");
        scale.Low = 0;
        scale.High = 255;
    }
    const std::vector<double> values = RoundTicks(scale.Low, scale.High);
    const double step = values.size() > 1 ? values[1] - values[0] : 0;
    for (double value : values) {
        const double fraction = (value - scale.Low) / (scale.High - scale.Low);
        scale.Ticks.push_back({value, fraction, TickText(value, step)});
    }
    return scale;
}

} // namespace orvane::panels
