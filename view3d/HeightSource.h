#pragma once

#include "image/ImageModel.h"
#include "view3d/HeightField.h"

namespace orvane::view3d {

// Height of grid point (x, y) of `field` in grid units: the image's level under
// the point, as mm centred on the middle of the height range, scaled so that
// the image's physical width maps onto the field's x range; NaN (a hole) where
// the pixel has no value. Leaves z unchanged when there is no image.
//
// Without a usable resolution (a first file without a resolution tag) a file
// pixel is taken as 1 mm wide, i.e. the heights are measured in millimetres
// against an image SpanWidth mm wide, instead of collapsing to a flat relief.
void ReliefHeight(const image::ImageModel& image, const HeightField& field, float x, float y,
                  float& z);

// Width of one file pixel in mm, with the 1 mm fallback above.
long double PixelSizeMm(float resolutionDpi);

// Grid units per millimetre of height: the field's x range over the image's physical width.
double GridUnitsPerMm(const image::ImageModel& image, const HeightField& field);

// The object plane (a, b, c, d) whose value a x + b y + c z + d on the relief's mesh is L / 255
// at the height ReliefHeight gives level L: 0 at level 0, 1 at level 255. The mesh's
// z is (L / 255 - 1/2) x range x GridUnitsPerMm, so the plane is (0, 0, 1 / (range x units),
// 1/2). A relief without extent (no ranges set yet) gives the constant 1/2.
Vector4f LevelPlane(const image::ImageModel& image, const HeightField& field);

// The plane that gives 0 where `plane` gives `low` and 1 where it gives `high`: a colour range's
// part of the levels' scale spread over the whole colour table (which clamps beyond it).
Vector4f RangePlane(const Vector4f& plane, double low, double high);

} // namespace orvane::view3d
