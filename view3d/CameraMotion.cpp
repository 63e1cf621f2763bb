#include "view3d/CameraMotion.h"

#include "view3d/Navigation.h"

namespace orvane::view3d {

void CameraMotion::Move(const SceneMouseState& mouse, Qt::MouseButtons held) {
    if (mouse.SceneMouseDown && (held & (Qt::LeftButton | Qt::RightButton))) {
        dragging_ = true;
    }
}

void CameraMotion::Release() {
    dragging_ = false;
}

void CameraMotion::WheelNotch(std::int64_t nowMs) {
    wheelTurned_ = true;
    lastNotchMs_ = nowMs;
}

std::int64_t CameraMotion::MsUntilWheelSettles(std::int64_t nowMs) const {
    if (!wheelTurned_) {
        return 0;
    }
    const std::int64_t left = lastNotchMs_ + WheelSettleMs - nowMs;
    return left > 0 ? left : 0;
}

bool CameraMotion::InMotion(std::int64_t nowMs) const {
    return dragging_ || MsUntilWheelSettles(nowMs) > 0;
}

} // namespace orvane::view3d
