#include "image/Acceptance.h"

#include <tiffio.h>

namespace orvane::image {

QStringList ValidationMessages(std::uint16_t bitsPerSample, std::uint16_t photometric,
                               std::uint16_t samplesPerPixel, std::uint16_t compression,
                               std::uint16_t sampleFormat) {
    QStringList messages;
    if (sampleFormat == SAMPLEFORMAT_IEEEFP) {
        if (bitsPerSample != 32 && bitsPerSample != 64)
            messages << QStringLiteral("Not a 32/64 bit floating-point file!");
    } else if (bitsPerSample != 8 && bitsPerSample != 16 && bitsPerSample != 32) {
        messages << QStringLiteral("Not a 8/16 bit file!");
    }
    if (photometric != 0 && photometric != 1)
        messages << QStringLiteral("Incorrect Photometric Value!");
    if (samplesPerPixel != 1)
        messages << QStringLiteral("Not a grayscale file!");
    if (compression == COMPRESSION_OJPEG || compression == COMPRESSION_JPEG)
        messages << QStringLiteral("JPEG compression not supported!");
    return messages;
}

QStringList AcceptanceMessages(const TiffTags& tags) {
    QStringList messages =
        ValidationMessages(tags.BitsPerSample, tags.Photometric, tags.SamplesPerPixel,
                           tags.Compression, tags.SampleFormat);
    if (tags.SampleFormat != SAMPLEFORMAT_UINT && tags.SampleFormat != SAMPLEFORMAT_INT &&
        tags.SampleFormat != SAMPLEFORMAT_IEEEFP)
        messages << kNotHeightsMessage;
    // 0 means the library gave no value; 6 and 7 already have their JPEG message.
    const bool jpeg = tags.Compression == COMPRESSION_OJPEG || tags.Compression == COMPRESSION_JPEG;
    if (tags.Compression != 0 && !jpeg && !TIFFIsCODECConfigured(tags.Compression))
        messages << kUnknownCompressionMessage;
    return messages;
}

SampleFormat SampleFormatOf(const TiffTags& tags) {
    SampleFormat format;
    format.bits = tags.BitsPerSample;
    format.kind = tags.SampleFormat == SAMPLEFORMAT_INT      ? SampleKind::Signed
                  : tags.SampleFormat == SAMPLEFORMAT_IEEEFP ? SampleKind::Float
                                                             : SampleKind::Unsigned;
    return format;
}

} // namespace orvane::image
