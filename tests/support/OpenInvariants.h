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

// What the status bar and the measuring line rely on when they read the exact
// samples of a file the open showed: samples fit their bit depth, heights lie in
// the height range, nothing comes from outside the image, and a short line's
// profile has its points and well-ordered statistics. A few pixels and a line
// are chosen from the file's own bytes, so each file always asks for the same.
QStringList ExactSampleViolations(const std::uint8_t* file, std::size_t size);

} // namespace orvane::test
