#pragma once
#include <QPoint>
#include <QSize>
#include <optional>

namespace orvane::panels {

// Where a floating panel dropped at `topLeft` ends up: pushed back into the
// working area (the frame below its top strip) by four steps in order, the
// later ones winning. A panel taller than the area ends with its bottom on the
// frame's bottom (its top above the strip); one wider than the frame ends with
// its right edge on the frame's right edge (a negative left).
QPoint PushBackIntoArea(QPoint topLeft, QSize panel, QSize frame, int topStripHeight);

// The histogram panel's place: top right, just below the top strip.
QPoint HistogramPanelPlace(QSize panel, QSize frame, int topStripHeight);

// The colour bar panel's place: on the right edge, its top at `belowY` (under the histogram
// panel), pushed back into the working area. Where the frame is too low for that and the
// histogram panel's left edge is `besideX`, just left of it at the top instead, so that neither
// covers the other.
QPoint ColourBarPanelPlace(QSize panel, QSize frame, int topStripHeight, int belowY,
                           std::optional<int> besideX = std::nullopt);

} // namespace orvane::panels
