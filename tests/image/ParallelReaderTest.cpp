// The reader on several threads against a plain one-pass read: one handle,
// every row in order, a scanline (or a row of tiles) at a time. Both must
// give the same levels, lost rows, library messages and progress, whatever
// the threads and however the strips are handed out. Run under
// ThreadSanitizer in CI (label reader).
#include "image/OrderedProgress.h"
#include "image/Progress.h"
#include "image/ScanlineReader.h"
#include "image/TiffFile.h"
#include "tests/support/TiffSurgery.h"
#include "tools/TiffWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <thread>
#include <tiffio.h>
#include <vector>

namespace {

using namespace orvane::image;
using namespace orvane::test;
using orvane::tools::TiffLayout;

// The reader's buffer starts with this; no pattern level reaches it, so a
// level left unwritten shows.
constexpr std::uint8_t kUnwritten = 0xCD;

std::uint32_t Level(std::uint32_t x, std::uint32_t y) {
    return (x * 3 + y * 5) % 199;
}

struct Outcome {
    std::vector<std::uint8_t> levels;
    std::int64_t unreadableRows = 0;
    std::vector<RowRange> lostKeptRows;
    QStringList errors;
    std::vector<int> progress;
};

TiffSource SourceOf(const QString& path, const QByteArray& bytes, bool inMemory) {
    return inMemory ? TiffSource::Memory(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                         std::size_t(bytes.size()))
                    : TiffSource::File(path);
}

std::size_t LevelCount(const ImageGeometry& g) {
    return std::size_t(g.SpanWidth / g.ColumnStep * (g.SpanHeight / g.RowStep));
}

// Straight libtiff: every row in order through one handle. A strip (or a row
// of tiles) whose bytes are not in the source is lost unread, and a strip is
// given up at its first row that fails.
Outcome OnePassReference(const TiffSource& source, const ImageGeometry& g) {
    const std::int64_t keptWidth = g.SpanWidth / g.ColumnStep;
    Outcome o;
    o.levels.assign(LevelCount(g), 0);
    const ProgressSchedule schedule(g.SpanHeight, g.RowStep);
    for (std::int64_t row = 0; row < g.SpanHeight; row += g.RowStep)
        if (schedule.ReportsAt(row))
            o.progress.push_back(schedule.PercentAt(row));

    auto lose = [&](std::int64_t firstRow, std::int64_t endRow) {
        o.unreadableRows += endRow - firstRow;
        const std::int64_t keptHeight = g.SpanHeight / g.RowStep;
        const RowRange kept{std::min(keptHeight, (firstRow + g.RowStep - 1) / g.RowStep),
                            std::min(keptHeight, (endRow + g.RowStep - 1) / g.RowStep)};
        if (kept.first == kept.end)
            return;
        if (!o.lostKeptRows.empty() && o.lostKeptRows.back().end == kept.first)
            o.lostKeptRows.back().end = kept.end;
        else
            o.lostKeptRows.push_back(kept);
    };
    auto handle = TiffHandle::Open(source);
    TIFF* tif = handle->get();
    std::uint16_t bits = 0;
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    const int bytes = bits / 8;
    auto keep = [&](const std::uint8_t* samples, std::int64_t row) {
        if (row % g.RowStep != 0)
            return;
        std::uint8_t* out = o.levels.data() + row / g.RowStep * keptWidth;
        for (std::int64_t i = 0; i < keptWidth; ++i) {
            const std::uint8_t* sample = samples + i * g.ColumnStep * bytes;
            std::uint16_t value = *sample;
            if (bytes == 2) {
                std::memcpy(&value, sample, 2);
                value >>= 8;
            }
            out[i] = std::uint8_t(value);
        }
    };
    auto inSource = [&](std::uint32_t strile) {
        int err = 0;
        const std::uint64_t offset = TIFFGetStrileOffsetWithErr(tif, strile, &err);
        const std::uint64_t count = err ? 0 : TIFFGetStrileByteCountWithErr(tif, strile, &err);
        const std::uint64_t size = handle->SourceSize();
        return !err && count > 0 && offset < size && count <= size - offset;
    };
    if (!TIFFIsTiled(tif)) {
        std::vector<std::uint8_t> line(std::size_t(TIFFScanlineSize64(tif)));
        std::uint32_t rowsPerStrip = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        for (std::int64_t row = 0; row < g.SpanHeight;) {
            const std::int64_t end = std::min<std::int64_t>(
                g.SpanHeight, (row / rowsPerStrip + 1) * std::int64_t(rowsPerStrip));
            const bool present = inSource(TIFFComputeStrip(tif, std::uint32_t(row), 0));
            for (; row < end; ++row) {
                if (!present || TIFFReadScanline(tif, line.data(), std::uint32_t(row), 0) < 0) {
                    lose(row, end);
                    row = end;
                    break;
                }
                keep(line.data(), row);
            }
        }
    } else {
        std::uint32_t tw = 0, th = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
        std::vector<std::uint8_t> tile(std::size_t(TIFFTileSize64(tif)));
        const std::int64_t bandStride = (g.SpanWidth + tw - 1) / tw * tw * bytes;
        std::vector<std::uint8_t> band(std::size_t(bandStride * th));
        for (std::int64_t y = 0; y < g.SpanHeight; y += th) {
            const std::int64_t end = std::min<std::int64_t>(g.SpanHeight, y + th);
            bool ok = true;
            for (std::int64_t x = 0; x < g.SpanWidth && ok; x += tw)
                ok = inSource(TIFFComputeTile(tif, std::uint32_t(x), std::uint32_t(y), 0, 0));
            for (std::int64_t x = 0; x < g.SpanWidth && ok; x += tw) {
                ok = TIFFReadTile(tif, tile.data(), std::uint32_t(x), std::uint32_t(y), 0, 0) >= 0;
                for (std::uint32_t r = 0; r < th && ok; ++r)
                    std::memcpy(band.data() + r * bandStride + x * bytes,
                                tile.data() + std::size_t(r) * tw * bytes, std::size_t(tw) * bytes);
            }
            if (!ok) {
                lose(y, end);
                continue;
            }
            for (std::int64_t row = y; row < end; ++row)
                keep(band.data() + (row - y) * bandStride, row);
        }
    }
    o.errors = handle->TakeErrors();
    return o;
}

// A progress call that takes a while holds up the thread that makes it, so
// that the others take more strips and finish them out of order.
Outcome ReadWith(const TiffSource& source, const ImageGeometry& g, const ReadOptions& options) {
    Outcome o;
    o.levels.assign(LevelCount(g), kUnwritten);
    const ReadResult r = ReadSamples(
        source, g, o.levels.data(),
        [&o, &options](int percent) {
            o.progress.push_back(percent);
            if (options.threads > 1)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
        },
        options);
    o.unreadableRows = r.unreadableRows;
    o.lostKeptRows = r.lostKeptRows;
    o.errors = r.errors;
    return o;
}

enum class Damage {
    None,
    MiddleStripOutside, // one strip's bytes claimed past the end of the file
    CutEnd,             // directory first, then the last strip and a half cut off
    GarbageInStrip,     // bytes overwritten inside one compressed strip
    GarbageEveryThirdStrip,
    ShortStrip,        // one uncompressed strip's byte count cut to 2.5 rows
    MiddleTileOutside, // one tile's bytes claimed past the end
    FewerRows,         // the image claims 5 rows fewer: the last strip holds more than it needs
};

struct Case {
    const char* name;
    std::uint32_t width, height;
    int bits;
    std::uint16_t compression, predictor;
    std::uint32_t rowsPerStrip, tileSize;
    std::int64_t step;
    Damage damage;
    std::int64_t lostRows; // in the reference; -1: some
    bool bigTiff = false;
    bool bigEndian = false;
    std::uint32_t sameRowsFrom = 0; // rows after this one repeat it; 0: none
    bool lsbFirst = false;          // FillOrder 2: the bits of each byte lowest first
};

std::uint32_t PatternRow(const Case& c, std::uint32_t y) {
    return c.sameRowsFrom && y > c.sameRowsFrom ? c.sameRowsFrom : y;
}

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

constexpr std::uint16_t kNone = COMPRESSION_NONE, kLzw = COMPRESSION_LZW,
                        kDeflate = COMPRESSION_ADOBE_DEFLATE, kPackBits = COMPRESSION_PACKBITS;

const Case kCases[] = {
    {"16-bit, one row per strip", 61, 230, 16, kNone, 0, 1, 0, 1, Damage::None, 0},
    {"16-bit big-endian, 16 rows per strip", 64, 150, 16, kNone, 0, 16, 0, 1, Damage::None, 0,
     false, true},
    {"8-bit, 7 rows per strip", 50, 140, 8, kNone, 0, 7, 0, 1, Damage::None, 0},
    {"16-bit tiles", 70, 90, 16, kNone, 0, 0, 16, 1, Damage::None, 0},
    {"8-bit Deflate tiles, big-endian", 70, 90, 8, kDeflate, 0, 0, 16, 1, Damage::None, 0, false,
     true},
    {"16-bit LZW + predictor, 5 rows per strip", 64, 160, 16, kLzw, 2, 5, 0, 1, Damage::None, 0},
    {"16-bit Deflate + predictor, one row per strip", 64, 160, 16, kDeflate, 2, 1, 0, 1,
     Damage::None, 0},
    {"8-bit Deflate + predictor, 9 rows per strip", 64, 160, 8, kDeflate, 2, 9, 0, 1, Damage::None,
     0},
    {"8-bit PackBits, 4 rows per strip", 64, 120, 8, kPackBits, 0, 4, 0, 1, Damage::None, 0},
    {"BigTIFF 16-bit LZW, 3 rows per strip", 40, 120, 16, kLzw, 0, 3, 0, 1, Damage::None, 0, true},
    {"BigTIFF 16-bit big-endian tiles", 40, 120, 16, kNone, 0, 0, 16, 1, Damage::None, 0, true,
     true},
    // Thinned: every second or third row and column.
    {"step 2, 16-bit, one row per strip", 64, 200, 16, kNone, 0, 1, 0, 2, Damage::None, 0},
    {"step 3, 8-bit, 4 rows per strip", 66, 150, 8, kNone, 0, 4, 0, 3, Damage::None, 0},
    {"step 2, 8-bit LZW + predictor, 3 rows per strip", 64, 150, 8, kLzw, 2, 3, 0, 2, Damage::None,
     0},
    {"step 3, 16-bit Deflate, one row per strip", 66, 150, 16, kDeflate, 0, 1, 0, 3, Damage::None,
     0},
    {"step 3, 16-bit tiles", 70, 90, 16, kNone, 0, 0, 16, 3, Damage::None, 0},
    {"step 2, BigTIFF 16-bit big-endian, 5 rows per strip", 64, 100, 16, kNone, 0, 5, 0, 2,
     Damage::None, 0, true, true},
    // Damaged files.
    {"a strip in the middle outside the file", 64, 96, 16, kNone, 0, 8, 0, 1,
     Damage::MiddleStripOutside, 8},
    {"a strip in the middle outside the file, step 3", 66, 96, 16, kNone, 0, 8, 0, 3,
     Damage::MiddleStripOutside, 8},
    {"the last strip and a half cut off", 64, 96, 16, kNone, 0, 8, 0, 1, Damage::CutEnd, 16},
    {"the last strip and a half cut off, LZW", 64, 96, 16, kLzw, 2, 8, 0, 1, Damage::CutEnd, 16},
    {"garbage inside an LZW strip", 64, 96, 16, kLzw, 2, 12, 0, 1, Damage::GarbageInStrip, -1},
    {"garbage inside a Deflate strip, step 2", 64, 96, 8, kDeflate, 0, 12, 0, 2,
     Damage::GarbageInStrip, -1},
    {"garbage in every third Deflate strip", 32, 150, 8, kDeflate, 0, 1, 0, 1,
     Damage::GarbageEveryThirdStrip, 50},
    {"garbage in every third LZW strip, step 2", 32, 150, 16, kLzw, 2, 2, 0, 2,
     Damage::GarbageEveryThirdStrip, -1},
    {"an uncompressed strip shorter than its rows", 64, 96, 16, kNone, 0, 8, 0, 1,
     Damage::ShortStrip, 6},
    {"a tile in the middle outside the file", 70, 90, 16, kNone, 0, 0, 16, 1,
     Damage::MiddleTileOutside, 16},
    // The library decodes a strip requested whole with libdeflate, which
    // leaves the end of the buffer unwritten when the data runs past it
    // inside a repeat (here: from row 88 on, every row is the same); a
    // scanline read decodes with zlib, which does not.
    {"a Deflate strip holding more rows than the image", 64, 96, 16, kDeflate, 2, 8, 0, 1,
     Damage::FewerRows, 0, false, false, 88},
    // The library reverses the bits of such strips before decoding them.
    {"LSB-first 16-bit LZW + predictor, 5 rows per strip", 64, 160, 16, kLzw, 2, 5, 0, 1,
     Damage::None, 0, false, false, 0, true},
    {"LSB-first 8-bit Deflate, 7 rows per strip, step 2", 64, 160, 8, kDeflate, 0, 7, 0, 2,
     Damage::None, 0, false, false, 0, true},
    {"LSB-first 8-bit, 4 rows per strip", 50, 140, 8, kNone, 0, 4, 0, 1, Damage::None, 0, false,
     false, 0, true},
};

QByteArray MakeFile(const Case& c) {
    TiffLayout layout;
    layout.width = c.width;
    layout.height = c.height;
    layout.bitsPerSample = c.bits;
    layout.compression = c.compression;
    layout.predictor = c.predictor;
    layout.rowsPerStrip = c.rowsPerStrip;
    layout.tileSize = c.tileSize;
    layout.bigTiff = c.bigTiff;
    layout.bigEndian = c.bigEndian;
    layout.fillOrder = c.lsbFirst ? FILLORDER_LSB2MSB : 0;
    const int bits = c.bits;
    return TiffBytes(layout, [bits, &c](std::uint32_t x, std::uint32_t fileRow, int) {
        const std::uint32_t y = PatternRow(c, fileRow);
        // 16-bit: noise in the low byte, so that compressed strips are not
        // all alike; the level, the high byte, keeps the pattern.
        std::uint32_t noise = x * 73856093u ^ y * 19349663u;
        noise ^= noise >> 13;
        return bits == 8 ? Level(x, y) : Level(x, y) << 8 | ((noise * 0x5bd1e995u) >> 24);
    });
}

// Offsets and byte counts of the file's strips or tiles, as the library reads them.
struct Striles {
    std::vector<std::uint64_t> offsets, counts;
};
Striles StrilesOf(const QByteArray& bytes) {
    auto handle = TiffHandle::Open(TiffSource::Memory(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    Striles s;
    for (std::uint32_t i = 0; i < TIFFNumberOfStrips(handle->get()); ++i) {
        s.offsets.push_back(TIFFGetStrileOffset(handle->get(), i));
        s.counts.push_back(TIFFGetStrileByteCount(handle->get(), i));
    }
    return s;
}

QByteArray Damaged(QByteArray bytes, const Case& c) {
    const Striles s = StrilesOf(bytes);
    const int middle = int(s.offsets.size() / 2);
    const std::uint32_t past = std::uint32_t(bytes.size()) + 4096;
    auto overwrite = [&bytes](std::uint64_t at, int count) {
        for (int i = 0; i < count; ++i)
            bytes[qsizetype(at) + i] = char(0xFF);
    };
    switch (c.damage) {
    case Damage::None:
        break;
    case Damage::MiddleStripOutside:
        EXPECT_TRUE(surgery::SetTagValue(bytes, TIFFTAG_STRIPOFFSETS, middle, past));
        break;
    case Damage::CutEnd:
        bytes = surgery::DirectoryFirst(bytes);
        bytes.chop(qsizetype(s.counts.back() + s.counts[s.counts.size() - 2] / 2));
        break;
    case Damage::GarbageInStrip:
        overwrite(s.offsets[middle] + s.counts[middle] / 3, 8);
        break;
    case Damage::GarbageEveryThirdStrip:
        for (std::size_t i = 1; i < s.offsets.size(); i += 3)
            overwrite(s.offsets[i], 2);
        break;
    case Damage::ShortStrip:
        EXPECT_TRUE(surgery::SetTagValue(bytes, TIFFTAG_STRIPBYTECOUNTS, middle,
                                         std::uint32_t(c.width * c.bits / 8 * 5 / 2)));
        break;
    case Damage::MiddleTileOutside:
        EXPECT_TRUE(surgery::SetTagValue(bytes, TIFFTAG_TILEOFFSETS, middle, past));
        break;
    case Damage::FewerRows:
        EXPECT_TRUE(surgery::SetTagValues(bytes, TIFFTAG_IMAGELENGTH, c.height - 5));
        break;
    }
    return bytes;
}

class ParallelRead : public ::testing::TestWithParam<Case> {
protected:
    QTemporaryDir dir;
};

TEST_P(ParallelRead, MatchesTheOnePassRead) {
    const Case& c = GetParam();
    const QByteArray bytes = Damaged(MakeFile(c), c);
    const QString path = dir.filePath(QStringLiteral("case.tif"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const std::uint32_t height = c.damage == Damage::FewerRows ? c.height - 5 : c.height;
    const ImageGeometry g =
        ThinnedGeometry(c.width / c.step * c.step, height / c.step * c.step, c.step);
    for (bool inMemory : {false, true}) {
        const TiffSource source = SourceOf(path, bytes, inMemory);
        const Outcome reference = OnePassReference(source, g);
        if (c.lostRows >= 0)
            EXPECT_EQ(reference.unreadableRows, c.lostRows);
        else
            EXPECT_GT(reference.unreadableRows, 0);
        // Strips outside the file are lost unread, without a word from the library.
        const bool silent = c.damage == Damage::None || c.damage == Damage::FewerRows ||
                            c.damage == Damage::MiddleStripOutside || c.damage == Damage::CutEnd ||
                            c.damage == Damage::MiddleTileOutside;
        EXPECT_EQ(reference.errors.isEmpty(), silent) << reference.errors.join(" | ").toStdString();
        if (c.damage == Damage::None || c.damage == Damage::FewerRows) {
            // The reference itself reads the pattern.
            const std::int64_t keptWidth = g.SpanWidth / g.ColumnStep;
            for (std::size_t i = 0; i < reference.levels.size(); ++i)
                ASSERT_EQ(reference.levels[i],
                          Level(std::uint32_t(i % keptWidth * c.step),
                                PatternRow(c, std::uint32_t(i / keptWidth * c.step))))
                    << i;
        }
        for (int threads : {1, 2, 3, 8})
            for (std::int64_t perHandOut : {0, 1}) {
                const Outcome o = ReadWith(source, g, ReadOptions{threads, perHandOut});
                const std::string where = std::to_string(threads) + " threads, " +
                                          std::to_string(perHandOut) + " strips a turn" +
                                          (inMemory ? ", from memory" : ", from the file");
                EXPECT_TRUE(o.levels == reference.levels) << where;
                EXPECT_EQ(o.unreadableRows, reference.unreadableRows) << where;
                EXPECT_TRUE(o.lostKeptRows == reference.lostKeptRows) << where;
                EXPECT_EQ(o.errors, reference.errors) << where;
                EXPECT_EQ(o.progress, reference.progress) << where;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ParallelRead, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// A memory source is the caller's block, which the reader never writes, not
// even to reverse the bits of LSB-first strips for the decoder and back:
// several threads may share the block, and it may be read-only, as here,
// where a write faults.
class ReadOnlyCopy {
public:
    explicit ReadOnlyCopy(const QByteArray& bytes) : size_(std::size_t(bytes.size())) {
        void* at = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (at == MAP_FAILED)
            return;
        std::memcpy(at, bytes.constData(), size_);
        if (mprotect(at, size_, PROT_READ) != 0) {
            munmap(at, size_);
            return;
        }
        data_ = static_cast<const std::uint8_t*>(at);
    }
    ~ReadOnlyCopy() {
        if (data_)
            munmap(const_cast<std::uint8_t*>(data_), size_);
    }
    ReadOnlyCopy(const ReadOnlyCopy&) = delete;
    ReadOnlyCopy& operator=(const ReadOnlyCopy&) = delete;

    TiffSource Source() const { return TiffSource::Memory(data_, size_); }
    explicit operator bool() const { return data_ != nullptr; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

TEST(ReadOnlyBlock, LsbFirstStripsDecodeWithoutWritingIt) {
    const Case cases[] = {
        {"LZW", 256, 240, 16, kLzw, 2, 8, 0, 1, Damage::None, 0, false, false, 0, true},
        {"Deflate", 256, 240, 8, kDeflate, 0, 8, 0, 1, Damage::None, 0, false, false, 0, true},
        {"Deflate, step 2", 256, 240, 16, kDeflate, 2, 5, 0, 2, Damage::None, 0, false, false, 0,
         true},
    };
    for (const Case& c : cases) {
        const ReadOnlyCopy block(MakeFile(c));
        ASSERT_TRUE(block);
        const ImageGeometry g =
            ThinnedGeometry(c.width / c.step * c.step, c.height / c.step * c.step, c.step);
        const Outcome reference = OnePassReference(block.Source(), g);
        ASSERT_EQ(reference.unreadableRows, 0) << c.name;
        for (int threads : {1, 4}) {
            const Outcome o = ReadWith(block.Source(), g, ReadOptions{threads, 1});
            EXPECT_TRUE(o.levels == reference.levels) << c.name << ", " << threads << " threads";
            EXPECT_EQ(o.unreadableRows, 0) << c.name;
            EXPECT_EQ(o.errors, reference.errors) << c.name;
        }
    }
}

// The threads' working buffers together stay within one read's budget, which
// wide files of honest sizes fit at full parallelism, even with strips of
// 12 MB decoded whole.
TEST(ThreadBudget, WideFilesKeepEightThreads) {
    struct Wide {
        const char* name;
        std::uint16_t compression, predictor;
        std::uint32_t rowsPerStrip, tileSize, height;
    };
    const Wide cases[] = {
        {"uncompressed, one row per strip", kNone, 0, 1, 0, 16},
        {"LZW + predictor, 200 rows per strip", kLzw, 2, 200, 0, 1600},
        {"Deflate, 16 rows per strip", kDeflate, 0, 16, 0, 128},
        {"tiles of 256", kNone, 0, 0, 256, 2048},
    };
    for (const Wide& c : cases) {
        TiffLayout layout;
        layout.width = 30000;
        layout.height = c.height;
        layout.bitsPerSample = 16;
        layout.compression = c.compression;
        layout.predictor = c.predictor;
        layout.rowsPerStrip = c.rowsPerStrip;
        layout.tileSize = c.tileSize;
        const QByteArray bytes = TiffBytes(
            layout, [](std::uint32_t x, std::uint32_t y, int) { return (x / 64 + y) << 8; });
        const ImageGeometry g = ThinnedGeometry(layout.width, layout.height, 8);
        std::vector<std::uint8_t> levels(LevelCount(g), kUnwritten);
        const ReadResult r =
            ReadSamples(SourceOf({}, bytes, true), g, levels.data(), nullptr, ReadOptions{8, 1});
        EXPECT_EQ(r.unreadableRows, 0) << c.name;
        EXPECT_EQ(r.threads, 8) << c.name;
        EXPECT_EQ(levels[1], std::uint8_t(8 / 64)) << c.name;
        EXPECT_EQ(levels[LevelCount(g) - 1], std::uint8_t((29992 / 64 + c.height - 8) & 0xFF))
            << c.name;
    }
}

// Each percentage arrives once every kept row up to its own holds its levels,
// and no call overlaps another, while threads finish strips out of order.
TEST(ParallelProgress, EachPercentFollowsEveryRowBeforeIt) {
    QTemporaryDir dir;
    for (std::uint16_t compression : {kNone, kLzw}) {
        const Case c{"", 48, 700, 16, compression, 0, 1, 0, 1, Damage::None, 0};
        const QString path = dir.filePath(QStringLiteral("rows.tif"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(MakeFile(c));
        file.close();
        const ImageGeometry g = ThinnedGeometry(c.width, c.height);
        const ProgressSchedule schedule(g.SpanHeight, g.RowStep);
        std::vector<std::int64_t> reportRows;
        for (std::int64_t row = 0; row < g.SpanHeight; ++row)
            if (schedule.ReportsAt(row))
                reportRows.push_back(row);

        std::vector<std::uint8_t> levels(LevelCount(g), kUnwritten);
        std::atomic<int> inside{0};
        bool overlapped = false;
        std::size_t calls = 0;
        std::int64_t firstEarlyRow = -1;
        ReadSamples(
            TiffSource::File(path), g, levels.data(),
            [&](int) {
                overlapped = overlapped || inside.fetch_add(1) != 0;
                if (calls < reportRows.size() && firstEarlyRow < 0) {
                    const auto end = levels.begin() + (reportRows[calls] + 1) * g.SpanWidth;
                    if (std::find(levels.begin(), end, kUnwritten) != end)
                        firstEarlyRow = reportRows[calls];
                }
                ++calls;
                // A wider window for an overlapping call, and time for the
                // other threads to get ahead of this one.
                std::this_thread::sleep_for(std::chrono::microseconds(300));
                inside.fetch_sub(1);
            },
            ReadOptions{4, 1});
        EXPECT_FALSE(overlapped) << compression;
        EXPECT_EQ(calls, reportRows.size()) << compression;
        EXPECT_EQ(firstEarlyRow, -1)
            << "reported before its rows were read, compression " << compression;
    }
}

// Rows done out of order: percentages go out in the one-pass order, only
// once the rows before them are done.
TEST(OrderedProgress, WaitsForTheRowsBefore) {
    std::vector<int> reports;
    // 400 rows: a report after every fourth row, 0 .. 99 percent.
    orvane::image::OrderedProgress progress(400, 1, [&reports](int p) { reports.push_back(p); });
    progress.RowsDone(100, 200);
    progress.RowsDone(300, 400);
    EXPECT_TRUE(reports.empty());
    progress.RowsDone(0, 50);
    EXPECT_EQ(reports, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    reports.clear();
    progress.RowsDone(50, 100); // joins 100..200 as well
    ASSERT_EQ(reports.size(), 37u);
    EXPECT_EQ(reports.front(), 13);
    EXPECT_EQ(reports.back(), 49);
    EXPECT_EQ(progress.DoneUpTo(), 200);
    progress.RowsDone(200, 300);
    EXPECT_EQ(progress.DoneUpTo(), 400);
    EXPECT_EQ(reports.back(), 99);
    EXPECT_TRUE(progress.ReportsWithin(0, 1));
    EXPECT_FALSE(progress.ReportsWithin(1, 4));
}

} // namespace
