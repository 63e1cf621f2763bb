#include "image/SampleReader.h"
#include "image/TiffFile.h"
#include "tests/support/TiffSurgery.h"
#include "tools/TiffWriter.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <tiffio.h>
#include <utility>
#include <vector>

using orvane::image::CachedLookup;
using orvane::image::FilePixel;
using orvane::image::SampleHeightMm;
using orvane::image::SampleReader;

using namespace orvane::image;
using namespace orvane::tools;
using namespace orvane::test;
namespace {

constexpr std::uint32_t kWidth = 61; // no multiple of any tile size used
constexpr std::uint32_t kHeight = 45;

// What the test writes at (x, y): every bit of the sample varies across the image, so a lost
// high byte, a swapped byte order or a neighbouring pixel reads differently.
std::uint32_t Stored(int bits, std::uint32_t x, std::uint32_t y) {
    const std::uint32_t v = (x * 2654435761u) ^ (y * 40503u + x * y * 977u);
    return bits == 8 ? (v >> 7) & 0xFFu : (v >> 5) & 0xFFFFu;
}

SampleFunction Pattern(int bits) {
    return [bits](std::uint32_t x, std::uint32_t y, int) { return Stored(bits, x, y); };
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Rewrites the file in place (same inode), as an editor saving over it does.
bool Overwrite(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.resize(bytes.size()) &&
           file.write(bytes) == bytes.size();
}

// Offset and byte count of strip or tile `strile` of a file.
std::pair<std::uint64_t, std::uint64_t> StrileExtent(const QString& path, std::uint32_t strile) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif)
        return {0, 0};
    const std::pair<std::uint64_t, std::uint64_t> extent{TIFFGetStrileOffset(tif, strile),
                                                         TIFFGetStrileByteCount(tif, strile)};
    TIFFClose(tif);
    return extent;
}

std::vector<FilePixel> AllPixels(std::uint32_t width, std::uint32_t height) {
    std::vector<FilePixel> pixels;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            pixels.push_back({x, y});
    return pixels;
}

struct FileCase {
    const char* name;
    int bits;
    std::uint16_t compression; // 1 none, 5 LZW, 8 Deflate, 32773 PackBits
    std::uint16_t predictor;
    std::uint32_t rowsPerStrip; // 0: tiled when tileSize is set, else the library's default
    std::uint32_t tileSize;
    bool bigEndian;
    bool bigTiff;
    std::uint16_t photometric; // 0 min-is-white, 1 min-is-black
    std::int64_t cacheBytes;
    bool fromMemory;
};

void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr std::int64_t kDefault = SampleReader::kDefaultCacheBytes;

// A strip of 45 rows of 122 bytes (5490 bytes) is past a quarter of 4096: read in bands of 8
// rows. A 32 x 32 16-bit tile (2048 bytes) is past a quarter of 2048: bands of 8 rows.
const FileCase kFileCases[] = {
    // name                                     bits comp  pred rps tile  BE     Big    phot cache
    {"8-bit, a row per strip", 8, 1, 0, 1, 0, false, false, 1, kDefault, false},
    {"16-bit, seven rows per strip", 16, 1, 0, 7, 0, false, false, 1, kDefault, false},
    {"16-bit, the library's strip size", 16, 1, 0, 0, 0, false, false, 1, kDefault, false},
    {"16-bit LZW", 16, 5, 0, 5, 0, false, false, 1, kDefault, false},
    {"16-bit LZW with predictor, big-endian", 16, 5, 2, 4, 0, true, false, 1, kDefault, false},
    {"16-bit Deflate with predictor", 16, 8, 2, 16, 0, false, false, 1, kDefault, false},
    {"8-bit Deflate with predictor", 8, 8, 2, 6, 0, false, false, 1, kDefault, false},
    {"8-bit PackBits", 8, 32773, 0, 3, 0, false, false, 1, kDefault, false},
    {"16-bit PackBits, big-endian", 16, 32773, 0, 2, 0, true, false, 1, kDefault, false},
    {"16-bit big-endian Deflate", 16, 8, 0, 9, 0, true, false, 1, kDefault, false},
    {"16-bit BigTIFF LZW", 16, 5, 0, 8, 0, false, true, 1, kDefault, false},
    {"16-bit BigTIFF big-endian Deflate, tiled", 16, 8, 0, 0, 16, true, true, 1, kDefault, false},
    {"8-bit tiled LZW", 8, 5, 0, 0, 16, false, false, 1, kDefault, false},
    {"16-bit tiled, uncompressed", 16, 1, 0, 0, 32, false, false, 1, kDefault, false},
    {"16-bit min-is-white", 16, 8, 0, 10, 0, false, false, 0, kDefault, false},
    {"8-bit min-is-white, big-endian", 8, 5, 0, 10, 0, true, false, 0, kDefault, false},
    {"16-bit one strip read in bands", 16, 8, 0, kHeight, 0, false, false, 1, 4096, false},
    {"16-bit one LZW strip read in bands", 16, 5, 2, kHeight, 0, true, false, 1, 4096, false},
    {"8-bit uncompressed single strip", 8, 1, 0, kHeight, 0, false, false, 1, kDefault, false},
    {"16-bit tiles read in bands", 16, 8, 0, 0, 32, false, false, 1, 2048, false},
    {"16-bit rows longer than the bound", 16, 8, 0, 1, 0, false, false, 1, 64, false},
    {"16-bit LZW tiled, memory block", 16, 5, 0, 0, 16, false, false, 1, kDefault, true},
    {"8-bit strips, memory block", 8, 8, 0, 4, 0, true, true, 1, kDefault, true},
};

class ExactSamples : public ::testing::TestWithParam<FileCase> {
protected:
    QTemporaryDir dir;
    QByteArray memory; // outlives the reader

    std::unique_ptr<SampleReader> Open(const FileCase& c) {
        TiffLayout layout;
        layout.width = kWidth;
        layout.height = kHeight;
        layout.bitsPerSample = c.bits;
        layout.compression = c.compression;
        layout.predictor = c.predictor;
        layout.rowsPerStrip = c.rowsPerStrip;
        layout.tileSize = c.tileSize;
        layout.bigEndian = c.bigEndian;
        layout.bigTiff = c.bigTiff;
        layout.photometric = c.photometric;
        const QString path = dir.filePath(QStringLiteral("case.tif"));
        if (!WriteTiff(path, layout, Pattern(c.bits)))
            return nullptr;
        if (!c.fromMemory)
            return std::make_unique<SampleReader>(TiffSource::File(path), c.cacheBytes);
        memory = ReadAll(path);
        QFile::remove(path);
        return std::make_unique<SampleReader>(
            TiffSource::Memory(reinterpret_cast<const std::uint8_t*>(memory.constData()),
                               std::size_t(memory.size())),
            c.cacheBytes);
    }
};

// Every pixel, so also those between the rows and columns a thinned display keeps, in an order
// that jumps back and forth across strips, tiles and bands.
TEST_P(ExactSamples, EveryPixelReadsWhatWasWritten) {
    const FileCase& c = GetParam();
    auto reader = Open(c);
    ASSERT_TRUE(reader && reader->IsOpen()) << (reader ? reader->OpenError().toStdString() : "");
    EXPECT_EQ(reader->Width(), kWidth);
    EXPECT_EQ(reader->Height(), kHeight);
    EXPECT_EQ(reader->BitsPerSample(), c.bits);
    EXPECT_EQ(reader->MinIsWhite(), c.photometric == 0);

    std::vector<FilePixel> pixels = AllPixels(kWidth, kHeight);
    std::shuffle(pixels.begin(), pixels.end(), std::mt19937(7));
    for (const FilePixel& p : pixels) {
        const auto sample = reader->Sample(p.Column, p.Row);
        ASSERT_EQ(sample, Stored(c.bits, p.Column, p.Row)) << p.Column << "," << p.Row;
        ASSERT_LE(reader->CachedBytes(), c.cacheBytes);
    }
    const auto batch = reader->Samples(pixels);
    ASSERT_TRUE(batch);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ((*batch)[i], Stored(c.bits, pixels[i].Column, pixels[i].Row))
            << pixels[i].Column << "," << pixels[i].Row;
    EXPECT_TRUE(reader->TakeReadErrors().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, ExactSamples, ::testing::ValuesIn(kFileCases),
                         [](const ::testing::TestParamInfo<FileCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p)))
                                     name += *p;
                             return name;
                         });

class SampleReaderFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QString Write(const char* name, TiffLayout layout) {
        if (layout.width == 0) {
            layout.width = kWidth;
            layout.height = kHeight;
        }
        const QString path = Path(name);
        return WriteTiff(path, layout, Pattern(layout.bitsPerSample)) ? path : QString();
    }
};

TEST_F(SampleReaderFile, PixelsOutsideTheImageHaveNoValue) {
    TiffLayout layout;
    SampleReader reader(TiffSource::File(Write("in.tif", layout)));
    ASSERT_TRUE(reader.IsOpen());
    const std::pair<std::int64_t, std::int64_t> outside[] = {
        {-1, 0},           {0, -1},        {kWidth, 0},    {0, kHeight},
        {kWidth, kHeight}, {INT64_MIN, 0}, {0, INT64_MAX}, {std::int64_t(1) << 32, 0}};
    for (const auto& [column, row] : outside) {
        EXPECT_EQ(reader.Sample(column, row), std::nullopt) << column << "," << row;
        EXPECT_EQ(reader.TryCachedSample(column, row).state, CachedLookup::State::NoValue);
    }
    const auto batch = reader.Samples({{-1, 3}, {2, 3}, {kWidth, 3}});
    ASSERT_TRUE(batch);
    EXPECT_EQ((*batch)[0], std::nullopt);
    EXPECT_EQ((*batch)[1], Stored(16, 2, 3));
    EXPECT_EQ((*batch)[2], std::nullopt);
}

TEST_F(SampleReaderFile, CachedLookupAnswersFromTheCacheOnly) {
    TiffLayout layout;
    layout.rowsPerStrip = 1;
    // Room for two strips of 122 bytes (a strip may take a quarter of the bound).
    SampleReader reader(TiffSource::File(Write("c.tif", layout)), 500);
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.TryCachedSample(3, 4).state, CachedLookup::State::Miss);
    EXPECT_EQ(reader.CachedBytes(), 0) << "a lookup must not decode";
    ASSERT_EQ(reader.Sample(3, 4), Stored(16, 3, 4));
    const CachedLookup hit = reader.TryCachedSample(10, 4); // same strip, other column
    EXPECT_EQ(hit.state, CachedLookup::State::Hit);
    EXPECT_EQ(hit.sample, Stored(16, 10, 4));
    EXPECT_EQ(reader.TryCachedSample(3, 5).state, CachedLookup::State::Miss);
    // Four more strips push row 4 out.
    for (int row = 10; row < 14; ++row)
        ASSERT_EQ(reader.Sample(0, row), Stored(16, 0, row));
    EXPECT_EQ(reader.TryCachedSample(3, 4).state, CachedLookup::State::Miss);
}

TEST_F(SampleReaderFile, CacheStaysWithinItsBound) {
    struct BoundCase {
        const char* name;
        std::uint32_t rowsPerStrip, tileSize;
        std::int64_t boundBytes;
    };
    const BoundCase cases[] = {
        {"strips of 3 rows", 3, 0, 6000},
        {"one strip in bands", 300, 0, 6000},
        {"tiles", 0, 16, 3000},
        {"tiles in bands", 0, 32, 3000},
    };
    for (const BoundCase& c : cases) {
        TiffLayout layout;
        layout.width = 200;
        layout.height = 300;
        layout.compression = 8;
        layout.rowsPerStrip = c.rowsPerStrip;
        layout.tileSize = c.tileSize;
        SampleReader reader(TiffSource::File(Write("bound.tif", layout)), c.boundBytes);
        ASSERT_TRUE(reader.IsOpen()) << c.name;
        std::mt19937 random(11);
        std::int64_t most = 0;
        for (int i = 0; i < 3000; ++i) {
            const std::uint32_t x = random() % 200, y = random() % 300;
            ASSERT_EQ(reader.Sample(x, y), Stored(16, x, y)) << c.name;
            most = std::max(most, reader.CachedBytes());
        }
        EXPECT_LE(most, c.boundBytes) << c.name;
        EXPECT_GT(most, c.boundBytes / 2) << c.name << ": the cache should be used";
    }
}

// A file whose directory comes first and whose last strip is cut short, as a scanner's
// interrupted write leaves it: that strip has no value, the others keep theirs.
TEST_F(SampleReaderFile, StripCutOffTheFileHasNoValueOthersDo) {
    for (bool bands : {false, true}) {
        TiffLayout layout;
        layout.width = kWidth;
        layout.height = kHeight;
        layout.compression = 8;
        layout.rowsPerStrip = 10; // five strips, the last one of five rows
        QByteArray bytes = surgery::DirectoryFirst(TiffBytes(layout, Pattern(16)));
        ASSERT_FALSE(bytes.isEmpty());
        const QString path = Path("cut.tif");
        ASSERT_TRUE(WriteAll(path, bytes));
        const auto [offset, count] = StrileExtent(path, 4);
        ASSERT_EQ(offset + count, std::uint64_t(bytes.size())) << "the last strip ends the file";
        bytes.truncate(qsizetype(offset + count / 2));
        ASSERT_TRUE(WriteAll(path, bytes));
        // 10 rows of 122 bytes are past a quarter of 4000.
        SampleReader reader(TiffSource::File(path), bands ? 4000 : kDefault);
        ASSERT_TRUE(reader.IsOpen()) << reader.OpenError().toStdString();
        const auto batch = reader.Samples(AllPixels(kWidth, kHeight));
        ASSERT_TRUE(batch);
        for (std::uint32_t y = 0; y < kHeight; ++y)
            for (std::uint32_t x = 0; x < kWidth; ++x) {
                const auto expected =
                    y < 40 ? std::optional<std::uint32_t>(Stored(16, x, y)) : std::nullopt;
                ASSERT_EQ((*batch)[y * kWidth + x], expected) << x << "," << y << " " << bands;
                ASSERT_EQ(reader.Sample(x, y), expected) << x << "," << y << " " << bands;
            }
    }
}

// A strip whose compressed bytes do not decode has no value, and reading it (whole, or in
// bands where the library's decoder is left inside the broken strip) does not spoil the strips
// read after it, in the same call or in later ones.
TEST_F(SampleReaderFile, StripThatDoesNotDecodeHasNoValueOthersDo) {
    for (bool bands : {false, true}) {
        TiffLayout layout;
        layout.compression = 8;
        layout.rowsPerStrip = 15; // three strips
        const QString path = Write("broken.tif", layout);
        QByteArray bytes = ReadAll(path);
        const auto [offset, count] = StrileExtent(path, 1);
        ASSERT_GT(count, 2u);
        bytes[qsizetype(offset)] = char(0xFF); // no zlib header
        bytes[qsizetype(offset) + 1] = char(0xFF);
        ASSERT_TRUE(WriteAll(path, bytes));
        SampleReader reader(TiffSource::File(path), bands ? 4000 : kDefault);
        ASSERT_TRUE(reader.IsOpen());
        for (int pass = 0; pass < 2; ++pass) {
            const auto batch = reader.Samples(AllPixels(kWidth, kHeight));
            ASSERT_TRUE(batch);
            for (std::uint32_t y = 0; y < kHeight; ++y)
                for (std::uint32_t x = 0; x < kWidth; ++x) {
                    const auto expected = y >= 15 && y < 30
                                              ? std::nullopt
                                              : std::optional<std::uint32_t>(Stored(16, x, y));
                    ASSERT_EQ((*batch)[y * kWidth + x], expected) << x << "," << y;
                }
        }
        for (std::uint32_t y : {16u, 29u, 31u, 14u, 20u, 44u, 0u}) {
            const auto expected =
                y >= 15 && y < 30 ? std::nullopt : std::optional<std::uint32_t>(Stored(16, 5, y));
            EXPECT_EQ(reader.Sample(5, y), expected) << y;
        }
        EXPECT_FALSE(reader.TakeReadErrors().isEmpty());
    }
}

// The file is cut on disk while the reader holds it open: no crash (a mapped file would raise
// SIGBUS here), no value where the bytes are gone, values where they remain; once the file is
// restored, a later call reads it again.
TEST_F(SampleReaderFile, FileTruncatedAfterOpeningGivesNoValueThenRecovers) {
    struct TruncationCase {
        const char* name;
        std::uint32_t height, rowsPerStrip;
        std::int64_t boundBytes;
    };
    // The library reads a strip's compressed bytes whole before decoding its first row, so
    // the cut lies in a strip not read before.
    const TruncationCase cases[] = {
        {"strips", kHeight, 4, kDefault},
        {"strips in bands", 90, 45, 4096},
    };
    for (const TruncationCase& c : cases) {
        TiffLayout layout;
        layout.width = kWidth;
        layout.height = c.height;
        layout.compression = 8;
        layout.rowsPerStrip = c.rowsPerStrip;
        const QByteArray original = surgery::DirectoryFirst(TiffBytes(layout, Pattern(16)));
        const QString path = Path("shrinking.tif");
        ASSERT_TRUE(WriteAll(path, original));
        SampleReader reader(TiffSource::File(path), c.boundBytes);
        ASSERT_TRUE(reader.IsOpen()) << c.name;
        ASSERT_EQ(reader.Sample(1, 1), Stored(16, 1, 1)) << c.name;

        const std::uint32_t lastRow = c.height - 1;
        const auto [lastOffset, lastCount] = StrileExtent(path, lastRow / c.rowsPerStrip);
        ASSERT_GT(lastCount, 0u);
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.resize(qint64(lastOffset + lastCount / 2)));
        }
        EXPECT_EQ(reader.Sample(7, lastRow), std::nullopt) << c.name;
        const auto batch = reader.Samples({{7, lastRow}, {8, lastRow - 1}});
        ASSERT_TRUE(batch);
        EXPECT_EQ((*batch)[0], std::nullopt) << c.name;
        if (c.rowsPerStrip == 4) { // strip 10 lies wholly before the cut
            EXPECT_EQ(reader.Sample(3, 41), Stored(16, 3, 41)) << c.name;
        }

        ASSERT_TRUE(Overwrite(path, original));
        EXPECT_EQ(reader.Sample(7, lastRow), Stored(16, 7, lastRow)) << c.name;
        EXPECT_EQ(reader.Sample(0, 20), Stored(16, 0, 20)) << c.name;
    }
}

// Why the reader's handle reads without a memory mapping: a strip whose bytes a truncation
// has cut off comes back as an error, where a mapped handle dies of SIGBUS.
TEST_F(SampleReaderFile, UnmappedHandleReportsACutStripInsteadOfCrashing) {
    TiffLayout layout;
    layout.width = 400;
    layout.height = 300; // 240000 bytes of strips, uncompressed: read straight from the file
    const QString path = Write("cut-under.tif", layout);
    auto handle = TiffHandle::Open(TiffSource::File(path), TiffHandle::FileAccess::Unmapped);
    ASSERT_TRUE(*handle);
    const std::uint32_t lastStrip = TIFFNumberOfStrips(handle->get()) - 1;
    std::vector<std::uint8_t> strip(std::size_t(TIFFStripSize(handle->get())));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(4096));
    }
    EXPECT_EQ(TIFFReadEncodedStrip(handle->get(), lastStrip, strip.data(), tmsize_t(strip.size())),
              -1);
    EXPECT_FALSE(handle->TakeErrors().isEmpty());
}

TEST_F(SampleReaderFile, FilesItCannotReadSayWhy) {
    SampleReader missing(TiffSource::File(Path("nothing-here.tif")));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.OpenError().isEmpty());
    EXPECT_EQ(missing.Sample(0, 0), std::nullopt);
    EXPECT_EQ(missing.TryCachedSample(0, 0).state, CachedLookup::State::NoValue);

    TiffLayout twelve;
    twelve.bitsPerSample = 12;
    SampleReader twelveBits(TiffSource::File(Write("12.tif", twelve)));
    EXPECT_FALSE(twelveBits.IsOpen());
    EXPECT_EQ(twelveBits.OpenError(), QStringLiteral("Not a 8/16 bit file!"));

    TiffLayout rgb;
    rgb.bitsPerSample = 8;
    rgb.samplesPerPixel = 3;
    rgb.photometric = 2;
    SampleReader colour(TiffSource::File(Write("rgb.tif", rgb)));
    EXPECT_FALSE(colour.IsOpen());
    EXPECT_TRUE(colour.OpenError().contains(QStringLiteral("Not a grayscale file!")));
}

// Run under ThreadSanitizer too: a worker decoding while another thread asks the cache.
TEST_F(SampleReaderFile, WorkerAndUserInterfaceThreadsShareTheReader) {
    TiffLayout layout;
    layout.width = 300;
    layout.height = 200;
    layout.compression = 5;
    layout.rowsPerStrip = 2;
    SampleReader reader(TiffSource::File(Write("shared.tif", layout)), 20000);
    ASSERT_TRUE(reader.IsOpen());
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::thread worker([&] {
        for (std::uint32_t y = 0; y < 200; ++y)
            for (std::uint32_t x = 0; x < 300; x += 7)
                if (reader.Sample(x, y) != Stored(16, x, y))
                    ++wrong;
        done = true;
    });
    std::int64_t hits = 0;
    std::mt19937 random(3);
    while (!done) {
        const std::uint32_t x = random() % 300, y = random() % 200;
        const CachedLookup lookup = reader.TryCachedSample(x, y);
        if (lookup.state == CachedLookup::State::Hit) {
            ++hits;
            if (lookup.sample != Stored(16, x, y))
                ++wrong;
        }
    }
    worker.join();
    EXPECT_EQ(wrong, 0);
    (void)hits; // how many depends on timing
}

struct HeightCase {
    std::uint32_t sample;
    int bits;
    bool minIsWhite;
    double zMinMm, zMaxMm;
    std::optional<double> heightMm;
};

TEST(SampleHeight, FollowsTheRangeAndThePhotometric) {
    const double nan = std::nan("");
    const HeightCase cases[] = {
        {0, 16, false, 1.0, 3.0, 1.0},
        {65535, 16, false, 1.0, 3.0, 3.0},
        {0, 16, true, 1.0, 3.0, 3.0},
        {65535, 16, true, 1.0, 3.0, 1.0},
        {13107, 16, false, 0.0, 5.0, 1.0}, // 65535 / 5 = 13107
        {13107, 16, true, 0.0, 5.0, 4.0},
        {51, 8, false, -1.0, 4.0, 0.0}, // 255 / 5 = 51
        {51, 8, true, -1.0, 4.0, 3.0},
        {100, 8, false, 2.0, 2.0, std::nullopt}, // no height range
        {100, 8, false, nan, 2.0, std::nullopt},
        {100, 8, false, 0.0, INFINITY, std::nullopt},
        {256, 8, false, 0.0, 1.0, std::nullopt}, // does not fit 8 bits
        {5, 0, false, 0.0, 1.0, std::nullopt},
    };
    for (const HeightCase& c : cases) {
        const auto height = SampleHeightMm(c.sample, c.bits, c.minIsWhite, c.zMinMm, c.zMaxMm);
        ASSERT_EQ(height.has_value(), c.heightMm.has_value()) << c.sample << " " << c.bits;
        if (height) {
            EXPECT_DOUBLE_EQ(*height, *c.heightMm) << c.sample << " " << c.bits;
        }
    }
}

TEST(SampleHeight, EightBitEqualsTheDisplayedLevelsHeightExactly) {
    const double zMin = -0.37, zMax = 12.91;
    for (std::uint32_t level = 0; level < 256; ++level) {
        EXPECT_EQ(SampleHeightMm(level, 8, false, zMin, zMax),
                  zMin + (zMax - zMin) * level / 255.0);
        // Min-is-white: the displayed level is the inverted sample.
        EXPECT_EQ(SampleHeightMm(255 - level, 8, true, zMin, zMax),
                  zMin + (zMax - zMin) * level / 255.0);
    }
}

} // namespace
