#pragma once

#include "view3d/HeightField.h"

namespace orvane::view3d {

class Scene;

// Resolution bar position p (0..100): step = (Max - Min) / 10000 * (70 - 0.6 p) on both
// axes, so each axis gets 10000 / (70 - 0.6 p) intervals whatever its range. A step is set
// (and the mesh marked for rebuilding) only when the stored float differs from the double
// product. Returns how many of the two steps were set.
int ApplyResolutionPosition(HeightField& heightField, int p);

// Z-depth bar position p (5..100): height exaggeration p * 0.1.
float ZDepthScale(int p);

// Constant attenuation for a textured relief: 1 at p = 5 down to 0.2 at p = 100.
float ConstAttenuationForZDepth(int p);

// Applies a Z-depth bar position: the height field's z scale, and while its texture is
// enabled the constant attenuation of both lights.
void ApplyZDepthPosition(Scene& scene, int p);

} // namespace orvane::view3d
