#pragma once

// Painting of the view window: a nearest-neighbour stretch straight from the 8-bit sample
// buffer into a grey destination of the box's size. Whole-level sampling, no blending, no
// scaled copy of the image: the cost depends on the box size only.

#include <cstddef>
#include <cstdint>

#include "view2d/Viewport.h"

namespace orvane::view2d {

// The window rounded to whole levels. Y is counted upward from the buffer's last row, as the
// window's offset is; TopRow is the same rectangle's first row counted from the top.
struct SourceRect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    int TopRow = 0; // ImageHeight - Y - Height
};

SourceRect SourceRectangle(const ViewWindow& window, int imageHeight);

// The source index behind destination index `index` of `size` over `span` source indices from
// `first`: first + floor((index + 0.5) * span / size), exactly in integers. Not clamped: the
// caller keeps it inside its buffer. `size` > 0, `index` and `span` >= 0.
std::int64_t StretchSourceIndex(int index, int size, std::int64_t first, std::int64_t span);

// Stretches `source` of the buffer (row-major, imageWidth bytes per row, first row on top) into
// destWidth x destHeight bytes at `dest` (rows destStride bytes apart).
//
// Destination pixel d of a destination size D over a source span S starting at s0 takes source
// index s0 + floor((d + 0.5) * S / D), computed exactly in integers; rows likewise. Windows may
// reach past the buffer (fractional or repaired windows, zoomed below one level): each index is
// clamped into the buffer, so edge rows and columns repeat and nothing outside is read. A span
// of 0 (or less) repeats the nearest row or column. An empty buffer leaves `dest` untouched.
void StretchToGrey(const std::uint8_t* buffer, int imageWidth, int imageHeight,
                   const SourceRect& source, std::uint8_t* dest, int destWidth, int destHeight,
                   std::ptrdiff_t destStride);

// The same stretch of a no-data mask (one bit per level, rows of `maskStride` bytes): `colour`
// where the level behind a destination pixel has no value, 0 (transparent) elsewhere, into
// 32-bit pixels `destStride` pixels apart. Returns whether any destination pixel is marked.
bool StretchMask(const std::uint8_t* mask, std::int64_t maskStride, int imageWidth, int imageHeight,
                 const SourceRect& source, std::uint32_t colour, std::uint32_t* dest, int destWidth,
                 int destHeight, std::ptrdiff_t destStride);

} // namespace orvane::view2d
