#pragma once
#include "image/TiffFile.h"
#include "image/ValueMapping.h"

#include <QStringList>
#include <cstdint>

namespace orvane::image {

// The messages of the four basic rules a file fails, in rule order: bit depth
// (8, 16 or 32 bits for integer samples, 32 or 64 for floating-point ones),
// photometric value, one sample per pixel, no JPEG. Empty means they all hold.
QStringList ValidationMessages(std::uint16_t bitsPerSample, std::uint16_t photometric,
                               std::uint16_t samplesPerPixel, std::uint16_t compression,
                               std::uint16_t sampleFormat = 1);

// The messages of every acceptance rule a file fails, in order: the four basic
// rules, then two that keep data the viewer cannot decode from being shown as
// if it were heights:
//  - samples must be integers (unsigned or signed) or floating point: others
//    (untyped, complex) are no heights;
//  - the compression scheme must be one the TIFF library can decode; otherwise
//    every row would fail and the image would be all level 0.
QStringList AcceptanceMessages(const TiffTags& tags);

// The format of an accepted file's samples.
SampleFormat SampleFormatOf(const TiffTags& tags);

inline const QString kNotHeightsMessage = QStringLiteral("Not an integer or floating-point file!");
inline const QString kUnknownCompressionMessage = QStringLiteral("Compression not supported!");

} // namespace orvane::image
