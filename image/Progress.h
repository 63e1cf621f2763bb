#pragma once
#include <cstdint>

namespace orvane::image {

// The reader reports progress after kept rows whose index is a multiple of
// k = SpanHeight / (RowStep x 100): about one report per hundredth of the
// image. Images lower than 100 x RowStep rows give k = 0; they report after
// every kept row (fewer than 100 reports in all).
class ProgressSchedule {
public:
    ProgressSchedule(std::int64_t spanHeight, std::int64_t rowStep)
        : spanHeight_(spanHeight), k_(rowStep > 0 ? spanHeight / (rowStep * 100) : 0) {}

    bool ReportsAt(std::int64_t row) const { return k_ == 0 || row % k_ == 0; }
    // Integer arithmetic: 1000 rows give every percentage 0..99 exactly once,
    // where row / SpanHeight * 100 in floating point would skip 29.
    int PercentAt(std::int64_t row) const {
        return spanHeight_ > 0 ? static_cast<int>(row * 100 / spanHeight_) : 0;
    }

private:
    std::int64_t spanHeight_;
    std::int64_t k_;
};

} // namespace orvane::image
