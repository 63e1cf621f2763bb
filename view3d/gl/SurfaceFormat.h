#pragma once

namespace orvane::view3d {

// The 3D viewer draws with the fixed-function pipeline: every program that
// shows it asks for a compatibility context with a depth buffer, before any
// window exists.
void UseCompatibilitySurfaceFormat();

} // namespace orvane::view3d
