#pragma once
// A read of every pixel's height at the file's full resolution, for measuring: the open's parallel
// reader, handing each row's heights to a receiver per thread instead of writing levels.
#include "image/ImageModel.h"
#include "image/ScanlineReader.h"
#include "image/TiffSource.h"
#include "image/ValueMapping.h"

#include <atomic>
#include <cstdint>

namespace orvane::image {

// How the open image's samples become the heights that are measured: millimetres where the file
// gives them (the sample-value range of 8- and 16-bit files, a named unit of value files), else
// the stored values themselves. Pixels without a value are NaN.
struct HeightBasis {
    HeightConversion Conversion;
    bool Millimetres = false;
};
HeightBasis HeightBasisOf(const ImageModel& model);

// Reads file rows [0, endRow) of `source` (the file `model` was opened from) at full resolution,
// every row's heights going to a receiver made by `rows` on each reading thread. Rows that
// cannot be read count in the result's unreadableRows; of a row of tiles lost part way, the
// tiles before the failing one have reached the receiver, so receivers count the pixels they
// see rather than trust the rows read. A read whose
// `cancel` became true stops early; its receivers have seen only part of the file.
ReadResult ReadHeights(const TiffSource& source, const ImageModel& model, std::int64_t endRow,
                       const HeightRowsMaker& rows, const ProgressFunction& progress,
                       const std::atomic<bool>* cancel = nullptr);

// The same over the kept pixels of `kept` (rows 0 .. SpanHeight - 1, every RowStep-th row and
// ColumnStep-th column): a receiver's heights[i] is at column firstColumn + i x ColumnStep.
ReadResult ReadHeights(const TiffSource& source, const ImageModel& model, const ImageGeometry& kept,
                       const HeightRowsMaker& rows, const ProgressFunction& progress,
                       const std::atomic<bool>* cancel = nullptr);

} // namespace orvane::image
