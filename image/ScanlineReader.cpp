#include "image/ScanlineReader.h"

#include "image/BlockLayout.h"
#include "image/BlockReader.h"
#include "image/LevelReduction.h"
#include "image/OrderedProgress.h"
#include "image/ReadMessageLog.h"
#include "image/ReadPlan.h"
#include "image/SourceBytes.h"
#include "image/TiffFile.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <thread>
#include <tiffio.h>
#include <vector>

namespace orvane::image {
namespace {

// Working buffers up to this size need no justification from the source size.
constexpr std::int64_t kWorkingFloorBytes = 16LL << 20;
// No codec libtiff ships turns one byte into more than a few thousand (deflate
// peaks near 1032, LZW near 1300); beyond this a claimed size is a lie.
constexpr std::int64_t kMaxExpansion = 4096;
// Threads when the caller leaves it to the reader: beyond this, the memory
// bus rather than the cores limits a read.
constexpr int kMaxAutomaticThreads = 8;
constexpr int kMaxThreads = 64;
// Below this many sample bytes an image is read before a second thread and
// its handle would be ready.
constexpr double kParallelMinBytes = 4 << 20;
// Samples a thread takes at a time: enough that handing out costs nothing,
// few enough that the threads finish together.
constexpr std::int64_t kHandOutBytes = 512 << 10;
constexpr int kMinHandOutsPerThread = 8;

ReadLayout MeasureLayout(TIFF* tif, int bytesPerSample, const ImageGeometry& g,
                         std::uint64_t sourceBytes) {
    ReadLayout layout;
    layout.bytesPerSample = bytesPerSample;
    layout.sourceBytes = sourceBytes;
    const BlockLayout blocks = MeasureBlocks(tif, bytesPerSample, sourceBytes);
    layout.tiled = blocks.tiled;
    layout.rowsPerBlock = blocks.blockHeight;
    layout.usable = BuffersFit(blocks, g.SpanWidth, RowFit::AtLeast);
    if (layout.tiled) {
        layout.tileWidth = blocks.blockWidth;
        layout.tileBytes = blocks.tileBytes;
        layout.tilesAcross =
            blocks.blockWidth > 0 ? (g.SpanWidth + blocks.blockWidth - 1) / blocks.blockWidth : 0;
        // A thread takes a row of tiles at a time: the row within the limit as well.
        layout.usable =
            layout.usable &&
            layout.tilesAcross <=
                blocks.workingLimit / (blocks.blockWidth * blocks.blockHeight * bytesPerSample);
    } else {
        layout.scanlineBytes = blocks.scanlineBytes;
    }
    if (!layout.usable)
        return layout;
    layout.blocks = (g.SpanHeight + layout.rowsPerBlock - 1) / layout.rowsPerBlock;

    std::uint16_t compression = COMPRESSION_NONE, fillOrder = FILLORDER_MSB2LSB;
    std::uint16_t photometric = 0xFFFF;
    const std::int64_t imageLength = blocks.imageHeight;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fillOrder);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    // The library reverses the bits of LSB-first strips in the buffer it
    // decodes from: such strips go through its own copy of them.
    layout.msbFillOrder = fillOrder != FILLORDER_LSB2MSB;
    // Grey levels only: the library sizes other layouts (YCbCr) its own way.
    layout.inPlace =
        compression == COMPRESSION_NONE && layout.msbFillOrder &&
        (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
    if (!layout.tiled && layout.scanlineBytes > 0) {
        const std::int64_t stripRows = std::min(layout.rowsPerBlock, imageLength);
        if (stripRows <= std::numeric_limits<std::int64_t>::max() / layout.scanlineBytes)
            layout.fullStripBytes = stripRows * layout.scanlineBytes;
    }
    const bool stream = compression == COMPRESSION_LZW ||
                        compression == COMPRESSION_ADOBE_DEFLATE ||
                        compression == COMPRESSION_DEFLATE;
    layout.lzw = compression == COMPRESSION_LZW;
    layout.deflate = compression == COMPRESSION_ADOBE_DEFLATE || compression == COMPRESSION_DEFLATE;
    layout.imageRows = imageLength;
    layout.wholeStrips = stream && !layout.tiled;
    std::uint16_t predictor = PREDICTOR_NONE, samplesPerPixel = 1;
    if (stream)
        TIFFGetField(tif, TIFFTAG_PREDICTOR, &predictor);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    layout.accumulate =
        layout.wholeStrips && predictor == PREDICTOR_HORIZONTAL && samplesPerPixel == 1;
    layout.parallel =
        stream || compression == COMPRESSION_NONE || compression == COMPRESSION_PACKBITS;
    layout.fileHighByte = HighByteIndex(TIFFIsBigEndian(tif));
    layout.nativeHighByte = NativeHighByteIndex();
    return layout;
}

// LZW strips from before 1990 use another bit order; a handle that meets one
// first warns once and decodes the old way from then on. Such a file is read
// by one handle, in order, so that this happens exactly as it always did.
bool MayHoldOldStyleLzw(TIFF* tif, const ReadPlan& plan) {
    std::vector<std::uint8_t> scratch;
    auto oldStyle = [&](std::uint32_t strile) {
        int err = 0;
        const std::uint64_t offset = TIFFGetStrileOffsetWithErr(tif, strile, &err);
        const std::uint64_t count = err ? 0 : TIFFGetStrileByteCountWithErr(tif, strile, &err);
        if (err || count < 2)
            return false;
        const std::uint8_t* head = plan.bytes->Read(offset, 2, scratch);
        return !head || (head[0] == 0 && (head[1] & 1)); // unreadable: assume the worst
    };
    const ReadLayout& layout = plan.layout;
    for (std::int64_t block = 0; block < layout.blocks; ++block) {
        const std::uint32_t y = std::uint32_t(plan.FirstRow(block));
        if (!layout.tiled && oldStyle(TIFFComputeStrip(tif, y, 0)))
            return true;
        for (std::int64_t tx = 0; layout.tiled && tx < layout.tilesAcross; ++tx)
            if (oldStyle(TIFFComputeTile(tif, std::uint32_t(tx * layout.tileWidth), y, 0, 0)))
                return true;
    }
    return false;
}

int ThreadsWanted(const ReadOptions& options, const ImageGeometry& g, int bytesPerSample) {
    if (options.threads > 0)
        return std::min(options.threads, kMaxThreads);
    const double sampleBytes = double(g.SpanWidth) * double(g.SpanHeight) * bytesPerSample;
    if (sampleBytes < kParallelMinBytes)
        return 1;
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(int(cores), 1, kMaxAutomaticThreads);
}

// Each thread holds working buffers of its own: the read starts no more
// threads than one source's working buffer limit holds, so that a header
// claiming buffers just within the limit does not multiply them.
int ThreadsWithinBudget(const ReadPlan& plan) {
    const std::int64_t perThread = std::max<std::int64_t>(1, BlockReader::WorkingBytes(plan));
    return int(std::clamp<std::int64_t>(WorkingBufferLimit(plan.layout.sourceBytes) / perThread, 1,
                                        kMaxThreads));
}

std::int64_t BlocksPerHandOut(const ReadPlan& plan, const ReadOptions& options, int threads) {
    if (options.stripsPerHandOut > 0)
        return options.stripsPerHandOut;
    const std::int64_t rowBytes =
        std::max<std::int64_t>(1, plan.geometry.SpanWidth * plan.layout.bytesPerSample);
    const std::int64_t blockRows =
        std::max<std::int64_t>(1, std::min(plan.layout.rowsPerBlock, plan.geometry.SpanHeight));
    const std::int64_t bySize =
        blockRows >= kHandOutBytes / rowBytes ? 1 : kHandOutBytes / (blockRows * rowBytes);
    const std::int64_t byBalance =
        plan.layout.blocks / (std::int64_t(threads) * kMinHandOutsPerThread);
    return std::max<std::int64_t>(1, std::min(bySize, byBalance));
}

// Blocks [first, end).
struct BlockRange {
    std::int64_t first = 0;
    std::int64_t end = 0;
};

// The threads take runs of strips from a shared counter, so strips are taken
// in ascending order and the rows done from the top grow steadily.
class HandOut {
public:
    HandOut(const ReadPlan& plan, std::int64_t blocksPerHandOut, OrderedProgress& progress,
            const std::atomic<bool>* cancel)
        : plan_(plan), cancel_(cancel), perHandOut_(blocksPerHandOut),
          handOuts_((plan.layout.blocks + blocksPerHandOut - 1) / blocksPerHandOut),
          progress_(progress), notHandedOut_(handOuts_) {}

    std::int64_t Count() const { return handOuts_; }

    // No more runs go out; the threads finish those they have.
    void Stop() {
        const std::int64_t next = next_.exchange(handOuts_);
        if (next < handOuts_)
            notHandedOut_ = next; // the one stop that ends the hand-out
    }
    // The blocks no thread took, once the threads are done.
    BlockRange NotHandedOut() const {
        return {std::min(notHandedOut_ * perHandOut_, plan_.layout.blocks), plan_.layout.blocks};
    }

    // Reads runs until none is left. When a block fails, `notRead` holds the
    // blocks of the run from that one on.
    void Work(BlockReader& reader, BlockRange& notRead) {
        for (std::int64_t turn = next_.fetch_add(1); turn < handOuts_; turn = next_.fetch_add(1)) {
            // A cancelled read ends here; its caller throws the partial result away.
            if (cancel_ && cancel_->load(std::memory_order_relaxed)) {
                Stop();
                return;
            }
            const std::int64_t first = turn * perHandOut_;
            const std::int64_t end = std::min(first + perHandOut_, plan_.layout.blocks);
            std::int64_t notPassedOn = plan_.FirstRow(first);
            for (std::int64_t block = first; block < end; ++block) {
                notRead = {block, end};
                reader.Read(block);
                notRead.first = block + 1;
                // Done rows are passed on when a percentage may be due, and
                // at the end of the run.
                const std::int64_t endRow = plan_.EndRow(block);
                if (progress_.Wanted() &&
                    (block + 1 == end || progress_.ReportsWithin(plan_.FirstRow(block), endRow))) {
                    progress_.RowsDone(notPassedOn, endRow);
                    notPassedOn = endRow;
                }
            }
        }
    }

private:
    const ReadPlan& plan_;
    const std::atomic<bool>* cancel_;
    const std::int64_t perHandOut_;
    const std::int64_t handOuts_;
    OrderedProgress& progress_;
    std::atomic<std::int64_t> next_{0};
    std::int64_t notHandedOut_; // read once the threads are joined
};

struct ThreadOutcome {
    std::int64_t unreadableRows = 0;
    ReadMessageLog messages;
    std::vector<RowRange> lostKeptRows;
    std::exception_ptr failure;
    BlockRange notRead; // what the failure left unread of the thread's run
    ValueRange values;
};

// One thread's share of the read. A failure (memory running out) stops the
// hand-out and is kept in `outcome`, with what the thread had done.
void ReadShare(const ReadPlan& plan, TiffHandle& handle, HandOut& handOut,
               ThreadOutcome& outcome) noexcept {
    std::optional<BlockReader> reader;
    try {
        reader.emplace(plan, handle);
        handOut.Work(*reader, outcome.notRead);
    } catch (...) {
        outcome.failure = std::current_exception();
        handOut.Stop();
    }
    if (reader) {
        outcome.unreadableRows = reader->UnreadableRows();
        outcome.lostKeptRows = reader->TakeLostKeptRows();
        outcome.values = reader->Values();
        outcome.messages = reader->TakeLog();
    }
}

// Reads every block with the first handle on this thread and up to
// `threads` - 1 more threads, each opening its own handle; `outcomes` holds
// one entry per thread. Returns the threads it ran on.
int ReadInParallel(const ReadPlan& plan, TiffHandle& firstHandle, HandOut& handOut, int threads,
                   std::vector<ThreadOutcome>& outcomes) noexcept {
    std::vector<std::thread> helpers;
    try {
        // Reserved first: a joinable thread must never be lost to a vector
        // that fails to grow.
        helpers.reserve(std::size_t(threads - 1));
        for (int t = 1; t < threads; ++t) {
            ThreadOutcome& outcome = outcomes[std::size_t(t)];
            helpers.emplace_back([&plan, &handOut, &outcome] {
                std::unique_ptr<TiffHandle> handle;
                try {
                    handle = TiffHandle::Open(plan.source);
                    if (!*handle)
                        return;             // the others read its share
                    handle->TakeMessages(); // said already, by the first handle
                } catch (...) {
                    outcome.failure = std::current_exception();
                    handOut.Stop();
                    return;
                }
                ReadShare(plan, *handle, handOut, outcome);
            });
        }
    } catch (...) {
        // No more threads to be had: those started, and this one, do it all.
    }
    ReadShare(plan, firstHandle, handOut, outcomes[0]);
    for (std::thread& helper : helpers)
        helper.join();
    return int(helpers.size()) + 1;
}

// Every row lost: the kept rows hold level 0.
void LoseEveryRow(const ImageGeometry& g, std::uint8_t* levels, ReadResult& result) noexcept {
    result.unreadableRows = g.SpanHeight;
    if (g.ColumnStep < 1 || g.RowStep < 1 || !levels)
        return;
    const std::int64_t keptWidth = g.SpanWidth / g.ColumnStep;
    const std::int64_t keptHeight = g.SpanHeight / g.RowStep;
    for (std::int64_t row = 0; row < keptHeight; ++row)
        std::memset(levels + row * keptWidth, 0, std::size_t(keptWidth));
    try {
        result.lostKeptRows.assign(1, RowRange{0, keptHeight});
    } catch (...) {
        // No memory even for this: the rows are level 0 all the same.
    }
}

// Ascending, disjoint ranges from any ranges: overlapping and adjacent ones joined.
void JoinRanges(std::vector<RowRange>& ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const RowRange& a, const RowRange& b) { return a.first < b.first; });
    std::size_t kept = 0;
    for (const RowRange& range : ranges) {
        if (range.first >= range.end)
            continue;
        if (kept > 0 && range.first <= ranges[kept - 1].end)
            ranges[kept - 1].end = std::max(ranges[kept - 1].end, range.end);
        else
            ranges[kept++] = range;
    }
    ranges.resize(kept);
}

// The read, which may throw before its threads start and after they end;
// `result` holds what it has reached.
void ReadAll(const TiffSource& given, const ImageGeometry& g, std::uint8_t* buffer,
             const ProgressFunction& progress, const ReadOptions& options, ReadResult& result) {
    result.unreadableRows = g.SpanHeight; // until rows are read
    // Every handle and byte read of the read goes through one open file.
    TiffSource src = given;
    if (!src.inMemory)
        src.file = src.OpenFile();
    auto handle = TiffHandle::Open(src);
    if (!*handle) {
        LoseEveryRow(g, buffer, result);
        result.errors = handle->TakeErrors();
        return;
    }
    result.opened = true;
    TIFF* tif = handle->get();
    std::uint16_t bits = 0;
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    const bool bitsRead =
        options.values ? bits == options.values->format.bits : bits == 8 || bits == 16;
    if (!bitsRead || g.ColumnStep < 1 || g.RowStep < 1) {
        LoseEveryRow(g, buffer, result);
        result.errors = handle->TakeErrors();
        return;
    }

    ReadPlan plan;
    plan.source = src;
    plan.geometry = g;
    plan.layout = MeasureLayout(tif, bits / 8, g, handle->SourceSize());
    plan.levels = buffer;
    plan.values = options.values;
    if (plan.values) {
        // Values are read in this machine's byte order, and the library undoes any predictor.
        plan.layout.accumulate = false;
        if (bits > 8 && TIFFIsByteSwapped(tif))
            plan.layout.inPlace = false;
    }
    plan.keptWidth = g.SpanWidth / g.ColumnStep;
    plan.keptHeight = g.SpanHeight / g.RowStep;
    TiffHandle::Messages beforeReading = handle->TakeMessages();
    OrderedProgress ordered(g.SpanHeight, g.RowStep, progress);

    if (!plan.layout.usable) {
        LoseEveryRow(g, buffer, result);
        ordered.RowsDone(0, g.SpanHeight);
        result.errors = ReadMessageLog::Merge(std::move(beforeReading), {});
        return;
    }

    const SourceBytes bytes(src);
    plan.bytes = &bytes;
    if (plan.layout.lzw && MayHoldOldStyleLzw(tif, plan)) {
        plan.layout.parallel = false;
        plan.layout.wholeStrips = false;
        plan.layout.accumulate = false;
    }
    int threads = plan.layout.parallel ? ThreadsWanted(options, g, plan.layout.bytesPerSample) : 1;
    threads = std::min(threads, ThreadsWithinBudget(plan));
    HandOut handOut(plan, BlocksPerHandOut(plan, options, threads), ordered, options.cancel);
    threads = std::max(1, int(std::min<std::int64_t>(threads, handOut.Count())));
    std::vector<ThreadOutcome> outcomes(static_cast<std::size_t>(threads));
    result.threads = ReadInParallel(plan, *handle, handOut, threads, outcomes);

    // Until the lost rows are known, every row counts as lost (and is
    // cleared, should what follows fail).
    std::int64_t lost = 0;
    std::exception_ptr failure;
    std::size_t ranges = 2;
    for (const ThreadOutcome& outcome : outcomes)
        ranges += outcome.lostKeptRows.size() + 1;
    std::vector<RowRange> lostKeptRows;
    lostKeptRows.reserve(ranges);
    auto loseBlocks = [&plan, &lost, &lostKeptRows](BlockRange blocks) {
        if (blocks.first >= blocks.end)
            return;
        const std::int64_t first = plan.FirstRow(blocks.first), end = plan.EndRow(blocks.end - 1);
        lost += end - first;
        lostKeptRows.push_back(plan.ClearKeptRows(first, end));
    };
    for (const ThreadOutcome& outcome : outcomes) {
        result.values.Merge(outcome.values);
        lost += outcome.unreadableRows;
        lostKeptRows.insert(lostKeptRows.end(), outcome.lostKeptRows.begin(),
                            outcome.lostKeptRows.end());
        if (outcome.failure) {
            failure = failure ? failure : outcome.failure;
            loseBlocks(outcome.notRead);
        }
    }
    if (failure)
        loseBlocks(handOut.NotHandedOut());
    JoinRanges(lostKeptRows);
    result.lostKeptRows = std::move(lostKeptRows);
    result.unreadableRows = lost;
    if (failure)
        result.failure = ReadFailureText(failure);

    std::vector<ReadMessageLog> logs;
    logs.reserve(outcomes.size());
    for (ThreadOutcome& outcome : outcomes)
        logs.push_back(std::move(outcome.messages));
    result.errors = ReadMessageLog::Merge(std::move(beforeReading), logs);
}

} // namespace

ReadResult ReadValues(const TiffSource& source, const ImageGeometry& geometry, std::uint8_t* buffer,
                      std::uint8_t* mask, const SampleFormat& format, const NoDataMatch& noData,
                      const ProgressFunction& progress, const ReadOptions& options) {
    // Both passes through one open file.
    TiffSource src = source;
    if (!src.inMemory && !src.file)
        src.file = src.OpenFile();
    int shown = -1;
    auto report = [&progress, &shown](int percent) {
        if (progress && percent != shown)
            progress(percent);
        shown = percent;
    };
    ValueMapping mapping;
    mapping.format = format;
    mapping.noData = noData;
    ReadOptions passOptions = options;
    passOptions.values = &mapping;
    const ReadResult first = ReadSamples(
        src, geometry, buffer, [&report](int percent) { report(percent / 2); }, passOptions);
    if (!first.opened || !first.failure.isEmpty())
        return first;
    mapping.rangeOnly = false;
    mapping.low = first.values.min;
    mapping.high = first.values.max;
    mapping.mask = mask;
    mapping.maskStride =
        geometry.ColumnStep > 0 ? MaskStride(geometry.SpanWidth / geometry.ColumnStep) : 0;
    ReadResult second = ReadSamples(
        src, geometry, buffer, [&report](int percent) { report(50 + percent / 2); }, passOptions);
    second.values = first.values;
    return second;
}

std::int64_t WorkingBufferLimit(std::uint64_t sourceBytes) {
    const std::uint64_t cap = TiffHandle::kMaxSingleAllocation;
    const std::uint64_t fillable =
        sourceBytes > cap / kMaxExpansion ? cap : sourceBytes * kMaxExpansion;
    return std::int64_t(std::max<std::uint64_t>(kWorkingFloorBytes, fillable));
}

QString ReadFailureText(const std::exception_ptr& failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Not enough memory to read the file.");
    } catch (const std::exception& e) {
        try {
            return QString::fromLocal8Bit(e.what());
        } catch (...) {
        }
    } catch (...) {
    }
    return QStringLiteral("The read failed.");
}

void InvertLevels(std::uint8_t* levels, const ImageGeometry& g, const ReadResult& read) {
    if (read.unreadableRows >= g.SpanHeight)
        return; // every row lost
    std::int64_t row = 0;
    auto invertUpTo = [&](std::int64_t end) {
        end = std::min(end, g.ImageHeight);
        for (std::int64_t i = row * g.ImageWidth; i < end * g.ImageWidth; ++i)
            levels[i] = static_cast<std::uint8_t>(255 - levels[i]);
        row = std::max(row, end);
    };
    for (const RowRange& lost : read.lostKeptRows) {
        invertUpTo(lost.first);
        row = std::max(row, lost.end);
    }
    invertUpTo(g.ImageHeight);
}

ReadResult ReadSamples(const TiffSource& src, const ImageGeometry& g, std::uint8_t* buffer,
                       const ProgressFunction& progress, const ReadOptions& options) {
    ReadResult result;
    try {
        ReadAll(src, g, buffer, progress, options, result);
    } catch (...) {
        // Before the threads started every row is still lost; after they
        // ended, the rows are as they read them.
        if (result.unreadableRows == g.SpanHeight)
            LoseEveryRow(g, buffer, result);
        result.failure = ReadFailureText(std::current_exception());
    }
    return result;
}

} // namespace orvane::image
