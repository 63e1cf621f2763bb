#include "image/GeoTiff.h"
#include "image/TiffFile.h"
#include "tests/support/CommaLocale.h"
#include "tools/TiffWriter.h"

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

// One key: {KeyID, TIFFTagLocation, Count, Value_Offset}.
struct Key {
    std::uint16_t id, location, count, value;
};

// A version 1.1.0 key directory holding `keys` in the given order, then `extra` values.
std::vector<std::uint16_t> Directory(const std::vector<Key>& keys,
                                     const std::vector<std::uint16_t>& extra = {}) {
    std::vector<std::uint16_t> d{1, 1, 0, std::uint16_t(keys.size())};
    for (const Key& k : keys)
        d.insert(d.end(), {k.id, k.location, k.count, k.value});
    d.insert(d.end(), extra.begin(), extra.end());
    return d;
}

// `mode`: "w" little-endian, "wb" big-endian, "w8" BigTIFF.
bool WriteFixture(const QString& path, const ExtraTags& tags, const char* mode = "w") {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), mode);
    if (!tif)
        return false;
    // libtiff writes tags it has no definition for only once they are registered.
    orvane::tools::RegisterExtraTags(tif);
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
class GeoTiffFile : public TaggedFiles {};

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
    SampleKind format;
    int bits;
    const char* declared; // null: no tag
    double sample;
    bool noData;
};

TEST(NoDataMatch, ComparesInTheSamplesOwnType) {
    using F = SampleKind;
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
        SampleKind format;
        int bits;
        const char* declared;
        bool canMatch;
        std::optional<double> target;
    };
    const Case cases[] = {
        {SampleKind::Unsigned, 16, nullptr, false, std::nullopt},
        {SampleKind::Unsigned, 16, "70000", false, std::nullopt},
        {SampleKind::Unsigned, 16, "nan", false, std::nullopt},
        {SampleKind::Signed, 16, "-32768", true, -32768.0},
        {SampleKind::Float, 32, nullptr, true, std::nullopt},
        {SampleKind::Float, 32, "nan", true, std::nullopt},
        {SampleKind::Float, 32, "1e39", true, std::nullopt},
        {SampleKind::Float, 32, "0.1", true, double(0.1f)},
        {SampleKind::Float, 64, "0.1", true, 0.1},
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
        const NoDataMatch match(declared, SampleKind::Float, 32);
        ASSERT_EQ(match.Target(), std::optional<double>(double(float(value)))) << value;
    }
}

// ---- GeoTIFF scale and units ----

struct UnitExpect {
    UnitKind kind;
    const char* name;
    int code;
};

void ExpectUnit(const GeoUnit& unit, const UnitExpect& expected, const std::string& label) {
    EXPECT_EQ(unit.Kind, expected.kind) << label;
    EXPECT_EQ(unit.Name, QString::fromUtf8(expected.name)) << label;
    EXPECT_EQ(unit.Code, expected.code) << label;
}

const UnitExpect kUnknown{UnitKind::Unknown, "unknown", 0};
const UnitExpect kMetresByDefault{UnitKind::Metre, "m", 0};

struct GeoCase {
    const char* name;
    ExtraTags tags;
    bool geoTiff;
    std::optional<std::pair<double, double>> pixel;
    UnitExpect pixelUnit;
    UnitExpect heightUnit;
    double scaleZ = 0.0;
};

// GTModelTypeGeoKey, GTRasterTypeGeoKey, GeographicTypeGeoKey, GeogCitationGeoKey,
// GeogAngularUnitsGeoKey, ProjectedCSTypeGeoKey, ProjLinearUnitsGeoKey,
// ProjLinearUnitSizeGeoKey, VerticalUnitsGeoKey.
enum : std::uint16_t {
    kModel = 1024,
    kRaster = 1025,
    kGeographic = 2048,
    kCitation = 2049,
    kAngular = 2054,
    kProjected = 3072,
    kLinear = 3076,
    kLinearSize = 3077,
    kVertical = 4099,
};

ExtraTags Geo(std::vector<double> scale, std::vector<std::uint16_t> keys,
              std::vector<double> doubles = {}, std::optional<std::string> ascii = {}) {
    ExtraTags tags;
    tags.pixelScale = std::move(scale);
    tags.keys = std::move(keys);
    tags.doubleParams = std::move(doubles);
    tags.ascii = std::move(ascii);
    return tags;
}

const std::vector<double> kHalfMetre{0.5, 0.5, 0.0};
const std::vector<double> kArcSeconds3{1.0 / 1200, 1.0 / 1200, 0.0};

// A projected model in metres (UTM zone 33N), then `more` keys.
std::vector<std::uint16_t> ProjectedMetres(const std::vector<Key>& more = {}) {
    std::vector<Key> keys{
        {kModel, 0, 1, 1}, {kRaster, 0, 1, 1}, {kProjected, 0, 1, 32633}, {kLinear, 0, 1, 9001}};
    keys.insert(keys.end(), more.begin(), more.end());
    return Directory(keys);
}

std::vector<GeoCase> GeoCases() {
    const UnitExpect metre{UnitKind::Metre, "m", 9001};
    const UnitExpect degree{UnitKind::Degree, "deg", 9102};
    const UnitExpect degreeByDefault{UnitKind::Degree, "deg", 0};
    const auto half = std::make_pair(0.5, 0.5);
    const auto arc = std::make_pair(1.0 / 1200, 1.0 / 1200);
    return {
        {"no tags", {}, false, std::nullopt, kUnknown, kUnknown},
        {"projected in metres", Geo(kHalfMetre, ProjectedMetres()), true, half, metre,
         kMetresByDefault},
        {"geographic, degrees by default",
         Geo(kArcSeconds3,
             Directory({{kModel, 0, 1, 2},
                        {kRaster, 0, 1, 1},
                        {kGeographic, 0, 1, 4326},
                        {kCitation, 34737, 7, 0}}),
             {}, "WGS 84|"),
         true, arc, degreeByDefault, kMetresByDefault},
        {"geographic, degrees named",
         Geo(kArcSeconds3, Directory({{kModel, 0, 1, 2}, {kAngular, 0, 1, 9102}})), true, arc,
         degree, kMetresByDefault},
        {"geographic in radians",
         Geo(kArcSeconds3, Directory({{kModel, 0, 1, 2}, {kAngular, 0, 1, 9101}})),
         true,
         arc,
         {UnitKind::Other, "rad", 9101},
         kMetresByDefault},
        {"geographic, angular unit among the doubles",
         Geo(kArcSeconds3, Directory({{kModel, 0, 1, 2}, {kAngular, 34736, 1, 0}}), {9102.0}), true,
         arc, kUnknown, kMetresByDefault},
        {"heights in feet",
         Geo(kHalfMetre, ProjectedMetres({{kVertical, 0, 1, 9002}})),
         true,
         half,
         metre,
         {UnitKind::Other, "ft", 9002}},
        {"heights in US survey feet",
         Geo(kHalfMetre, ProjectedMetres({{kVertical, 0, 1, 9003}})),
         true,
         half,
         metre,
         {UnitKind::Other, "ftUS", 9003}},
        {"heights in kilometres",
         Geo(kHalfMetre, ProjectedMetres({{kVertical, 0, 1, 9036}})),
         true,
         half,
         metre,
         {UnitKind::Other, "km", 9036}},
        {"heights in metres named", Geo(kHalfMetre, ProjectedMetres({{kVertical, 0, 1, 9001}})),
         true, half, metre, metre},
        {"heights in a unit without a name here",
         Geo(kHalfMetre, ProjectedMetres({{kVertical, 0, 1, 9005}})),
         true,
         half,
         metre,
         {UnitKind::Other, "unit code 9005", 9005}},
        {"height unit among the doubles",
         Geo(kHalfMetre, ProjectedMetres({{kVertical, 34736, 1, 0}}), {0.3048}), true, half, metre,
         kUnknown},
        {"projected in US survey feet, not converted",
         Geo({3.0, 3.0, 0.0}, Directory({{kModel, 0, 1, 1}, {kLinear, 0, 1, 9003}})),
         true,
         std::make_pair(3.0, 3.0),
         {UnitKind::Other, "ftUS", 9003},
         kMetresByDefault},
        {"projected in feet",
         Geo({3.0, 2.0, 0.0}, Directory({{kModel, 0, 1, 1}, {kLinear, 0, 1, 9002}})),
         true,
         std::make_pair(3.0, 2.0),
         {UnitKind::Other, "ft", 9002},
         kMetresByDefault},
        {"projected in a user-defined unit",
         Geo(kHalfMetre,
             Directory({{kModel, 0, 1, 1}, {kLinear, 0, 1, 32767}, {kLinearSize, 34736, 1, 0}}),
             {0.2}),
         true,
         half,
         {UnitKind::Other, "unit code 32767", 32767},
         kMetresByDefault},
        {"projected without a linear unit",
         Geo(kHalfMetre, Directory({{kModel, 0, 1, 1}, {kProjected, 0, 1, 32633}})), true, half,
         kUnknown, kMetresByDefault},
        {"no model type", Geo(kHalfMetre, Directory({{kRaster, 0, 1, 1}, {kLinear, 0, 1, 9001}})),
         true, half, kUnknown, kMetresByDefault},
        {"geocentric", Geo(kHalfMetre, Directory({{kModel, 0, 1, 3}, {kLinear, 0, 1, 9001}})), true,
         half, kUnknown, kMetresByDefault},
        {"user-defined model", Geo(kHalfMetre, Directory({{kModel, 0, 1, 32767}})), true, half,
         kUnknown, kMetresByDefault},
        {"empty directory", Geo(kHalfMetre, Directory({})), true, half, kUnknown, kMetresByDefault},
        {"unit among the directory's own values",
         Geo(kHalfMetre, Directory({{kModel, 0, 1, 1}, {kLinear, 34735, 1, 12}}, {9001})), true,
         half, metre, kMetresByDefault},
        {"keys out of order",
         Geo(kHalfMetre, Directory({{kLinear, 0, 1, 9001}, {kModel, 0, 1, 1}})), true, half, metre,
         kMetresByDefault},
        {"height scale as stored", Geo({1.0, 2.0, 0.01}, ProjectedMetres()), true,
         std::make_pair(1.0, 2.0), metre, kMetresByDefault, 0.01},
        {"zero pixel scale", Geo({0.0, 0.0, 0.0}, ProjectedMetres()), true, std::nullopt, kUnknown,
         kMetresByDefault},
        {"negative pixel scale", Geo({-0.5, 0.5, 0.0}, ProjectedMetres()), true, std::nullopt,
         kUnknown, kMetresByDefault},
        {"infinite pixel scale", Geo({kInf, 0.5, 0.0}, ProjectedMetres()), true, std::nullopt,
         kUnknown, kMetresByDefault},
        {"scale without keys", Geo(kHalfMetre, {}), false, std::nullopt, kUnknown, kUnknown},
        {"keys without scale", Geo({}, ProjectedMetres()), false, std::nullopt, kUnknown, kUnknown},
        {"scale of two values", Geo({0.5, 0.5}, ProjectedMetres()), false, std::nullopt, kUnknown,
         kUnknown},
        {"scale of four values", Geo({0.5, 0.5, 0.0, 1.0}, ProjectedMetres()), false, std::nullopt,
         kUnknown, kUnknown},
    };
}

TEST_F(GeoTiffFile, ReferenceReadsScaleAndUnits) {
    for (const char* mode : {"w", "wb", "w8"}) {
        for (const GeoCase& c : GeoCases()) {
            const std::string label = std::string(c.name) + " (" + mode + ")";
            const QString path = Write(c.tags, mode);
            ASSERT_FALSE(path.isEmpty()) << label;
            const auto handle = Open(path);
            ASSERT_TRUE(*handle) << label;
            const GeoReference geo = ReadGeoReference(handle->get());
            EXPECT_EQ(geo.GeoTiff, c.geoTiff) << label;
            ASSERT_EQ(geo.Pixel.has_value(), c.pixel.has_value()) << label;
            if (geo.Pixel) {
                EXPECT_EQ(geo.Pixel->X, c.pixel->first) << label;
                EXPECT_EQ(geo.Pixel->Y, c.pixel->second) << label;
                ExpectUnit(geo.Pixel->Unit, c.pixelUnit, label + ", pixel unit");
            }
            ExpectUnit(geo.HeightUnit, c.heightUnit, label + ", height unit");
            EXPECT_EQ(geo.ScaleZ, c.scaleZ) << label;
        }
    }
}

// Reading the tags adds nothing to the messages the handle collects, even
// where the file has none of them.
TEST_F(GeoTiffFile, ReadingReportsNothing) {
    for (const ExtraTags& tags : {ExtraTags{}, Geo(kHalfMetre, ProjectedMetres())}) {
        const auto handle = Open(Write(tags));
        ASSERT_TRUE(*handle);
        handle->TakeErrors(); // the library's own words on tags it has no definition for
        ReadGeoReference(handle->get());
        ReadNoDataTag(handle->get());
        EXPECT_EQ(handle->TakeErrors(), QStringList());
    }
}

// A malformed key directory makes the file no GeoTIFF: no pixel size and no
// height unit rather than values read from the wrong place.
TEST_F(GeoTiffFile, MalformedDirectoryIsNoGeoTiff) {
    struct Malformed {
        const char* name;
        ExtraTags tags;
    };
    // Three keys announced, the third one short of its last value: it would
    // otherwise read as a well-formed inline height unit.
    std::vector<std::uint16_t> countPastTag =
        Directory({{kModel, 0, 1, 1}, {kLinear, 0, 1, 9001}}, {kVertical, 0, 1});
    countPastTag[3] = 3;
    std::vector<std::uint16_t> version2 = ProjectedMetres();
    version2[0] = 2;
    const Malformed cases[] = {
        {"key count runs past the tag", Geo(kHalfMetre, countPastTag)},
        {"version 2", Geo(kHalfMetre, version2)},
        {"shorter than its header", Geo(kHalfMetre, {1, 1, 0})},
        {"inline key of two values", Geo(kHalfMetre, Directory({{kModel, 0, 2, 1}}))},
        {"inline key of no value", Geo(kHalfMetre, Directory({{kModel, 0, 0, 1}}))},
        {"doubles past their tag",
         Geo(kHalfMetre, Directory({{kModel, 0, 1, 1}, {kLinearSize, 34736, 1, 1}}), {0.2})},
        {"doubles without their tag",
         Geo(kHalfMetre, Directory({{kModel, 0, 1, 1}, {kLinearSize, 34736, 1, 0}}))},
        {"text past its tag",
         Geo(kArcSeconds3, Directory({{kModel, 0, 1, 2}, {kCitation, 34737, 20, 0}}), {},
             "WGS 84|")},
        {"text without its tag",
         Geo(kArcSeconds3, Directory({{kModel, 0, 1, 2}, {kCitation, 34737, 7, 0}}))},
        {"directory value past the tag",
         Geo(kHalfMetre, Directory({{kModel, 0, 1, 1}, {kLinear, 34735, 1, 50}}))},
        {"key given twice", Geo(kHalfMetre, Directory({{kModel, 0, 1, 1}, {kModel, 0, 1, 2}}))},
        {"values in another tag",
         Geo(kHalfMetre, Directory({{kModel, 0, 1, 1}, {kLinear, 33550, 1, 0}}))},
    };
    for (const Malformed& c : cases) {
        const auto handle = Open(Write(c.tags));
        ASSERT_TRUE(*handle) << c.name;
        const GeoReference geo = ReadGeoReference(handle->get());
        EXPECT_FALSE(geo.GeoTiff) << c.name;
        EXPECT_FALSE(geo.Pixel.has_value()) << c.name;
        ExpectUnit(geo.HeightUnit, kUnknown, c.name);
    }
}

} // namespace
