#include "image/Acceptance.h"

#include "image/Validation.h"

#include <tiffio.h>

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
