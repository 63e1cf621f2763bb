#pragma once

// Panning the 2D view with the arrow keys: a tenth of the view window per press, kept inside the
// buffer by the drag's clamp.

#include "view2d/Viewport.h"

#include <optional>

namespace orvane::view2d {

enum class PanDirection { Left, Right, Up, Down };

// The direction of an arrow key (a Qt::Key); nothing for any other key.
std::optional<PanDirection> PanDirectionOfKey(int qtKey);

// The share of the view window one key press moves it by.
constexpr double KeyPanFraction = 0.1;

// Moves the window by a tenth of its own size towards what lies in `direction` of the shown part
// (Up raises ViewOffsetY, which counts upward from the buffer's last row), then clamps the
// offsets as a drag does.
void PanByKey(PanDirection direction, const ImageGeometry& image, ViewWindow& window);

} // namespace orvane::view2d
