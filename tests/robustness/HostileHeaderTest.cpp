// Headers that claim far more than the file holds: the open must stay within
// the sizing budget and finish promptly, reporting what it could not read.
#include "image/OpenImage.h"
#include "image/ScanlineReader.h"
#include "tests/support/OpenInvariants.h"
#include "tests/support/TiffSurgery.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace orvane::image;
using namespace orvane::test;
using orvane::tools::TiffLayout;

// The viewer's own limits: the sizing rules alone decide the buffer.
constexpr std::int64_t kLimit = 0;

std::uint32_t Flat(std::uint32_t, std::uint32_t, int) {
    return 77;
}

QByteArray Strips8(std::uint32_t width, std::uint32_t height, std::uint32_t rowsPerStrip,
                   std::uint16_t compression = COMPRESSION_NONE) {
    TiffLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerSample = 8;
    layout.rowsPerStrip = rowsPerStrip;
    layout.compression = compression;
    return TiffBytes(layout, Flat);
}

QByteArray Claiming(QByteArray b, std::uint32_t width, std::uint32_t height) {
    if (width)
        surgery::SetTagValues(b, TIFFTAG_IMAGEWIDTH, width);
    surgery::SetTagValues(b, TIFFTAG_IMAGELENGTH, height);
    surgery::SetTagValues(b, TIFFTAG_ROWSPERSTRIP, height);
    return b;
}

OpenedImage OpenBytes(const QByteArray& bytes) {
    OpenOptions options;
    options.allocationLimitBytes = kLimit;
    return OpenWithoutWindow(
        TiffSource::Memory(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           std::size_t(bytes.size())),
        options);
}

struct HostileCase {
    const char* name;
    QByteArray (*make)();
    std::int64_t readableFileRows; // -1: the file is refused
};

const HostileCase kHostile[] = {
    // 8 rows of data in one compressed strip that claims 2^31 - 1 rows: the
    // first row past the data fails and the rest of the strip is given up.
    {"deflate strip claiming 2^31 rows",
     [] { return Claiming(Strips8(4096, 8, 8, COMPRESSION_ADOBE_DEFLATE), 0, 0x7FFFFFFF); }, 8},
    // Uncompressed, the library replaces the too-small byte count by one the
    // file cannot hold: the strip is not read at all.
    {"uncompressed strip claiming 2^31 rows",
     [] { return Claiming(Strips8(4096, 8, 8), 0, 0x7FFFFFFF); }, 0},
    // A scanline of 32 MB for a file of 4 KB, which no codec could fill: no
    // such buffer is made and every row is lost.
    {"rows of 2^25 pixels", [] { return Claiming(Strips8(64, 64, 64), 1u << 25, 4096); }, 0},
    {"width and height near 2^31 in one strip",
     [] {
         return Claiming(Strips8(64, 64, 64, COMPRESSION_ADOBE_DEFLATE), 0x7FFFFFF0, 0x7FFFFFF0);
     },
     0},
    {"tiles of 2^20 x 2^20",
     [] {
         TiffLayout layout;
         layout.width = 64;
         layout.height = 64;
         layout.tileSize = 16;
         QByteArray b = TiffBytes(layout, Flat);
         surgery::SetTagValues(b, TIFFTAG_TILEWIDTH, 1u << 20);
         surgery::SetTagValues(b, TIFFTAG_TILELENGTH, 1u << 20);
         return b;
     },
     0},
    // The strip count overflows: the library refuses the directory.
    {"width and height near 2^32",
     [] {
         QByteArray b = Strips8(64, 64, 64);
         surgery::SetTagValues(b, TIFFTAG_IMAGEWIDTH, 0xFFFFFFF0u);
         surgery::SetTagValues(b, TIFFTAG_IMAGELENGTH, 0xFFFFFFF0u);
         surgery::SetTagValues(b, TIFFTAG_ROWSPERSTRIP, 0xFFFFFFF0u);
         return b;
     },
     -1},
};

class HostileHeader : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileHeader, StaysWithinTheBudgetAndReportsTheLoss) {
    const HostileCase& c = GetParam();
    const OpenedImage image = OpenBytes(c.make());
    EXPECT_EQ(OpenInvariantViolations(image, kLimit), QStringList());
    if (c.readableFileRows < 0) {
        EXPECT_NE(image.result.outcome, OpenOutcome::Shown);
        return;
    }
    ASSERT_EQ(image.result.outcome, OpenOutcome::Shown) << image.messages.join(" | ").toStdString();
    EXPECT_EQ(image.result.read.unreadableRows, image.model.SpanHeight - c.readableFileRows)
        << image.messages.join(" | ").toStdString();
    ASSERT_EQ(image.messages.size(), 1);
    EXPECT_TRUE(image.messages[0].contains(QStringLiteral("could not be read")));
    // Kept rows from the data hold its level; every other kept row is 0.
    const std::int64_t w = image.model.ImageWidth;
    for (std::int64_t y = 0; y < image.model.ImageHeight; ++y) {
        const bool fromData = y * image.model.RowStep < c.readableFileRows;
        for (std::int64_t x = 0; x < w; x += 97)
            ASSERT_EQ(image.model.SampleBuffer.get()[y * w + x], fromData ? 77 : 0)
                << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Claims, HostileHeader, ::testing::ValuesIn(kHostile),
                         [](const ::testing::TestParamInfo<HostileCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(WorkingBufferLimit, GrowsWithTheSourceUpToTheLibraryCap) {
    EXPECT_EQ(WorkingBufferLimit(0), 16LL << 20);
    EXPECT_EQ(WorkingBufferLimit(4096), 16LL << 20);
    EXPECT_EQ(WorkingBufferLimit(10LL << 10), 40LL << 20);
    EXPECT_EQ(WorkingBufferLimit(1LL << 40), TiffHandle::kMaxSingleAllocation);
}

// The peak resident memory of this process so far (VmHWM), in bytes; -1 when
// it cannot be read.
std::int64_t PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    return -1;
}

// Each reading thread makes working buffers of its own: a header whose
// scanlines each pass the per-buffer limit must not make every thread commit
// one. 256 LZW strips of a row each claim rows of 96 MiB, in a file of about
// 64 KiB, which allows 256 MiB per buffer.
TEST(HostileHeaderMemory, ManyThreadsStayWithinOneReadsBudget) {
    TiffLayout layout;
    layout.width = 64;
    layout.height = 256;
    layout.bitsPerSample = 8;
    layout.rowsPerStrip = 1;
    layout.compression = COMPRESSION_LZW;
    layout.description = QString(62000, QLatin1Char('x'));
    QByteArray bytes = TiffBytes(layout, Flat);
    constexpr std::uint32_t kClaimedWidth = 96u << 20;
    ASSERT_TRUE(surgery::SetTagValues(bytes, TIFFTAG_IMAGEWIDTH, kClaimedWidth));
    const std::int64_t limit = WorkingBufferLimit(std::uint64_t(bytes.size()));
    ASSERT_EQ(limit, TiffHandle::kMaxSingleAllocation);
    ImageGeometry g;
    g.SpanWidth = g.FileWidth = kClaimedWidth;
    g.SpanHeight = g.FileHeight = layout.height;
    g.ColumnStep = 4096;
    g.ImageWidth = g.SpanWidth / g.ColumnStep;
    g.ImageHeight = g.SpanHeight;
    const TiffSource source = TiffSource::Memory(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));

    // The read runs in a child process, whose peak memory is its own.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        std::vector<std::uint8_t> levels(std::size_t(g.LevelCount()), 1);
        const std::int64_t before = PeakResidentBytes();
        const ReadResult r = ReadSamples(source, g, levels.data(), nullptr, ReadOptions{8, 1});
        const std::int64_t report[2] = {PeakResidentBytes() - before, r.unreadableRows};
        const bool sent = write(fds[1], report, sizeof report) == ssize_t(sizeof report);
        _exit(sent && before >= 0 ? 0 : 1);
    }
    close(fds[1]);
    std::int64_t report[2] = {-1, -1};
    ssize_t got = 0;
    do
        got = read(fds[0], report, sizeof report);
    while (got < 0 && errno == EINTR);
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ASSERT_EQ(got, ssize_t(sizeof report));
    EXPECT_EQ(report[1], g.SpanHeight); // no row decodes
    EXPECT_LE(report[0], limit + (64 << 20)) << report[0] / (1 << 20) << " MiB";
}

// A file whose every row fails makes the library complain per row: the
// collected messages stay bounded, with a count of the rest.
TEST(LibraryMessages, AreCappedWithACountOfTheRest) {
    TiffLayout layout;
    layout.width = 16;
    layout.height = 200;
    layout.bitsPerSample = 8;
    layout.compression = COMPRESSION_ADOBE_DEFLATE;
    layout.rowsPerStrip = 1;
    QByteArray b = TiffBytes(layout, Flat);
    // Garbage over every strip: 200 strips fail to decode, each with messages.
    for (int i = 0; i < 200; ++i) {
        const std::uint32_t at = *surgery::TagValue(b, TIFFTAG_STRIPOFFSETS, i);
        b[at] = char(0xFF);
        b[at + 1] = char(0xFF);
    }
    const OpenedImage image = OpenBytes(b);
    ASSERT_EQ(image.result.outcome, OpenOutcome::Shown);
    EXPECT_EQ(image.result.read.unreadableRows, 200);
    ASSERT_EQ(image.result.read.errors.size(), TiffHandle::kMaxCollectedMessages + 1);
    EXPECT_TRUE(image.result.read.errors.back().contains(QStringLiteral("more messages")))
        << image.result.read.errors.back().toStdString();
}

} // namespace
