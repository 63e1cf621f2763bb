#include "view2d/Viewport.h"

#include <cmath>
#include <limits>

namespace orvane::view2d {

int Truncated(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

int Rounded(double value) {
    // Just under one half, so that an exact half rounds down.
    return Truncated(value + 0.4999999999999);
}

ViewWindow WholeImageWindow(const ImageGeometry& image) {
    ViewWindow window;
    window.ViewWidth = image.ImageWidth;
    window.ViewHeight = image.ImageHeight;
    window.ViewOffsetX = 0;
    window.ViewOffsetY = 0;
    return window;
}

std::optional<BoxRect> PlaceImage(const ViewWindow& window, const ImageGeometry& image,
                                  const ImageArea& area) {
    if (image.ImageWidth == 0 || image.ImageHeight == 0) {
        return std::nullopt;
    }
    BoxRect box;
    box.Left = 0;
    box.Top = area.AreaTop;
    if (area.AreaWidth <= 0 || area.AreaHeight <= 0) {
        return box; // window shrunk to the control strip: nothing to show
    }
    box.Width = area.AreaWidth;
    box.Height = area.AreaHeight;

    // Shapes in file pixels, which are square whatever the thinning steps.
    const double areaShape = static_cast<double>(box.Width) / box.Height;
    const double windowShape =
        (image.ColumnStep * window.ViewWidth) / (image.RowStep * window.ViewHeight);
    if (areaShape < windowShape) {
        box.Height = Truncated(box.Width / windowShape);
        box.Top = area.AreaTop + Halved(area.AreaHeight - box.Height);
    } else {
        box.Width = Truncated(box.Height * windowShape);
        box.Left = Halved(area.AreaWidth - box.Width);
    }
    return box;
}

void ClampOffsets(double& offsetX, double& offsetY, double width, double height,
                  const ImageGeometry& image) {
    if (offsetX < 0) {
        offsetX = 0;
    }
    if (offsetY < 0) {
        offsetY = 0;
    }
    if (image.ImageWidth <= offsetX + width) {
        offsetX = image.ImageWidth - width;
    }
    if (image.ImageHeight <= offsetY + height) {
        offsetY = image.ImageHeight - height;
    }
}

void ClampViewOffsets(ViewWindow& window, const ImageGeometry& image) {
    ClampOffsets(window.ViewOffsetX, window.ViewOffsetY, window.ViewWidth, window.ViewHeight,
                 image);
}

namespace {

// One direction of the window and the box: the window's offset and size in
// levels, the image's size, the box's size and the area's in pixels, and the
// thinning step.
struct AxisRefs {
    double& Offset;
    double& Size;
    double ImageSize;
    int& Box;
    int Area;
    double Step;
};

// The window outgrew the image along `grown` only: it shows the whole image
// that way and the box fills the area along it; the other side of the box
// follows the window's shape, and where the area cannot hold it, the window's
// other side shrinks to what the area shows.
void RepairOutgrownAxis(const AxisRefs& grown, const AxisRefs& other) {
    if (grown.Offset < 0) {
        grown.Offset = 0;
    }
    grown.Size = grown.ImageSize;
    grown.Box = grown.Area;
    other.Box = Rounded(grown.Box * other.Size * other.Step / (grown.Step * grown.Size));
    if (other.Area < other.Box) {
        other.Box = other.Area;
        other.Size =
            (grown.Step / other.Step) * grown.Size * (static_cast<double>(other.Box) / grown.Box);
    }
}

} // namespace

WheelResult WheelStep(ZoomDirection direction, const ImageGeometry& image, const ImageArea& area,
                      ViewWindow& window, BoxRect& box) {
    if (image.ImageWidth <= 0 || image.ImageHeight <= 0 || area.AreaWidth <= 0 ||
        area.AreaHeight <= 0) {
        return WheelResult::Ignored;
    }
    const double f = direction == ZoomDirection::In ? 1.0 / ZoomStepFactor : ZoomStepFactor;
    const double areaW = area.AreaWidth;
    const double areaH = area.AreaHeight;
    const double colStep = image.ColumnStep;
    const double rowStep = image.RowStep;
    const double imageW = image.ImageWidth;
    const double imageH = image.ImageHeight;

    // Scale, never beyond the image.
    double w = window.ViewWidth * f;
    double h = window.ViewHeight * f;
    if (imageW < w) {
        w = imageW;
    }
    if (imageH < h) {
        h = imageH;
    }

    // Fit the box. When the box would not fill the area, the window's other side is derived
    // anew from the area's shape, so a bordered image first grows until it fills the area.
    if (areaW * h * rowStep / (colStep * w) < areaH) {
        h = w * (colStep / rowStep) * (areaH / areaW);
        if (imageH < h) {
            h = imageH;
        }
        box.Height = Rounded(areaW * h * rowStep / (colStep * w));
        box.Width = Rounded(areaW);
    } else if (areaH * w * colStep / (rowStep * h) < areaW) {
        w = h * (rowStep / colStep) * (areaW / areaH);
        if (imageW < w) {
            w = imageW;
        }
        box.Width = Rounded(areaH * w * colStep / (rowStep * h));
        box.Height = Rounded(areaH);
    } else {
        // Already the area's shape: scale by the old shape, no caps, box size unchanged.
        const double a = areaW / areaH;
        const double b = colStep * window.ViewWidth / (rowStep * window.ViewHeight);
        if (a > b) {
            w = window.ViewWidth * f;
            h = window.ViewHeight * f * b / a;
        } else {
            h = window.ViewHeight * f;
            w = window.ViewWidth * f * a / b;
        }
    }

    // Zoom about the centre of the shown part, from the sizes before this step.
    double offsetX = window.ViewOffsetX + (window.ViewWidth - w) / 2;
    double offsetY = window.ViewOffsetY + (window.ViewHeight - h) / 2;
    ClampOffsets(offsetX, offsetY, w, h, image);
    window.ViewOffsetX = offsetX;
    window.ViewOffsetY = offsetY;
    window.ViewWidth = w;
    window.ViewHeight = h;

    // Repair a window that the shape-keeping case made larger than the image.
    const bool tooWide = Rounded(window.ViewWidth) > image.ImageWidth;
    const bool tooHigh = Rounded(window.ViewHeight) > image.ImageHeight;
    AxisRefs x{window.ViewOffsetX, window.ViewWidth, imageW, box.Width, area.AreaWidth, colStep};
    AxisRefs y{window.ViewOffsetY, window.ViewHeight, imageH, box.Height, area.AreaHeight, rowStep};
    if (tooWide && !tooHigh) {
        RepairOutgrownAxis(x, y);
    } else if (tooHigh && !tooWide) {
        RepairOutgrownAxis(y, x);
    } else if (tooWide && tooHigh) {
        return WheelResult::ResetZoom;
    }

    box.Top = Truncated((area.AreaHeight - box.Height) * 0.5 + area.AreaTop);
    box.Left = Halved(area.AreaWidth - box.Width);
    return WheelResult::Placed;
}

namespace {
void AddIfNotEmpty(std::vector<FillRect>& rects, const FillRect& rect) {
    if (!rect.IsEmpty()) {
        rects.push_back(rect);
    }
}
} // namespace

std::vector<FillRect> EraseRects(bool imageShown, const BoxRect& box, const ImageArea& area) {
    const int clientW = area.ClientWidth();
    const int clientH = area.ClientHeight();
    std::vector<FillRect> rects;
    if (!imageShown) {
        AddIfNotEmpty(rects, {0, 0, clientW, clientH});
        return rects;
    }
    if (box.Left > 0) {
        AddIfNotEmpty(rects, {0, 0, box.Left, clientH});
        AddIfNotEmpty(rects, {box.Left + box.Width, 0, clientW, clientH});
    }
    if (box.Top > area.AreaTop) {
        AddIfNotEmpty(rects, {0, 0, clientW, box.Top});
        AddIfNotEmpty(rects, {0, box.Top + box.Height, clientW, clientH});
    }
    return rects;
}

} // namespace orvane::view2d
