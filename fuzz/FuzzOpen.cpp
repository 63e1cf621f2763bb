// libFuzzer entry: one input is one TIFF file, opened from memory through the
// open routine File > Open runs (examination, acceptance, sizing, read,
// inversion) and then counted into the histogram; then the exact samples of a
// few pixels and the profile of a short line are read from it as the status bar
// and the measuring line do. Besides the sanitizers, the invariants the views
// rely on are checked, so a wrong size or an impossible value is a crash too.
#include "image/OpenImage.h"
#include "image/SampleReader.h"
#include "tests/support/OpenInvariants.h"
#include "view2d/Profile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace orvane;

// Keeps each run small: above this the trial allocation "fails" and sizing
// thins further, exactly as on a machine short of memory.
constexpr std::int64_t kFuzzAllocationLimit = 4LL << 20;
// The exact reader's cache for one run, and the longest line measured.
constexpr std::int64_t kFuzzCacheBytes = 1LL << 20;
constexpr std::int64_t kMaxLinePixels = 256;

[[noreturn]] void Violated(const char* what) {
    std::fprintf(stderr, "exact-sample invariant violated: %s\n", what);
    std::abort();
}

// Pixels and a line chosen from the input's own bytes, so each input always
// asks for the same ones.
void ReadExactSamples(const std::uint8_t* data, std::size_t size) {
    image::SampleReader reader(image::TiffSource::Memory(data, size), kFuzzCacheBytes);
    if (!reader.IsOpen())
        return;
    const std::int64_t w = reader.Width(), h = reader.Height();
    if (w <= 0 || h <= 0)
        Violated("an open reader has pixels");
    const int bits = reader.BitsPerSample();
    const std::uint64_t top = (std::uint64_t(1) << bits) - 1;
    std::uint64_t seed = size;
    for (std::size_t i = 0; i < size && i < 64; ++i)
        seed = seed * 1099511628211ULL ^ data[i];
    auto pick = [&seed](std::int64_t limit) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return std::int64_t((seed >> 33) % std::uint64_t(limit));
    };
    for (int i = 0; i < 4; ++i) {
        const std::int64_t c = pick(w), r = pick(h);
        if (const auto sample = reader.Sample(c, r)) {
            if (*sample > top)
                Violated("a sample fits its bit depth");
            if (const auto height = image::SampleHeightMm(*sample, bits, reader.MinIsWhite(), 1, 3))
                if (!(*height >= 1 && *height <= 3))
                    Violated("a height lies in the file's range");
        }
        if (reader.Sample(-1 - c, r) || reader.Sample(c, h + r))
            Violated("no value outside the image");
    }
    view2d::ProfileLine line;
    line.Column1 = pick(w);
    line.Row1 = pick(h);
    line.Column2 = std::min(w - 1, line.Column1 + pick(kMaxLinePixels));
    line.Row2 = std::min(h - 1, line.Row1 + pick(kMaxLinePixels));
    const auto profile = view2d::MeasureProfile(reader, line, {1.0, 3.0, 1000.0f});
    if (!profile)
        Violated("a short line is measured");
    const std::int64_t n = std::max(line.Column2 - line.Column1, line.Row2 - line.Row1) + 1;
    const view2d::ProfileStatistics& s = profile->Statistics;
    if (std::int64_t(profile->Points.size()) != n || s.ValuedPoints + s.MissingPoints != n)
        Violated("a line has max(|dc|, |dr|) + 1 points, each valued or missing");
    if (s.ValuedPoints > 0 &&
        !(*s.Min <= *s.Mean && *s.Mean <= *s.Max && *s.Ra <= *s.Rq + 1e-9 && std::isfinite(*s.Rq)))
        Violated("min <= mean <= max and Ra <= Rq");
}

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
    if (opened.result.outcome == image::OpenOutcome::Shown)
        ReadExactSamples(data, size);
    return 0;
}
