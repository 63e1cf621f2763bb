#pragma once
#include <QString>
#include <cstdint>
#include <optional>

namespace orvane::image {

// Texts of the "Information" group's labels after a file has been examined.
// A resolution of 0 or less (no usable XResolution) makes the millimetre
// figures unknown: they show as "?" rather than as a division by zero.
QString ResolutionLabelText(float resolutionDpi, int bitsPerSample);
QString SizeLabelText(std::uint32_t fileWidth, std::uint32_t fileHeight, float resolutionDpi);
// The same for a georeferenced file, whose pixel size (in mm when its unit has a length)
// replaces the resolution.
QString SizeLabelText(std::uint32_t fileWidth, std::uint32_t fileHeight,
                      std::optional<double> mmPerPixelX, std::optional<double> mmPerPixelY);

} // namespace orvane::image
