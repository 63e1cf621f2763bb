#pragma once

namespace orvane::view3d {

// Normals of one grid row from the neighbours' heights: central differences inside the grid
// (twice the slope, which the relief's look depends on), one-sided ones at the borders.
// A missing point (height NaN) is a border too: a neighbour's difference is left out when the
// neighbour is missing, so a point beside a hole takes the one-sided difference and one with
// both neighbours of an axis missing is flat along it. A missing point's own normal is NaN.
// z: the row's m heights; prevZ/nextZ: the rows before and after it, or null at the grid's
// first/last row. invX/invY: inverse sample spacings. normals: 3 floats per sample.
void ComputeRowNormals(const float* z, const float* prevZ, const float* nextZ, int m, float invX,
                       float invY, float* normals);

} // namespace orvane::view3d
