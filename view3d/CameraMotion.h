#pragma once

#include <Qt>

#include <cstdint>

namespace orvane::view3d {

struct SceneMouseState;

// Whether the 3D camera is moving, so that a lighter mesh can be drawn meanwhile: from the
// first move of a drag (left or right button held since a press on the viewer: the moves
// that orbit or slide the camera) to its release, and for WheelSettleMs after each wheel
// notch. Times are milliseconds of one monotonic clock.
class CameraMotion {
public:
    static constexpr std::int64_t WheelSettleMs = 250;

    // A move over the viewer; `mouse` tells whether it follows a press on the viewer.
    void Move(const SceneMouseState& mouse, Qt::MouseButtons held);
    // Release of any button ends the drag, as it does for the camera rules.
    void Release();
    // A wheel notch, or a key's step of the camera (they repeat as notches do).
    void WheelNotch(std::int64_t nowMs);

    bool InMotion(std::int64_t nowMs) const;
    bool Dragging() const { return dragging_; }
    // Milliseconds until the last notch's motion ends; 0 when it has, or without a notch.
    std::int64_t MsUntilWheelSettles(std::int64_t nowMs) const;

private:
    bool dragging_ = false;
    bool wheelTurned_ = false;
    std::int64_t lastNotchMs_ = 0;
};

} // namespace orvane::view3d
