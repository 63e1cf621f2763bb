#include "panels/InfoText.h"

namespace orvane::panels {

QStringList InfoPanelLines(const QString& scannerSoftware, const QString& scannerModel,
                           const QString& acquisitionDate, const QString& acquisitionSetup,
                           const QString& acquisitionInfo) {
    if (!scannerSoftware.startsWith(QLatin1Char('S')))
        return {QStringLiteral("No Information in this file."), QString()};
    return {QStringLiteral("3D Scanner Software Version:"),
            scannerSoftware,
            QString(),
            QStringLiteral("3D Scanner Model"),
            scannerModel,
            QString(),
            QStringLiteral("Image Acquisition Date"),
            acquisitionDate,
            QString(),
            QStringLiteral("Image Acquisition Setup"),
            acquisitionSetup,
            QString(),
            QStringLiteral("Image Acquisition Info"),
            acquisitionInfo};
}

int InfoMemoHeight(int displayLines, int characterHeightPx) {
    return static_cast<int>(displayLines * (3.5 + characterHeightPx));
}

} // namespace orvane::panels
