#include "image/Sizing.h"

namespace {
// w x h > limit without overflow: file dimensions reach 2^32 - 1 each.
bool ProductExceeds(std::int64_t w, std::int64_t h, std::int64_t limit) {
    return h != 0 && w > limit / h;
}
} // namespace

SizingResult SizeImage(std::uint32_t fileWidth, std::uint32_t fileHeight,
                       const std::function<bool(std::int64_t bytes)>& tryAllocate) {
    SizingResult r;
    r.SpanWidth = fileWidth;
    r.SpanHeight = fileHeight;
    r.ImageWidth = fileWidth;
    r.ImageHeight = fileHeight;
    if (fileWidth < 4) {
        r.outcome = SizingResult::TooNarrow;
        return r;
    }
    if (fileHeight == 0) {
        r.outcome = SizingResult::TooLow;
        return r;
    }
    auto thinOnceMore = [&r] {
        ++r.RowStep;
        ++r.ColumnStep;
        r.ImageWidth = r.SpanWidth / r.ColumnStep;
        r.ImageHeight = r.SpanHeight / r.RowStep;
    };

    while (ProductExceeds(r.ImageWidth, r.ImageHeight, kMaxKeptPixels))
        thinOnceMore();

    bool allocated = false;
    for (int attempt = 0; attempt < kAllocationAttempts && !allocated; ++attempt) {
        allocated = r.ImageWidth * r.ImageHeight > 0 && tryAllocate(r.ImageWidth * r.ImageHeight);
        if (!allocated)
            thinOnceMore();
    }
    if (!allocated) {
        r.outcome = SizingResult::TooBig;
        return r;
    }

    while (r.ImageWidth > kMaxKeptWidth)
        thinOnceMore();
    r.ImageWidth -= r.ImageWidth % 4;
    r.SpanWidth = r.ImageWidth * r.ColumnStep;
    r.SpanHeight = r.ImageHeight * r.RowStep;
    if (r.ImageWidth == 0)
        r.outcome = SizingResult::TooNarrow;
    else if (r.ImageHeight == 0)
        r.outcome = SizingResult::TooLow;
    return r;
}
