#include "view2d/ViewExport.h"

#include "image/SampleReader.h"
#include "tests/support/TiffSurgery.h"
#include "tools/TiffWriter.h"

#include <QFile>
#include <tiffio.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace orvane::view2d;
using orvane::image::ImageGeometry;
using orvane::image::SampleReader;
using orvane::image::ThinnedGeometry;
using orvane::image::TiffSource;
using orvane::tools::TiffLayout;

namespace {

// A sample that differs from pixel to pixel in both bytes.
std::uint32_t SampleAt(std::uint32_t x, std::uint32_t y) {
    return (x * 37u + y * 101u + (x * y) % 251u) & 0xFFFFu;
}

TEST(ViewExport, ShownFileRectScalesTheShownLevelsByTheSteps) {
    struct Case {
        std::string Name;
        ImageGeometry Image;
        ViewWindow Window;
        FileRect Expected;
    };
    const Case cases[] = {
        {"whole image", ThinnedGeometry(1000, 800), {1000, 800, 0, 0}, {0, 0, 1000, 800}},
        // Offset Y counts from the bottom: rows 800 - 100 - 200 = 500 .. 699 from the top.
        {"zoomed", ThinnedGeometry(1000, 800), {300, 200, 100, 100}, {100, 500, 300, 200}},
        {"rounded to whole levels",
         ThinnedGeometry(1000, 800),
         {299.6, 200.4, 99.5, 100.2},
         {99, 500, 300, 200}},
        {"thinned by 4",
         ThinnedGeometry(4000, 3200, 4),
         {300, 200, 100, 100},
         {400, 2000, 1200, 800}},
        {"a window past the buffer is kept inside",
         ThinnedGeometry(100, 80),
         {120, 100, -10, -10},
         {0, 0, 100, 80}},
    };
    for (const Case& c : cases) {
        const FileRect r = ShownFileRect(c.Window, c.Image);
        EXPECT_EQ(r.Column, c.Expected.Column) << c.Name;
        EXPECT_EQ(r.Row, c.Expected.Row) << c.Name;
        EXPECT_EQ(r.Width, c.Expected.Width) << c.Name;
        EXPECT_EQ(r.Height, c.Expected.Height) << c.Name;
    }
}

TEST(ViewExport, SizeIsTheFileResolutionUpToTheLongestSide) {
    struct Case {
        std::int64_t Width, Height;
        int ExpectedWidth, ExpectedHeight;
    };
    const Case cases[] = {
        {100, 50, 100, 50},           {16384, 16384, 16384, 16384},
        {32768, 1000, 16384, 500},    {20000, 30000, 10923, 16384}, // 16384 x 2/3 = 10922.67
        {16385, 16384, 16384, 16383}, {100000, 1, 16384, 1},        // never below one pixel
    };
    for (const Case& c : cases) {
        const PictureSize size = ExportSize({0, 0, c.Width, c.Height});
        EXPECT_EQ(size.Width, c.ExpectedWidth) << c.Width << "x" << c.Height;
        EXPECT_EQ(size.Height, c.ExpectedHeight) << c.Width << "x" << c.Height;
    }
}

TEST(ViewExport, SourcesAreTheIdentityAtFileResolutionAndSpreadEvenlyBelow) {
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(ExportSource(i, 50, 7, 50), 7 + i);
    // Half the size: every second pixel, starting with the centre of the first pair.
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(ExportSource(i, 25, 0, 50), 2 * i + 1);
    EXPECT_EQ(ExportSource(0, 1, 10, 5), 12);
}

TEST(ViewExport, LevelsOfSamplesFollowTheOpen) {
    EXPECT_EQ(LevelOfSample(0xABCDu, 16, false), 0xAB);
    EXPECT_EQ(LevelOfSample(0xABCDu, 16, true), 255 - 0xAB);
    EXPECT_EQ(LevelOfSample(0x7Fu, 8, false), 0x7F);
    EXPECT_EQ(LevelOfSample(0x7Fu, 8, true), 0x80);
    EXPECT_EQ(LevelOfSample(std::nullopt, 16, false), 0);
    EXPECT_EQ(LevelOfSample(std::nullopt, 8, true), 0); // as a lost row of the open
}

class ViewExportFile : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    QString Write(const QString& name, TiffLayout layout) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(orvane::tools::WriteTiff(
            path, layout, [](std::uint32_t x, std::uint32_t y, int) { return SampleAt(x, y); }));
        return path;
    }
};

TEST_F(ViewExportFile, ThinnedFileIsReadAtFileResolutionInBands) {
    // 1100 x 1000 pixels: more than one band of a million pixels.
    for (std::uint16_t photometric : {1, 0}) {
        TiffLayout layout;
        layout.width = 1100;
        layout.height = 1000;
        layout.photometric = photometric;
        layout.tileSize = 64;
        const QString path = Write("thinned.tif", layout);
        SampleReader reader(TiffSource::File(path));
        ASSERT_TRUE(reader.IsOpen());
        // As if opened with a step of 3: 366 x 333 levels; the window shows levels 10..309 x
        // rows 20..319 from the top.
        const ImageGeometry image = ThinnedGeometry(1098, 999, 3);
        const ViewWindow window{300, 300, 10, 333 - 20 - 300};
        const FileRect rect = ShownFileRect(window, image);
        EXPECT_EQ(rect.Column, 30);
        EXPECT_EQ(rect.Row, 60);
        const PictureSize size = ExportSize(rect);
        ASSERT_EQ(size.Width, 900);
        const auto picture = ExportFromReader(reader, rect, size);
        ASSERT_TRUE(picture);
        ASSERT_EQ(picture->Levels.size(), std::size_t(900 * 900));
        for (int y = 0; y < 900; ++y)
            for (int x = 0; x < 900; ++x) {
                const std::uint8_t expected = LevelOfSample(
                    SampleAt(std::uint32_t(30 + x), std::uint32_t(60 + y)), 16, photometric == 0);
                ASSERT_EQ(picture->Levels[std::size_t(y) * 900 + x], expected)
                    << x << "," << y << " photometric " << photometric;
            }
    }
    // Wider than a band is tall: 1100 x 1000 at full resolution, two calls of the reader.
    TiffLayout layout;
    layout.width = 1100;
    layout.height = 1000;
    SampleReader reader(TiffSource::File(Write("whole.tif", layout)));
    const FileRect whole{0, 0, 1100, 1000};
    const auto picture = ExportFromReader(reader, whole, ExportSize(whole));
    ASSERT_TRUE(picture);
    for (int y : {0, 952, 953, 954, 999})
        for (int x : {0, 550, 1099})
            EXPECT_EQ(picture->Levels[std::size_t(y) * 1100 + x],
                      LevelOfSample(SampleAt(std::uint32_t(x), std::uint32_t(y)), 16, false))
                << x << "," << y;
}

TEST_F(ViewExportFile, LevelBufferAndReaderAgreeWhereNothingWasThinned) {
    TiffLayout layout;
    layout.width = 200;
    layout.height = 150;
    layout.bitsPerSample = 8;
    const QString path = Write("levels.tif", layout);
    const ImageGeometry image = ThinnedGeometry(200, 150);
    std::vector<std::uint8_t> levels(200 * 150);
    for (std::uint32_t y = 0; y < 150; ++y)
        for (std::uint32_t x = 0; x < 200; ++x)
            levels[y * 200 + x] = LevelOfSample(SampleAt(x, y) & 0xFF, 8, false);
    SampleReader reader(TiffSource::File(path));
    for (const ViewWindow& window :
         {ViewWindow{200, 150, 0, 0}, ViewWindow{57.3, 40.1, 101.2, 12.7}}) {
        const FileRect rect = ShownFileRect(window, image);
        const PictureSize size = ExportSize(rect);
        const LevelPicture fromLevels = ExportFromLevels(levels.data(), image, rect, size);
        const auto fromReader = ExportFromReader(reader, rect, size);
        ASSERT_TRUE(fromReader);
        EXPECT_EQ(fromLevels.Width, fromReader->Width);
        EXPECT_EQ(fromLevels.Height, fromReader->Height);
        EXPECT_EQ(fromLevels.Levels, fromReader->Levels);
    }
    // Scaled below file resolution the buffer is sampled as the stretch samples.
    const FileRect whole{0, 0, 200, 150};
    const LevelPicture half = ExportFromLevels(levels.data(), image, whole, {100, 75});
    EXPECT_EQ(half.Levels[0], levels[1 * 200 + 1]);
    EXPECT_EQ(half.Levels[74 * 100 + 99], levels[149 * 200 + 199]);
}

// Samples the file cannot give are level 0 (in min-is-white files too, as a lost row of the
// open is) and counted, so that the save can say so.
TEST_F(ViewExportFile, UnreadablePixelsAreLevelZeroAndCounted) {
    for (std::uint16_t photometric : {1, 0}) {
        TiffLayout layout;
        layout.width = 40;
        layout.height = 30;
        layout.bitsPerSample = 8;
        layout.rowsPerStrip = 10;
        layout.photometric = photometric;
        QByteArray bytes = orvane::test::TiffBytes(
            layout, [](std::uint32_t x, std::uint32_t y, int) { return SampleAt(x, y) & 0xFF; });
        // The middle strip's bytes lie past the end of the file.
        ASSERT_TRUE(orvane::test::surgery::SetTagValue(bytes, TIFFTAG_STRIPOFFSETS, 1,
                                                       std::uint32_t(bytes.size() + 100)));
        const QString path = dir_.filePath("lost.tif");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        SampleReader reader(TiffSource::File(path));
        const FileRect whole{0, 0, 40, 30};
        const auto picture = ExportFromReader(reader, whole, ExportSize(whole));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->MissingPixels, 40 * 10);
        EXPECT_EQ(picture->Levels[15 * 40 + 7], 0) << "photometric " << photometric;
        EXPECT_EQ(picture->Levels[25 * 40 + 7],
                  LevelOfSample(SampleAt(7, 25) & 0xFF, 8, photometric == 0));
    }
}

TEST_F(ViewExportFile, AReaderThatDidNotOpenGivesNothing) {
    SampleReader reader(TiffSource::File(dir_.filePath("missing.tif")));
    EXPECT_FALSE(ExportFromReader(reader, {0, 0, 10, 10}, {10, 10}));
}

} // namespace

namespace {

using namespace orvane::view2d;

TEST(ViewExportPicture, LevelsTakeThePalettesColours) {
    LevelPicture levels{3, 2, {0, 1, 2, 2, 1, 0}, 0};
    QList<QRgb> colours;
    for (int i = 0; i < 256; ++i)
        colours.append(qRgb(i, 255 - i, 7));
    const QImage picture = IndexedPicture(levels, colours);
    ASSERT_EQ(picture.size(), QSize(3, 2));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 255, 7));
    EXPECT_EQ(picture.pixel(2, 0), qRgb(2, 253, 7));
    EXPECT_EQ(picture.pixel(0, 1), qRgb(2, 253, 7));
    EXPECT_EQ(picture.pixel(2, 1), qRgb(0, 255, 7));
}

TEST(ViewExportPicture, SuggestedNameFollowsTheFileAndTheLastFolder) {
    struct Case {
        const char *shown, *lastSaved, *expected;
    } const cases[] = {
        {"/scans/part.tif", "", "/scans/part-view.png"},
        {"/scans/part.v2.tiff", "", "/scans/part.v2-view.png"},
        {"/scans/part.tif", "/out/earlier-view.png", "/out/part-view.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SuggestedViewFileName(c.shown, c.lastSaved), QString::fromUtf8(c.expected))
            << c.shown;
}

} // namespace
