#pragma once
#include <cstdint>

typedef struct tiff TIFF;

namespace orvane::image {

// How a TIFF stores its samples, as far as reading them goes: strips or
// tiles, their sizes as the library works them out, and the bound on working
// buffers for the source. Both readers, the bulk one and the exact one, start
// from this.
struct BlockLayout {
    bool tiled = false;
    int bytesPerSample = 1;
    std::int64_t imageWidth = 0;
    std::int64_t imageHeight = 0;
    // A tile's size; for strips the image width and the rows per strip (a
    // file without the tag, or with 0, has one strip: 2^32 - 1 rows).
    std::int64_t blockWidth = 0;
    std::int64_t blockHeight = 0;
    std::int64_t scanlineBytes = 0; // strips: the library's scanline size
    std::int64_t tileBytes = 0;     // tiles: the library's tile size
    std::int64_t workingLimit = 0;  // WorkingBufferLimit of the source
};

BlockLayout MeasureBlocks(TIFF* tif, int bytesPerSample, std::uint64_t sourceBytes);

// How many samples a row of a strip or tile must hold for a reader. They
// differ only for rows holding more than one sample per pixel, which the open
// refuses before reading.
enum class RowFit {
    // The exact reader finds a sample by its column in rows of the file's
    // width: a row holds exactly `columns` samples.
    Exactly,
    // The bulk reader takes the columns of its span from the start of each
    // row and steps from row to row by the library's row size: a row holding
    // at least `columns` samples will do.
    AtLeast,
};

// Whether blocks of `layout` can be read with working buffers within its
// limit: a scanline, or a whole tile, no larger than the limit, whose rows
// fit `columns` samples (strips; tiles hold their own width) as `fit` says.
bool BuffersFit(const BlockLayout& layout, std::int64_t columns, RowFit fit);

} // namespace orvane::image
