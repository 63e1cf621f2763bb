#pragma once

#include "view3d/Material.h"

#include <cstdint>

namespace orvane::view3d {

// Stretches the picture over the whole relief: writes the S and T planes from the image's
// file extent (P = ImageWidth x ColumnStep, Q = ImageHeight x RowStep) and the relief's
// sampling maxima. Only components 0, 1 and 3 are written; the others keep their values.
void SetTexturePlanes(TGLTexture& texture, std::int64_t p, std::int64_t q, float xMax, float yMax);

} // namespace orvane::view3d
