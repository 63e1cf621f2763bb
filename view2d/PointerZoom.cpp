#include "view2d/PointerZoom.h"

#include <algorithm>
#include <cmath>

namespace orvane::view2d {

double FilePixelsPerBoxPixel(const ViewWindow& window, const BoxRect& box,
                             const ImageGeometry& image) {
    return box.Width > 0 ? window.ViewWidth * image.ColumnStep / box.Width : 0.0;
}

namespace {

// The offset that puts buffer coordinate `kept` at box coordinate `at` for `levelsPerBoxPixel`.
// MapPointer truncates, so `kept` is first moved just inside its level: a rounding error of the
// division must not hand the pointer to the neighbouring level.
double OffsetKeeping(double kept, int at, double levelsPerBoxPixel) {
    const double level = std::floor(kept);
    const double margin = 1e-7;
    const double inside = std::clamp(kept, level + margin, level + 1 - margin);
    return inside - at * levelsPerBoxPixel;
}

} // namespace

WheelResult ZoomToScale(double filePixelsPerBoxPixel, int boxX, int boxY,
                        const ImageGeometry& image, const ImageArea& area, ViewWindow& window,
                        BoxRect& box) {
    if (image.ImageWidth <= 0 || image.ImageHeight <= 0 || area.AreaWidth <= 0 ||
        area.AreaHeight <= 0 || box.Width <= 0 || box.Height <= 0 || !(filePixelsPerBoxPixel > 0) ||
        !std::isfinite(filePixelsPerBoxPixel)) {
        return WheelResult::Ignored;
    }
    const double scale = std::max(filePixelsPerBoxPixel, 1.0 / MaxBoxPixelsPerFilePixel);
    const double imageW = image.ImageWidth;
    const double imageH = image.ImageHeight;

    // The buffer point under the box point, rows counted from the first row.
    const double keptColumn = window.ViewOffsetX + boxX * window.ViewWidth / box.Width;
    const double keptRow =
        imageH - window.ViewHeight - window.ViewOffsetY + boxY * window.ViewHeight / box.Height;
    const int frameX = box.Left + boxX;
    const int frameY = box.Top + boxY;

    // The window the whole area shows at this scale, no larger than the image.
    const double width = std::min(imageW, area.AreaWidth * scale / image.ColumnStep);
    const double height = std::min(imageH, area.AreaHeight * scale / image.RowStep);
    if (width >= imageW && height >= imageH) {
        return WheelResult::ResetZoom;
    }
    ViewWindow placed{width, height, 0, 0};
    const std::optional<BoxRect> newBox = PlaceImage(placed, image, area);
    if (!newBox || newBox->Width <= 0 || newBox->Height <= 0) {
        return WheelResult::Ignored;
    }
    // The window follows the box's whole pixels, so that both ways show `scale` exactly.
    placed.ViewWidth = std::min(imageW, newBox->Width * scale / image.ColumnStep);
    placed.ViewHeight = std::min(imageH, newBox->Height * scale / image.RowStep);

    const double columnsPerBoxPixel = placed.ViewWidth / newBox->Width;
    const double rowsPerBoxPixel = placed.ViewHeight / newBox->Height;
    placed.ViewOffsetX = OffsetKeeping(keptColumn, frameX - newBox->Left, columnsPerBoxPixel);
    const double topRow = OffsetKeeping(keptRow, frameY - newBox->Top, rowsPerBoxPixel);
    placed.ViewOffsetY = imageH - placed.ViewHeight - topRow;
    ClampViewOffsets(placed, image);
    window = placed;
    box = *newBox;
    return WheelResult::Placed;
}

WheelResult PointerZoom(int notches, int boxX, int boxY, const ImageGeometry& image,
                        const ImageArea& area, ViewWindow& window, BoxRect& box) {
    const double now = FilePixelsPerBoxPixel(window, box, image);
    return ZoomToScale(now * std::pow(PointerZoomFactor, -notches), boxX, boxY, image, area, window,
                       box);
}

} // namespace orvane::view2d
