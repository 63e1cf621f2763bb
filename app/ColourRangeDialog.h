#pragma once
#include "measure/ColourRange.h"

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace orvane::app {

// View > Colour Range > Manual...: the low and high heights typed in `unit`, starting from
// `shown`. Nothing when cancelled. Tests and the snapshot answer through SetAnswer instead.
class ColourRangeDialog {
public:
    static std::optional<measure::ColourRange> Ask(QWidget* parent, const QString& unit,
                                                   double shownLow, double shownHigh);
    using Answer = std::function<std::optional<measure::ColourRange>()>;
    static void SetAnswer(Answer answer);
};

// "LOW,HIGH" (or "LOW HIGH"), "." as the decimal point: a Manual range whose high exceeds its low,
// both finite; nothing otherwise.
std::optional<measure::ColourRange> ParseManualRange(const QString& text);

} // namespace orvane::app
