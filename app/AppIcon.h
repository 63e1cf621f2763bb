#pragma once
#include <QIcon>
#include <QImage>

namespace orvane::app {

// The sizes a desktop's icon theme asks for, in pixels.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Orvane's icon drawn at `sizePx`: a lit relief under a sky, in a rounded square.
// Drawn rather than scaled, so every size stays sharp.
QImage DrawAppIcon(int sizePx);

// The icon with every size of kIconSizes, for the application's windows.
QIcon AppIcon();

} // namespace orvane::app
