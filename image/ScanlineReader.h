#pragma once
#include "image/ImageModel.h"
#include "image/TiffSource.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace orvane::image {

struct ReadResult {
    bool opened = false;             // the file could be opened for reading
    std::int64_t unreadableRows = 0; // file rows whose pixels could not be read
    QStringList errors;              // what the TIFF library reported
};

// Reads every file row 0 .. SpanHeight-1 of `geometry` in order and keeps every RowStep-th
// row and ColumnStep-th column of it in `buffer` (SpanWidth/ColumnStep x
// SpanHeight/RowStep levels, written strictly sequentially). 16-bit samples
// keep their high byte. Strip files are read a scanline at a time; tiled files
// a row of tiles at a time. A row that cannot be read is counted and its kept
// columns are zero; the read goes on to the end. `progress` receives the
// percentages of the progress schedule, in order, on the calling thread.
//
// A hostile header cannot make the read slow or large: a strip or tile whose
// bytes do not lie inside the source is not handed to the library, the rest of
// a strip is given up at its first row that fails to decode, and working
// buffers larger than what the source's size can fill are refused.
using ProgressFunction = std::function<void(int percent)>;
ReadResult ReadSamples(const TiffSource& source, const ImageGeometry& geometry,
                       std::uint8_t* buffer, const ProgressFunction& progress);

// A read waiting for its progress receiver.
using ReadJob = std::function<ReadResult(const ProgressFunction& progress)>;

// The largest working buffer (one scanline, one tile, one row of tiles) the
// reader allocates for a source of `sourceBytes`: 16 MiB always, beyond that
// as much as the source could decompress to, up to the library's own cap.
std::int64_t WorkingBufferLimit(std::uint64_t sourceBytes);

} // namespace orvane::image
