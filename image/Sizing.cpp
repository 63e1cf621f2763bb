#include "image/Sizing.h"

namespace orvane::image {

namespace {
// w x h > limit without overflow: file dimensions reach 2^32 - 1 each.
bool ProductExceeds(std::int64_t w, std::int64_t h, std::int64_t limit) {
    return h != 0 && w > limit / h;
}
} // namespace

SizingResult SizeImage(std::uint32_t fileWidth, std::uint32_t fileHeight,
                       const std::function<bool(std::int64_t bytes)>& tryAllocate) {
    SizingResult result;
    ImageGeometry& g = result.geometry;
    g.FileWidth = g.SpanWidth = g.ImageWidth = fileWidth;
    g.FileHeight = g.SpanHeight = g.ImageHeight = fileHeight;
    if (fileWidth < 4) {
        result.outcome = SizingOutcome::TooNarrow;
        return result;
    }
    if (fileHeight == 0) {
        result.outcome = SizingOutcome::TooLow;
        return result;
    }
    auto thinOnceMore = [&g] {
        ++g.RowStep;
        ++g.ColumnStep;
        g.ImageWidth = g.SpanWidth / g.ColumnStep;
        g.ImageHeight = g.SpanHeight / g.RowStep;
    };

    while (ProductExceeds(g.ImageWidth, g.ImageHeight, kMaxKeptPixels))
        thinOnceMore();

    bool allocated = false;
    for (int attempt = 0; attempt < kAllocationAttempts && !allocated; ++attempt) {
        allocated = g.LevelCount() > 0 && tryAllocate(g.LevelCount());
        if (!allocated)
            thinOnceMore();
    }
    if (!allocated) {
        result.outcome = SizingOutcome::TooBig;
        return result;
    }

    while (g.ImageWidth > kMaxKeptWidth)
        thinOnceMore();
    g.ImageWidth -= g.ImageWidth % 4;
    g.SpanWidth = g.ImageWidth * g.ColumnStep;
    g.SpanHeight = g.ImageHeight * g.RowStep;
    if (g.ImageWidth == 0)
        result.outcome = SizingOutcome::TooNarrow;
    else if (g.ImageHeight == 0)
        result.outcome = SizingOutcome::TooLow;
    return result;
}

LevelBuffer AllocateLevels(std::int64_t bytes, std::int64_t limitBytes) {
    if (bytes <= 0 || (limitBytes > 0 && bytes > limitBytes))
        return nullptr;
    return LevelBuffer(TryAllocate(static_cast<std::size_t>(bytes)));
}

std::function<bool(std::int64_t)> TrialAllocator(std::int64_t limitBytes) {
    return
        [limitBytes](std::int64_t bytes) { return AllocateLevels(bytes, limitBytes) != nullptr; };
}

} // namespace orvane::image
