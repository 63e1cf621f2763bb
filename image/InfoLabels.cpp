#include "image/InfoLabels.h"

#include "image/NumberText.h"

#include <cmath>

double MillimetresPerPixel(float resolutionDpi) {
    if (!(resolutionDpi > 0.0f) || !std::isfinite(resolutionDpi))
        return 0.0;
    return 25.4 / resolutionDpi;
}

QString ResolutionLabelText(float resolutionDpi, int bitsPerSample) {
    return FormatFixed(resolutionDpi, 6, 2) + QStringLiteral(" dpi  -  ") +
           QString::number(bitsPerSample) + QStringLiteral(" bit");
}

QString SizeLabelText(std::uint32_t fileWidth, std::uint32_t fileHeight, float resolutionDpi) {
    const double mmPerPixel = MillimetresPerPixel(resolutionDpi);
    auto mm = [mmPerPixel, resolutionDpi](std::uint32_t pixels) {
        if (mmPerPixel == 0.0)
            return QStringLiteral("?");
        return FormatFixed(pixels * 25.4 / resolutionDpi, 7, 1);
    };
    return QString::number(fileWidth) + QStringLiteral("x") + QString::number(fileHeight) +
           QStringLiteral(" pixels [") + mm(fileWidth) + QStringLiteral("x") + mm(fileHeight) +
           QStringLiteral(" mm]");
}
