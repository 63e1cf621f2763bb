#pragma once
#include "image/ValueMapping.h"

#include <QString>

namespace orvane::image {

// Fixed-point text with "." as decimal separator whatever the locale and no
// thousands separators. The value is first rounded to `significantDigits`
// significant digits, then printed with exactly `decimals` decimals
// (1234.567 with 6 and 2 gives "1234.57", 12345.678 gives "12345.70").
// When the integer part has more digits than `significantDigits`, the value
// is printed in exponent notation instead: mantissa with up to that many
// significant digits, trailing zeros dropped, then "E+" or "E-" and the
// exponent ("1.234568E+7"). Not-a-number and infinities print as "NAN",
// "INF" and "-INF".
QString FormatFixed(double value, int significantDigits, int decimals);

// A length along a georeferenced raster in its pixel size's own unit, the number only, with
// `decimals` decimals, three more for degrees (one of which spans about 111 km); "?" when the
// file names no unit. Callers add the unit's name.
QString GeoLengthNumber(double length, const GeoUnit& unit, int decimals);
// " m", " deg", " ft": the name after such a number; nothing for an unknown unit.
QString GeoUnitSuffix(const GeoUnit& unit);

// A stored value as its file holds it: integers in full, floating-point values with the fewest
// digits that read back to the same value of their own precision (a 32-bit float's 0.1 is
// "0.1", not the digits of its double), "nan", "inf" and "-inf".
QString StoredValueText(double value, const SampleFormat& format);

// "32-bit float", "16-bit signed", "32-bit unsigned": a sample format for people.
QString SampleFormatText(const SampleFormat& format);

} // namespace orvane::image
