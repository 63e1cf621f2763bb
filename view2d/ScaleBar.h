#pragma once

// The 2D view's scale bar: a round length that fits in a quarter of the view's width.

#include <QString>
#include <optional>

namespace orvane::view2d {

struct ScaleBar {
    double length = 0; // in `unit`: 1, 2 or 5 x 10^n
    QString unit;      // "mm", or "px" (file pixels) where the file gives no lengths
    double pixels = 0; // the bar's length on screen, in logical pixels
    QString Label() const;
};

// The longest round length (1, 2, 5 x 10^n) whose bar is no longer than a quarter of
// `viewWidthPx` (logical pixels), at `filePixelsPerViewPixel` and `mmPerFilePixel` along a row
// (none: the bar counts file pixels, at least one). Nothing for a view without width or scale.
std::optional<ScaleBar> ScaleBarFor(double viewWidthPx, double filePixelsPerViewPixel,
                                    std::optional<double> mmPerFilePixel);

} // namespace orvane::view2d
