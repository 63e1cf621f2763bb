#include "image/Progress.h"
#include "image/ScanlineReader.h"
#include "image/TiffFile.h"
#include "tools/TiffWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <vector>

namespace {

using namespace orvane::image;
using orvane::tools::TiffLayout;
using orvane::tools::WriteTiff;

// The part of a file the reader scans, and the thinning step.
struct Scan {
    std::int64_t SpanWidth = 0;
    std::int64_t SpanHeight = 0;
    std::int64_t ColumnStep = 1;
    std::int64_t RowStep = 1;

    ImageGeometry Geometry() const { return ThinnedGeometry(SpanWidth, SpanHeight, RowStep); }
};

class Reader : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    static std::vector<std::uint8_t> Read(const QString& path, Scan g,
                                          std::vector<int>* progress = nullptr,
                                          ReadResult* result = nullptr) {
        std::vector<std::uint8_t> buffer((g.SpanWidth / g.ColumnStep) * (g.SpanHeight / g.RowStep));
        ReadResult r = ReadSamples(TiffSource::File(path), g.Geometry(), buffer.data(), [&](int p) {
            if (progress)
                progress->push_back(p);
        });
        if (result)
            *result = r;
        return buffer;
    }
};

TEST_F(Reader, SixteenBitSamplesKeepTheirHighByte) {
    const std::uint32_t samples[] = {0x00FF, 0xFF00, 0x8000, 0x12AB,
                                     0xFFFF, 0x0000, 0x7FFF, 0x0100};
    for (bool bigEndian : {false, true}) {
        TiffLayout layout;
        layout.width = 8;
        layout.height = 2;
        layout.bigEndian = bigEndian;
        ASSERT_TRUE(WriteTiff(Path("s16.tif"), layout,
                              [&](std::uint32_t x, std::uint32_t, int) { return samples[x]; }));
        const auto levels = Read(Path("s16.tif"), {8, 2, 1, 1});
        const std::uint8_t expected[] = {0, 255, 128, 0x12, 255, 0, 127, 1};
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(levels[x], expected[x]) << "x " << x << (bigEndian ? " big-endian" : "");
    }
}

std::uint32_t Pattern(std::uint32_t x, std::uint32_t y) {
    return (x * 7 + y * 13) & 0xFF;
}

TEST_F(Reader, StepTwoKeepsEverySecondRowAndColumn) {
    TiffLayout layout;
    layout.width = 20;
    layout.height = 11;
    layout.bitsPerSample = 8;
    ASSERT_TRUE(WriteTiff(Path("p8.tif"), layout,
                          [](std::uint32_t x, std::uint32_t y, int) { return Pattern(x, y); }));
    // Sizing keeps 10 x 5 levels covering 20 x 10 file pixels.
    const auto levels = Read(Path("p8.tif"), {20, 10, 2, 2});
    ASSERT_EQ(levels.size(), 50u);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 10; ++c)
            ASSERT_EQ(levels[r * 10 + c], Pattern(2 * c, 2 * r)) << c << "," << r;
}

TEST_F(Reader, TiledFileReadsTheSameLevelsAsItsStripTwin) {
    for (int bits : {8, 16})
        for (std::uint16_t compression : {1, 8}) {
            TiffLayout layout;
            layout.width = 50; // not a multiple of the tile size
            layout.height = 37;
            layout.bitsPerSample = bits;
            layout.compression = compression;
            auto sample = [bits](std::uint32_t x, std::uint32_t y, int) {
                return bits == 8 ? Pattern(x, y) : Pattern(x, y) << 8 | (x & 0xFF);
            };
            ASSERT_TRUE(WriteTiff(Path("strip.tif"), layout, sample));
            layout.tileSize = 16;
            ASSERT_TRUE(WriteTiff(Path("tiled.tif"), layout, sample));
            for (Scan g : {Scan{48, 37, 1, 1}, Scan{48, 36, 3, 3}}) {
                ReadResult tiledResult;
                const auto strip = Read(Path("strip.tif"), g);
                const auto tiled = Read(Path("tiled.tif"), g, nullptr, &tiledResult);
                EXPECT_EQ(tiled, strip) << bits << " bits, compression " << compression;
                EXPECT_EQ(tiledResult.unreadableRows, 0);
                EXPECT_EQ(strip[g.SpanWidth / g.ColumnStep + 1],
                          Pattern(g.ColumnStep, g.RowStep) & 0xFF);
            }
        }
}

TEST_F(Reader, ProgressReportsEveryPercentOnce) {
    struct Case {
        std::uint32_t rows;
        std::int64_t step;
    } const cases[] = {{1000, 1}, {3000, 3}};
    for (const auto& c : cases) {
        TiffLayout layout;
        layout.width = 12;
        layout.height = c.rows;
        layout.bitsPerSample = 8;
        ASSERT_TRUE(WriteTiff(Path("rows.tif"), layout, [](auto, auto, int) { return 1u; }));
        std::vector<int> progress;
        Read(Path("rows.tif"), {12, c.rows, c.step, c.step}, &progress);
        ASSERT_EQ(progress.size(), 100u) << c.rows;
        for (int i = 0; i < 100; ++i)
            EXPECT_EQ(progress[i], i) << c.rows;
    }
}

TEST(ProgressSchedule, LowImagesReportEveryKeptRow) {
    const ProgressSchedule low(50, 1); // k = 0
    EXPECT_TRUE(low.ReportsAt(0));
    EXPECT_TRUE(low.ReportsAt(49));
    EXPECT_EQ(low.PercentAt(49), 98);
    const ProgressSchedule odd(512, 1); // k = 5: some percentages twice
    EXPECT_TRUE(odd.ReportsAt(505));
    EXPECT_FALSE(odd.ReportsAt(506));
    EXPECT_EQ(odd.PercentAt(290), 56);
}

TEST_F(Reader, UnreadableRowsAreCountedAndZeroed) {
    TiffLayout layout;
    layout.width = 16;
    layout.height = 100;
    layout.bitsPerSample = 8;
    layout.compression = 8; // deflate: garbage in a strip fails to decode
    layout.rowsPerStrip = 10;
    ASSERT_TRUE(WriteTiff(Path("bad.tif"), layout, [](auto, auto, int) { return 200u; }));
    {
        auto tiff = TiffHandle::Open(TiffSource::File(Path("bad.tif")));
        ASSERT_TRUE(*tiff);
        std::uint64_t* offsets = nullptr;
        ASSERT_TRUE(TIFFGetField(tiff->get(), TIFFTAG_STRIPOFFSETS, &offsets));
        const std::uint64_t strip3 = offsets[3];
        tiff.reset();
        QFile file(Path("bad.tif"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(qint64(strip3));
        file.write(QByteArray(8, char(0xFF)));
    }
    ReadResult result;
    const auto levels = Read(Path("bad.tif"), {16, 100, 1, 1}, nullptr, &result);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.unreadableRows, 10);
    EXPECT_FALSE(result.errors.isEmpty());
    EXPECT_EQ(levels[29 * 16], 200);
    EXPECT_EQ(levels[30 * 16], 0);
    EXPECT_EQ(levels[39 * 16 + 15], 0);
    EXPECT_EQ(levels[40 * 16], 200);
}

TEST_F(Reader, VanishedFileLeavesTheBufferZeroAndSaysSo) {
    ReadResult result;
    const auto levels = Read(Path("missing.tif"), {8, 4, 1, 1}, nullptr, &result);
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.unreadableRows, 4);
    EXPECT_EQ(levels, std::vector<std::uint8_t>(32, 0));
}

TEST_F(Reader, BigTiffIsRecognisedInBothByteOrders) {
    TiffLayout layout;
    layout.width = 8;
    layout.height = 2;
    for (bool bigEndian : {false, true}) {
        layout.bigEndian = bigEndian;
        layout.bigTiff = true;
        ASSERT_TRUE(WriteTiff(Path("b.tif"), layout, [](auto, auto, int) { return 0u; }));
        EXPECT_TRUE(IsBigTiff(TiffSource::File(Path("b.tif")))) << bigEndian;
        layout.bigTiff = false;
        ASSERT_TRUE(WriteTiff(Path("c.tif"), layout, [](auto, auto, int) { return 0u; }));
        EXPECT_FALSE(IsBigTiff(TiffSource::File(Path("c.tif")))) << bigEndian;
    }
    QFile shortFile(Path("short.tif"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write("II+", 3);
    shortFile.close();
    EXPECT_FALSE(IsBigTiff(TiffSource::File(Path("short.tif"))));
    EXPECT_FALSE(IsBigTiff(TiffSource::File(Path("nothing-here.tif"))));
}

} // namespace
