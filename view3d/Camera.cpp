#include "view3d/Camera.h"

#include <cmath>

namespace orvane::view3d {

namespace {
// Below this horizontal length the view is vertical and has no horizontal direction.
constexpr float HorizontalEpsilon = 1e-10f;
} // namespace

void Camera::SetTargetObject(SceneObject* target) {
    if (StoreChanged(target_, target)) {
        NotifyChange();
    }
}

void Camera::SetFocalLength(float v) {
    if (StoreChanged(focalLength_, v)) {
        NotifyChange();
    }
}

void Camera::SetDepthOfView(float v) {
    if (StoreChanged(depthOfView_, v)) {
        NotifyChange();
    }
}

void Camera::SetSceneScale(float v) {
    if (StoreChanged(sceneScale_, v)) {
        NotifyChange();
    }
}

void Camera::SetNearPlaneBias(float v) {
    if (StoreChanged(nearPlaneBias_, v)) {
        NotifyChange();
    }
}

void Camera::MoveAroundTarget(float pitchDeltaDeg, float turnDeltaDeg) {
    if (target_) {
        MoveObjectAround(*target_, pitchDeltaDeg, turnDeltaDeg);
    }
}

void Camera::AdjustDistanceToTarget(float ratio) {
    if (!target_) {
        return;
    }
    const Vector4f t = target_->AbsolutePosition();
    const Vector4f c = AbsolutePosition();
    Vector4f r;
    for (int i = 0; i < 4; ++i) {
        r[i] = t[i] + ratio * (c[i] - t[i]);
    }
    SetAbsolutePosition(r);
}

float Camera::DistanceToTarget() const {
    if (!target_) {
        return 1.0f;
    }
    return Length3(Sub3(target_->AbsolutePosition(), AbsolutePosition()));
}

Vector4f Camera::ScreenDeltaToVectorXZ(float deltaX, float deltaY, float ratio) const {
    Vector4f d;
    if (target_) {
        d = Sub3(target_->AbsolutePosition(), AbsolutePosition());
    } else {
        const Matrix4f& m = AbsoluteMatrix();
        d = {m.M[2][0], m.M[2][1], m.M[2][2], 0};
    }
    const float len = std::sqrt(d[0] * d[0] + d[2] * d[2]);
    const float f = len <= HorizontalEpsilon ? ratio : ratio / len;
    const float a = deltaX * f;
    const float b = deltaY * f;
    return {-d[2] * a + d[0] * b, 0, d[2] * b + d[0] * a, 0};
}

} // namespace orvane::view3d
