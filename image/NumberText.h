#pragma once
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

} // namespace orvane::image
