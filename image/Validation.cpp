#include "image/Validation.h"

QStringList ValidationMessages(std::uint16_t bitsPerSample, std::uint16_t photometric,
                               std::uint16_t samplesPerPixel, std::uint16_t compression) {
    QStringList messages;
    if (bitsPerSample != 8 && bitsPerSample != 16)
        messages << QStringLiteral("Not a 8/16 bit file!");
    if (photometric != 0 && photometric != 1)
        messages << QStringLiteral("Incorrect Photometric Value!");
    if (samplesPerPixel != 1)
        messages << QStringLiteral("Not a grayscale file!");
    if (compression == 6 || compression == 7) // old-style and new-style JPEG
        messages << QStringLiteral("JPEG compression not supported!");
    return messages;
}
