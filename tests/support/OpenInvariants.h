#pragma once
#include "image/OpenImage.h"

#include <QStringList>
#include <cstdint>

namespace orvane::test {

// What the views rely on after an open, whatever the file held: a refusal is
// explained, a read image has the sizes the sizing rules allow, the lost rows
// are reported, and the histogram of the levels is well formed. Returns the
// violated statements; empty when all hold. The fuzzer aborts on any.
QStringList OpenInvariantViolations(const image::OpenedImage& opened,
                                    std::int64_t allocationLimitBytes);

} // namespace orvane::test
