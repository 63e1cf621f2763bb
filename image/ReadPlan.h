#pragma once
#include "image/ScanlineReader.h"
#include "image/SourceBytes.h"
#include "image/ValueMapping.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace orvane::image {

// What the first handle says about the file's pixel layout, gathered once
// before reading; every reading thread works from this copy.
struct ReadLayout {
    bool usable = false; // working buffers within bounds: anything else loses every row
    bool tiled = false;
    int bytesPerSample = 1;
    std::int64_t rowsPerBlock = 1; // rows per strip, or the tile height
    std::int64_t blocks = 0;       // strips, or rows of tiles, covering the span
    std::int64_t scanlineBytes = 0;
    std::int64_t tileWidth = 0, tilesAcross = 0, tileBytes = 0;
    // The library's size of a whole strip, which it compares a strip's byte
    // count against; 0 when it cannot be computed without complaint.
    std::int64_t fullStripBytes = 0;
    // Uncompressed samples in file order with no bit reversal: they can be
    // taken from the file's bytes as they are.
    bool inPlace = false;
    bool msbFillOrder = true;
    // Streams (LZW, Deflate) decode a strip at once to the same bytes as row
    // by row; other codecs are read a scanline at a time.
    bool wholeStrips = false;
    // Codecs whose handles hold no state that changes what they report, so
    // several handles may share the strips.
    bool parallel = false;
    // Horizontally differenced strips: decoded without the library's
    // accumulation, which the reader does while keeping levels.
    bool accumulate = false;
    bool lzw = false;
    bool deflate = false;
    std::int64_t imageRows = 0;
    int fileHighByte = 1;   // 16-bit samples read in place
    int nativeHighByte = 1; // 16-bit samples decoded by the library
    std::uint64_t sourceBytes = 0;
};

struct ReadPlan {
    TiffSource source;
    ImageGeometry geometry;
    ReadLayout layout;
    const SourceBytes* bytes = nullptr;
    std::uint8_t* levels = nullptr;
    // Samples mapped to levels by their values (null: the high-byte rule).
    const ValueMapping* values = nullptr;
    std::int64_t keptWidth = 0;
    std::int64_t keptHeight = 0;

    std::int64_t FirstRow(std::int64_t block) const { return block * layout.rowsPerBlock; }
    std::int64_t EndRow(std::int64_t block) const {
        const std::int64_t first = FirstRow(block);
        return geometry.SpanHeight - first < layout.rowsPerBlock ? geometry.SpanHeight
                                                                 : first + layout.rowsPerBlock;
    }
    // The kept rows (rows of the level buffer) among file rows [firstRow, endRow).
    RowRange KeptRows(std::int64_t firstRow, std::int64_t endRow) const {
        return Kept(firstRow, endRow, geometry.RowStep, keptHeight);
    }
    // The kept columns among file columns [firstColumn, endColumn).
    RowRange KeptColumns(std::int64_t firstColumn, std::int64_t endColumn) const {
        return Kept(firstColumn, endColumn, geometry.ColumnStep, keptWidth);
    }
    bool Keeps(std::int64_t row) const {
        return row % geometry.RowStep == 0 && row / geometry.RowStep < keptHeight;
    }
    // Lost rows [firstRow, endRow): their kept rows hold level 0.
    RowRange ClearKeptRows(std::int64_t firstRow, std::int64_t endRow) const {
        const RowRange kept = KeptRows(firstRow, endRow);
        if (kept.end > kept.first && levels)
            std::memset(levels + kept.first * keptWidth, 0,
                        static_cast<std::size_t>((kept.end - kept.first) * keptWidth));
        return kept;
    }

private:
    static RowRange Kept(std::int64_t first, std::int64_t end, std::int64_t step,
                         std::int64_t keptCount) {
        const std::int64_t from = std::min(KeptBefore(first, step), keptCount);
        return {from, std::max(from, std::min(KeptBefore(end, step), keptCount))};
    }
};

} // namespace orvane::image
