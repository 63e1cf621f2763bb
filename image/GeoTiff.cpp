#include "image/GeoTiff.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstring>
#include <set>
#include <system_error>
#include <tiffio.h>
#include <vector>

namespace orvane::image {

namespace {

constexpr std::uint32_t kNoDataTag = 42113;
constexpr std::uint32_t kPixelScaleTag = 33550;
constexpr std::uint32_t kKeyDirectoryTag = 34735;
constexpr std::uint32_t kDoubleParamsTag = 34736;
constexpr std::uint32_t kAsciiParamsTag = 34737;

constexpr int kModelTypeKey = 1024;
constexpr int kAngularUnitsKey = 2054;
constexpr int kLinearUnitsKey = 3076;
constexpr int kVerticalUnitsKey = 4099;

constexpr int kModelProjected = 1;
constexpr int kModelGeographic = 2;
constexpr int kUnitMetre = 9001;
constexpr int kUnitDegree = 9102;

// The values of a tag held as an array of one TIFF type. libtiff 4.5 reads tags
// it has no definition for as anonymous fields (a count and a pointer); a
// later libtiff, or an extender installed by someone else, may define them
// another way. Asking the field's own definition how to fetch it reads every
// case without installing a process-wide tag extender, which would change how
// every other handle of the program is opened.
template <typename T> struct TagArray {
    const T* data = nullptr;
    std::uint32_t count = 0;
};

template <typename T>
std::optional<TagArray<T>> ReadTagArray(TIFF* tif, std::uint32_t tag, TIFFDataType type) {
    // TIFFFindField, unlike TIFFFieldWithTag, reports nothing for an unknown
    // tag: the handle's collected messages stay the file's own.
    const TIFFField* field = TIFFFindField(tif, tag, TIFF_ANY);
    if (!field || TIFFFieldDataType(field) != type || TIFFFieldSetGetSize(field) != int(sizeof(T)))
        return std::nullopt;
    void* data = nullptr;
    std::uint32_t count = 0;
    if (TIFFFieldPassCount(field)) {
        if (TIFFFieldReadCount(field) == TIFF_VARIABLE2) {
            if (!TIFFGetField(tif, tag, &count, &data))
                return std::nullopt;
        } else {
            std::uint16_t count16 = 0;
            if (!TIFFGetField(tif, tag, &count16, &data))
                return std::nullopt;
            count = count16;
        }
    } else if (type == TIFF_ASCII) {
        char* text = nullptr;
        if (!TIFFGetField(tif, tag, &text))
            return std::nullopt;
        data = text;
        count = text ? std::uint32_t(std::strlen(text)) + 1 : 0;
    } else {
        return std::nullopt; // a single value or a fixed count: not how these tags come
    }
    if (count > 0 && !data)
        return std::nullopt;
    return TagArray<T>{static_cast<const T*>(data), count};
}

// The text of an ASCII tag up to its first NUL.
std::optional<std::string_view> ReadTagText(TIFF* tif, std::uint32_t tag) {
    const auto text = ReadTagArray<char>(tif, tag, TIFF_ASCII);
    if (!text)
        return std::nullopt;
    if (text->count == 0)
        return std::string_view();
    return std::string_view(text->data, strnlen(text->data, text->count));
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// `value` rounded to nearest (ties to even) in a binary floating-point format
// of `precision` significant bits whose normal numbers start at 2^minExponent,
// overflowing to infinity past `maxFinite` as the format's own rounding would.
double RoundToFormat(double value, int precision, int minExponent, double maxFinite) {
    if (!std::isfinite(value) || value == 0.0)
        return value;
    int exponent = 0;
    std::frexp(value, &exponent); // |value| in [2^(exponent-1), 2^exponent)
    const int lead = std::max(exponent - 1, minExponent);
    const double quantum = std::ldexp(1.0, lead - (precision - 1));
    // Scaling by a power of two is exact; nearbyint rounds ties to even.
    const double rounded = std::nearbyint(value / quantum) * quantum;
    if (std::fabs(rounded) > maxFinite)
        return std::copysign(std::numeric_limits<double>::infinity(), value);
    return rounded;
}

// Whether `value` is an integer the samples' type holds.
bool FitsInteger(double value, SampleKind format, int bits) {
    if (bits < 1 || bits > 64 || !std::isfinite(value) || value != std::trunc(value))
        return false;
    if (format == SampleKind::Unsigned)
        return value >= 0.0 && value < std::ldexp(1.0, bits);
    const double half = std::ldexp(1.0, bits - 1);
    return value >= -half && value < half;
}

GeoUnit NamedUnit(UnitKind kind, const QString& name, int code) {
    GeoUnit unit;
    unit.Kind = kind;
    unit.Name = name;
    unit.Code = code;
    return unit;
}

GeoUnit CodedUnit(int code) {
    return NamedUnit(UnitKind::Other, QStringLiteral("unit code %1").arg(code), code);
}

GeoUnit LinearUnit(int code) {
    switch (code) {
    case kUnitMetre:
        return NamedUnit(UnitKind::Metre, QStringLiteral("m"), code);
    case 9002:
        return NamedUnit(UnitKind::Other, QStringLiteral("ft"), code);
    case 9003:
        return NamedUnit(UnitKind::Other, QStringLiteral("ftUS"), code);
    case 9036:
        return NamedUnit(UnitKind::Other, QStringLiteral("km"), code);
    default:
        return CodedUnit(code);
    }
}

GeoUnit AngularUnit(int code) {
    switch (code) {
    case kUnitDegree:
        return NamedUnit(UnitKind::Degree, QStringLiteral("deg"), code);
    case 9101:
        return NamedUnit(UnitKind::Other, QStringLiteral("rad"), code);
    default:
        return CodedUnit(code);
    }
}

// One entry of the key directory: {KeyID, TIFFTagLocation, Count, Value_Offset}.
struct GeoKey {
    int id = 0;
    std::uint32_t location = 0;
    std::uint32_t count = 0;
    std::uint32_t valueOffset = 0;
};

struct KeyDirectory {
    TagArray<std::uint16_t> shorts;
    std::vector<GeoKey> keys;

    const GeoKey* Find(int id) const {
        for (const GeoKey& key : keys)
            if (key.id == id)
                return &key;
        return nullptr;
    }
    // A key holding one SHORT (a code), inline or among the directory's own
    // values; none for an absent key or one holding something else.
    std::optional<int> Code(int id) const {
        const GeoKey* key = Find(id);
        if (!key || key->count != 1)
            return std::nullopt;
        if (key->location == 0)
            return int(key->valueOffset);
        if (key->location == kKeyDirectoryTag)
            return int(shorts.data[key->valueOffset]);
        return std::nullopt;
    }
};

// The key directory, or none when it is absent or malformed: every key's
// values must lie inside the tag that holds them.
std::optional<KeyDirectory> ReadKeyDirectory(TIFF* tif) {
    const auto shorts = ReadTagArray<std::uint16_t>(tif, kKeyDirectoryTag, TIFF_SHORT);
    if (!shorts || shorts->count < 4 || shorts->data[0] != 1)
        return std::nullopt;
    const std::uint64_t keyCount = shorts->data[3];
    if (4 + 4 * keyCount > shorts->count)
        return std::nullopt;
    const auto doubles = ReadTagArray<double>(tif, kDoubleParamsTag, TIFF_DOUBLE);
    const auto ascii = ReadTagArray<char>(tif, kAsciiParamsTag, TIFF_ASCII);

    KeyDirectory directory;
    directory.shorts = *shorts;
    std::set<int> seen;
    for (std::uint64_t k = 0; k < keyCount; ++k) {
        const std::uint16_t* entry = shorts->data + 4 + 4 * k;
        const GeoKey key{entry[0], entry[1], entry[2], entry[3]};
        if (!seen.insert(key.id).second)
            return std::nullopt; // which of two values would be a guess
        const std::uint64_t end = std::uint64_t(key.valueOffset) + key.count;
        bool inside = false;
        switch (key.location) {
        case 0:
            inside = key.count == 1;
            break;
        case kKeyDirectoryTag:
            inside = end <= shorts->count;
            break;
        case kDoubleParamsTag:
            inside = doubles && end <= doubles->count;
            break;
        case kAsciiParamsTag:
            inside = ascii && end <= ascii->count;
            break;
        default:
            inside = false; // values in a tag this reader does not fetch cannot be checked
        }
        if (!inside)
            return std::nullopt;
        directory.keys.push_back(key);
    }
    return directory;
}

GeoUnit PixelUnit(const KeyDirectory& directory) {
    const std::optional<int> model = directory.Code(kModelTypeKey);
    if (model == kModelProjected) {
        // Without the key the unit is the projection's, which is not looked up here.
        const auto linear = directory.Code(kLinearUnitsKey);
        return linear ? LinearUnit(*linear) : GeoUnit();
    }
    if (model == kModelGeographic) {
        if (const auto angular = directory.Code(kAngularUnitsKey))
            return AngularUnit(*angular);
        if (directory.Find(kAngularUnitsKey))
            return GeoUnit(); // present, but holding no code
        return NamedUnit(UnitKind::Degree, QStringLiteral("deg"), 0);
    }
    return GeoUnit();
}

GeoUnit HeightUnit(const KeyDirectory& directory) {
    if (const auto vertical = directory.Code(kVerticalUnitsKey))
        return LinearUnit(*vertical);
    if (directory.Find(kVerticalUnitsKey))
        return GeoUnit(); // present, but holding no code
    return NamedUnit(UnitKind::Metre, QStringLiteral("m"), 0);
}

} // namespace

std::optional<NoDataValue> ParseNoDataText(std::string_view text) {
    std::string_view number = text;
    while (!number.empty() && IsBlank(number.front()))
        number.remove_prefix(1);
    while (!number.empty() && IsBlank(number.back()))
        number.remove_suffix(1);
    // from_chars takes no "+", which strtod-style writers may put there.
    if (number.size() > 1 && number.front() == '+' && number[1] != '-' && number[1] != '+')
        number.remove_prefix(1);
    if (number.empty())
        return std::nullopt;
    double value = 0.0;
    const char* end = number.data() + number.size();
    // from_chars ignores the locale; it reports 1e400 and 1e-400 as out of range.
    const auto [stop, error] = std::from_chars(number.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    NoDataValue noData;
    noData.IsNan = std::isnan(value);
    noData.Value = noData.IsNan ? std::numeric_limits<double>::quiet_NaN() : value;
    noData.Text = QString::fromLatin1(text.data(), qsizetype(text.size()));
    return noData;
}

std::optional<NoDataValue> ReadNoDataTag(TIFF* tif) {
    const auto text = ReadTagText(tif, kNoDataTag);
    if (!text)
        return std::nullopt;
    return ParseNoDataText(*text);
}

double MmPerUnit(const GeoUnit& unit) {
    if (unit.Kind == UnitKind::Metre)
        return 1000.0;
    if (unit.Name == QLatin1String("ft"))
        return 304.8;
    if (unit.Name == QLatin1String("ftUS"))
        return 1200000.0 / 3937.0;
    if (unit.Name == QLatin1String("km"))
        return 1e6;
    return 0.0;
}

NoDataMatch::NoDataMatch(const std::optional<NoDataValue>& declared, SampleKind format,
                         int bitsPerSample) {
    const bool finite = declared && !declared->IsNan && std::isfinite(declared->Value);
    if (format != SampleKind::Float) {
        if (finite && FitsInteger(declared->Value, format, bitsPerSample))
            target_ = declared->Value;
        return;
    }
    nonFiniteMatch_ = true;
    if (!finite)
        return;
    double stored = std::numeric_limits<double>::quiet_NaN();
    if (bitsPerSample == 64)
        stored = declared->Value;
    else if (bitsPerSample == 32)
        stored = RoundToFormat(declared->Value, FLT_MANT_DIG, FLT_MIN_EXP - 1, FLT_MAX);
    else if (bitsPerSample == 16)
        stored = RoundToFormat(declared->Value, 11, -14, 65504.0);
    // A value that overflows to infinity is already matched as non-finite.
    if (std::isfinite(stored))
        target_ = stored;
}

GeoReference ReadGeoReference(TIFF* tif) {
    GeoReference geo;
    const auto scale = ReadTagArray<double>(tif, kPixelScaleTag, TIFF_DOUBLE);
    if (!scale || scale->count != 3)
        return geo;
    const std::optional<KeyDirectory> directory = ReadKeyDirectory(tif);
    if (!directory)
        return geo;
    geo.GeoTiff = true;
    const double x = scale->data[0], y = scale->data[1];
    if (std::isfinite(x) && std::isfinite(y) && x > 0.0 && y > 0.0)
        geo.Pixel = PixelSize{x, y, PixelUnit(*directory)};
    geo.ScaleZ = scale->data[2];
    geo.HeightUnit = HeightUnit(*directory);
    return geo;
}

} // namespace orvane::image
