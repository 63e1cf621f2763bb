#include "view3d/CameraMotion.h"

namespace orvane::view3d {

void TCameraMotion::Move(Qt::MouseButtons held) {
    if (FPressed && (held & (Qt::LeftButton | Qt::RightButton))) {
        FDragging = true;
    }
}

void TCameraMotion::Release() {
    FPressed = false;
    FDragging = false;
}

void TCameraMotion::WheelNotch(std::int64_t nowMs) {
    FWheelTurned = true;
    FLastNotchMs = nowMs;
}

std::int64_t TCameraMotion::MsUntilWheelSettles(std::int64_t nowMs) const {
    if (!FWheelTurned) {
        return 0;
    }
    const std::int64_t left = FLastNotchMs + WheelSettleMs - nowMs;
    return left > 0 ? left : 0;
}

bool TCameraMotion::InMotion(std::int64_t nowMs) const {
    return FDragging || MsUntilWheelSettles(nowMs) > 0;
}

} // namespace orvane::view3d
