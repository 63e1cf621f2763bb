#include "view3d/Camera.h"

#include <cmath>

namespace orvane::view3d {

namespace {
// Below this horizontal length the view is vertical and has no horizontal direction.
constexpr float HorizontalEpsilon = 1e-10f;
} // namespace

void TGLCamera::SetTargetObject(TGLBaseSceneObject* target) {
    FTarget = target;
    NotifyChange();
}

void TGLCamera::SetFocalLength(float v) {
    FFocalLength = v;
    NotifyChange();
}

void TGLCamera::SetDepthOfView(float v) {
    FDepthOfView = v;
    NotifyChange();
}

void TGLCamera::SetSceneScale(float v) {
    FSceneScale = v;
    NotifyChange();
}

void TGLCamera::SetNearPlaneBias(float v) {
    FNearPlaneBias = v;
    NotifyChange();
}

void TGLCamera::MoveAroundTarget(float pitchDeltaDeg, float turnDeltaDeg) {
    if (FTarget) {
        MoveObjectAround(*FTarget, pitchDeltaDeg, turnDeltaDeg);
    }
}

void TGLCamera::AdjustDistanceToTarget(float ratio) {
    if (!FTarget) {
        return;
    }
    const TVector4f t = FTarget->AbsolutePosition();
    const TVector4f c = AbsolutePosition();
    TVector4f r;
    for (int i = 0; i < 4; ++i) {
        r[i] = t[i] + ratio * (c[i] - t[i]);
    }
    SetAbsolutePosition(r);
}

float TGLCamera::DistanceToTarget() const {
    if (!FTarget) {
        return 1.0f;
    }
    return Length3(Sub3(FTarget->AbsolutePosition(), AbsolutePosition()));
}

TVector4f TGLCamera::ScreenDeltaToVectorXZ(float deltaX, float deltaY, float ratio) const {
    TVector4f d;
    if (FTarget) {
        d = Sub3(FTarget->AbsolutePosition(), AbsolutePosition());
    } else {
        const TMatrix4f& m = AbsoluteMatrix();
        d = {m.M[2][0], m.M[2][1], m.M[2][2], 0};
    }
    const float len = std::sqrt(d[0] * d[0] + d[2] * d[2]);
    const float f = len <= HorizontalEpsilon ? ratio : ratio / len;
    const float a = deltaX * f;
    const float b = deltaY * f;
    return {-d[2] * a + d[0] * b, 0, d[2] * b + d[0] * a, 0};
}

} // namespace orvane::view3d
