#include "image/GeoTiff.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstring>
#include <system_error>
#include <tiffio.h>

namespace orvane::image {

namespace {

constexpr std::uint32_t kNoDataTag = 42113;

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
bool FitsInteger(double value, SampleFormat format, int bits) {
    if (bits < 1 || bits > 64 || !std::isfinite(value) || value != std::trunc(value))
        return false;
    if (format == SampleFormat::Unsigned)
        return value >= 0.0 && value < std::ldexp(1.0, bits);
    const double half = std::ldexp(1.0, bits - 1);
    return value >= -half && value < half;
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

NoDataMatch::NoDataMatch(const std::optional<NoDataValue>& declared, SampleFormat format,
                         int bitsPerSample) {
    const bool finite = declared && !declared->IsNan && std::isfinite(declared->Value);
    if (format != SampleFormat::Float) {
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

} // namespace orvane::image
