#pragma once

// The scale beside the colour bar: its unit and its labelled ticks, placed along the bar from
// level 0 to level 255.

#include <QString>

#include <vector>

namespace orvane::panels {

struct ColourBarTick {
    double Value = 0;
    double Fraction = 0; // along the bar: 0 at level 0, 1 at level 255
    QString Text;
};

struct ColourBarScale {
    QString Unit;   // "mm", or "level" when the file gives no height range
    double Low = 0; // the value at level 0
    double High = 0;
    std::vector<ColourBarTick> Ticks; // RoundTicks of the range, ascending
};

// The scale for heights from zMinMm (level 0) to zMaxMm (level 255), in millimetres; in levels
// 0 to 255 when the file gives no height range (zMinMm == zMaxMm, or a bound not finite).
// `unit` names the range's unit ("mm"; a file's own unit; "value" for values without one).
ColourBarScale ColourBarScaleFor(double zMinMm, double zMaxMm,
                                 const QString& unit = QStringLiteral("mm"));

} // namespace orvane::panels
