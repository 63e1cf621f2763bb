#include "view2d/ScaleBar.h"

#include <cmath>

namespace orvane::view2d {

QString ScaleBar::Label() const {
    return QStringLiteral("%1 %2").arg(QString::number(length, 'g', 6), unit);
}

std::optional<ScaleBar> ScaleBarFor(double viewWidthPx, double filePixelsPerViewPixel,
                                    std::optional<double> mmPerFilePixel) {
    const bool mm = mmPerFilePixel && *mmPerFilePixel > 0 && std::isfinite(*mmPerFilePixel);
    const double unitsPerViewPixel = filePixelsPerViewPixel * (mm ? *mmPerFilePixel : 1.0);
    if (!(viewWidthPx > 0) || !(unitsPerViewPixel > 0) || !std::isfinite(unitsPerViewPixel))
        return std::nullopt;
    const double longest = viewWidthPx / 4 * unitsPerViewPixel;
    if (!std::isfinite(longest) || (!mm && longest < 1))
        return std::nullopt;
    // The decade at or below the longest length, then the largest of 5, 2, 1 in it. A length
    // that is itself round must not be lost to the logarithm's rounding, hence the tolerance.
    const double tolerance = 1 + 1e-12;
    double decade = std::pow(10.0, std::floor(std::log10(longest)));
    if (decade * 10 <= longest * tolerance)
        decade *= 10;
    else if (decade > longest * tolerance)
        decade /= 10;
    double length = decade;
    for (const double step : {5.0, 2.0}) {
        if (step * decade <= longest * tolerance) {
            length = step * decade;
            break;
        }
    }
    return ScaleBar{length, mm ? QStringLiteral("mm") : QStringLiteral("px"),
                    length / unitsPerViewPixel};
}

} // namespace orvane::view2d
