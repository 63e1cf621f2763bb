#pragma once

namespace orvane::app {

// What the whole process relies on, set in main before any window exists (the viewer,
// orvane-snapshot, the tests and benchmarks that stand in for them): the OpenGL surface
// format of the 3D view, and "." as decimal separator in every number shown, whatever the
// user's locale.
void SetUpProcess();

} // namespace orvane::app
