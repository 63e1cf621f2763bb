#pragma once
#include <QIcon>
#include <QImage>
#include <QPainterPath>
#include <initializer_list>

namespace orvane::app {

// The sizes a desktop's icon theme asks for, in pixels.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Orvane's icon drawn at `sizePx`: a lit relief under a sky, in a rounded square.
// Drawn rather than scaled, so every size stays sharp.
QImage DrawAppIcon(int sizePx);

// A peak of the relief the icon and the About box's logo draw: a Gaussian bump.
struct ReliefPeak {
    double x, width, height;
};
// The relief's outline: the ground at `groundY` from `left` to `right` (a point every `step`)
// raised by the peaks, closed down to `bottom`.
QPainterPath ReliefPath(double left, double right, double step, double groundY, double bottom,
                        std::initializer_list<ReliefPeak> peaks);

// The icon with every size of kIconSizes, for the application's windows.
QIcon AppIcon();

} // namespace orvane::app
