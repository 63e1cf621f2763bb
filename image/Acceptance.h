#pragma once
#include "image/TiffFile.h"

#include <QStringList>
#include <cstdint>

namespace orvane::image {

// The messages of the four basic rules a file fails, in rule order: bit depth,
// photometric value, one sample per pixel, no JPEG. Empty means they all hold.
QStringList ValidationMessages(std::uint16_t bitsPerSample, std::uint16_t photometric,
                               std::uint16_t samplesPerPixel, std::uint16_t compression);

// The messages of every acceptance rule a file fails, in order: the four basic
// rules, then two that keep data the viewer cannot decode from being shown as
// if it were heights:
//  - samples must be unsigned integers: signed (SampleFormat 2) and floating
//    point (3) samples would come out of the high-byte rule as garbage, so they
//    are refused rather than guessed at;
//  - the compression scheme must be one the TIFF library can decode; otherwise
//    every row would fail and the image would be all level 0.
QStringList AcceptanceMessages(const TiffTags& tags);

inline const QString kNotUnsignedMessage = QStringLiteral("Not an unsigned integer file!");
inline const QString kUnknownCompressionMessage = QStringLiteral("Compression not supported!");

} // namespace orvane::image
