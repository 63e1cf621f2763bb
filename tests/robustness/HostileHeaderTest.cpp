// Headers that claim far more than the file holds: the open must stay within
// the sizing budget and finish promptly, reporting what it could not read.
#include "image/OpenImage.h"
#include "image/ScanlineReader.h"
#include "tests/support/OpenInvariants.h"
#include "tests/support/TiffSurgery.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tiffio.h>

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
