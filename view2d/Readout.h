#pragma once

// Pointer interaction over the 2D view: mapping box pixels to buffer levels, dragging the view
// window, reading the level under the pointer and the texts of the X, Y and Z readout labels.

#include <cstdint>
#include <optional>

#include <QString>

#include "view2d/Viewport.h"

namespace orvane::view2d {

// Buffer column and row (row 0 is the file's first row). May lie outside the buffer.
struct BufferPosition {
    int Column = 0;
    int Row = 0;
};

// Box pixel (x, y), (0, 0) at the box's top-left, to buffer level, truncating toward zero.
BufferPosition MapPointer(int x, int y, const ViewWindow& window, int boxWidth, int boxHeight,
                          int imageHeight);

// Buffer level to file pixel.
inline std::int64_t FileColumn(const BufferPosition& p, const ImageGeometry& image) {
    return p.Column * image.ColumnStep;
}
inline std::int64_t FileRow(const BufferPosition& p, const ImageGeometry& image) {
    return p.Row * image.RowStep;
}

// The frame's drag fields.
struct DragState {
    bool Panning = false;
    int DragStartX = 0;
    int DragStartY = 0;
    int DragStartOffsetX = 0; // ViewOffsetX at the press, truncated
    int DragStartOffsetY = 0;
};

// Left-button press on the shown image: remembers the pointer and the truncated offsets.
void BeginDrag(DragState& drag, int x, int y, const ViewWindow& window);

// Pointer move during a drag: the picture follows the pointer (offset X moves against the
// pointer, offset Y with it since it counts from the bottom), then the shared clamp.
void DragTo(const DragState& drag, int x, int y, int boxWidth, int boxHeight,
            const ImageGeometry& image, ViewWindow& window);

// The level at linear index Row * ImageWidth + Column when that index lies within the buffer,
// otherwise nothing: a press there leaves the histogram marker where it was. Like the index
// rule it follows, a column just outside a row reads the neighbouring row's end; nothing outside
// the buffer is ever read.
std::optional<std::uint8_t> LevelAt(const std::uint8_t* buffer, const ImageGeometry& image,
                                    const BufferPosition& p);

// Height in millimetres of a level (computed in double, held in single precision); a position
// outside the buffer (no level) reads 0.
float HeightMm(std::optional<std::uint8_t> level, double zMinMm, double zMaxMm);

// Readout number: rounded to 7 significant digits, then two decimals, "." whatever the locale;
// 8-digit integer parts and longer in exponent notation ("1.234568E+7").
QString ReadoutNumber(double value);

// File pixel to millimetres as text; "?" when the resolution is 0, negative or not finite,
// since no finite figure exists then.
QString MillimetreText(std::int64_t filePixel, float resolutionDpi);

// "1234 [123.40 mm]": the file column or row, then its distance in millimetres.
QString PositionLabelText(std::int64_t filePixel, float resolutionDpi);
inline QString XLabelText(std::int64_t fileColumn, float resolutionDpi) {
    return PositionLabelText(fileColumn, resolutionDpi);
}
inline QString YLabelText(std::int64_t fileRow, float resolutionDpi) {
    return PositionLabelText(fileRow, resolutionDpi);
}

// "2.00 mm (1.00÷3.00)": the height and the range of the image's heights.
// `unit`: the heights' unit ("mm" for files with a sample-value range; empty: values without
// one).
QString ZLabelText(float zMm, double zMinMm, double zMaxMm,
                   const QString& unit = QStringLiteral("mm"));
// "1234 [2468.00 m]": the file column or row, then its distance in the unit of a georeferenced
// pixel size of `unitsPerPixel` (see GeoLengthNumber).
QString GeoPositionLabelText(std::int64_t filePixel, double unitsPerPixel,
                             const image::GeoUnit& unit);

} // namespace orvane::view2d
