#pragma once
#include "view3d/Scene.h"

#include <cstdint>

namespace orvane::view3d {

// Gives the relief of an image covering spanWidth x spanHeight file pixels its
// sampling ranges: the longer side spans 1.0, the shorter its proportion, both
// centred on 0. The quotients are worked out in long double and stored in
// single precision.
void SetReliefRanges(HeightField& field, std::int64_t spanWidth, std::int64_t spanHeight);

// The start view of every opened image: the camera at (-1.5, 1.5, 1.5) from
// its target, the target at the origin.
void ResetView(Scene& scene);

} // namespace orvane::view3d
