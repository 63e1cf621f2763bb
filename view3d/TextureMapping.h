#pragma once

#include "view3d/HeightField.h"
#include "view3d/Material.h"

#include <cstdint>

namespace orvane::view3d {

// Stretches the picture over the whole relief: writes the S and T planes from the image's
// file extent (P = ImageWidth x ColumnStep, Q = ImageHeight x RowStep) and the relief's
// sampling maxima. Only components 0, 1 and 3 are written; the others keep their values.
void SetTexturePlanes(Texture& texture, std::int64_t p, std::int64_t q, float xMax, float yMax);

// Lays a decoded picture over the relief of an image covering p x q file pixels: the
// picture, the planes from the field's sampling maxima, brightness 1.5, modulated by the
// lighting, enabled.
void ApplyTexturePicture(HeightField& field, const QImage& picture, const QString& fileName,
                         std::int64_t p, std::int64_t q);

// Takes the picture off the relief: disabled, brightness 1, replace mode, no picture.
void ClearTexturePicture(Texture& texture);

} // namespace orvane::view3d
