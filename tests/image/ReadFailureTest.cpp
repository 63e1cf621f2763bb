// Reads whose memory runs out: the read ends with the failure in its result,
// the rows it could not read counted and at level 0, and nothing thrown past
// the reader or out of a reading thread (which would end the program). This
// executable links the replacement of the global operator new that a test
// can make fail.
#include "image/OpenImageThread.h"
#include "image/ScanlineReader.h"
#include "image/TiffFile.h"
#include "tests/support/FailingAllocator.h"
#include "tests/support/TiffSurgery.h"

#include <QCoreApplication>
#include <atomic>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <tiffio.h>
#include <vector>

namespace {

using namespace orvane::image;
using namespace orvane::test;
using orvane::tools::TiffLayout;

constexpr std::uint8_t kUnwritten = 0xCD;
const QString kNoMemory = QStringLiteral("Not enough memory to read the file.");

// Levels 1 .. 200, never 0: a row at level 0 was not read.
std::uint32_t Pattern(std::uint32_t x, std::uint32_t y, int) {
    return ((x + 3 * y) % 200 + 1) << 8;
}

struct FailureCase {
    const char* name;
    std::uint16_t compression;
    std::uint32_t rowsPerStrip, tileSize;
    bool damaged;           // garbage in strip 3, so that it is read again row by row
    int threads;            // ReadOptions.threads
    std::size_t from, to;   // allocations of so many bytes fail
    std::int64_t firstLost; // the first row not read
    bool restLost;          // and every row after it (one thread, or all failing)
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr std::size_t kAny = std::size_t(-1);

// 2048 x 1024 16-bit: strips of 256 rows are 1 MiB, a row 4 KiB, a tile of
// 256 x 256 128 KiB.
const FailureCase kCases[] = {
    {"every allocation, before the read starts", COMPRESSION_LZW, 256, 0, false, 4, 1, kAny, 0,
     true},
    {"whole-strip buffers, one thread", COMPRESSION_LZW, 256, 0, false, 1, 1 << 20, kAny, 0, true},
    {"whole-strip buffers, four threads", COMPRESSION_LZW, 64, 0, false, 4, 256 << 10, kAny, 0,
     true},
    {"the scanline buffer of a damaged strip, one thread", COMPRESSION_LZW, 64, 0, true, 1, 4096,
     4096, 3 * 64, true},
    // The other threads finish the strips they took, and take no more.
    {"the scanline buffer of a damaged strip, four threads", COMPRESSION_LZW, 64, 0, true, 4, 4096,
     4096, 3 * 64, false},
    {"tile buffers, two threads", COMPRESSION_ADOBE_DEFLATE, 0, 256, false, 2, 128 << 10, kAny, 0,
     true},
};

class ReadFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ReadFailure, EndsTheReadWithTheRowsNotReadLost) {
    const FailureCase& c = GetParam();
    TiffLayout layout;
    layout.width = 2048;
    layout.height = 1024;
    layout.bitsPerSample = 16;
    layout.compression = c.compression;
    layout.rowsPerStrip = c.rowsPerStrip;
    layout.tileSize = c.tileSize;
    QByteArray bytes = TiffBytes(layout, Pattern);
    if (c.damaged) {
        const std::uint32_t at = *surgery::TagValue(bytes, TIFFTAG_STRIPOFFSETS, 3);
        for (int i = 0; i < 16; ++i)
            bytes[at + 100 + i] = char(0xFF);
    }
    const TiffSource source = TiffSource::Memory(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    const ImageGeometry g = ThinnedGeometry(layout.width, layout.height);
    std::vector<std::uint8_t> levels(std::size_t(g.LevelCount()), kUnwritten);
    const ReadOptions options{c.threads, 1};

    ReadResult result;
    bool threw = false;
    FailAllocations(c.from, c.to);
    try {
        result = ReadSamples(source, g, levels.data(), nullptr, options);
    } catch (...) {
        threw = true;
    }
    StopFailingAllocations();
    ASSERT_FALSE(threw);
    EXPECT_EQ(result.failure, kNoMemory);

    // Every row is either the file's or, counted as lost, level 0.
    std::int64_t zeroRows = 0, firstZeroRow = -1;
    std::vector<RowRange> zeroRanges;
    for (std::int64_t y = 0; y < g.ImageHeight; ++y) {
        const std::uint8_t* row = levels.data() + y * g.ImageWidth;
        if (row[0] == 0) {
            ++zeroRows;
            if (firstZeroRow < 0)
                firstZeroRow = y;
            if (!zeroRanges.empty() && zeroRanges.back().end == y)
                ++zeroRanges.back().end;
            else
                zeroRanges.push_back({y, y + 1});
        }
        for (std::int64_t x = 0; x < g.ImageWidth; ++x)
            ASSERT_EQ(row[x], row[0] == 0 ? 0 : Pattern(x, y, 0) >> 8) << x << "," << y;
    }
    EXPECT_EQ(result.unreadableRows, zeroRows);
    // With no memory at all, not even the list of lost rows could be made.
    const bool allLostUnlisted =
        result.lostKeptRows.empty() && result.unreadableRows == g.SpanHeight;
    EXPECT_TRUE(result.lostKeptRows == zeroRanges || allLostUnlisted);
    EXPECT_EQ(firstZeroRow, c.firstLost);
    if (c.restLost) {
        EXPECT_EQ(result.unreadableRows, g.SpanHeight - c.firstLost);
    }
}

INSTANTIATE_TEST_SUITE_P(OutOfMemory, ReadFailure, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// The read's own thread ends with the failure as its result, whatever the
// job throws.
TEST(ReadThread, ReportsWhatTheJobThrows) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    struct Thrown {
        const char* name;
        ReadJob job;
        QString failure;
    };
    const Thrown cases[] = {
        {"bad_alloc", [](const ProgressFunction&) -> ReadResult { throw std::bad_alloc(); },
         kNoMemory},
        {"runtime_error",
         [](const ProgressFunction&) -> ReadResult { throw std::runtime_error("disk on fire"); },
         QStringLiteral("disk on fire")},
        {"an int", [](const ProgressFunction&) -> ReadResult { throw 7; },
         QStringLiteral("The read failed.")},
    };
    for (const Thrown& c : cases) {
        OpenImageThread thread(c.job);
        thread.Start();
        thread.wait();
        ASSERT_TRUE(thread.IsFinished()) << c.name;
        const ReadResult result = thread.Result();
        EXPECT_EQ(result.failure, c.failure) << c.name;
        EXPECT_FALSE(result.opened) << c.name;
    }
}

} // namespace
