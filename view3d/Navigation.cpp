#include "view3d/Navigation.h"

namespace orvane::view3d {

namespace {
constexpr float ZoomOutFactor = 1.05f;
constexpr float ZoomInFactor = 0.95f;
// Scene units per pixel of a slide = SlideFactor * distance / FocalLength.
constexpr float SlideFactor = 0.12f;
} // namespace

void SceneMouseDownRule(SceneMouseState& state, int x, int y) {
    state.SceneMouseDown = true;
    state.SceneMouseX = x;
    state.SceneMouseY = y;
}

void SceneMouseUpRule(SceneMouseState& state) {
    state.SceneMouseDown = false;
}

void SceneMouseMoveRule(SceneMouseState& state, Qt::MouseButtons held, int x, int y, Camera& camera,
                        SceneObject& targetNode) {
    const int x0 = state.SceneMouseX;
    const int y0 = state.SceneMouseY;
    state.SceneMouseX = x;
    state.SceneMouseY = y;
    if (!state.SceneMouseDown) {
        return;
    }
    if (held & Qt::LeftButton) {
        camera.MoveAroundTarget(static_cast<float>(y0 - y), static_cast<float>(x0 - x));
        return;
    }
    if (held & Qt::RightButton) {
        const float ratio = camera.DistanceToTarget() * SlideFactor / camera.FocalLength();
        const Vector4f v = camera.ScreenDeltaToVectorXZ(static_cast<float>(x0 - x),
                                                        static_cast<float>(y - y0), ratio);
        targetNode.position.Translate(v);
        camera.TransformationChanged();
    }
}

void SceneOrbitKeyRule(Camera& camera, int dxPixels, int dyPixels) {
    camera.MoveAroundTarget(static_cast<float>(-dyPixels), static_cast<float>(-dxPixels));
}

std::optional<std::pair<int, int>> OrbitKeyDrag(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Left:
        return std::pair{-OrbitKeyPixels, 0};
    case Qt::Key_Right:
        return std::pair{OrbitKeyPixels, 0};
    case Qt::Key_Up:
        return std::pair{0, -OrbitKeyPixels};
    case Qt::Key_Down:
        return std::pair{0, OrbitKeyPixels};
    default:
        return std::nullopt;
    }
}

void SceneWheelDownRule(Camera& camera) {
    camera.AdjustDistanceToTarget(ZoomOutFactor);
}

void SceneWheelUpRule(Camera& camera) {
    if (camera.DistanceToTarget() * 0.5f >= camera.NearPlaneBias()) {
        camera.AdjustDistanceToTarget(ZoomInFactor);
    }
}

} // namespace orvane::view3d
