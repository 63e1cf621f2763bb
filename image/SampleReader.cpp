#include "image/SampleReader.h"

#include "image/Acceptance.h"
#include "image/BlockCache.h"
#include "image/BlockLayout.h"
#include "image/ScanlineReader.h"
#include "image/TiffFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <tiffio.h>

namespace orvane::image {

namespace {

// How the file stores its pixels, as far as addressing a sample needs.
struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bitsPerSample = 0;
    bool minIsWhite = false;
    SampleFormat format;
    NoDataMatch noData;
    bool tiled = false;
    std::int64_t blockWidth = 0;  // strips: the image width; tiles: the tile width
    std::int64_t blockHeight = 0; // rows per strip, or the tile length
    std::int64_t blocksAcross = 1;

    int BytesPerSample() const { return bitsPerSample / 8; }
    std::int64_t RowBytes() const { return blockWidth * BytesPerSample(); }
};

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
}

// The layout of the file behind `tif`, or why samples cannot be addressed in it.
std::optional<Layout> MeasureLayout(TIFF* tif, std::uint64_t sourceBytes, QString& why) {
    const TiffTags tags = ReadTiffTags(tif);
    const QStringList refusals =
        ValidationMessages(tags.BitsPerSample, tags.Photometric, tags.SamplesPerPixel,
                           tags.Compression, tags.SampleFormat);
    if (!refusals.isEmpty()) {
        why = refusals.join(QLatin1Char(' '));
        return std::nullopt;
    }
    if (!tags.ImageWidth || !tags.ImageLength || *tags.ImageWidth == 0 || *tags.ImageLength == 0) {
        why = QStringLiteral("The image has no pixels.");
        return std::nullopt;
    }
    Layout l;
    l.width = *tags.ImageWidth;
    l.height = *tags.ImageLength;
    l.bitsPerSample = tags.BitsPerSample;
    l.minIsWhite = tags.Photometric == PHOTOMETRIC_MINISWHITE;
    l.format = SampleFormatOf(tags);
    l.noData = NoDataMatch(tags.NoData, l.format.kind, l.format.bits);
    const BlockLayout blocks = MeasureBlocks(tif, l.BytesPerSample(), sourceBytes);
    l.tiled = blocks.tiled;
    l.blockWidth = blocks.blockWidth;
    l.blockHeight = l.tiled ? blocks.blockHeight : std::min(blocks.blockHeight, l.height);
    if (l.tiled) {
        if (l.blockWidth == 0 || l.blockHeight == 0) {
            why = QStringLiteral("The tile size is zero.");
            return std::nullopt;
        }
        l.blocksAcross = CeilDiv(l.width, l.blockWidth);
        if (!BuffersFit(blocks, l.width, RowFit::Exactly)) {
            why = QStringLiteral("The tiles are too large to decode.");
            return std::nullopt;
        }
        if (std::int64_t(TIFFNumberOfTiles(tif)) !=
            l.blocksAcross * CeilDiv(l.height, l.blockHeight)) {
            why = QStringLiteral("The tile table does not cover the image.");
            return std::nullopt;
        }
    } else {
        if (!BuffersFit(blocks, l.width, RowFit::Exactly)) {
            why = QStringLiteral("The rows are too long to decode.");
            return std::nullopt;
        }
        if (std::int64_t(TIFFNumberOfStrips(tif)) != CeilDiv(l.height, l.blockHeight)) {
            why = QStringLiteral("The strip table does not cover the image.");
            return std::nullopt;
        }
    }
    return l;
}

// Rows per cached block: whole strips or tiles when one fits a quarter of the bound (and the
// working buffer limit), otherwise bands of as many rows as fit, at least one.
std::int64_t BandRows(const Layout& l, std::int64_t boundBytes, std::uint64_t sourceBytes) {
    const std::int64_t keepLimit = std::min(boundBytes / 4, WorkingBufferLimit(sourceBytes));
    if (l.blockHeight <= keepLimit / l.RowBytes())
        return l.blockHeight;
    return std::clamp<std::int64_t>(keepLimit / l.RowBytes(), 1, l.blockHeight);
}

// A cached block is band `band` of strip or tile `strile`.
constexpr std::uint64_t Key(std::int64_t strile, std::int64_t band) {
    return std::uint64_t(strile) << 32 | std::uint64_t(band);
}
constexpr std::int64_t StrileOf(std::uint64_t key) {
    return std::int64_t(key >> 32);
}
constexpr std::int64_t BandOf(std::uint64_t key) {
    return std::int64_t(key & 0xFFFFFFFFu);
}

// Where a sample lies: in which cached block, how many samples into it.
struct Place {
    std::uint64_t key = 0;
    std::int64_t offset = 0;
};

// What one public call has learnt: a strip or tile that failed is not tried again within it.
struct Call {
    std::vector<std::int64_t> failedStriles;

    bool Failed(std::int64_t strile) const {
        return std::find(failedStriles.begin(), failedStriles.end(), strile) != failedStriles.end();
    }
};

} // namespace

class SampleReader::Impl {
public:
    Impl(const TiffSource& source, std::int64_t boundBytes) : source_(source), cache_(boundBytes) {
        if (!source_.inMemory) {
            file_ = source_.OpenFile();
            source_.file = file_;
        }
        handle_ = TiffHandle::Open(source_, TiffHandle::FileAccess::Unmapped);
        if (!*handle_) {
            const QStringList errors = handle_->TakeErrors();
            openError_ = errors.isEmpty() ? QStringLiteral("The file could not be opened.")
                                          : errors.join(QLatin1Char('\n'));
            handle_.reset();
            return;
        }
        QString why;
        const auto layout = MeasureLayout(handle_->get(), handle_->SourceSize(), why);
        if (!layout) {
            const QStringList errors = handle_->TakeErrors();
            openError_ = errors.isEmpty() ? why : why + QLatin1Char('\n') + errors.join('\n');
            handle_.reset();
            return;
        }
        layout_ = *layout;
        bandRows_ = BandRows(layout_, cache_.BoundBytes(), handle_->SourceSize());
        open_ = true;
    }

    bool open_ = false;
    QString openError_;
    Layout layout_;

    std::optional<Place> Locate(std::int64_t column, std::int64_t row) const {
        const Layout& l = layout_;
        if (!open_ || column < 0 || row < 0 || column >= l.width || row >= l.height)
            return std::nullopt;
        const std::int64_t blockRow = row / l.blockHeight;
        const std::int64_t rowInBlock = row - blockRow * l.blockHeight;
        std::int64_t blockColumn = 0, columnInBlock = column;
        if (l.tiled) {
            blockColumn = column / l.blockWidth;
            columnInBlock = column - blockColumn * l.blockWidth;
        }
        std::int64_t band = 0, rowInBand = rowInBlock;
        if (bandRows_ != l.blockHeight) {
            band = rowInBlock / bandRows_;
            rowInBand = rowInBlock - band * bandRows_;
        }
        return Place{Key(blockRow * l.blocksAcross + blockColumn, band),
                     rowInBand * l.blockWidth + columnInBlock};
    }

    StoredSample SampleAt(const std::uint8_t* block, std::int64_t offset) const {
        // The library delivers the machine's byte order.
        const double value = SampleValue(block + offset * layout_.BytesPerSample(), layout_.format);
        return {layout_.noData.Matches(value) ? StoredSample::State::NoData
                                              : StoredSample::State::Value,
                value};
    }

    // The decoded block under `key`, from the cache or decoded now; nullptr when it cannot be
    // read. The bytes stay valid while the lock is held and no other block is asked for.
    const std::uint8_t* Block(std::uint64_t key, Call& call) {
        if (const std::uint8_t* cached = cache_.Find(key))
            return cached;
        const std::int64_t strile = StrileOf(key);
        if (call.Failed(strile))
            return nullptr;
        const std::uint8_t* block = nullptr;
        if (StrileInSource(handle_->get(), std::uint32_t(strile), CurrentSourceBytes()))
            block = layout_.tiled || bandRows_ == layout_.blockHeight ? DecodeBlock(key)
                                                                      : DecodeStripBands(key);
        if (!block)
            call.failedStriles.push_back(strile);
        return block;
    }

    const std::uint8_t* FindCached(std::uint64_t key) { return cache_.Find(key); }

    void EndCall() { transient_.reset(); }

    QStringList TakeErrors() { return handle_ ? handle_->TakeErrors() : QStringList(); }

    std::int64_t CachedBytes() const { return cache_.Bytes(); }
    std::int64_t BoundBytes() const { return cache_.BoundBytes(); }
    std::int64_t DecodedBytes() const { return decodedBytes_; }

    // Guards everything below, and the cache.
    std::mutex mutex_;

private:
    std::int64_t BlockBytes(std::uint64_t key) const {
        const Layout& l = layout_;
        const std::int64_t rowsInBlock =
            l.tiled ? l.blockHeight
                    : std::min(l.blockHeight, l.height - StrileOf(key) * l.blockHeight);
        return std::min(bandRows_, rowsInBlock - BandOf(key) * bandRows_) * l.RowBytes();
    }

    // The file's size now, not at opening: a strip that a truncation has cut is not handed to
    // the library, and one the file has got back is read again.
    std::uint64_t CurrentSourceBytes() const {
        return source_.inMemory ? source_.size : file_->Size();
    }

    // Keeps a decoded block in the cache, or for this call only when it is larger than the
    // whole bound.
    const std::uint8_t* Keep(std::uint64_t key, std::unique_ptr<std::uint8_t[]> bytes,
                             std::int64_t size) {
        if (cache_.Fits(size))
            return cache_.Insert(key, std::move(bytes), size);
        transient_ = std::move(bytes);
        return transient_.get();
    }

    // A whole strip or tile, or a band of a tile. The buffers start zeroed: a damaged stream
    // that the decoder accepts may leave part of them unwritten, which then reads as 0 every
    // time rather than as whatever the memory held.
    const std::uint8_t* DecodeBlock(std::uint64_t key) {
        TIFF* tif = handle_->get();
        const std::uint32_t strile = std::uint32_t(StrileOf(key));
        const std::int64_t size = BlockBytes(key);
        std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]());
        if (!bytes)
            return nullptr;
        if (bandRows_ == layout_.blockHeight) {
            const tmsize_t got = layout_.tiled
                                     ? TIFFReadEncodedTile(tif, strile, bytes.get(), size)
                                     : TIFFReadEncodedStrip(tif, strile, bytes.get(), size);
            if (got != size)
                return nullptr;
            decodedBytes_ += size;
            return Keep(key, std::move(bytes), size);
        }
        // A tile decodes only as a whole: decode it, keep the band.
        const std::int64_t tileBytes = layout_.blockHeight * layout_.RowBytes();
        std::unique_ptr<std::uint8_t[]> tile(new (std::nothrow) std::uint8_t[tileBytes]());
        if (!tile || TIFFReadEncodedTile(tif, strile, tile.get(), tileBytes) != tileBytes)
            return nullptr;
        decodedBytes_ += tileBytes;
        std::memcpy(bytes.get(), tile.get() + BandOf(key) * bandRows_ * layout_.RowBytes(),
                    std::size_t(size));
        return Keep(key, std::move(bytes), size);
    }

    // A band of a strip, a row at a time. The library cannot skip rows of a compressed strip,
    // so decoding goes on from where its decoder stands in the strip, or restarts the strip
    // (it does so itself when asked for its first row again); the bands passed on the way are
    // kept too, since they cost the same.
    const std::uint8_t* DecodeStripBands(std::uint64_t key) {
        TIFF* tif = handle_->get();
        const std::int64_t strile = StrileOf(key);
        const std::int64_t stripStart = strile * layout_.blockHeight;
        const std::int64_t band = BandOf(key);
        const std::int64_t firstBand =
            scanStrip_ == strile && scanNextRow_ <= stripStart + band * bandRows_
                ? (scanNextRow_ - stripStart) / bandRows_
                : 0;
        scanStrip_ = -1;
        const std::uint8_t* block = nullptr;
        for (std::int64_t b = firstBand; b <= band; ++b) {
            const std::uint64_t bandKey = Key(strile, b);
            const std::int64_t size = BlockBytes(bandKey);
            std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]);
            if (!bytes)
                return nullptr;
            const std::int64_t first = stripStart + b * bandRows_;
            for (std::int64_t i = 0; i < size / layout_.RowBytes(); ++i)
                if (TIFFReadScanline(tif, bytes.get() + i * layout_.RowBytes(),
                                     std::uint32_t(first + i), 0) < 0) {
                    // scanStrip_ stays unknown: the next read of this strip starts at its
                    // first row, which makes the library restart it rather than go on
                    // from a broken decoder state.
                    return nullptr;
                }
            decodedBytes_ += size;
            scanStrip_ = strile;
            scanNextRow_ = first + size / layout_.RowBytes();
            block = Keep(bandKey, std::move(bytes), size);
        }
        return block;
    }

    TiffSource source_;
    std::shared_ptr<const SourceFile> file_; // a file source's descriptor
    BlockCache cache_;
    std::int64_t bandRows_ = 1;
    std::unique_ptr<TiffHandle> handle_;
    // Where the library's scanline decoder stands: the strip (-1: unknown) and its next row.
    std::int64_t scanStrip_ = -1;
    std::int64_t scanNextRow_ = 0;
    std::unique_ptr<std::uint8_t[]> transient_;
    std::int64_t decodedBytes_ = 0;
};

SampleReader::SampleReader(const TiffSource& source, std::int64_t cacheBoundBytes)
    : impl_(std::make_unique<Impl>(source, cacheBoundBytes)) {}

SampleReader::~SampleReader() = default;

bool SampleReader::IsOpen() const {
    return impl_->open_;
}
QString SampleReader::OpenError() const {
    return impl_->openError_;
}
std::int64_t SampleReader::Width() const {
    return impl_->layout_.width;
}
std::int64_t SampleReader::Height() const {
    return impl_->layout_.height;
}
SampleFormat SampleReader::Format() const {
    return impl_->layout_.format;
}
int SampleReader::BitsPerSample() const {
    return impl_->layout_.bitsPerSample;
}
bool SampleReader::MinIsWhite() const {
    return impl_->layout_.minIsWhite;
}

StoredSample SampleReader::Sample(std::int64_t column, std::int64_t row) {
    const auto place = impl_->Locate(column, row);
    if (!place)
        return {};
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    Call call;
    StoredSample sample;
    if (const std::uint8_t* block = impl_->Block(place->key, call))
        sample = impl_->SampleAt(block, place->offset);
    impl_->EndCall();
    return sample;
}

CachedLookup SampleReader::TryCachedSample(std::int64_t column, std::int64_t row) {
    CachedLookup lookup;
    const auto place = impl_->Locate(column, row);
    if (!place) {
        lookup.state = CachedLookup::State::NoValue;
        return lookup;
    }
    std::unique_lock<std::mutex> lock(impl_->mutex_, std::try_to_lock);
    if (!lock.owns_lock())
        return lookup;
    // Peeking at the cache only: Block() would decode on a miss.
    if (const std::uint8_t* block = impl_->FindCached(place->key)) {
        lookup.state = CachedLookup::State::Hit;
        lookup.sample = impl_->SampleAt(block, place->offset);
    }
    return lookup;
}

std::optional<std::vector<StoredSample>> SampleReader::Samples(const std::vector<FilePixel>& pixels,
                                                               const std::atomic<bool>* cancel) {
    std::vector<StoredSample> samples(pixels.size());
    struct Wanted {
        Place place;
        std::size_t index;
    };
    std::vector<Wanted> wanted;
    wanted.reserve(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (const auto place = impl_->Locate(pixels[i].Column, pixels[i].Row))
            wanted.push_back({*place, i});
    // Storage order: strips (and bands) top to bottom, so a strip read in bands is decoded
    // forward once instead of restarting for every earlier row. Rows of a strip file asked for
    // top to bottom (a picture of the view) are in that order already.
    const auto inStorageOrder = [](const Wanted& a, const Wanted& b) {
        return a.place.key != b.place.key ? a.place.key < b.place.key : a.index < b.index;
    };
    if (!std::is_sorted(wanted.begin(), wanted.end(), inStorageOrder))
        std::sort(wanted.begin(), wanted.end(), inStorageOrder);
    Call call;
    for (std::size_t begin = 0; begin < wanted.size();) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return std::nullopt;
        const std::uint64_t key = wanted[begin].place.key;
        std::size_t end = begin;
        std::lock_guard<std::mutex> lock(impl_->mutex_);
        const std::uint8_t* block = impl_->Block(key, call);
        for (; end < wanted.size() && wanted[end].place.key == key; ++end)
            if (block)
                samples[wanted[end].index] = impl_->SampleAt(block, wanted[end].place.offset);
        impl_->EndCall();
        begin = end;
    }
    return samples;
}

QStringList SampleReader::TakeReadErrors() {
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->TakeErrors();
}

std::int64_t SampleReader::CacheBoundBytes() const {
    return impl_->BoundBytes();
}

std::int64_t SampleReader::CachedBytes() const {
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->CachedBytes();
}

std::int64_t SampleReader::DecodedBytes() const {
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->DecodedBytes();
}

std::optional<double> SampleHeightMm(std::uint32_t sample, int bitsPerSample, bool minIsWhite,
                                     double zMinMm, double zMaxMm) {
    if (bitsPerSample < 1 || bitsPerSample > 32)
        return std::nullopt;
    if (!std::isfinite(zMinMm) || !std::isfinite(zMaxMm) || zMinMm == zMaxMm)
        return std::nullopt;
    const std::uint64_t top = (std::uint64_t(1) << bitsPerSample) - 1;
    if (sample > top)
        return std::nullopt;
    const std::uint64_t level = minIsWhite ? top - sample : sample;
    // The same expression, in the same order, as the displayed level's height.
    return zMinMm + (zMaxMm - zMinMm) * double(level) / double(top);
}

std::optional<std::uint32_t> AsUnsignedSample(double value) {
    if (!(value >= 0 && value <= 4294967295.0) || value != std::floor(value))
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::optional<double> SampleHeightMm(double sample, int bitsPerSample, bool minIsWhite,
                                     double zMinMm, double zMaxMm) {
    const std::optional<std::uint32_t> unsignedSample = AsUnsignedSample(sample);
    if (!unsignedSample)
        return std::nullopt;
    return SampleHeightMm(*unsignedSample, bitsPerSample, minIsWhite, zMinMm, zMaxMm);
}

} // namespace orvane::image
