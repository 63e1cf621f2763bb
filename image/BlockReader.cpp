#include "image/BlockReader.h"

#include "image/LevelReduction.h"

#include <algorithm>
#include <cstring>
#include <tiffio.h>

namespace orvane::image {
namespace {

// Strips up to this size decode at once into a buffer of each thread's own;
// larger ones are read a scanline at a time.
constexpr std::int64_t kWholeStripBytes = 12LL << 20;
// Uncompressed rows are read from the file this many bytes at a time.
constexpr std::int64_t kReadBytes = 512 << 10;
// The library doubts byte counts above 1 MiB that exceed ten times the
// decoded size plus 4 KiB, and says so before reading; such strips and tiles
// go through the library so that it does.
constexpr std::uint64_t kDoubtedByteCount = 1u << 20;

bool ByteCountDoubted(std::uint64_t byteCount, std::int64_t decodedBytes) {
    return byteCount > kDoubtedByteCount &&
           (decodedBytes == 0 || (byteCount - 4096) / 10 > std::uint64_t(decodedBytes));
}

} // namespace

BlockReader::BlockReader(const ReadPlan& plan, TiffHandle& handle) : plan_(plan), handle_(handle) {
    // Before the first decode, which sets the codec up: from then on this
    // handle delivers differences (its scanline reads go to the rereader).
    if (plan.layout.accumulate)
        TIFFSetField(handle_.get(), TIFFTAG_PREDICTOR, PREDICTOR_NONE);
    if (plan.values && plan.values->heightRows)
        heightRows_ = (*plan.values->heightRows)();
}

BlockReader::~BlockReader() = default;

std::int64_t BlockReader::WorkingBytes(const ReadPlan& plan) {
    const ReadLayout& layout = plan.layout;
    if (layout.tiled) {
        // A tile kept in place is read up to its whole size; one that is not
        // is decoded into a tile buffer.
        return layout.tileBytes * (layout.inPlace ? 2 : 1) +
               layout.tilesAcross * std::int64_t(sizeof(StrileBytes));
    }
    const std::int64_t scanline = layout.scanlineBytes;
    const std::int64_t blockRows = std::min(layout.rowsPerBlock, plan.geometry.SpanHeight);
    std::int64_t bytes = scanline;
    if (layout.inPlace)
        bytes += std::min(std::max(kReadBytes, scanline), blockRows * scanline);
    if (layout.wholeStrips && scanline > 0 && scanline <= kWholeStripBytes) {
        bytes += std::min(blockRows, kWholeStripBytes / scanline) * scanline;
        if (layout.msbFillOrder)
            bytes += std::min<std::int64_t>(kWholeStripBytes, std::int64_t(layout.sourceBytes));
    }
    return bytes;
}

void BlockReader::Read(std::int64_t block) {
    // A block that fails (memory runs out) is not read at all: the caller
    // counts all its rows.
    const std::int64_t lostBefore = unreadableRows_;
    try {
        if (plan_.layout.tiled)
            ReadBand(block);
        else
            ReadStrip(block);
        TakeMessages(block);
    } catch (...) {
        unreadableRows_ = lostBefore;
        throw;
    }
}

void BlockReader::TakeMessages(std::int64_t block) {
    if (handle_.HasMessages())
        messages_.Add(block, handle_.TakeMessages());
    if (rereader_ && rereader_->HasMessages())
        messages_.Add(block, rereader_->TakeMessages());
}

bool BlockReader::InSource(std::uint32_t strile, StrileBytes& where) const {
    const std::optional<StrileBytes> found =
        StrileInSource(handle_.get(), strile, plan_.layout.sourceBytes);
    if (found)
        where = *found;
    return found.has_value();
}

void BlockReader::ReadStrip(std::int64_t block) {
    const ReadLayout& layout = plan_.layout;
    const std::int64_t first = plan_.FirstRow(block), end = plan_.EndRow(block);
    const std::uint32_t strip = TIFFComputeStrip(handle_.get(), std::uint32_t(first), 0);
    StrileBytes where;
    if (!InSource(strip, where)) {
        Lose(first, end);
        return;
    }
    if (KeepStripInPlace(where, first, end))
        return;
    const bool whole = layout.wholeStrips && layout.scanlineBytes > 0 &&
                       end - first <= kWholeStripBytes / layout.scanlineBytes &&
                       !ByteCountDoubted(where.bytes, layout.fullStripBytes);
    if (whole && DecodeWholeStrip(where, strip, first, end))
        return;
    if (whole)
        handle_.TakeMessages(); // the scanline read below says it in its own words
    // Row by row, which loses only the rows from the first failing one and
    // reports it in the library's scanline terms. Not on the first handle
    // when it has just decoded this strip (it would carry on where it
    // stopped) or decodes without the predictor.
    TiffHandle* rows = whole || layout.accumulate ? Rereader() : &handle_;
    if (rows)
        ReadScanlines(*rows, first, end);
    else
        Lose(first, end);
}

// The file's bytes gave out at file row `row` of an in-place read that began at `firstKept`:
// the library reads the strip again (false), unless rows have already gone to a measuring
// read's receiver, which must not see them twice; then the rest of the strip is lost (true).
bool BlockReader::GiveUpInPlace(std::int64_t row, std::int64_t firstKept, std::int64_t endRow) {
    if (!heightRows_ || row <= firstKept)
        return false;
    Lose(row, endRow);
    return true;
}

bool BlockReader::KeepStripInPlace(const StrileBytes& strip, std::int64_t firstRow,
                                   std::int64_t endRow) {
    const ReadLayout& layout = plan_.layout;
    if (!layout.inPlace)
        return false;
    // The library reads rows while the strip's bytes last; a short strip is
    // left to it, so that it fails at the same row with the same words.
    const std::int64_t scanline = layout.scanlineBytes;
    if (strip.bytes < std::uint64_t((endRow - firstRow) * scanline) ||
        ByteCountDoubted(strip.bytes, layout.fullStripBytes))
        return false;
    const std::int64_t step = plan_.geometry.RowStep;
    const RowRange kept = plan_.KeptRows(firstRow, endRow);
    if (step == 1) {
        // Consecutive rows are read together, a few hundred kilobytes at a time.
        const std::int64_t rowsPerRead = std::max<std::int64_t>(1, kReadBytes / scanline);
        for (std::int64_t row = kept.first; row < kept.end; row += rowsPerRead) {
            const std::int64_t rows = std::min(rowsPerRead, kept.end - row);
            const std::uint8_t* samples = plan_.bytes->Read(
                strip.offset + (row - firstRow) * scanline, std::size_t(rows * scanline), read_);
            if (!samples)
                return GiveUpInPlace(row, kept.first, endRow);
            for (std::int64_t r = 0; r < rows; ++r)
                KeepRow(samples + r * scanline, layout.fileHighByte, row + r, 0, plan_.keptWidth);
        }
        return true;
    }
    // Thinned: only the kept rows are read, each up to its last kept sample.
    const std::int64_t neededBytes =
        plan_.keptWidth > 0
            ? ((plan_.keptWidth - 1) * plan_.geometry.ColumnStep + 1) * layout.bytesPerSample
            : 0;
    for (std::int64_t keptRow = kept.first; keptRow < kept.end; ++keptRow) {
        const std::int64_t row = keptRow * step;
        const std::uint8_t* samples = plan_.bytes->Read(strip.offset + (row - firstRow) * scanline,
                                                        std::size_t(neededBytes), read_);
        if (!samples)
            return GiveUpInPlace(row, kept.first * step, endRow);
        KeepRow(samples, layout.fileHighByte, keptRow, 0, plan_.keptWidth);
    }
    return true;
}

bool BlockReader::DecodeWholeStrip(const StrileBytes& where, std::uint32_t strip,
                                   std::int64_t firstRow, std::int64_t endRow) {
    const ReadLayout& layout = plan_.layout;
    const std::int64_t bytes = (endRow - firstRow) * layout.scanlineBytes;
    if (std::int64_t(strip_.size()) < bytes)
        strip_.resize(static_cast<std::size_t>(bytes));
    if (layout.deflate)
        ChooseDeflateDecoder(firstRow);
    // Only the rows within the span are decoded, as the scanline read would.
    // The compressed bytes are read here rather than through the library's
    // mapping of the file (see SourceBytes); the library decodes them as it
    // would decode its own. It reverses bits in that buffer for the other
    // fill order, so such files, and very large strips, go through its mapping.
    const std::uint8_t* raw = layout.msbFillOrder && where.bytes <= std::uint64_t(kWholeStripBytes)
                                  ? plan_.bytes->Read(where.offset, std::size_t(where.bytes), raw_)
                                  : nullptr;
    TIFF* tif = handle_.get();
    const bool decoded =
        raw ? TIFFReadFromUserBuffer(tif, strip, const_cast<std::uint8_t*>(raw),
                                     tmsize_t(where.bytes), strip_.data(), tmsize_t(bytes)) == 1
            : TIFFReadEncodedStrip(tif, strip, strip_.data(), tmsize_t(bytes)) == bytes;
    if (!decoded || handle_.HasMessages())
        return false;
    const RowRange kept = plan_.KeptRows(firstRow, endRow);
    for (std::int64_t keptRow = kept.first; keptRow < kept.end; ++keptRow) {
        const std::int64_t row = keptRow * plan_.geometry.RowStep;
        const std::uint8_t* samples = strip_.data() + (row - firstRow) * layout.scanlineBytes;
        if (!layout.accumulate) {
            KeepRow(samples, layout.nativeHighByte, keptRow, 0, plan_.keptWidth);
            continue;
        }
        // Differences accumulate into levels only: a measuring read has the library undo them.
        std::uint8_t* levels = plan_.levels + keptRow * plan_.keptWidth;
        if (layout.bytesPerSample == 1)
            KeepAccumulatedLevels8(samples, plan_.keptWidth, plan_.geometry.ColumnStep, levels);
        else
            KeepAccumulatedLevels16(samples, plan_.keptWidth, plan_.geometry.ColumnStep, levels);
    }
    return true;
}

// The library decodes a Deflate strip requested whole with libdeflate, and
// one requested row by row with zlib, unless the strip is one row high. The
// two differ on damaged data (libdeflate accepts a stream that runs past the
// strip, and leaves the rest of the buffer as it was), so the whole strip is
// decoded with the decoder a scanline read would have used, on a zeroed
// buffer so that what was left is the same whichever thread read it.
void BlockReader::ChooseDeflateDecoder(std::int64_t firstRow) {
    TIFF* tif = handle_.get();
    if (defaultDeflateDecoder_ < 0 &&
        !TIFFGetField(tif, TIFFTAG_DEFLATE_SUBCODEC, &defaultDeflateDecoder_))
        defaultDeflateDecoder_ = DEFLATE_SUBCODEC_ZLIB;
    const std::int64_t stripRows =
        std::min(plan_.layout.rowsPerBlock, plan_.layout.imageRows - firstRow);
    const int decoder = stripRows == 1 ? defaultDeflateDecoder_ : DEFLATE_SUBCODEC_ZLIB;
    if (decoder != deflateDecoder_ && TIFFSetField(tif, TIFFTAG_DEFLATE_SUBCODEC, decoder))
        deflateDecoder_ = decoder;
    if (decoder != DEFLATE_SUBCODEC_ZLIB)
        std::memset(strip_.data(), 0, static_cast<std::size_t>(plan_.layout.scanlineBytes));
}

// Every row of the strip in order, as the library reads scanlines: a strip
// that fails once is given up, since its codec cannot resynchronise inside it
// and every further row would fail again, slowly.
void BlockReader::ReadScanlines(TiffHandle& handle, std::int64_t firstRow, std::int64_t endRow) {
    if (line_.empty())
        line_.assign(static_cast<std::size_t>(plan_.layout.scanlineBytes), 0);
    const std::int64_t step = plan_.geometry.RowStep;
    for (std::int64_t row = firstRow; row < endRow; ++row) {
        if (TIFFReadScanline(handle.get(), line_.data(), std::uint32_t(row), 0) < 0) {
            Lose(row, endRow);
            return;
        }
        if (plan_.Keeps(row))
            KeepRow(line_.data(), plan_.layout.nativeHighByte, row / step, 0, plan_.keptWidth);
    }
}

// A band with any tile that cannot be read is lost as a whole, so nothing is
// decoded for it once one tile is known to be missing: a header claiming
// thousands of absent tiles costs no work.
void BlockReader::ReadBand(std::int64_t block) {
    const ReadLayout& layout = plan_.layout;
    const std::int64_t first = plan_.FirstRow(block), end = plan_.EndRow(block);
    const std::uint32_t y = std::uint32_t(first);
    TIFF* tif = handle_.get();
    tiles_.resize(static_cast<std::size_t>(layout.tilesAcross));
    for (std::int64_t tx = 0; tx < layout.tilesAcross; ++tx)
        if (!InSource(TIFFComputeTile(tif, std::uint32_t(tx * layout.tileWidth), y, 0, 0),
                      tiles_[tx])) {
            Lose(first, end);
            return;
        }
    for (std::int64_t tx = 0; tx < layout.tilesAcross; ++tx) {
        if (KeepTileInPlace(tiles_[tx], tx, first, end))
            continue;
        if (tile_.empty())
            tile_.assign(static_cast<std::size_t>(layout.tileBytes), 0);
        if (TIFFReadTile(tif, tile_.data(), std::uint32_t(tx * layout.tileWidth), y, 0, 0) < 0) {
            Lose(first, end); // also clears the tiles already kept
            return;
        }
        KeepTile(tile_.data(), first, layout.nativeHighByte, tx, first, end);
    }
}

bool BlockReader::KeepTileInPlace(const StrileBytes& tile, std::int64_t tileColumn,
                                  std::int64_t firstRow, std::int64_t endRow) {
    const ReadLayout& layout = plan_.layout;
    if (!layout.inPlace || tile.bytes < std::uint64_t(layout.tileBytes) ||
        ByteCountDoubted(tile.bytes, layout.tileBytes))
        return false;
    // The tile's rows from its first kept row to its last.
    const std::int64_t step = plan_.geometry.RowStep;
    const RowRange kept = plan_.KeptRows(firstRow, endRow);
    if (kept.first == kept.end)
        return true;
    const std::int64_t firstKept = kept.first * step, lastKept = (kept.end - 1) * step;
    const std::int64_t rowBytes = layout.tileWidth * layout.bytesPerSample;
    const std::uint8_t* samples =
        plan_.bytes->Read(tile.offset + (firstKept - firstRow) * rowBytes,
                          std::size_t((lastKept - firstKept + 1) * rowBytes), read_);
    if (!samples)
        return false;
    KeepTile(samples, firstKept, layout.fileHighByte, tileColumn, firstRow, endRow);
    return true;
}

void BlockReader::KeepTile(const std::uint8_t* samples, std::int64_t samplesRow, int highByte,
                           std::int64_t tileColumn, std::int64_t firstRow, std::int64_t endRow) {
    const ReadLayout& layout = plan_.layout;
    const std::int64_t x0 = tileColumn * layout.tileWidth;
    const RowRange columns = plan_.KeptColumns(x0, x0 + layout.tileWidth);
    if (columns.first == columns.end)
        return;
    const std::int64_t tileRowBytes = layout.tileWidth * layout.bytesPerSample;
    const std::int64_t skipBytes =
        (columns.first * plan_.geometry.ColumnStep - x0) * layout.bytesPerSample;
    const RowRange rows = plan_.KeptRows(firstRow, endRow);
    for (std::int64_t keptRow = rows.first; keptRow < rows.end; ++keptRow) {
        const std::int64_t row = keptRow * plan_.geometry.RowStep;
        KeepRow(samples + (row - samplesRow) * tileRowBytes + skipBytes, highByte, keptRow,
                columns.first, columns.end - columns.first);
    }
}

void BlockReader::KeepRow(const std::uint8_t* samples, int highByte, std::int64_t keptRow,
                          std::int64_t firstColumn, std::int64_t count) {
    if (heightRows_) {
        const std::int64_t row = keptRow * plan_.geometry.RowStep;
        const std::int64_t column = firstColumn * plan_.geometry.ColumnStep;
        if (heightRows_->TakesSamples()) {
            heightRows_->SampleRow(row, column, samples, count, plan_.geometry.ColumnStep);
            return;
        }
        heights_.resize(std::size_t(count));
        SampleHeights(samples, count, plan_.geometry.ColumnStep, *plan_.values->heights,
                      heights_.data());
        heightRows_->Row(row, column, heights_.data(), count);
        return;
    }
    std::uint8_t* levels = plan_.levels + keptRow * plan_.keptWidth + firstColumn;
    if (plan_.values)
        MapValues(samples, count, plan_.geometry.ColumnStep, *plan_.values, levels, keptRow,
                  firstColumn, values_);
    else if (plan_.layout.bytesPerSample == 1)
        KeepLevels8(samples, count, plan_.geometry.ColumnStep, levels);
    else
        KeepLevels16(samples, count, plan_.geometry.ColumnStep, highByte, levels);
}

// Lost rows are counted, and their kept rows hold level 0.
void BlockReader::Lose(std::int64_t firstRow, std::int64_t endRow) {
    unreadableRows_ += endRow - firstRow;
    const RowRange kept = plan_.ClearKeptRows(firstRow, endRow);
    if (kept.first == kept.end)
        return;
    if (!lostKeptRows_.empty() && lostKeptRows_.back().end == kept.first)
        lostKeptRows_.back().end = kept.end;
    else
        lostKeptRows_.push_back(kept);
}

TiffHandle* BlockReader::Rereader() {
    if (!rereaderTried_) {
        rereaderTried_ = true;
        auto handle = TiffHandle::Open(plan_.source);
        if (*handle) {
            handle->TakeMessages(); // said once already, by the first handle
            rereader_ = std::move(handle);
        }
    }
    return rereader_.get();
}

} // namespace orvane::image
