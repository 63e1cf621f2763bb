#include "measure/ProfileRoughness.h"

#include <cmath>
#include <limits>
#include <vector>

namespace orvane::measure {

RoughnessOutcome ProfileRoughness(const view2d::Profile& profile, double lambdaCMm) {
    RoughnessOutcome outcome;
    if (!profile.LengthMm) {
        outcome.WhyNone = "the file gives no pixel size in millimetres, so no cut-off applies";
        return outcome;
    }
    if (!profile.HeightsKnown) {
        outcome.WhyNone = "the heights have no unit, so no cut-off applies";
        return outcome;
    }
    const std::size_t n = profile.Points.size();
    if (n < 3 || !(*profile.LengthMm > 0)) {
        outcome.WhyNone = "the line is too short to filter";
        return outcome;
    }
    std::vector<double> heightsMm(n, std::numeric_limits<double>::quiet_NaN());
    for (std::size_t i = 0; i < n; ++i)
        if (profile.Points[i].Value)
            heightsMm[i] = *profile.Points[i].Value;
    // The points lie at i / (N - 1) of the line's length: equally spaced.
    return MeasureRoughness(heightsMm, *profile.LengthMm / double(n - 1), lambdaCMm);
}

QString RoughnessFiguresText(const RoughnessOutcome& outcome, const view2d::Profile& p) {
    if (!outcome.Figures)
        return QStringLiteral("Roughness: none (%1)").arg(QString::fromStdString(outcome.WhyNone));
    const RoughnessFigures& f = *outcome.Figures;
    const QString unit = QLatin1Char(' ') + p.HeightUnit;
    auto height = [&p, &unit](const std::optional<double>& mm) {
        return mm ? QString::number(*mm / p.MmPerHeightUnit, 'g', 5) + unit : QStringLiteral("?");
    };
    QString text = QStringLiteral("Roughness: cut-off %1 mm%2, %3 mm left out at each end")
                       .arg(f.LambdaCMm)
                       .arg(f.Automatic ? QStringLiteral(" (ISO 4288, automatic)") : QString())
                       .arg(f.LambdaCMm / 2);
    text += QStringLiteral("\nRa %1   Rq %2   Rt %3").arg(height(f.Ra), height(f.Rq), height(f.Rt));
    text += QStringLiteral("\nRz %1   Rp %2   Rv %3 (%4 sampling lengths)")
                .arg(height(f.Rz), height(f.Rp), height(f.Rv))
                .arg(f.RzLengths);
    text += QStringLiteral("\nRsk %1   Rku %2")
                .arg(QString::number(f.Rsk, 'f', 3), QString::number(f.Rku, 'f', 3));
    return text;
}

} // namespace orvane::measure
