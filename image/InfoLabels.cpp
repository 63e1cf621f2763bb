#include "image/InfoLabels.h"

#include "image/ImageModel.h"
#include "image/NumberText.h"

namespace orvane::image {

QString ResolutionLabelText(float resolutionDpi, int bitsPerSample) {
    return FormatFixed(resolutionDpi, 6, 2) + QStringLiteral(" dpi  -  ") +
           QString::number(bitsPerSample) + QStringLiteral(" bit");
}

QString SizeLabelText(std::uint32_t fileWidth, std::uint32_t fileHeight, float resolutionDpi) {
    auto mm = [resolutionDpi](std::uint32_t pixels) {
        if (!ResolutionKnown(resolutionDpi))
            return QStringLiteral("?");
        return FormatFixed(pixels * 25.4 / resolutionDpi, 7, 1);
    };
    return QString::number(fileWidth) + QStringLiteral("x") + QString::number(fileHeight) +
           QStringLiteral(" pixels [") + mm(fileWidth) + QStringLiteral("x") + mm(fileHeight) +
           QStringLiteral(" mm]");
}

QString SizeLabelText(std::uint32_t fileWidth, std::uint32_t fileHeight, const PixelSize& pixel) {
    return QString::number(fileWidth) + QStringLiteral("x") + QString::number(fileHeight) +
           QStringLiteral(" pixels [") + GeoLengthNumber(fileWidth * pixel.X, pixel.Unit, 1) +
           QStringLiteral("x") + GeoLengthNumber(fileHeight * pixel.Y, pixel.Unit, 1) +
           GeoUnitSuffix(pixel.Unit) + QStringLiteral("]");
}

} // namespace orvane::image
