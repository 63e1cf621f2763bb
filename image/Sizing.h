#pragma once
#include "image/ImageModel.h"

#include <cstdint>
#include <functional>

namespace orvane::image {

enum class SizingOutcome { Ok, TooBig, TooNarrow, TooLow };

struct SizingResult {
    SizingOutcome outcome = SizingOutcome::Ok;
    ImageGeometry geometry;
};

constexpr std::int64_t kMaxKeptPixels = 400'000'000;
constexpr int kAllocationAttempts = 10;
constexpr std::int64_t kMaxKeptWidth = 32768;

// Thins a file of fileWidth x fileHeight pixels until it fits the pixel budget,
// a trial allocation succeeds (at most kAllocationAttempts tries, each failure
// thinning once more), and the kept width is at most kMaxKeptWidth and a
// multiple of 4. `tryAllocate` returns true when a zero-filled block of the
// given size could be obtained (and released again).
// A file narrower than 4 pixels is refused before any allocation (TooNarrow);
// one that thinning leaves without a row is refused as TooLow.
SizingResult SizeImage(std::uint32_t fileWidth, std::uint32_t fileHeight,
                       const std::function<bool(std::int64_t bytes)>& tryAllocate);

// Trial allocation for sizing: obtains and releases a zero-filled block. Blocks
// above `limitBytes` (when not 0) are refused as if memory were short.
std::function<bool(std::int64_t bytes)> TrialAllocator(std::int64_t limitBytes = 0);

// The sample buffer itself, under the same limit.
LevelBuffer AllocateLevels(std::int64_t bytes, std::int64_t limitBytes = 0);

} // namespace orvane::image
