#pragma once
#include "image/OpenPipeline.h"

#include <QStringList>
#include <cstdint>

// What the views rely on after an open, whatever the file held: a refusal is
// explained, a read image has the sizes the sizing rules allow, the lost rows
// are reported, and the histogram of the levels is well formed. Returns the
// violated statements; empty when all hold. The fuzzer aborts on any.
QStringList OpenInvariantViolations(const OpenedImage& image, std::int64_t allocationLimitBytes);
