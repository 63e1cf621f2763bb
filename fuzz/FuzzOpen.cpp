// libFuzzer entry: one input is one TIFF file, opened from memory through the
// same path as the viewer's "Open" (examination, acceptance, sizing, read,
// inversion) and then counted into the histogram. Besides the sanitizers, the
// invariants the views rely on are checked, so a wrong size is a crash too.
#include "image/OpenPipeline.h"
#include "tests/robustness/OpenInvariants.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
// Keeps each run small: above this the trial allocation "fails" and sizing
// thins further, exactly as on a machine short of memory.
constexpr std::int64_t kFuzzAllocationLimit = 4LL << 20;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    OpenOptions options;
    options.allocationLimitBytes = kFuzzAllocationLimit;
    const OpenedImage image = OpenWithoutWindow(TiffSource::Memory(data, size), options);
    const QStringList violations = OpenInvariantViolations(image, kFuzzAllocationLimit);
    if (!violations.isEmpty()) {
        std::fprintf(stderr, "open invariant violated: %s\n", qPrintable(violations.join("; ")));
        std::abort();
    }
    return 0;
}
