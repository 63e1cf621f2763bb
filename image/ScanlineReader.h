#pragma once
#include "image/ImageModel.h"
#include "image/TiffSource.h"
#include "image/ValueMapping.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <vector>

namespace orvane::image {

// Rows [first, end).
struct RowRange {
    std::int64_t first = 0;
    std::int64_t end = 0;
    bool operator==(const RowRange& other) const {
        return first == other.first && end == other.end;
    }
};

struct ReadResult {
    bool opened = false;             // the file could be opened for reading
    std::int64_t unreadableRows = 0; // file rows whose pixels could not be read
    QStringList errors;              // what the TIFF library reported
    // The rows of the level buffer (kept rows) at level 0 because their file
    // rows were lost: ascending, disjoint, adjacent ranges joined. When every
    // row is lost, unreadableRows == SpanHeight says so even if memory ran
    // out before this list could be made.
    std::vector<RowRange> lostKeptRows;
    int threads = 0; // reading threads the read ran on
    // Why the read stopped before its end (memory ran out, say): empty when
    // it ran to the end. Rows it did not read count as unreadable.
    QString failure;
    // With ReadOptions::values: the valid values met in the kept pixels.
    ValueRange values;
};

// How the reader shares its work out; the defaults suit the viewer.
struct ReadOptions {
    // Reading threads, each with a library handle of its own. 0: one per
    // core, at most 8.
    int threads = 0;
    // Strips (or rows of tiles) a thread takes at a time. 0: about half a
    // megabyte of samples, and at least eight turns per thread.
    std::int64_t stripsPerHandOut = 0;
    // Samples that are heights in their own right (see ValueMapping): one pass of their
    // two. Null: unsigned 8- and 16-bit samples keep their high byte.
    const ValueMapping* values = nullptr;
    // Once true, no further strip is started: the read ends early, and its result (which rows
    // it counts as read) is not to be relied on.
    const std::atomic<bool>* cancel = nullptr;
};

using ProgressFunction = std::function<void(int percent)>;

// Reads file rows 0 .. SpanHeight-1 of `geometry` and keeps every RowStep-th row and
// ColumnStep-th column of them in `buffer` (SpanWidth/ColumnStep x
// SpanHeight/RowStep levels). 16-bit samples keep their high byte. A row that
// cannot be read is counted and its kept columns are zero; the read goes on to
// the end. The outcome is the same as one pass reading every row in order, a
// scanline (or a row of tiles) at a time, with one library handle: the same
// levels, lost rows and messages.
//
// Several threads read disjoint strips at once, each through its own handle,
// taking strips in ascending order. `progress` receives the percentages of
// the progress schedule in the one-pass order, each once every row before it
// is read, on whichever reading thread completes those rows; calls never
// overlap. Rows that are not kept are not read where the file allows it
// (uncompressed samples).
//
// A hostile header cannot make the read slow or large: a strip or tile whose
// bytes do not lie inside the source is not handed to the library, the rest of
// a strip is given up at its first row that fails to decode, working buffers
// larger than what the source's size can fill are refused, and the threads'
// working buffers together stay within that same limit (fewer threads, at
// least one, when each needs much).
//
// The read never throws: when memory runs out (or anything else fails) it
// stops, and the result says why; rows it did not read count as unreadable and
// their kept rows are level 0.
ReadResult ReadSamples(const TiffSource& source, const ImageGeometry& geometry,
                       std::uint8_t* buffer, const ProgressFunction& progress,
                       const ReadOptions& options = {});

// Reads samples that are heights in their own right (see ValueMapping) in two passes over the
// same kept pixels: the first finds the range of their valid values, the second writes their
// levels over that range into `buffer`, and sets a bit of `mask` (zeroed, rows of
// MaskStride(kept width) bytes) for each kept pixel without a value. The levels need the range
// before they can be written, and keeping the values meanwhile would take four to eight times
// the level buffer. Progress: the first pass's percentages halved, then 50 and on for the
// second, each once. The result is the second pass's, with the first pass's `values`.
ReadResult ReadValues(const TiffSource& source, const ImageGeometry& geometry, std::uint8_t* buffer,
                      std::uint8_t* mask, const SampleFormat& format, const NoDataMatch& noData,
                      const ProgressFunction& progress, const ReadOptions& options = {});

// A read waiting for its progress receiver.
using ReadJob = std::function<ReadResult(const ProgressFunction& progress)>;

// The largest working buffer (one scanline, one tile, one row of tiles) the
// reader allocates for a source of `sourceBytes`: 16 MiB always, beyond that
// as much as the source could decompress to, up to the library's own cap.
std::int64_t WorkingBufferLimit(std::uint64_t sourceBytes);

// Replaces every level L of the read's kept rows by 255 - L (a min-is-white
// file), except in the rows it lost, which stay level 0.
void InvertLevels(std::uint8_t* levels, const ImageGeometry& geometry, const ReadResult& read);

// What ReadResult::failure says for a read that stopped on `failure`.
QString ReadFailureText(const std::exception_ptr& failure) noexcept;

} // namespace orvane::image
