#pragma once

// The status bar's readout of the exact sample under the pointer, at full file resolution, and
// the summary of the open file. Texts only; the frame looks the samples up.

#include "image/ImageModel.h"
#include "image/SampleReader.h"
#include "view2d/Viewport.h"

#include <QPointF>
#include <QString>
#include <cstdint>
#include <optional>

namespace orvane::view2d {

// The file pixel under box pixel (x, y) at full resolution: between the kept columns and
// rows of a thinned file too (column = floor((x ViewWidth / boxWidth + ViewOffsetX) x
// ColumnStep), rows likewise from the top). Nothing outside the file.
std::optional<image::FilePixel> ExactFilePixel(int x, int y, const ViewWindow& window, int boxWidth,
                                               int boxHeight, const image::ImageGeometry& image);

// The centre of the level standing for file pixel `pixel`, in box pixels: where the measuring
// line's ends are drawn. The inverse of MeasuringLineEnd for the file pixels the levels stand
// for, and of ExactFilePixel where nothing was thinned.
QPointF BoxPointOfFilePixel(const image::FilePixel& pixel, const ViewWindow& window, int boxWidth,
                            int boxHeight, const image::ImageGeometry& image);

// The end of a measuring line under box pixel (x, y): the file pixel of the level the X and Y
// labels show there (MapPointer), kept inside the image.
image::FilePixel MeasuringLineEnd(int x, int y, const ViewWindow& window, int boxWidth,
                                  int boxHeight, const image::ImageGeometry& image);

// Screen pixels per file pixel, in percent: 100 shows each file pixel on one screen pixel.
double ZoomPercent(const ViewWindow& window, double boxWidthDevicePx,
                   const image::ImageGeometry& image);

// What is known of the sample under the pointer.
struct ExactSample {
    enum class State {
        Pending,
        Value,
        NoValue, // the file's data cannot be read
        NoData,  // the file marks the pixel as having no value
    };
    State state = State::Pending;
    double sample = 0; // the stored value, for Value (and NoData, as stored)

    static ExactSample Of(const image::StoredSample& stored);
};

// The height in millimetres of a stored sample of the image: from the sample-value range over
// the bit depth (unsigned 8- and 16-bit files), from the value in its unit (other files);
// nothing when the file gives no range or unit.
std::optional<double> ExactHeightMm(double sample, const image::ImageModel& image, bool minIsWhite);

// "column 1234, row 567   x 12.3400 mm   y 5.6700 mm   z 2.4712 mm  (sample 40123 of 65535)
// zoom 45.2 %   thinned 1:2": positions to 0.1 micrometre, the exact height to four
// decimals with the raw sample; when the file gives no height range, the sample alone and
// that the range is unknown; when the resolution is unknown, no millimetres.
QString PointerStatusText(const image::FilePixel& pixel, const ExactSample& sample,
                          const image::ImageModel& image, bool minIsWhite, double zoomPercent);

// What the status bar keeps while the pointer is elsewhere: size, bits, resolution, height
// range and, for a thinned file, the step.
QString FileSummaryText(const image::ImageModel& image);

} // namespace orvane::view2d
