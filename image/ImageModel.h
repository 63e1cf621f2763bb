#pragma once
#include "image/GeoTiff.h"
#include "image/Memory.h"
#include "image/ValueMapping.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>

namespace orvane::image {

// How the sample buffer covers the file. Rows and columns are thinned
// together, so the kept pixels stay square: buffer level (c, r) stands for file
// pixel (c x ColumnStep, r x RowStep).
struct ImageGeometry {
    std::int64_t ImageWidth = 0; // kept columns: the buffer's width in levels
    std::int64_t ImageHeight = 0;
    std::int64_t ColumnStep = 1;
    std::int64_t RowStep = 1;
    std::int64_t SpanWidth = 0; // file columns covered by the kept ones
    std::int64_t SpanHeight = 0;
    std::int64_t FileWidth = 0; // the file's own size in pixels
    std::int64_t FileHeight = 0;

    std::int64_t LevelCount() const { return ImageWidth * ImageHeight; }
};

// Thinning keeps every step-th row (and column) from 0 on. The kept ones
// before `index`: also the kept index of the first kept one at or after it.
inline std::int64_t KeptBefore(std::int64_t index, std::int64_t step) {
    return (index + step - 1) / step;
}
inline std::int64_t FirstKeptRowAtOrAfter(std::int64_t row, std::int64_t rowStep) {
    return KeptBefore(row, rowStep) * rowStep;
}

// The geometry of keeping every step-th row and column of spanWidth x
// spanHeight file pixels (the file as large as the span).
inline ImageGeometry ThinnedGeometry(std::int64_t spanWidth, std::int64_t spanHeight,
                                     std::int64_t step = 1) {
    ImageGeometry g;
    g.ColumnStep = g.RowStep = step;
    g.ImageWidth = spanWidth / step;
    g.ImageHeight = spanHeight / step;
    g.SpanWidth = g.FileWidth = spanWidth;
    g.SpanHeight = g.FileHeight = spanHeight;
    return g;
}

// A resolution that gives a pixel size: positive and finite. Files without an
// XResolution tag have 0, and their millimetre figures are unknown.
inline bool ResolutionKnown(float resolutionDpi) {
    return resolutionDpi > 0.0f && std::isfinite(resolutionDpi);
}

// Millimetres per file pixel, or 0 when the resolution is unknown.
inline double MillimetresPerPixel(float resolutionDpi) {
    return ResolutionKnown(resolutionDpi) ? 25.4 / resolutionDpi : 0.0;
}

// The one open image: its geometry, physical scale, scanner texts and levels.
// Every subsystem reads it; only the open routine writes it.
struct ImageModel : ImageGeometry {
    float Resolution = 0.0f; // dots per inch; 0 = unknown
    // Unsigned 8- and 16-bit files without a no-data value: millimetres of
    // level 0 and 255 from the file's sample-value tags. Files whose levels
    // come from their values: DataMin and DataMax, in the stored unit.
    double ZMin = 0.0;
    double ZMax = 1.0;
    std::int16_t BitsPerSample = 0;
    std::uint16_t Photometric = 0; // 0 = minimum is white
    SampleFormat Samples;
    // The levels come from the values (ValueMapping): signed, 32-bit and
    // floating-point samples, and any file declaring a no-data value.
    bool LevelsFromValues = false;
    NoDataMatch NoData;
    QString NoDataText;            // the declared no-data value as the file gives it
    std::optional<double> DataMin; // the valid kept values' range (LevelsFromValues)
    std::optional<double> DataMax;
    std::int64_t NoDataPixels = 0; // kept pixels without a value
    // The unit the file gives its values in ("m", "ft"), and millimetres per unit; empty and
    // 0 when it gives none (LevelsFromValues).
    QString HeightUnit;
    double MmPerHeightUnit = 0;
    // A GeoTIFF's pixel size (in its unit), which then replaces the resolution for lengths.
    std::optional<PixelSize> GeoPixel;
    // Millimetres per pixel along a row and down a column: from a GeoTIFF scale in a length
    // unit, else from the resolution (the same both ways); nothing when unknown or in degrees.
    std::optional<double> MmPerPixelX() const;
    std::optional<double> MmPerPixelY() const;
    QString ScannerSoftware, ScannerModel, AcquisitionDate, AcquisitionSetup, AcquisitionInfo;
    // While a levelling is shown the levels are those of the heights less its form, level 0 to
    // 255 spanning Low to High in ZMin's unit, in place of the file's range; nothing otherwise.
    struct HeightSpan {
        double Low = 0, High = 0;
    };
    std::optional<HeightSpan> LevelledSpan;
    // The heights level 0 and level 255 stand for as shown.
    double ShownLow() const { return LevelledSpan ? LevelledSpan->Low : ZMin; }
    double ShownHigh() const { return LevelledSpan ? LevelledSpan->High : ZMax; }
    // A colour range other than the full one: the 2D picture's own levels (the heights' range
    // spread over all 256), and where the range's ends lie on the scale of the levels above
    // (0 at level 0, 1 at level 255), for the relief's colours and the histogram. The levels
    // above stay the heights' (the relief's shape, the readout, the histogram).
    LevelBuffer ColourLevels;
    struct LevelFractions {
        double Low = 0, High = 1;
    };
    std::optional<LevelFractions> ColourFractions;
    // The levels the 2D picture paints.
    const std::uint8_t* PictureLevels() const {
        return ColourLevels ? ColourLevels.get() : SampleBuffer.get();
    }
    // ImageWidth x ImageHeight levels, row-major, first file row first; null
    // while no image is open.
    LevelBuffer SampleBuffer;
    // One bit per kept pixel that has no value, rows of MaskStride(ImageWidth)
    // bytes; null when every kept pixel has one.
    std::unique_ptr<std::uint8_t[]> NoDataMask;

    const std::uint8_t* Levels() const { return SampleBuffer.get(); }
    bool HasImage() const { return SampleBuffer != nullptr; }
    // Whether kept pixel (column, row) has no value.
    bool NoDataAt(std::int64_t column, std::int64_t row) const {
        return NoDataMask && MaskBit(NoDataMask.get(), MaskStride(ImageWidth), column, row);
    }
};

inline std::optional<double> ImageModel::MmPerPixelX() const {
    if (GeoPixel) {
        const double mm = MmPerUnit(GeoPixel->Unit);
        return mm > 0 ? std::optional<double>(GeoPixel->X * mm) : std::nullopt;
    }
    return ResolutionKnown(Resolution) ? std::optional<double>(MillimetresPerPixel(Resolution))
                                       : std::nullopt;
}

inline std::optional<double> ImageModel::MmPerPixelY() const {
    if (GeoPixel) {
        const double mm = MmPerUnit(GeoPixel->Unit);
        return mm > 0 ? std::optional<double>(GeoPixel->Y * mm) : std::nullopt;
    }
    return MmPerPixelX();
}

} // namespace orvane::image
