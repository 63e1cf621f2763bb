#pragma once
// The colour range: which heights the 2D picture's 256 levels (and the relief's colours) span.
// Full keeps the levels of the open; the others spread a range of the heights over all levels,
// from the file's exact samples at full resolution.
#include "image/HeightRead.h"
#include "image/ImageModel.h"
#include "measure/SurfaceForm.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>

namespace orvane::measure {

struct Levelling;

enum class ColourRangeKind {
    Full,   // the file's height range, as the open maps it
    Data,   // least to greatest valid height
    Auto,   // 0.5 % to 99.5 % of the valid heights' distribution
    Manual, // low and high as typed, in the height unit shown
};

struct ColourRange {
    ColourRangeKind Kind = ColourRangeKind::Full;
    double Low = 0, High = 0; // Manual only, in the unit heights are shown in
};

// The ranks the Auto range takes: the nearest-rank 0.5 and 99.5 percentiles of `count` values
// (1-based: the ceil(p x count)-th smallest, at least the first).
struct AutoRanks {
    std::int64_t Low = 0, High = 0;
};
AutoRanks AutoRanksOf(std::int64_t count);

// level = min(255, max(0, floor(256 (height - low) / (high - low)))), in double precision; 0 for
// NaN. `high` must exceed `low`.
std::uint8_t RangeLevel(double height, double low, double high);

// The Data or Auto range of every valid height of the file less `form` (none: as stored), in the
// measuring read's unit (HeightBasisOf). 8- and 16-bit unsigned files without a form take one pass
// counting stored values; other heights take one pass for Data and, for Auto, passes of 4096
// bins narrowing to the two ranks' exact values. The bins cut the doubles' bit patterns taken in
// order, so each pass divides the interval by 4096 however many decades the heights span: six
// passes at most, one where a bin holds a single distinct height.
struct HeightRangeOutcome {
    std::optional<double> Low, High; // nothing when no pixel has a value
    // The least and greatest height, which either kind finds on its way.
    std::optional<double> Least, Greatest;
    std::int64_t Valid = 0;
    bool Cancelled = false;
    bool ReadFailed = false;
};
HeightRangeOutcome MeasureHeightRange(const image::TiffSource& source,
                                      const image::ImageModel& model, ColourRangeKind kind,
                                      const SurfaceForm* form,
                                      const image::ProgressFunction& progress,
                                      const std::atomic<bool>* cancel = nullptr);

// The level of every kept pixel of `model` (its buffer's size, `levels`) by RangeLevel over
// [low, high] (the measuring read's unit) of its height less `form`; 0 where a pixel has no value
// or cannot be read. `inverted`: 255 - level, for a min-is-white file whose heights are its
// stored values. One pass over the kept rows. False when cancelled or the file could not be read.
bool RangeLevels(const image::TiffSource& source, const image::ImageModel& model,
                 const SurfaceForm* form, double low, double high, bool inverted,
                 std::uint8_t* levels, const image::ProgressFunction& progress,
                 const std::atomic<bool>* cancel = nullptr);

// Where heights `low` and `high` (the measuring read's unit) lie on the scale of the levels the
// open (or `levelling`'s picture) made: 0 at level 0, 1 at level 255, for the relief's colours
// and the histogram's marks.
image::ImageModel::LevelFractions
RangeFractions(const image::ImageModel& model, const Levelling* levelling, double low, double high);

// "full", "data", "auto", "manual".
QString ColourRangeName(ColourRangeKind kind);

} // namespace orvane::measure
