#include "image/ScanlineReader.h"

#include "image/Progress.h"
#include "image/TiffFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <tiffio.h>
#include <vector>

namespace orvane::image {

namespace {

// Working buffers up to this size need no justification from the source size.
constexpr std::int64_t kWorkingFloorBytes = 16LL << 20;
// No codec libtiff ships turns one byte into more than a few thousand (deflate
// peaks near 1032, LZW near 1300); beyond this a claimed size is a lie.
constexpr std::int64_t kMaxExpansion = 4096;

constexpr std::int64_t kNoEnd = std::numeric_limits<std::int64_t>::max();

// Delivers file rows, in ascending order, as contiguous samples.
class RowSource {
public:
    RowSource(TIFF* tif, int bytesPerSample, std::int64_t spanWidth, std::uint64_t sourceSize)
        : tif_(tif), bytesPerSample_(bytesPerSample), rowBytes_(spanWidth * bytesPerSample),
          sourceSize_(sourceSize) {
        const std::int64_t limit = WorkingBufferLimit(sourceSize);
        tiled_ = TIFFIsTiled(tif);
        if (tiled_) {
            std::uint32_t tw = 0, th = 0;
            TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
            TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
            tileWidth_ = tw;
            tileHeight_ = th;
            const std::int64_t tileBytes = TIFFTileSize64(tif);
            tilesAcross_ = tw ? (spanWidth + tw - 1) / tw : 0;
            // Checked in this order so that no product can overflow.
            usable_ = tw > 0 && th > 0 && tw <= limit && th <= limit &&
                      std::int64_t(tw) * th <= limit && tileBytes <= limit &&
                      tileBytes >= std::int64_t(tw) * th * bytesPerSample_ &&
                      tilesAcross_ <= limit / (std::int64_t(tw) * th * bytesPerSample_);
            if (usable_) {
                tile_.assign(static_cast<std::size_t>(tileBytes), 0);
                band_.assign(static_cast<std::size_t>(tilesAcross_ * tw * bytesPerSample_ * th), 0);
            }
        } else {
            const std::int64_t scanline = TIFFScanlineSize64(tif);
            std::uint32_t rowsPerStrip = 0;
            TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
            rowsPerStrip_ = rowsPerStrip ? rowsPerStrip : std::numeric_limits<std::uint32_t>::max();
            usable_ = scanline >= rowBytes_ && scanline <= limit;
            if (usable_)
                line_.assign(static_cast<std::size_t>(scanline), 0);
        }
    }

    bool Usable() const { return usable_; }

    // Points `row` at the samples of file row `fileRow`; false when they could
    // not be read.
    bool Read(std::uint32_t fileRow, const std::uint8_t*& row) {
        if (!tiled_) {
            const std::int64_t strip = fileRow / rowsPerStrip_;
            if (strip != checkedStrip_) {
                checkedStrip_ = strip;
                stripOk_ = StrileInSource(TIFFComputeStrip(tif_, fileRow, 0));
            }
            row = line_.data();
            return stripOk_ && TIFFReadScanline(tif_, line_.data(), fileRow, 0) >= 0;
        }
        const std::int64_t band = fileRow / tileHeight_;
        if (band != cachedBand_)
            LoadBand(band);
        row = band_.data() + (fileRow % tileHeight_) * BandStride();
        return bandOk_;
    }

    // First file row after the strip (or row of tiles) holding `fileRow`: a
    // strip that fails once is given up, since its codec cannot resynchronise
    // inside it and every further row would fail again, slowly.
    std::int64_t BlockEnd(std::int64_t fileRow) const {
        if (!usable_)
            return kNoEnd;
        if (tiled_)
            return (fileRow / tileHeight_ + 1) * tileHeight_;
        if (rowsPerStrip_ > kNoEnd - fileRow)
            return kNoEnd;
        return (fileRow / rowsPerStrip_ + 1) * rowsPerStrip_;
    }

private:
    std::int64_t BandStride() const { return tilesAcross_ * tileWidth_ * bytesPerSample_; }

    // The strip or tile's bytes lie inside the source. Anything else is not
    // handed to the library, which would otherwise allocate and seek for it.
    bool StrileInSource(std::uint32_t strile) const {
        int err = 0; // also set for an index beyond the file's strip or tile table
        const std::uint64_t offset = TIFFGetStrileOffsetWithErr(tif_, strile, &err);
        if (err)
            return false;
        const std::uint64_t count = TIFFGetStrileByteCountWithErr(tif_, strile, &err);
        return !err && count > 0 && offset < sourceSize_ && count <= sourceSize_ - offset;
    }

    // A band with any tile that cannot be read is lost as a whole (its rows
    // are reported and zeroed by the caller), so nothing is decoded or copied
    // for it: a header claiming thousands of absent tiles costs no work.
    void LoadBand(std::int64_t band) {
        cachedBand_ = band;
        const std::uint32_t y = std::uint32_t(band * tileHeight_);
        bandOk_ = true;
        for (std::int64_t tx = 0; tx < tilesAcross_ && bandOk_; ++tx)
            bandOk_ =
                StrileInSource(TIFFComputeTile(tif_, std::uint32_t(tx * tileWidth_), y, 0, 0));
        const std::int64_t tileRowBytes = tileWidth_ * bytesPerSample_;
        for (std::int64_t tx = 0; tx < tilesAcross_ && bandOk_; ++tx) {
            const std::uint32_t x = std::uint32_t(tx * tileWidth_);
            bandOk_ = TIFFReadTile(tif_, tile_.data(), x, y, 0, 0) >= 0;
            for (std::int64_t ty = 0; ty < tileHeight_ && bandOk_; ++ty)
                std::memcpy(band_.data() + ty * BandStride() + tx * tileRowBytes,
                            tile_.data() + ty * tileRowBytes,
                            static_cast<std::size_t>(tileRowBytes));
        }
    }

    TIFF* tif_;
    int bytesPerSample_;
    std::int64_t rowBytes_;
    std::uint64_t sourceSize_;
    bool tiled_ = false;
    bool usable_ = false;
    std::vector<std::uint8_t> line_, tile_, band_;
    std::int64_t rowsPerStrip_ = 1;
    std::int64_t checkedStrip_ = -1;
    bool stripOk_ = false;
    std::int64_t tileWidth_ = 0, tileHeight_ = 0, tilesAcross_ = 0;
    std::int64_t cachedBand_ = -1;
    bool bandOk_ = false;
};

void KeepColumns8(const std::uint8_t* in, std::int64_t spanWidth, std::int64_t step,
                  std::uint8_t* out) {
    if (step == 1) {
        std::memcpy(out, in, static_cast<std::size_t>(spanWidth));
        return;
    }
    for (std::int64_t c = 0, i = 0; c < spanWidth; c += step, ++i)
        out[i] = in[c];
}

void KeepColumns16(const std::uint8_t* inBytes, std::int64_t spanWidth, std::int64_t step,
                   std::uint8_t* out) {
    // The library delivers 16-bit samples in the machine's byte order; the
    // level is the sample's high byte.
    std::uint16_t sample;
    if (step == 1) {
        for (std::int64_t c = 0; c < spanWidth; ++c) {
            std::memcpy(&sample, inBytes + 2 * c, 2);
            out[c] = static_cast<std::uint8_t>(sample >> 8);
        }
        return;
    }
    for (std::int64_t c = 0, i = 0; c < spanWidth; c += step, ++i) {
        std::memcpy(&sample, inBytes + 2 * c, 2);
        out[i] = static_cast<std::uint8_t>(sample >> 8);
    }
}

} // namespace

std::int64_t WorkingBufferLimit(std::uint64_t sourceBytes) {
    const std::uint64_t cap = TiffHandle::kMaxSingleAllocation;
    const std::uint64_t fillable =
        sourceBytes > cap / kMaxExpansion ? cap : sourceBytes * kMaxExpansion;
    return std::int64_t(std::max<std::uint64_t>(kWorkingFloorBytes, fillable));
}

ReadResult ReadSamples(const TiffSource& src, const ImageGeometry& g, std::uint8_t* buffer,
                       const ProgressFunction& progress) {
    ReadResult result;
    auto handle = TiffHandle::Open(src);
    if (!*handle) {
        result.unreadableRows = g.SpanHeight;
        result.errors = handle->TakeErrors();
        return result;
    }
    result.opened = true;
    TIFF* tif = handle->get();
    std::uint16_t bits = 0;
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    if ((bits != 8 && bits != 16) || g.ColumnStep < 1 || g.RowStep < 1) {
        result.unreadableRows = g.SpanHeight;
        result.errors = handle->TakeErrors();
        return result;
    }

    RowSource source(tif, bits / 8, g.SpanWidth, handle->SourceSize());
    const ProgressSchedule schedule(g.SpanHeight, g.RowStep);
    const std::int64_t keptWidth = g.SpanWidth / g.ColumnStep;
    std::uint8_t* out = buffer;
    auto keptRowDone = [&](std::int64_t fileRow) {
        out += keptWidth;
        if (progress && schedule.ReportsAt(fileRow))
            progress(schedule.PercentAt(fileRow));
    };
    const std::uint8_t* row = nullptr;
    for (std::int64_t fileRow = 0; fileRow < g.SpanHeight;) {
        if (!source.Usable() || !source.Read(std::uint32_t(fileRow), row)) {
            // The rest of this strip is lost: its kept rows stay level 0.
            const std::int64_t end = std::min(g.SpanHeight, source.BlockEnd(fileRow));
            result.unreadableRows += end - fileRow;
            for (std::int64_t r = (fileRow + g.RowStep - 1) / g.RowStep * g.RowStep; r < end;
                 r += g.RowStep) {
                std::memset(out, 0, static_cast<std::size_t>(keptWidth));
                keptRowDone(r);
            }
            fileRow = end;
            continue;
        }
        if (fileRow % g.RowStep == 0) {
            if (bits == 8)
                KeepColumns8(row, g.SpanWidth, g.ColumnStep, out);
            else
                KeepColumns16(row, g.SpanWidth, g.ColumnStep, out);
            keptRowDone(fileRow);
        }
        ++fileRow;
    }
    result.errors = handle->TakeErrors();
    return result;
}

} // namespace orvane::image
