// Files whose samples are heights in their own right (signed, 32-bit, floating point, a
// declared no-data value): their levels over the valid values' range, the no-data mask, the
// range itself and the exact reader's values, against a one-pass libtiff read of the same file.
#include "image/HeightRead.h"
#include "image/OpenImage.h"
#include "image/SampleReader.h"
#include "tools/TiffWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <tiffio.h>
#include <vector>

namespace {

using namespace orvane::image;
using orvane::tools::TiffLayout;

constexpr std::uint32_t kWidth = 45, kHeight = 37;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

struct FormatCase {
    const char* name;
    std::uint16_t sampleFormat;
    int bits;
    const char* noData; // GDAL_NODATA, or null
};

const FormatCase kFormats[] = {
    {"uint32", SAMPLEFORMAT_UINT, 32, nullptr},
    {"int8", SAMPLEFORMAT_INT, 8, nullptr},
    {"int16 with -32768 as no data", SAMPLEFORMAT_INT, 16, "-32768"},
    {"int32", SAMPLEFORMAT_INT, 32, nullptr},
    {"float32 with NaN and infinities", SAMPLEFORMAT_IEEEFP, 32, nullptr},
    {"float32 with -9999 as no data", SAMPLEFORMAT_IEEEFP, 32, "-9999"},
    {"float64", SAMPLEFORMAT_IEEEFP, 64, nullptr},
    {"uint16 with a no-data value", SAMPLEFORMAT_UINT, 16, "7"},
};

void PrintTo(const FormatCase& f, std::ostream* out) {
    *out << f.name;
}

// Heights that use the format's range, with holes where the format can have them.
double Value(const FormatCase& f, std::uint32_t x, std::uint32_t y) {
    const bool hole = (x * 7 + y * 3) % 19 == 0;
    if (f.sampleFormat == SAMPLEFORMAT_IEEEFP) {
        if (hole)
            return f.noData ? -9999.0 : (x % 3 == 0 ? kNaN : (x % 3 == 1 ? kInf : -kInf));
        return 1234.5 + 100.25 * std::sin(0.3 * x) - 0.125 * y * y;
    }
    if (f.noData && hole)
        return std::atof(f.noData);
    switch (f.bits) {
    case 8:
        return double(int(x * 2) - int(y * 3)); // -108 .. 88
    case 16:
        return f.sampleFormat == SAMPLEFORMAT_INT ? double(int(x * 700) - int(y * 850))
                                                  : double(100 + x * 1000 + y);
    default:
        return f.sampleFormat == SAMPLEFORMAT_INT ? double(-2000000000 + int(x * 40000000) + int(y))
                                                  : double(4000000000u - x * 80000000u - y);
    }
}

struct LayoutCase {
    const char* name;
    std::uint16_t compression, predictor;
    std::uint32_t tile; // 0: strips of 7 rows
    bool bigEndian;
};

const LayoutCase kLayouts[] = {
    {"strips", COMPRESSION_NONE, 0, 0, false},
    {"strips, big-endian", COMPRESSION_NONE, 0, 0, true},
    {"tiles", COMPRESSION_NONE, 0, 16, false},
    {"LZW", COMPRESSION_LZW, 0, 0, false},
    {"Deflate, big-endian tiles", COMPRESSION_ADOBE_DEFLATE, 0, 16, true},
    {"LZW, horizontal predictor", COMPRESSION_LZW, PREDICTOR_HORIZONTAL, 0, false},
    {"Deflate, floating-point predictor", COMPRESSION_ADOBE_DEFLATE, PREDICTOR_FLOATINGPOINT, 0,
     false},
    // libtiff 4.5 writes these with the bytes of each sample swapped (its reading of correct
    // files is right: see BigEndianFloatingPointPredictorFromAnotherWriter); the reader gives
    // what the library decodes, as the one-pass read does.
    {"LZW, floating-point predictor, big-endian", COMPRESSION_LZW, PREDICTOR_FLOATINGPOINT, 16,
     true},
};

void PrintTo(const LayoutCase& l, std::ostream* out) {
    *out << l.name;
}

// Every sample of the file, decoded by libtiff a scanline or a tile at a time.
std::vector<double> OnePass(const QString& path, int bits, std::uint16_t sampleFormat) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    std::vector<double> values(std::size_t(kWidth) * kHeight);
    const SampleFormat format{sampleFormat == SAMPLEFORMAT_INT      ? SampleKind::Signed
                              : sampleFormat == SAMPLEFORMAT_IEEEFP ? SampleKind::Float
                                                                    : SampleKind::Unsigned,
                              bits};
    const int bytes = bits / 8;
    if (TIFFIsTiled(tif)) {
        std::uint32_t tw = 0, th = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
        std::vector<std::uint8_t> tile(std::size_t(TIFFTileSize(tif)));
        for (std::uint32_t ty = 0; ty < kHeight; ty += th)
            for (std::uint32_t tx = 0; tx < kWidth; tx += tw) {
                TIFFReadTile(tif, tile.data(), tx, ty, 0, 0);
                for (std::uint32_t y = ty; y < std::min(ty + th, kHeight); ++y)
                    for (std::uint32_t x = tx; x < std::min(tx + tw, kWidth); ++x)
                        values[y * kWidth + x] =
                            SampleValue(tile.data() + ((y - ty) * tw + (x - tx)) * bytes, format);
            }
    } else {
        std::vector<std::uint8_t> line(std::size_t(TIFFScanlineSize(tif)));
        for (std::uint32_t y = 0; y < kHeight; ++y) {
            TIFFReadScanline(tif, line.data(), y, 0);
            for (std::uint32_t x = 0; x < kWidth; ++x)
                values[y * kWidth + x] = SampleValue(line.data() + x * bytes, format);
        }
    }
    TIFFClose(tif);
    return values;
}

// Every height of a measuring read, placed by file pixel; a pixel delivered twice is a fault,
// and one never delivered stays a marker no test value uses.
std::vector<double> CollectHeights(const TiffSource& source, const ImageModel& model) {
    static constexpr double kNever = -7.25e300;
    std::vector<double> heights(std::size_t(model.FileWidth * model.FileHeight), kNever);
    struct Rows : HeightRows {
        std::vector<double>* heights;
        std::int64_t width;
        void Row(std::int64_t row, std::int64_t firstColumn, const double* h,
                 std::int64_t count) override {
            for (std::int64_t i = 0; i < count; ++i) {
                double& at = (*heights)[std::size_t(row * width + firstColumn + i)];
                EXPECT_EQ(at, kNever) << "delivered twice: " << firstColumn + i << "," << row;
                at = h[i];
            }
        }
    };
    // Threads deliver different rows, so they never write the same element.
    const HeightRowsMaker maker = [&heights, &model] {
        auto rows = std::make_unique<Rows>();
        rows->heights = &heights;
        rows->width = model.FileWidth;
        return std::unique_ptr<HeightRows>(std::move(rows));
    };
    const ReadResult read = ReadHeights(source, model, model.FileHeight, maker, nullptr);
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(read.unreadableRows, 0);
    for (double h : heights)
        EXPECT_NE(h, kNever);
    return heights;
}

class ValueRead : public ::testing::TestWithParam<std::tuple<FormatCase, LayoutCase>> {
protected:
    QTemporaryDir dir;
};

TEST_P(ValueRead, LevelsMaskRangeAndValuesFollowTheFile) {
    const auto& [f, l] = GetParam();
    TiffLayout layout;
    layout.width = kWidth;
    layout.height = kHeight;
    layout.bitsPerSample = f.bits;
    layout.sampleFormat = f.sampleFormat;
    layout.compression = l.compression;
    layout.predictor = l.predictor;
    layout.tileSize = l.tile;
    layout.rowsPerStrip = 7;
    layout.bigEndian = l.bigEndian;
    layout.photometric = 0; // min-is-white changes nothing for values
    if (f.noData)
        layout.gdalNoData = QString::fromLatin1(f.noData);
    const QString path = dir.filePath("values.tif");
    ASSERT_TRUE(orvane::tools::WriteTiffValues(
        path, layout, [&f](std::uint32_t x, std::uint32_t y) { return Value(f, x, y); }));

    const std::vector<double> values = OnePass(path, f.bits, f.sampleFormat);
    const NoDataMatch noData(ParseNoDataText(f.noData ? f.noData : "x"),
                             f.sampleFormat == SAMPLEFORMAT_INT      ? SampleKind::Signed
                             : f.sampleFormat == SAMPLEFORMAT_IEEEFP ? SampleKind::Float
                                                                     : SampleKind::Unsigned,
                             f.bits);
    double low = kInf, high = -kInf;
    std::int64_t holes = 0;
    const std::uint32_t keptWidth = kWidth / 4 * 4; // the kept width is a multiple of 4
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < keptWidth; ++x) {
            const double v = values[y * kWidth + x];
            if (noData.Matches(v)) {
                ++holes;
                continue;
            }
            low = std::min(low, v);
            high = std::max(high, v);
        }

    const OpenedImage opened = OpenWithoutWindow(TiffSource::File(path));
    ASSERT_EQ(opened.result.outcome, OpenOutcome::Shown) << opened.messages.join('|').toStdString();
    const ImageModel& m = opened.model;
    ASSERT_TRUE(m.LevelsFromValues);
    ASSERT_EQ(m.ImageWidth, keptWidth);
    ASSERT_TRUE(m.DataMin && m.DataMax);
    EXPECT_EQ(*m.DataMin, low);
    EXPECT_EQ(*m.DataMax, high);
    EXPECT_EQ(m.NoDataPixels, holes);
    EXPECT_EQ(m.NoDataMask != nullptr, holes > 0);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < keptWidth; ++x) {
            const double v = values[y * kWidth + x];
            const bool hole = noData.Matches(v);
            ASSERT_EQ(m.NoDataAt(x, y), hole) << x << "," << y;
            ASSERT_EQ(m.Levels()[y * keptWidth + x], hole ? 0 : LevelOfValue(v, low, high))
                << x << "," << y;
        }

    // The exact reader gives every stored value, the holes as no data.
    SampleReader reader(TiffSource::File(path));
    ASSERT_TRUE(reader.IsOpen()) << reader.OpenError().toStdString();
    for (std::uint32_t y = 0; y < kHeight; y += 3)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            const double v = values[y * kWidth + x];
            const StoredSample s = reader.Sample(x, y);
            if (noData.Matches(v)) {
                ASSERT_EQ(s.state, StoredSample::State::NoData) << x << "," << y;
                ASSERT_TRUE(std::isnan(v) ? std::isnan(s.value) : s.value == v);
            } else {
                ASSERT_EQ(s.state, StoredSample::State::Value) << x << "," << y;
                ASSERT_EQ(s.value, v) << x << "," << y;
            }
        }

    // The measuring read gives every pixel of every row once, the holes as NaN: values in
    // their own unit, since these files give none.
    const std::vector<double> heights = CollectHeights(TiffSource::File(path), m);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            const double v = values[y * kWidth + x];
            const double h = heights[y * kWidth + x];
            if (noData.Matches(v))
                ASSERT_TRUE(std::isnan(h)) << x << "," << y;
            else
                ASSERT_EQ(h, v) << x << "," << y;
        }
}

std::string CaseName(const ::testing::TestParamInfo<ValueRead::ParamType>& info) {
    std::string name =
        std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

// Every format in every layout that can hold it: the floating-point predictor is for
// floating-point samples, and libtiff differences 8, 16 and 32-bit samples only.
std::vector<std::tuple<FormatCase, LayoutCase>> Cases() {
    std::vector<std::tuple<FormatCase, LayoutCase>> cases;
    for (const FormatCase& f : kFormats)
        for (const LayoutCase& l : kLayouts) {
            if (l.predictor == PREDICTOR_FLOATINGPOINT && f.sampleFormat != SAMPLEFORMAT_IEEEFP)
                continue;
            if (l.predictor == PREDICTOR_HORIZONTAL && f.bits == 64)
                continue;
            cases.emplace_back(f, l);
        }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Formats, ValueRead, ::testing::ValuesIn(Cases()), CaseName);

// The level rule on a table of values: 256 levels over [low, high], the top value in the last.
TEST(LevelOfValue, SpreadsTheRangeOverTheLevels) {
    struct Case {
        double value, low, high;
        int level;
    } const cases[] = {
        {0, 0, 1, 0},
        {1, 0, 1, 255},
        {0.5, 0, 1, 128},
        {0.49999, 0, 1, 127},
        {-3, -3, 5, 0},
        {5, -3, 5, 255},
        {1, -3, 5, 128},
        {4.99, -3, 5, 255},
        {4.96, -3, 5, 254},
        {7, 7, 7, 0},
        {1e300, -1e300, 1e300, 255},
        // Ranges beyond the doubles' reach: a span past the largest double, a product past it.
        {0, -1.5e308, 1.5e308, 128},
        {1.7e308, -1.7e308, 1.7e308, 255},
        {-1e308, -1.5e308, 1.5e308, 42}, // 256 x 0.5e308 / 3e308 = 42.67
        {1e306, 0, 1.5e306, 170},        // 256 x 2/3 = 170.67; 256 x 1e306 overflows
    };
    for (const Case& c : cases)
        EXPECT_EQ(LevelOfValue(c.value, c.low, c.high), c.level)
            << c.value << " in [" << c.low << ", " << c.high << "]";
}

class ValueFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    // Floating-point samples of `bits` bits, uncompressed strips.
    static TiffLayout FloatLayout(std::uint32_t width, std::uint32_t height, int bits) {
        TiffLayout layout;
        layout.width = width;
        layout.height = height;
        layout.bitsPerSample = bits;
        layout.sampleFormat = SAMPLEFORMAT_IEEEFP;
        return layout;
    }
    QString Write(const char* name, TiffLayout layout,
                  const std::function<double(std::uint32_t, std::uint32_t)>& value) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        return orvane::tools::WriteTiffValues(path, layout, value) ? path : QString();
    }
};

TEST_F(ValueFiles, AllNoDataAndConstantFilesOpen) {
    const TiffLayout layout = FloatLayout(16, 8, 32);
    const OpenedImage empty = OpenWithoutWindow(
        TiffSource::File(Write("nan.tif", layout, [](auto, auto) { return kNaN; })));
    ASSERT_EQ(empty.result.outcome, OpenOutcome::Shown);
    EXPECT_FALSE(empty.model.DataMin);
    EXPECT_EQ(empty.model.NoDataPixels, 16 * 8);
    EXPECT_TRUE(empty.model.NoDataAt(15, 7));
    EXPECT_EQ(empty.model.Levels()[0], 0);

    const OpenedImage flat = OpenWithoutWindow(
        TiffSource::File(Write("flat.tif", layout, [](auto, auto) { return 2.5; })));
    ASSERT_EQ(flat.result.outcome, OpenOutcome::Shown);
    EXPECT_EQ(flat.model.DataMin, 2.5);
    EXPECT_EQ(flat.model.DataMax, 2.5);
    EXPECT_FALSE(flat.model.NoDataMask);
    for (std::int64_t i = 0; i < flat.model.LevelCount(); ++i)
        ASSERT_EQ(flat.model.Levels()[i], 0);
}

// Values of both signs near the largest double: the range spans more than a double holds, and
// the levels are still the rule's.
TEST_F(ValueFiles, RangeWiderThanTheLargestDouble) {
    const TiffLayout layout = FloatLayout(16, 4, 64);
    auto value = [](std::uint32_t x, std::uint32_t) { return (x - 7.5) * 2e307; }; // ±1.5e308
    const OpenedImage opened =
        OpenWithoutWindow(TiffSource::File(Write("huge.tif", layout, value)));
    ASSERT_EQ(opened.result.outcome, OpenOutcome::Shown);
    EXPECT_EQ(opened.model.DataMin, -1.5e308);
    EXPECT_EQ(opened.model.DataMax, value(15, 0));
    for (std::uint32_t x = 0; x < 16; ++x)
        ASSERT_EQ(opened.model.Levels()[x], LevelOfValue(value(x, 0), -1.5e308, value(15, 0))) << x;
    EXPECT_EQ(opened.model.Levels()[15], 255);
    EXPECT_EQ(opened.model.Levels()[8], 128 + 8); // (16e307 / 30e307) x 256 = 136.5
}

// Thinned, the range and the levels come from the kept pixels only.
TEST_F(ValueFiles, ThinnedFileKeepsThePixelsOfItsStep) {
    TiffLayout layout = FloatLayout(64, 64, 32);
    layout.rowsPerStrip = 5;
    // Odd rows and columns, never kept at step 2, hold the extremes.
    auto value = [](std::uint32_t x, std::uint32_t y) {
        return (x % 2 || y % 2) ? (x % 4 == 1 ? -1e6 : 1e6) : double(x + 100 * y);
    };
    OpenOptions options;
    options.allocationLimitBytes = 1024; // 32 x 32 levels at the most: step 2
    const OpenedImage thinned =
        OpenWithoutWindow(TiffSource::File(Write("thin.tif", layout, value)), options);
    ASSERT_EQ(thinned.result.outcome, OpenOutcome::Shown);
    ASSERT_EQ(thinned.model.ColumnStep, 2);
    EXPECT_EQ(thinned.model.DataMin, 0.0);
    EXPECT_EQ(thinned.model.DataMax, 62.0 + 6200.0);
    const std::int64_t w = thinned.model.ImageWidth;
    for (std::int64_t r = 0; r < thinned.model.ImageHeight; ++r)
        for (std::int64_t c = 0; c < w; ++c)
            ASSERT_EQ(thinned.model.Levels()[r * w + c],
                      LevelOfValue(value(std::uint32_t(2 * c), std::uint32_t(2 * r)), 0, 6262));
}

// A big-endian file with the floating-point predictor as its specification (TIFF Technical
// Note 3) and other writers have it, encoded here by hand: each row's samples split into byte
// planes, most significant first, then differenced byte by byte; Deflate. Its stored values
// must come out exactly.
template <class Float>
QByteArray BigEndianPredictedFile(std::uint32_t width, std::uint32_t height,
                                  double (*value)(std::uint32_t, std::uint32_t)) {
    constexpr int bytes = sizeof(Float);
    QByteArray rows;
    for (std::uint32_t y = 0; y < height; ++y) {
        QByteArray planes(int(width * bytes), '\0');
        for (std::uint32_t x = 0; x < width; ++x) {
            const Float v = Float(value(x, y));
            unsigned char native[bytes];
            std::memcpy(native, &v, bytes);
            for (int b = 0; b < bytes; ++b) // b = 0: the most significant byte
                planes[int(b * width + x)] = char(native[bytes - 1 - b]);
        }
        for (int i = planes.size() - 1; i > 0; --i)
            planes[i] = char(std::uint8_t(planes[i]) - std::uint8_t(planes[i - 1]));
        rows += planes;
    }
    const QByteArray strip = qCompress(rows).mid(4); // a zlib stream without Qt's length prefix

    QByteArray file("MM", 2);
    auto put16 = [&file](std::uint16_t v) {
        file += char(v >> 8);
        file += char(v & 0xFF);
    };
    auto put32 = [&put16](std::uint32_t v) {
        put16(std::uint16_t(v >> 16));
        put16(std::uint16_t(v & 0xFFFF));
    };
    put16(42);
    put32(8);
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t value;
    };
    const std::uint32_t entryCount = 11, dataOffset = 8 + 2 + entryCount * 12 + 4;
    const Entry entries[] = {
        {256, 4, width},
        {257, 4, height},
        {258, 3, bytes * 8},
        {259, 3, COMPRESSION_ADOBE_DEFLATE},
        {262, 3, PHOTOMETRIC_MINISBLACK},
        {273, 4, dataOffset},
        {277, 3, 1},
        {278, 4, height},
        {279, 4, std::uint32_t(strip.size())},
        {317, 3, PREDICTOR_FLOATINGPOINT},
        {339, 3, SAMPLEFORMAT_IEEEFP},
    };
    put16(entryCount);
    for (const Entry& e : entries) {
        put16(e.tag);
        put16(e.type);
        put32(1);
        if (e.type == 3) {
            put16(std::uint16_t(e.value));
            put16(0);
        } else {
            put32(e.value);
        }
    }
    put32(0);
    return file + strip;
}

double KnownHeight(std::uint32_t x, std::uint32_t y) {
    return -1.5 + 0.25 * x - 1e3 * y + (x == 3 && y == 2 ? 1e30 : 0.0);
}

TEST_F(ValueFiles, BigEndianFloatingPointPredictorFromAnotherWriter) {
    for (const bool doubles : {false, true}) {
        const QByteArray bytes = doubles ? BigEndianPredictedFile<double>(24, 6, KnownHeight)
                                         : BigEndianPredictedFile<float>(24, 6, KnownHeight);
        const QString path = dir.filePath(doubles ? "be64.tif" : "be32.tif");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const OpenedImage opened = OpenWithoutWindow(TiffSource::File(path));
        ASSERT_EQ(opened.result.outcome, OpenOutcome::Shown)
            << opened.messages.join('|').toStdString();
        SampleReader reader(TiffSource::File(path));
        ASSERT_TRUE(reader.IsOpen());
        for (std::uint32_t y = 0; y < 6; ++y)
            for (std::uint32_t x = 0; x < 24; ++x) {
                const double expected =
                    doubles ? KnownHeight(x, y) : double(float(KnownHeight(x, y)));
                ASSERT_EQ(reader.Sample(x, y), expected) << doubles << " " << x << "," << y;
            }
        EXPECT_EQ(opened.model.DataMax,
                  doubles ? 1e30 + 0.75 - 2000 : double(float(1e30 + 0.75 - 2000)));
        EXPECT_EQ(opened.model.DataMin, doubles ? -1.5 - 5000 : double(float(-1.5 - 5000)));
    }
}

} // namespace
