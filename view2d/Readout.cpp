#include "view2d/Readout.h"

#include <cmath>

#include "image/ImageModel.h"
#include "image/NumberText.h"

namespace orvane::view2d {

BufferPosition MapPointer(int x, int y, const ViewWindow& window, int boxWidth, int boxHeight,
                          int imageHeight) {
    BufferPosition p;
    p.Column = Truncated(x * window.ViewWidth / boxWidth + window.ViewOffsetX);
    p.Row = Truncated(y * window.ViewHeight / boxHeight +
                      (imageHeight - window.ViewHeight - window.ViewOffsetY));
    return p;
}

void BeginDrag(DragState& drag, int x, int y, const ViewWindow& window) {
    drag.Panning = true;
    drag.DragStartX = x;
    drag.DragStartY = y;
    drag.DragStartOffsetX = Truncated(window.ViewOffsetX);
    drag.DragStartOffsetY = Truncated(window.ViewOffsetY);
}

void DragTo(const DragState& drag, int x, int y, int boxWidth, int boxHeight,
            const ImageGeometry& image, ViewWindow& window) {
    window.ViewOffsetX = static_cast<double>(drag.DragStartX - x) * window.ViewWidth / boxWidth +
                         drag.DragStartOffsetX;
    window.ViewOffsetY = static_cast<double>(y - drag.DragStartY) * window.ViewHeight / boxHeight +
                         drag.DragStartOffsetY;
    ClampViewOffsets(window, image);
}

std::optional<std::uint8_t> LevelAt(const std::uint8_t* buffer, const ImageGeometry& image,
                                    const BufferPosition& p) {
    if (buffer == nullptr || image.ImageWidth <= 0 || image.ImageHeight <= 0) {
        return std::nullopt;
    }
    // 64-bit: rows times width can pass the int range for the largest buffers.
    const long long index = static_cast<long long>(p.Row) * image.ImageWidth + p.Column;
    const long long size = static_cast<long long>(image.ImageWidth) * image.ImageHeight;
    if (index < 0 || index >= size) {
        return std::nullopt;
    }
    return buffer[index];
}

float HeightMm(std::optional<std::uint8_t> level, double zMinMm, double zMaxMm) {
    if (!level) {
        return 0.0f;
    }
    return static_cast<float>(zMinMm + (zMaxMm - zMinMm) * *level / 255.0);
}

QString ReadoutNumber(double value) {
    return image::FormatFixed(value, 7, 2);
}

QString MillimetreText(std::int64_t filePixel, float resolutionDpi) {
    if (!image::ResolutionKnown(resolutionDpi)) {
        return QStringLiteral("?");
    }
    return ReadoutNumber(filePixel * 25.4 / resolutionDpi);
}

QString PositionLabelText(std::int64_t filePixel, float resolutionDpi) {
    return QString::number(filePixel) + QStringLiteral(" [") +
           MillimetreText(filePixel, resolutionDpi) + QStringLiteral(" mm]");
}

QString ZLabelText(float zMm, double zMinMm, double zMaxMm, const QString& unit) {
    const QChar divisionSign(0x00F7);
    const QString afterValue =
        unit.isEmpty() ? QStringLiteral(" (") : QLatin1Char(' ') + unit + QStringLiteral(" (");
    return ReadoutNumber(zMm) + afterValue + ReadoutNumber(zMinMm) + divisionSign +
           ReadoutNumber(zMaxMm) + QStringLiteral(")");
}

QString GeoPositionLabelText(std::int64_t filePixel, double unitsPerPixel,
                             const image::GeoUnit& unit) {
    return QString::number(filePixel) + QStringLiteral(" [") +
           image::GeoLengthNumber(filePixel * unitsPerPixel, unit, 2) + image::GeoUnitSuffix(unit) +
           QStringLiteral("]");
}

} // namespace orvane::view2d
