#include "image/BlockLayout.h"

#include "image/ScanlineReader.h"

#include <limits>
#include <tiffio.h>

namespace orvane::image {

BlockLayout MeasureBlocks(TIFF* tif, int bytesPerSample, std::uint64_t sourceBytes) {
    BlockLayout layout;
    layout.bytesPerSample = bytesPerSample;
    layout.workingLimit = WorkingBufferLimit(sourceBytes);
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    layout.imageWidth = width;
    layout.imageHeight = height;
    layout.tiled = TIFFIsTiled(tif);
    if (layout.tiled) {
        std::uint32_t tileWidth = 0, tileLength = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
        layout.blockWidth = tileWidth;
        layout.blockHeight = tileLength;
        layout.tileBytes = TIFFTileSize64(tif);
    } else {
        std::uint32_t rowsPerStrip = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        layout.blockWidth = width;
        layout.blockHeight =
            rowsPerStrip ? rowsPerStrip : std::numeric_limits<std::uint32_t>::max();
        layout.scanlineBytes = TIFFScanlineSize64(tif);
    }
    return layout;
}

bool BuffersFit(const BlockLayout& layout, std::int64_t columns, RowFit fit) {
    const std::int64_t limit = layout.workingLimit;
    auto fits = [fit](std::int64_t have, std::int64_t need) {
        return fit == RowFit::Exactly ? have == need : have >= need;
    };
    if (!layout.tiled)
        return layout.scanlineBytes <= limit &&
               fits(layout.scanlineBytes, columns * layout.bytesPerSample);
    // Checked in this order so that no product can overflow.
    if (layout.blockWidth <= 0 || layout.blockHeight <= 0)
        return false;
    const std::int64_t rowBytes = layout.blockWidth * layout.bytesPerSample;
    return rowBytes <= limit && layout.blockHeight <= limit / rowBytes &&
           layout.tileBytes <= limit && fits(layout.tileBytes, rowBytes * layout.blockHeight);
}

} // namespace orvane::image
