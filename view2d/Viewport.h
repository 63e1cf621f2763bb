#pragma once

// Geometry of the 2D view: which part of the sample buffer is shown (the view window), and
// where the paint box sits in the image area. Plain data and arithmetic; the frame owns the
// widgets and calls these from its handlers.

#include "image/ImageModel.h"

#include <optional>
#include <vector>

namespace orvane::view2d {

// Double to integer conversions used throughout the 2D geometry. Non-finite values give 0 and
// values beyond the int range saturate, so a degenerate window (zero-sized area, a window
// zoomed down to nothing) never reaches undefined behaviour.
int Truncated(double value);
// 0.4999999999999 is added before truncating, so an exact half goes down (2.5 -> 2).
int Rounded(double value);
// Integer halving, truncated toward zero.
inline int Halved(int value) {
    return value / 2;
}

// The shown part of the buffer, in buffer levels. ViewOffsetY counts upward from the buffer's
// last row. The values before the first open are arbitrary but non-degenerate.
struct ViewWindow {
    double ViewWidth = 8;
    double ViewHeight = 8;
    double ViewOffsetX = 0;
    double ViewOffsetY = 0;
};

// The paint box in the frame's client coordinates.
struct BoxRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// The frame's client area below the top control strip. The left edge is always 0.
struct ImageArea {
    int AreaTop = 0; // height of the top control strip
    int AreaWidth = 0;
    int AreaHeight = 0;

    int ClientWidth() const { return AreaWidth; }
    int ClientHeight() const { return AreaTop + AreaHeight; }
};

using image::ImageGeometry;

// The window after an open: the whole buffer.
ViewWindow WholeImageWindow(const ImageGeometry& image);

// Fits the box to the window's shape (in file pixels), centred in the area. Returns nothing when
// the buffer is empty. An area with no width or no height gives an empty box at (0, AreaTop):
// there is nothing to show and the shapes would be undefined.
std::optional<BoxRect> PlaceImage(const ViewWindow& window, const ImageGeometry& image,
                                  const ImageArea& area);

// Keeps the window's offsets inside the buffer for the given window size. Low edges first, so a
// window larger than the buffer ends up with the negative offset that the size repair of the
// wheel step expects. Shared by the wheel step and the drag.
void ClampOffsets(double& offsetX, double& offsetY, double width, double height,
                  const ImageGeometry& image);
void ClampViewOffsets(ViewWindow& window, const ImageGeometry& image);

enum class ZoomDirection { In, Out };

enum class WheelResult {
    Placed,    // window and box updated: resize the bitmap, (zoom-out) fill strips, paint
    ResetZoom, // the window outgrew the image both ways: the caller runs ResetZoom instead
    Ignored,   // empty buffer or empty area: nothing changed, nothing to paint
};

// Zoom factor per wheel notch.
constexpr double ZoomStepFactor = 1.05;

// One wheel notch of the 2D view about the centre of the shown part: rescales the window,
// re-derives its other side from the area's shape, keeps the centre, clamps, repairs a window
// that outgrew the image in one direction and centres the box. `box` is the current box on
// entry (it keeps its size when the window already has the area's shape).
WheelResult WheelStep(ZoomDirection direction, const ImageGeometry& image, const ImageArea& area,
                      ViewWindow& window, BoxRect& box);

// Rectangle in client coordinates, right and bottom exclusive.
struct FillRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const FillRect& other) const {
        return Left == other.Left && Top == other.Top && Right == other.Right &&
               Bottom == other.Bottom;
    }
};

// What the background erase fills white: the whole client without an image, otherwise only the
// strips beside the box (starting at the client's top edge, under the control strip) so the
// region under the image is never wiped before it is painted again. Empty rectangles are left
// out; a box that fills the area gives none.
std::vector<FillRect> EraseRects(bool imageShown, const BoxRect& box, const ImageArea& area);

} // namespace orvane::view2d
