#pragma once
#include <QRgb>

namespace orvane::view2d {

// Where a pixel has no value: a colour none of the palettes holds (they are greys, or rise
// evenly in lightness from dark blue to yellow or through greens and browns), so that missing
// data never reads as a height.
inline constexpr QRgb kNoDataColour = 0xFFFF00FF; // magenta

} // namespace orvane::view2d
