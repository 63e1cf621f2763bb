#include "view2d/ExactReadout.h"

#include "image/NumberText.h"
#include "view2d/Readout.h"

#include <algorithm>

#include <cmath>

namespace orvane::view2d {

namespace {

// Four decimals: millimetres to 0.1 micrometre.
QString Mm(double value) {
    return image::FormatFixed(value, 15, 4);
}

QString Thinning(const image::ImageGeometry& image) {
    return image.ColumnStep > 1 ? QStringLiteral("   thinned 1:%1").arg(image.ColumnStep)
                                : QString();
}

bool RangeKnown(const image::ImageModel& image) {
    return image.ZMin != image.ZMax && std::isfinite(image.ZMin) && std::isfinite(image.ZMax);
}

// "   z 2.4712 mm  (sample 40123 of 65535)": an unsigned 8- or 16-bit sample's height.
QString LegacySampleText(std::uint32_t sample, const image::ImageModel& image, bool minIsWhite) {
    const int bits = image.BitsPerSample;
    const std::uint32_t top = bits >= 1 && bits <= 16 ? (1u << bits) - 1 : 0;
    const std::optional<double> height =
        image::SampleHeightMm(sample, bits, minIsWhite, image.ZMin, image.ZMax);
    const QString of = QStringLiteral("sample %1 of %2").arg(sample).arg(top);
    return height ? QStringLiteral("   z %1 mm  (%2)").arg(Mm(*height), of)
                  : QStringLiteral("   %1 (height range unknown)").arg(of);
}

// The range of the values shown and how many pixels have none.
QString ValuesSummary(const image::ImageModel& image) {
    if (!image.DataMin || !image.DataMax)
        return QStringLiteral(", no pixel has a value");
    QString text = QStringLiteral(", values %1 to %2")
                       .arg(image::StoredValueText(*image.DataMin, image.Samples),
                            image::StoredValueText(*image.DataMax, image.Samples));
    text += image.HeightUnit.isEmpty() ? QStringLiteral(" (no unit)")
                                       : QStringLiteral(" ") + image.HeightUnit;
    if (image.NoDataPixels > 0)
        text += QStringLiteral(", %1 pixels without a value").arg(image.NoDataPixels);
    return text;
}

} // namespace

std::optional<image::FilePixel> ExactFilePixel(int x, int y, const ViewWindow& window, int boxWidth,
                                               int boxHeight, const image::ImageGeometry& image) {
    if (boxWidth <= 0 || boxHeight <= 0)
        return std::nullopt;
    const double column = (x * window.ViewWidth / boxWidth + window.ViewOffsetX) * image.ColumnStep;
    const double topRow = image.ImageHeight - window.ViewHeight - window.ViewOffsetY;
    const double row = (y * window.ViewHeight / boxHeight + topRow) * image.RowStep;
    if (!(column >= 0 && row >= 0 && column < image.FileWidth && row < image.FileHeight))
        return std::nullopt;
    return image::FilePixel{std::int64_t(std::floor(column)), std::int64_t(std::floor(row))};
}

QPointF BoxPointOfFilePixel(const image::FilePixel& pixel, const ViewWindow& window, int boxWidth,
                            int boxHeight, const image::ImageGeometry& image) {
    const double topRow = image.ImageHeight - window.ViewHeight - window.ViewOffsetY;
    const double level = double(pixel.Column) / image.ColumnStep + 0.5;
    const double line = double(pixel.Row) / image.RowStep + 0.5;
    return {(level - window.ViewOffsetX) * boxWidth / window.ViewWidth,
            (line - topRow) * boxHeight / window.ViewHeight};
}

image::FilePixel MeasuringLineEnd(int x, int y, const ViewWindow& window, int boxWidth,
                                  int boxHeight, const image::ImageGeometry& image) {
    const BufferPosition p = MapPointer(x, y, window, boxWidth, boxHeight, int(image.ImageHeight));
    const std::int64_t column = std::clamp<std::int64_t>(p.Column, 0, image.ImageWidth - 1);
    const std::int64_t row = std::clamp<std::int64_t>(p.Row, 0, image.ImageHeight - 1);
    return {column * image.ColumnStep, row * image.RowStep};
}

double ZoomPercent(const ViewWindow& window, double boxWidthDevicePx,
                   const image::ImageGeometry& image) {
    const double filePixels = window.ViewWidth * image.ColumnStep;
    return filePixels > 0 ? 100.0 * boxWidthDevicePx / filePixels : 0.0;
}

ExactSample ExactSample::Of(const image::StoredSample& stored) {
    switch (stored.state) {
    case image::StoredSample::State::Value:
        return {State::Value, stored.value};
    case image::StoredSample::State::NoData:
        return {State::NoData, stored.value};
    case image::StoredSample::State::Unreadable:
        break;
    }
    return {State::NoValue, 0};
}

std::optional<double> ExactHeightMm(double sample, const image::ImageModel& image,
                                    bool minIsWhite) {
    if (image.LevelsFromValues)
        return image.MmPerHeightUnit > 0 ? std::optional<double>(sample * image.MmPerHeightUnit)
                                         : std::nullopt;
    return image::SampleHeightMm(sample, image.BitsPerSample, minIsWhite, image.ZMin, image.ZMax);
}

QString PointerStatusText(const image::FilePixel& pixel, const ExactSample& sample,
                          const image::ImageModel& image, bool minIsWhite, double zoomPercent) {
    QString text = QStringLiteral("column %1, row %2").arg(pixel.Column).arg(pixel.Row);
    if (image.GeoPixel) {
        // A georeferenced raster: distances from its corner in the unit its pixel size has.
        const image::PixelSize& geo = *image.GeoPixel;
        if (geo.Unit.Kind != image::UnitKind::Unknown)
            text += QStringLiteral("   x %1%3   y %2%3")
                        .arg(image::GeoLengthNumber(pixel.Column * geo.X, geo.Unit, 4),
                             image::GeoLengthNumber(pixel.Row * geo.Y, geo.Unit, 4),
                             image::GeoUnitSuffix(geo.Unit));
    } else if (const std::optional<double> mm = image.MmPerPixelX()) {
        text +=
            QStringLiteral("   x %1 mm   y %2 mm").arg(Mm(pixel.Column * *mm), Mm(pixel.Row * *mm));
    }
    switch (sample.state) {
    case ExactSample::State::Pending:
        text += QStringLiteral("   z reading...");
        break;
    case ExactSample::State::NoValue:
        text += QStringLiteral("   z no value (the file's data here cannot be read)");
        break;
    case ExactSample::State::NoData:
        text += QStringLiteral("   z no data (the file marks this pixel as having none)");
        break;
    case ExactSample::State::Value:
        if (image.LevelsFromValues) {
            const QString value = image::StoredValueText(sample.sample, image.Samples);
            text += image.HeightUnit.isEmpty()
                        ? QStringLiteral("   value %1 (the file gives no unit)").arg(value)
                        : QStringLiteral("   z %1 %2").arg(value, image.HeightUnit);
            break;
        }
        text +=
            LegacySampleText(image::AsUnsignedSample(sample.sample).value_or(0), image, minIsWhite);
        break;
    }
    text += QStringLiteral("   zoom %1 %").arg(image::FormatFixed(zoomPercent, 15, 1));
    return text + Thinning(image);
}

QString FileSummaryText(const image::ImageModel& image) {
    QString text = image.LevelsFromValues ? QStringLiteral("%1 x %2 pixels, %3")
                                                .arg(image.FileWidth)
                                                .arg(image.FileHeight)
                                                .arg(image::SampleFormatText(image.Samples))
                                          : QStringLiteral("%1 x %2 pixels, %3 bit")
                                                .arg(image.FileWidth)
                                                .arg(image.FileHeight)
                                                .arg(image.BitsPerSample);
    if (image.GeoPixel) {
        // A georeferenced file's pixel size replaces its resolution, in the unit it is given in.
        const image::PixelSize& pixel = *image.GeoPixel;
        const QString unit = pixel.Unit.Kind == image::UnitKind::Unknown
                                 ? QStringLiteral("(unit unknown)")
                                 : pixel.Unit.Name;
        text +=
            QStringLiteral(", pixels %1 x %2 %3")
                .arg(QString::number(pixel.X, 'g', 12), QString::number(pixel.Y, 'g', 12), unit);
    } else
        text += image::ResolutionKnown(image.Resolution)
                    ? QStringLiteral(", %1 dpi (%2 mm per pixel)")
                          .arg(image::FormatFixed(image.Resolution, 15, 2),
                               Mm(image::MillimetresPerPixel(image.Resolution)))
                    : QStringLiteral(", resolution unknown");
    if (image.LevelsFromValues)
        return text + ValuesSummary(image) + Thinning(image);
    text += RangeKnown(image)
                ? QStringLiteral(", heights %1 to %2 mm").arg(Mm(image.ZMin), Mm(image.ZMax))
                : QStringLiteral(", height range unknown");
    return text + Thinning(image);
}

} // namespace orvane::view2d
