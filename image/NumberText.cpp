#include "image/NumberText.h"

#include <charconv>
#include <cmath>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace orvane::image {

namespace {

// Splits |value| rounded to `digits` significant digits into its digit string
// and decimal exponent, using the C library's correctly rounded conversion
// ("%.*e" never depends on LC_NUMERIC for the digits themselves).
void SignificantDigits(double value, int digits, std::string& mantissaDigits, int& exponent) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, std::fabs(value));
    mantissaDigits.clear();
    const char* p = text;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            mantissaDigits.push_back(*p);
    exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
}

} // namespace

QString FormatFixed(double value, int significantDigits, int decimals) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (significantDigits < 1)
        significantDigits = 1;

    std::string digits;
    int exponent = 0;
    SignificantDigits(value, significantDigits, digits, exponent);
    const bool negative = std::signbit(value) && value != 0.0;
    const bool allZero = digits.find_first_not_of('0') == std::string::npos;

    std::string out;
    if (negative && !allZero)
        out.push_back('-');

    if (!allZero && exponent + 1 > significantDigits) {
        // Too many integer digits for the precision: exponent notation.
        std::string mantissa = digits.substr(0, 1);
        std::string fraction = digits.substr(1);
        while (!fraction.empty() && fraction.back() == '0')
            fraction.pop_back();
        if (!fraction.empty())
            mantissa += "." + fraction;
        out += mantissa + (exponent < 0 ? "E-" : "E+") + std::to_string(std::abs(exponent));
        return QString::fromStdString(out);
    }

    // Place the rounded digits around the decimal point, padding with zeros.
    std::string integerPart, fractionPart;
    if (allZero) {
        integerPart = "0";
    } else if (exponent >= 0) {
        integerPart = digits.substr(0, exponent + 1);
        fractionPart = digits.substr(exponent + 1);
    } else {
        integerPart = "0";
        fractionPart = std::string(-exponent - 1, '0') + digits;
    }
    if (static_cast<int>(fractionPart.size()) > decimals) {
        // More significant digits than decimals: round the digit string once
        // more, half away from zero (string arithmetic keeps LC_NUMERIC out).
        const bool roundUp = fractionPart[decimals] >= '5';
        std::string kept = integerPart + fractionPart.substr(0, decimals);
        if (roundUp) {
            int i = static_cast<int>(kept.size()) - 1;
            for (; i >= 0 && kept[i] == '9'; --i)
                kept[i] = '0';
            if (i >= 0)
                ++kept[i];
            else
                kept.insert(kept.begin(), '1');
        }
        integerPart = kept.substr(0, kept.size() - decimals);
        fractionPart = kept.substr(kept.size() - decimals);
        if (kept.find_first_not_of('0') == std::string::npos && !out.empty())
            out.clear(); // no "-0.00"
    }
    fractionPart.resize(decimals, '0');
    out += integerPart;
    if (decimals > 0)
        out += "." + fractionPart;
    return QString::fromStdString(out);
}

QString StoredValueText(double value, const SampleFormat& format) {
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    if (format.kind != SampleKind::Float)
        return QString::number(static_cast<qint64>(value));
    char text[64];
    const std::to_chars_result end =
        format.bits == 32 ? std::to_chars(text, text + sizeof text, static_cast<float>(value))
                          : std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, int(end.ptr - text));
}

QString SampleFormatText(const SampleFormat& format) {
    const char* kind = format.kind == SampleKind::Float    ? "float"
                       : format.kind == SampleKind::Signed ? "signed"
                                                           : "unsigned";
    return QStringLiteral("%1-bit %2").arg(format.bits).arg(QLatin1String(kind));
}

QString GeoLengthNumber(double length, const GeoUnit& unit, int decimals) {
    if (unit.Kind == UnitKind::Unknown)
        return QStringLiteral("?");
    return FormatFixed(length, 15, unit.Kind == UnitKind::Degree ? decimals + 3 : decimals);
}

QString GeoUnitSuffix(const GeoUnit& unit) {
    return unit.Kind == UnitKind::Unknown ? QString() : QLatin1Char(' ') + unit.Name;
}

} // namespace orvane::image
