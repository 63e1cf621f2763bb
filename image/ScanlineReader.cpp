#include "image/ScanlineReader.h"

#include "image/Progress.h"
#include "image/TiffFile.h"

#include <algorithm>
#include <cstring>
#include <tiffio.h>
#include <vector>

namespace {

// A row of tiles is held at most this large; a header that claims bigger tiles
// is treated as unreadable rather than allocated.
constexpr std::int64_t kMaxTileBandBytes = 1LL << 30;

// Delivers file rows, in ascending order, as contiguous samples.
class RowSource {
public:
    RowSource(TIFF* tif, int bytesPerSample, std::int64_t spanWidth)
        : tif_(tif), bytesPerSample_(bytesPerSample), rowBytes_(spanWidth * bytesPerSample) {
        tiled_ = TIFFIsTiled(tif);
        if (tiled_) {
            std::uint32_t tw = 0, th = 0;
            TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
            TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
            tileWidth_ = tw;
            tileHeight_ = th;
            const std::int64_t tileBytes = TIFFTileSize64(tif);
            tilesAcross_ = tw ? (spanWidth + tw - 1) / tw : 0;
            const std::int64_t bandBytes = tilesAcross_ * tw * bytesPerSample_ * th;
            usable_ = tw > 0 && th > 0 && tileBytes >= std::int64_t(tw) * th * bytesPerSample_ &&
                      bandBytes <= kMaxTileBandBytes && tileBytes <= kMaxTileBandBytes;
            if (usable_) {
                tile_.assign(static_cast<std::size_t>(tileBytes), 0);
                band_.assign(static_cast<std::size_t>(bandBytes), 0);
            }
        } else {
            const std::int64_t scanline = TIFFScanlineSize64(tif);
            usable_ = scanline >= rowBytes_ && scanline <= kMaxTileBandBytes;
            if (usable_)
                line_.assign(static_cast<std::size_t>(scanline), 0);
        }
    }

    // Points `row` at the samples of file row `fileRow`; false when they could
    // not be read (the samples are then zero).
    bool Read(std::uint32_t fileRow, const std::uint8_t*& row) {
        if (!usable_) {
            zeros_.resize(static_cast<std::size_t>(rowBytes_), 0);
            row = zeros_.data();
            return false;
        }
        if (!tiled_) {
            const bool ok = TIFFReadScanline(tif_, line_.data(), fileRow, 0) >= 0;
            if (!ok)
                std::fill(line_.begin(), line_.end(), 0);
            row = line_.data();
            return ok;
        }
        const std::int64_t band = fileRow / tileHeight_;
        if (band != cachedBand_)
            LoadBand(band);
        row = band_.data() + (fileRow % tileHeight_) * BandStride();
        return bandOk_;
    }

private:
    std::int64_t BandStride() const { return tilesAcross_ * tileWidth_ * bytesPerSample_; }

    void LoadBand(std::int64_t band) {
        cachedBand_ = band;
        bandOk_ = true;
        const std::int64_t tileRowBytes = tileWidth_ * bytesPerSample_;
        for (std::int64_t tx = 0; tx < tilesAcross_; ++tx) {
            const bool ok = TIFFReadTile(tif_, tile_.data(), std::uint32_t(tx * tileWidth_),
                                         std::uint32_t(band * tileHeight_), 0, 0) >= 0;
            if (!ok) {
                bandOk_ = false;
                std::fill(tile_.begin(), tile_.end(), 0);
            }
            for (std::int64_t y = 0; y < tileHeight_; ++y)
                std::memcpy(band_.data() + y * BandStride() + tx * tileRowBytes,
                            tile_.data() + y * tileRowBytes, static_cast<std::size_t>(tileRowBytes));
        }
    }

    TIFF* tif_;
    int bytesPerSample_;
    std::int64_t rowBytes_;
    bool tiled_ = false;
    bool usable_ = false;
    std::vector<std::uint8_t> line_, tile_, band_, zeros_;
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

ReadResult ReadSamples(const QString& path, const ReadGeometry& g, std::uint8_t* buffer,
                       const std::function<void(int percent)>& progress) {
    ReadResult result;
    auto handle = TiffHandle::Open(path);
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

    RowSource source(tif, bits / 8, g.SpanWidth);
    const ProgressSchedule schedule(g.SpanHeight, g.RowStep);
    const std::int64_t keptWidth = g.SpanWidth / g.ColumnStep;
    std::uint8_t* out = buffer;
    const std::uint8_t* row = nullptr;
    for (std::int64_t fileRow = 0; fileRow < g.SpanHeight; ++fileRow) {
        const bool keep = fileRow % g.RowStep == 0;
        if (!source.Read(std::uint32_t(fileRow), row))
            ++result.unreadableRows;
        if (!keep)
            continue;
        if (bits == 8)
            KeepColumns8(row, g.SpanWidth, g.ColumnStep, out);
        else
            KeepColumns16(row, g.SpanWidth, g.ColumnStep, out);
        out += keptWidth;
        if (progress && schedule.ReportsAt(fileRow))
            progress(schedule.PercentAt(fileRow));
    }
    result.errors = handle->TakeErrors();
    return result;
}
