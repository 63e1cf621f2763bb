#include "view2d/KeyPan.h"

#include <Qt>

namespace orvane::view2d {

std::optional<PanDirection> PanDirectionOfKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Left:
        return PanDirection::Left;
    case Qt::Key_Right:
        return PanDirection::Right;
    case Qt::Key_Up:
        return PanDirection::Up;
    case Qt::Key_Down:
        return PanDirection::Down;
    default:
        return std::nullopt;
    }
}

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
