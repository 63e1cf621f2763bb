// libFuzzer entry: one input is one TIFF file, opened from memory through the
// open routine File > Open runs (examination, acceptance, sizing, read,
// inversion) and then counted into the histogram; then the exact samples of a
// few pixels and the profile of a short line are read from it as the status bar
// and the measuring line do, and a plane is fitted to every pixel and the areal
// parameters of the whole file taken, as Measure does. Besides the sanitizers,
// the invariants the views rely on are checked, so a wrong size or an
// impossible value is a crash too.
#include "image/OpenImage.h"
#include "measure/ColourRange.h"
#include "measure/SurfacePasses.h"
#include "tests/support/OpenInvariants.h"

#include <algorithm>
#include <cmath>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace orvane;

// Keeps each run small: above this the trial allocation "fails" and sizing
// thins further, exactly as on a machine short of memory.
constexpr std::int64_t kFuzzAllocationLimit = 4LL << 20;
// The measurements read every pixel at full resolution: files claiming more are left out, as
// each run must stay short.
constexpr std::int64_t kFuzzMeasuredPixels = 4LL << 20;

// What the levelling and the areal parameters of the whole file must satisfy whatever the file.
QStringList MeasureViolations(const std::uint8_t* data, std::size_t size,
                              const image::ImageModel& model) {
    QStringList violations;
    if (model.FileWidth * model.FileHeight > kFuzzMeasuredPixels)
        return violations;
    const image::TiffSource source = image::TiffSource::Memory(data, size);
    const measure::LevellingOutcome levelled =
        measure::FitLevelling(source, model, measure::FormKind::Plane, nullptr);
    if (levelled.Levelled && !(levelled.Levelled->ResidualRms >= 0))
        violations << QStringLiteral("residual rms %1").arg(levelled.Levelled->ResidualRms);
    const measure::PixelRect all{0, 0, model.FileWidth - 1, model.FileHeight - 1};
    for (const measure::SurfaceForm* form :
         {static_cast<const measure::SurfaceForm*>(nullptr),
          levelled.Levelled ? &levelled.Levelled->Form : nullptr}) {
        const measure::ArealOutcome areal =
            measure::MeasureAreal(source, model, all, form, nullptr);
        const std::int64_t counted =
            areal.Figures ? areal.Figures->Valid + areal.Figures->NoData : 0;
        if (areal.Unread < 0 || areal.Unread > all.Width() * all.Height() ||
            (areal.Figures && counted + areal.Unread != all.Width() * all.Height()))
            violations << QStringLiteral("areal pixels: %1 counted, %2 unread of %3")
                              .arg(counted)
                              .arg(areal.Unread)
                              .arg(all.Width() * all.Height());
        if (!areal.Figures)
            continue;
        const measure::ArealFigures& f = *areal.Figures;
        // Finite heights give ordered figures; a range beyond the doubles' reach may overflow.
        const double slack = 1e-9 * std::max(std::fabs(f.Min), std::fabs(f.Max));
        if (std::isfinite(f.Max - f.Min) && (f.Mean < f.Min - slack || f.Mean > f.Max + slack))
            violations << QStringLiteral("areal mean %1 outside %2 .. %3")
                              .arg(f.Mean)
                              .arg(f.Min)
                              .arg(f.Max);
        if (std::isfinite(f.Sq) && std::isfinite(f.Sa) && f.Sa > f.Sq * (1 + 1e-9) + 1e-300)
            violations << QStringLiteral("Sa %1 above Sq %2").arg(f.Sa).arg(f.Sq);
    }
    // The Auto colour range lies inside the least and greatest height, and its levels fill the
    // kept picture. It reads the file up to eight times more: smaller files only.
    if (model.FileWidth * model.FileHeight > kFuzzMeasuredPixels / 8)
        return violations;
    const measure::SurfaceForm* form = levelled.Levelled ? &levelled.Levelled->Form : nullptr;
    const measure::HeightRangeOutcome automatic =
        measure::MeasureHeightRange(source, model, measure::ColourRangeKind::Auto, form, nullptr);
    if (automatic.Low &&
        (!automatic.Least || !automatic.Greatest || *automatic.Low < *automatic.Least ||
         *automatic.High > *automatic.Greatest || *automatic.Low > *automatic.High))
        violations << QStringLiteral("auto range %1 .. %2 outside the heights' %3 .. %4")
                          .arg(*automatic.Low)
                          .arg(*automatic.High)
                          .arg(automatic.Least.value_or(0))
                          .arg(automatic.Greatest.value_or(0));
    if (automatic.Low && *automatic.High > *automatic.Low) {
        std::vector<std::uint8_t> levels(std::size_t(model.LevelCount()));
        measure::RangeLevels(source, model, form, *automatic.Low, *automatic.High, false,
                             levels.data(), nullptr);
    }
    return violations;
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
    if (opened.result.outcome != image::OpenOutcome::Shown)
        return 0;
    const QStringList exact = test::ExactSampleViolations(data, size);
    if (!exact.isEmpty()) {
        std::fprintf(stderr, "exact-sample invariant violated: %s\n", qPrintable(exact.join("; ")));
        std::abort();
    }
    const QStringList measured = MeasureViolations(data, size, opened.model);
    if (!measured.isEmpty()) {
        std::fprintf(stderr, "measure invariant violated: %s\n", qPrintable(measured.join("; ")));
        std::abort();
    }
    return 0;
}
