#pragma once

#include "view3d/SceneObject.h"

namespace orvane::view3d {

// Perspective camera aimed at a target object. Distances and positions are world units.
class TGLCamera : public TGLBaseSceneObject {
public:
    using TGLBaseSceneObject::TGLBaseSceneObject;

    TGLBaseSceneObject* TargetObject() const { return FTarget; }
    void SetTargetObject(TGLBaseSceneObject* target);

    float FocalLength() const { return FFocalLength; }
    void SetFocalLength(float v);
    float DepthOfView() const { return FDepthOfView; }
    void SetDepthOfView(float v);
    float SceneScale() const { return FSceneScale; }
    void SetSceneScale(float v);
    float NearPlaneBias() const { return FNearPlaneBias; }
    void SetNearPlaneBias(float v);

    // Orbit about the target by degrees; nothing without a target.
    void MoveAroundTarget(float pitchDeltaDeg, float turnDeltaDeg);
    // Camera' = target + ratio * (camera - target); nothing without a target.
    void AdjustDistanceToTarget(float ratio);
    // |target - camera| over x, y, z; 1 without a target.
    float DistanceToTarget() const;
    // Horizontal world vector for a pointer movement: deltaY along the horizontal viewing
    // direction, deltaX along its right-hand normal, both scaled by ratio.
    TVector4f ScreenDeltaToVectorXZ(float deltaX, float deltaY, float ratio) const;

private:
    TGLBaseSceneObject* FTarget = nullptr;
    float FFocalLength = 50.0f;
    float FDepthOfView = 100.0f;
    float FSceneScale = 1.0f;
    float FNearPlaneBias = 1.0f;
};

} // namespace orvane::view3d
