#pragma once

#include <optional>
#include <utility>

#include "view3d/Camera.h"

#include <Qt>

namespace orvane::view3d {

// The frame's mouse fields for the 3D viewer.
struct SceneMouseState {
    bool SceneMouseDown = false; // a press on the viewer, no release since
    int SceneMouseX = 0;         // last press or move position, viewer pixels
    int SceneMouseY = 0;
};

// Press of any button: remember the position and that a drag may start.
void SceneMouseDownRule(SceneMouseState& state, int x, int y);
// Release of any button ends the drag, even while another button is held.
void SceneMouseUpRule(SceneMouseState& state);
// Move: store the position; with a press on the viewer, the left button orbits the camera
// about its target (pitch = Y0 - Y, turn = X0 - X degrees), otherwise the right button
// slides the camera's target node (and the camera with it) over the horizontal plane.
void SceneMouseMoveRule(SceneMouseState& state, Qt::MouseButtons held, int x, int y, Camera& camera,
                        SceneObject& targetNode);
// Pixels of pointer travel one arrow key stands for when it orbits the camera.
constexpr int OrbitKeyPixels = 5;
// An arrow key: orbits as a left-button drag of (dx, dy) pixels does (pitch = -dy,
// turn = -dx degrees).
void SceneOrbitKeyRule(Camera& camera, int dxPixels, int dyPixels);
// The drag an arrow key (a Qt::Key) stands for: OrbitKeyPixels towards the arrow; nothing for
// any other key.
std::optional<std::pair<int, int>> OrbitKeyDrag(int qtKey);
// Wheel notch towards the user: 5 % farther.
void SceneWheelDownRule(Camera& camera);
// Wheel notch away from the user: 5 % closer, unless the camera is closer than twice the
// near-plane bias.
void SceneWheelUpRule(Camera& camera);

} // namespace orvane::view3d
