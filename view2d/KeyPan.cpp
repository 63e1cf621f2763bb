#include "view2d/KeyPan.h"

namespace orvane::view2d {

void PanByKey(PanDirection direction, const ImageGeometry& image, ViewWindow& window) {
    const double stepX = window.ViewWidth * KeyPanFraction;
    const double stepY = window.ViewHeight * KeyPanFraction;
    switch (direction) {
    case PanDirection::Left:
        window.ViewOffsetX -= stepX;
        break;
    case PanDirection::Right:
        window.ViewOffsetX += stepX;
        break;
    case PanDirection::Up:
        window.ViewOffsetY += stepY;
        break;
    case PanDirection::Down:
        window.ViewOffsetY -= stepY;
        break;
    }
    ClampViewOffsets(window, image);
}

} // namespace orvane::view2d
