#include "image/Acceptance.h"

#include <tiffio.h>

namespace orvane::image {

QStringList ValidationMessages(std::uint16_t bitsPerSample, std::uint16_t photometric,
                               std::uint16_t samplesPerPixel, std::uint16_t compression) {
    QStringList messages;
    if (bitsPerSample != 8 && bitsPerSample != 16)
        messages << QStringLiteral("Not a 8/16 bit file!");
    if (photometric != 0 && photometric != 1)
        messages << QStringLiteral("Incorrect Photometric Value!");
    if (samplesPerPixel != 1)
        messages << QStringLiteral("Not a grayscale file!");
    if (compression == COMPRESSION_OJPEG || compression == COMPRESSION_JPEG)
        messages << QStringLiteral("JPEG compression not supported!");
    return messages;
}

QStringList AcceptanceMessages(const TiffTags& tags) {
    QStringList messages = ValidationMessages(tags.BitsPerSample, tags.Photometric,
                                              tags.SamplesPerPixel, tags.Compression);
    if (tags.SampleFormat != SAMPLEFORMAT_UINT)
        messages << kNotUnsignedMessage;
    // 0 means the library gave no value; 6 and 7 already have their JPEG message.
    const bool jpeg = tags.Compression == COMPRESSION_OJPEG || tags.Compression == COMPRESSION_JPEG;
    if (tags.Compression != 0 && !jpeg && !TIFFIsCODECConfigured(tags.Compression))
        messages << kUnknownCompressionMessage;
    return messages;
}

} // namespace orvane::image
