#pragma once

// Zooming the 2D view to a chosen scale about a point of the box: the Ctrl+wheel's notches about
// the pointer and Actual Pixels about the view's centre. The plain wheel's own rule stays in
// Viewport.h.

#include "view2d/Viewport.h"

namespace orvane::view2d {

// Scale change of one Ctrl+wheel notch (positive notches zoom in).
constexpr double PointerZoomFactor = 1.25;
// The closest zoom: one file pixel over this many logical box pixels.
constexpr double MaxBoxPixelsPerFilePixel = 256;

// File pixels across one logical box pixel, the same both ways since file pixels are square.
double FilePixelsPerBoxPixel(const ViewWindow& window, const BoxRect& box,
                             const ImageGeometry& image);

// Shows `filePixelsPerBoxPixel` (limited to MaxBoxPixelsPerFilePixel) with the box filling the
// area where the image reaches that far, and keeps the buffer point under (boxX, boxY) of the
// current box under the same frame point; the buffer level MapPointer gives there stays the
// same unless the window had to be clamped at the image's edges. ResetZoom when the window would
// hold the whole image both ways, Ignored for an empty image, area or box.
WheelResult ZoomToScale(double filePixelsPerBoxPixel, int boxX, int boxY,
                        const ImageGeometry& image, const ImageArea& area, ViewWindow& window,
                        BoxRect& box);

// `notches` Ctrl+wheel notches about (boxX, boxY).
WheelResult PointerZoom(int notches, int boxX, int boxY, const ImageGeometry& image,
                        const ImageArea& area, ViewWindow& window, BoxRect& box);

} // namespace orvane::view2d
