#pragma once

#include <cstdint>

namespace orvane::view3d {

// What the height callback reads from the image model. The sampling ranges are those of
// the height field (symmetric about 0).
struct THeightSource {
    const std::uint8_t* SampleBuffer = nullptr; // ImageWidth x ImageHeight levels, row-major
    int ImageWidth = 0;
    int ImageHeight = 0;
    int SpanWidth = 0;    // file columns covered by the buffer
    float Resolution = 0; // dots per inch
    double ZMin = 0;      // mm of level 0
    double ZMax = 0;      // mm of level 255
    float XMin = 0;
    float XMax = 0;
    float YMin = 0;
    float YMax = 0;
};

// Height of grid point (x, y) in grid units: the buffer level under the point, as mm
// centred on the middle of the height range, scaled so that the image's physical width
// maps onto the x range. Leaves z unchanged when there is no buffer.
//
// Without a usable resolution (0, negative or not finite: a first file without a
// resolution tag) a file pixel is taken as 1 mm wide, i.e. the heights are measured in
// millimetres against an image SpanWidth mm wide, instead of collapsing to a flat relief.
void HeightField1GetHeight(const THeightSource& src, float x, float y, float& z);

// Width of one file pixel in mm, with the 1 mm fallback above.
long double PixelSizeMm(float resolutionDpi);

} // namespace orvane::view3d
