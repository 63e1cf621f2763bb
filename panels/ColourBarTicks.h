#pragma once

// Tick values and labels of the colour bar beside the 2D picture and the 3D relief.

#include <QString>

#include <vector>

namespace orvane::panels {

// 4 to 6 round values within [low, high] (bounds swapped when reversed), ascending and evenly
// spaced by a step of 1, 2, 2.5 or 5 times a power of ten: the smallest such step that gives
// 4 to 6 values. When no step gives 4 to 6 (the range holds 7 multiples of a step and 3 of
// twice that step), every other multiple of the smaller step is taken, so the values are odd
// multiples of half the step. Values may pass a bound by a millionth of the step, for
// rounding. An empty range (low == high, or too narrow to tell from its magnitude in double
// precision) gives that one value; bounds that are not finite are left out.
std::vector<double> RoundTicks(double low, double high);

// `value` with just the decimals the tick step needs (more when the value itself needs them),
// with "." as separator in any locale and never "-0".
QString TickText(double value, double step);

} // namespace orvane::panels
