#pragma once
#include "view2d/ScaleBar.h"

#include <QRect>

class QFont;
class QPainter;

namespace orvane::app {

// Draws the bar and its label in `font` at the bottom left of `view` (logical pixels): black on
// a pale plate, so it reads on every palette and on no-data.
void PaintScaleBar(QPainter& painter, const view2d::ScaleBar& bar, const QRect& view,
                   const QFont& font);

} // namespace orvane::app
