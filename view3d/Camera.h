#pragma once

#include "view3d/SceneObject.h"

namespace orvane::view3d {

// Perspective camera aimed at a target object. Distances and positions are world units.
class Camera : public SceneObject {
public:
    using SceneObject::SceneObject;

    SceneObject* TargetObject() const { return target_; }
    void SetTargetObject(SceneObject* target);

    float FocalLength() const { return focalLength_; }
    void SetFocalLength(float v);
    float DepthOfView() const { return depthOfView_; }
    void SetDepthOfView(float v);
    float SceneScale() const { return sceneScale_; }
    void SetSceneScale(float v);
    float NearPlaneBias() const { return nearPlaneBias_; }
    void SetNearPlaneBias(float v);

    // Orbit about the target by degrees; nothing without a target.
    void MoveAroundTarget(float pitchDeltaDeg, float turnDeltaDeg);
    // Camera' = target + ratio * (camera - target); nothing without a target.
    void AdjustDistanceToTarget(float ratio);
    // |target - camera| over x, y, z; 1 without a target.
    float DistanceToTarget() const;
    // Horizontal world vector for a pointer movement: deltaY along the horizontal viewing
    // direction, deltaX along its right-hand normal, both scaled by ratio.
    Vector4f ScreenDeltaToVectorXZ(float deltaX, float deltaY, float ratio) const;

private:
    SceneObject* target_ = nullptr;
    float focalLength_ = 50.0f;
    float depthOfView_ = 100.0f;
    float sceneScale_ = 1.0f;
    float nearPlaneBias_ = 1.0f;
};

} // namespace orvane::view3d
