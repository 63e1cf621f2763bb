#pragma once
#include "image/GeoTiff.h"

#include <QString>
#include <cstdint>

namespace orvane::image {

// Texts of the "Information" group's labels after a file has been examined.
// A resolution of 0 or less (no usable XResolution) makes the millimetre
// figures unknown: they show as "?" rather than as a division by zero.
QString ResolutionLabelText(float resolutionDpi, int bitsPerSample);
QString SizeLabelText(std::uint32_t fileWidth, std::uint32_t fileHeight, float resolutionDpi);
// The same for a georeferenced file, whose pixel size replaces the resolution, in the unit the
// file gives it ("1200x900 pixels [2400.0x1800.0 m]").
QString SizeLabelText(std::uint32_t fileWidth, std::uint32_t fileHeight, const PixelSize& pixel);

} // namespace orvane::image
