// libFuzzer entry: one input is one TIFF file, opened from memory through the
// open routine File > Open runs (examination, acceptance, sizing, read,
// inversion) and then counted into the histogram; then the exact samples of a
// few pixels and the profile of a short line are read from it as the status bar
// and the measuring line do. Besides the sanitizers, the invariants the views
// rely on are checked, so a wrong size or an impossible value is a crash too.
#include "image/OpenImage.h"
#include "tests/support/OpenInvariants.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace orvane;

// Keeps each run small: above this the trial allocation "fails" and sizing
// thins further, exactly as on a machine short of memory.
constexpr std::int64_t kFuzzAllocationLimit = 4LL << 20;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    image::OpenOptions options;
    options.allocationLimitBytes = kFuzzAllocationLimit;
    const image::OpenedImage opened =
        image::OpenWithoutWindow(image::TiffSource::Memory(data, size), options);
    const QStringList violations = test::OpenInvariantViolations(opened, kFuzzAllocationLimit);
    if (!violations.isEmpty()) {
        std::fprintf(stderr, "open invariant violated: %s\n", qPrintable(violations.join("; ")));
        std::abort();
    }
    if (opened.result.outcome != image::OpenOutcome::Shown)
        return 0;
    const QStringList exact = test::ExactSampleViolations(data, size);
    if (!exact.isEmpty()) {
        std::fprintf(stderr, "exact-sample invariant violated: %s\n", qPrintable(exact.join("; ")));
        std::abort();
    }
    return 0;
}
