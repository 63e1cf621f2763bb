#include "image/GeoTiff.h"
#include "image/TiffFile.h"
#include "tests/support/CommaLocale.h"

#include <QFile>
#include <QTemporaryDir>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <tiffio.h>
#include <vector>

namespace {

using namespace orvane::image;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The tags a fixture carries beyond a small 16-bit image; empty ones are not written.
struct ExtraTags {
    std::optional<std::string> noData; // 42113
    std::vector<double> pixelScale;    // 33550
    std::vector<std::uint16_t> keys;   // 34735
    std::vector<double> doubleParams;  // 34736
    std::optional<std::string> ascii;  // 34737
};

// libtiff writes tags it has no definition for only once they are registered
// on the writing handle.
void RegisterTags(TIFF* tif) {
    static const TIFFFieldInfo kFields[] = {
        {33550, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelPixelScale")},
        {34735, -1, -1, TIFF_SHORT, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoKeyDirectory")},
        {34736, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoDoubleParams")},
        {34737, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GeoAsciiParams")},
        {42113, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDAL_NODATA")},
    };
    TIFFMergeFieldInfo(tif, kFields, sizeof kFields / sizeof kFields[0]);
}

// `mode`: "w" little-endian, "wb" big-endian, "w8" BigTIFF.
bool WriteFixture(const QString& path, const ExtraTags& tags, const char* mode = "w") {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), mode);
    if (!tif)
        return false;
    RegisterTags(tif);
    constexpr std::uint32_t kWidth = 4, kHeight = 2;
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kHeight);
    if (tags.noData)
        ok = ok && TIFFSetField(tif, 42113, tags.noData->c_str());
    if (!tags.pixelScale.empty())
        ok = ok && TIFFSetField(tif, 33550, int(tags.pixelScale.size()), tags.pixelScale.data());
    if (!tags.keys.empty())
        ok = ok && TIFFSetField(tif, 34735, int(tags.keys.size()), tags.keys.data());
    if (!tags.doubleParams.empty())
        ok =
            ok && TIFFSetField(tif, 34736, int(tags.doubleParams.size()), tags.doubleParams.data());
    if (tags.ascii)
        ok = ok && TIFFSetField(tif, 34737, tags.ascii->c_str());
    std::uint16_t row[kWidth] = {1, 2, 3, 4};
    for (std::uint32_t y = 0; ok && y < kHeight; ++y)
        ok = TIFFWriteScanline(tif, row, y, 0) == 1;
    TIFFClose(tif);
    return ok;
}

class TaggedFiles : public ::testing::Test {
protected:
    QString Write(const ExtraTags& tags, const char* mode = "w") {
        const QString path = dir_.filePath(QStringLiteral("f%1.tif").arg(count_++));
        return WriteFixture(path, tags, mode) ? path : QString();
    }
    static std::unique_ptr<TiffHandle> Open(const QString& path) {
        return TiffHandle::Open(TiffSource::File(path));
    }

private:
    QTemporaryDir dir_;
    int count_ = 0;
};
class NoDataFile : public TaggedFiles {};

// ---- GDAL_NODATA text ----

struct TextCase {
    const char* text;
    std::optional<double> value; // none: refused; NaN: declared NaN
};

TEST(NoDataText, ReadsTheNumberAndRefusesAnythingElse) {
    const TextCase cases[] = {
        {"-32768", -32768.0},
        {" nan ", kNaN},
        {"NaN", kNaN},
        {"-nan", kNaN},
        {"NAN", kNaN},
        {"-9999.0", -9999.0},
        {"\t-9999.5\r\n", -9999.5},
        {"0", 0.0},
        {".5", 0.5},
        {"+5", 5.0},
        {"1e9", 1e9},
        {"inf", kInf},
        {"-inf", -kInf},
        {"-Infinity", -kInf},
        {"-3.4028234663852886e+38", -double(FLT_MAX)},
        {"1e-310", 1e-310},       // subnormal, still a double
        {"1e400", std::nullopt},  // beyond a double: declares nothing rather than infinity
        {"-1e400", std::nullopt}, //
        {"1e-400", std::nullopt}, // would become 0, a value the file never named
        {"12abc", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"1,5", std::nullopt},
        {"0x10", std::nullopt},
        {"5 6", std::nullopt},
        {"--5", std::nullopt},
        {"+-5", std::nullopt},
        {"++5", std::nullopt},
        {"+", std::nullopt},
        {"nanx", std::nullopt},
        {"none", std::nullopt},
    };
    for (const TextCase& c : cases) {
        const auto parsed = ParseNoDataText(c.text);
        ASSERT_EQ(parsed.has_value(), c.value.has_value()) << '"' << c.text << '"';
        if (!parsed)
            continue;
        EXPECT_EQ(parsed->Text, QString::fromLatin1(c.text)) << c.text;
        EXPECT_EQ(parsed->IsNan, std::isnan(*c.value)) << c.text;
        if (std::isnan(*c.value))
            EXPECT_TRUE(std::isnan(parsed->Value)) << c.text;
        else
            EXPECT_EQ(parsed->Value, *c.value) << c.text;
    }
}

TEST(NoDataText, TakesAPointWhateverTheLocale) {
    orvane::test::CommaLocale comma;
    if (!comma.Active())
        GTEST_SKIP() << orvane::test::CommaLocale::kMissing;
    const auto point = ParseNoDataText("-9999.5");
    ASSERT_TRUE(point.has_value());
    EXPECT_EQ(point->Value, -9999.5);
    EXPECT_FALSE(ParseNoDataText("-9999,5").has_value());
}

// ---- GDAL_NODATA in a file ----

TEST_F(NoDataFile, ReadsTheFilesText) {
    struct FileCase {
        std::optional<std::string> tag; // none: no tag
        std::optional<double> value;
    };
    const FileCase cases[] = {
        {std::nullopt, std::nullopt}, {"-32768", -32768.0},    {" nan ", kNaN},
        {"-9999.0", -9999.0},         {"1e400", std::nullopt}, {"12abc", std::nullopt},
        {"", std::nullopt},           {"-inf", -kInf},
    };
    for (const FileCase& c : cases) {
        const std::string label = c.tag ? '"' + *c.tag + '"' : "no tag";
        ExtraTags tags;
        tags.noData = c.tag;
        const QString path = Write(tags);
        ASSERT_FALSE(path.isEmpty()) << label;
        const auto handle = Open(path);
        ASSERT_TRUE(*handle) << label;
        const auto noData = ReadNoDataTag(handle->get());
        ASSERT_EQ(noData.has_value(), c.value.has_value()) << label;
        if (!noData)
            continue;
        EXPECT_EQ(noData->Text, QString::fromStdString(*c.tag)) << label;
        if (std::isnan(*c.value))
            EXPECT_TRUE(noData->IsNan && std::isnan(noData->Value)) << label;
        else
            EXPECT_EQ(noData->Value, *c.value) << label;
    }
}

// ---- NoDataMatch ----

struct MatchCase {
    SampleFormat format;
    int bits;
    const char* declared; // null: no tag
    double sample;
    bool noData;
};

TEST(NoDataMatch, ComparesInTheSamplesOwnType) {
    using F = SampleFormat;
    const double floatTenth = double(0.1f);
    const MatchCase cases[] = {
        // unsigned 16-bit: only integers 0..65535
        {F::Unsigned, 16, "0", 0, true},
        {F::Unsigned, 16, "0", 1, false},
        {F::Unsigned, 16, "65535", 65535, true},
        {F::Unsigned, 16, "-0", 0, true},
        {F::Unsigned, 16, "70000", 70000, false},
        {F::Unsigned, 16, "70000", 70000 - 65536, false},
        {F::Unsigned, 16, "-1", 65535, false},
        {F::Unsigned, 16, "-1", -1, false},
        {F::Unsigned, 16, "3.5", 3, false},
        {F::Unsigned, 16, "3.5", 4, false},
        {F::Unsigned, 16, "3.5", 3.5, false},
        {F::Unsigned, 16, "-32768", 32768, false},
        {F::Unsigned, 16, "nan", kNaN, false},
        {F::Unsigned, 16, "nan", 0, false},
        {F::Unsigned, 16, "inf", kInf, false},
        {F::Unsigned, 16, nullptr, 0, false},
        {F::Unsigned, 16, nullptr, kNaN, false},
        {F::Unsigned, 8, "255", 255, true},
        {F::Unsigned, 8, "256", 0, false},
        // signed 16-bit
        {F::Signed, 16, "-32768", -32768, true},
        {F::Signed, 16, "-32768", 32768, false},
        {F::Signed, 16, "-32768", -32767, false},
        {F::Signed, 16, "32767", 32767, true},
        {F::Signed, 16, "32768", 32768, false},
        {F::Signed, 16, "32768", -32768, false},
        {F::Signed, 16, "-9999.0", -9999, true},
        {F::Signed, 16, " nan ", kNaN, false},
        {F::Signed, 8, "-128", -128, true},
        {F::Signed, 8, "-129", -129, false},
        // signed 32-bit
        {F::Signed, 32, "-2147483648", -2147483648.0, true},
        {F::Signed, 32, "2147483647", 2147483647.0, true},
        {F::Signed, 32, "2147483648", 2147483648.0, false},
        {F::Signed, 32, "1e9", 1e9, true},
        {F::Signed, 32, "-9999", -9999, true},
        {F::Signed, 32, "-9999", -9998, false},
        // float32: the declared value as a float file stores it
        {F::Float, 32, "-3.4028234663852886e+38", -double(FLT_MAX), true},
        {F::Float, 32, "-9999", -9999, true},
        {F::Float, 32, "-9999", -9998, false},
        {F::Float, 32, "0.1", floatTenth, true},
        {F::Float, 32, "0.1", 0.1, false},
        {F::Float, 32, "3.4028235e38", double(FLT_MAX), true},   // rounds down to the largest
        {F::Float, 32, "1e39", double(FLT_MAX), false},          // overflows to infinity
        {F::Float, 32, "1.000000059604644775390625", 1.0, true}, // 1 + 2^-24: tie to even
        {F::Float, 32, "1e-45", double(std::numeric_limits<float>::denorm_min()), true},
        {F::Float, 32, "nan", kNaN, true},
        {F::Float, 32, "nan", 0, false},
        // float samples: NaN and infinities are no-data with or without a tag
        {F::Float, 32, nullptr, kNaN, true},
        {F::Float, 32, nullptr, kInf, true},
        {F::Float, 32, nullptr, -kInf, true},
        {F::Float, 32, nullptr, 0, false},
        {F::Float, 32, nullptr, -9999, false},
        {F::Float, 32, "-9999", kInf, true},
        {F::Float, 32, "12abc", kNaN, true},
        // float64: exact
        {F::Float, 64, "0.1", 0.1, true},
        {F::Float, 64, "0.1", floatTenth, false},
        {F::Float, 64, "-9999.0", -9999, true},
        {F::Float, 64, "1e300", 1e300, true},
        {F::Float, 64, nullptr, kNaN, true},
        {F::Float, 64, nullptr, -kInf, true},
        {F::Float, 64, "-inf", -kInf, true},
        // float16: 11 significant bits, largest 65504
        {F::Float, 16, "-9999", -10000, true},
        {F::Float, 16, "-9999", -9999, false},
        {F::Float, 16, "65504", 65504, true},
        {F::Float, 16, "65520", 65504, false},
        {F::Float, 16, "65520", kInf, true},
        {F::Float, 16, "0.1", 0.0999755859375, true},
        {F::Float, 16, "6e-8", std::ldexp(1.0, -24), true},
        // a float width whose rounding is not known: only non-finite samples
        {F::Float, 24, "5", 5, false},
        {F::Float, 24, "5", kNaN, true},
    };
    for (const MatchCase& c : cases) {
        const std::optional<NoDataValue> declared =
            c.declared ? ParseNoDataText(c.declared) : std::nullopt;
        const NoDataMatch match(declared, c.format, c.bits);
        EXPECT_EQ(match.Matches(c.sample), c.noData)
            << "format " << int(c.format) << " bits " << c.bits << " declared "
            << (c.declared ? c.declared : "(none)") << " sample " << c.sample;
    }
}

TEST(NoDataMatch, SaysWhetherAnythingCanMatch) {
    struct Case {
        SampleFormat format;
        int bits;
        const char* declared;
        bool canMatch;
        std::optional<double> target;
    };
    const Case cases[] = {
        {SampleFormat::Unsigned, 16, nullptr, false, std::nullopt},
        {SampleFormat::Unsigned, 16, "70000", false, std::nullopt},
        {SampleFormat::Unsigned, 16, "nan", false, std::nullopt},
        {SampleFormat::Signed, 16, "-32768", true, -32768.0},
        {SampleFormat::Float, 32, nullptr, true, std::nullopt},
        {SampleFormat::Float, 32, "nan", true, std::nullopt},
        {SampleFormat::Float, 32, "1e39", true, std::nullopt},
        {SampleFormat::Float, 32, "0.1", true, double(0.1f)},
        {SampleFormat::Float, 64, "0.1", true, 0.1},
    };
    for (const Case& c : cases) {
        const NoDataMatch match(c.declared ? ParseNoDataText(c.declared) : std::nullopt, c.format,
                                c.bits);
        const std::string label = c.declared ? c.declared : "(none)";
        EXPECT_EQ(match.CanMatch(), c.canMatch) << label;
        EXPECT_EQ(match.Target(), c.target) << label;
    }
}

// The float32 rounding is the compiler's double-to-float conversion for every
// value a float holds the range of.
TEST(NoDataMatch, Float32RoundingIsTheConversionToFloat) {
    std::mt19937_64 random(20240611);
    std::uniform_int_distribution<int> exponent(-160, 127);
    std::uniform_real_distribution<double> mantissa(1.0, 2.0);
    for (int i = 0; i < 20000; ++i) {
        const double value = (i % 2 ? -1 : 1) * std::ldexp(mantissa(random), exponent(random));
        if (std::fabs(value) > FLT_MAX)
            continue;
        NoDataValue declared;
        declared.Value = value;
        const NoDataMatch match(declared, SampleFormat::Float, 32);
        ASSERT_EQ(match.Target(), std::optional<double>(double(float(value)))) << value;
    }
}

} // namespace
