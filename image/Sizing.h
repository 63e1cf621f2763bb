#pragma once
#include <cstdint>
#include <functional>

// How much of a file the sample buffer keeps. Rows and columns are always
// thinned together, so the kept pixels stay square.
struct SizingResult {
    enum Outcome { Ok, TooBig, TooNarrow, TooLow };
    Outcome outcome = Ok;
    std::int64_t ImageWidth = 0; // kept columns
    std::int64_t ImageHeight = 0;
    std::int64_t ColumnStep = 1;
    std::int64_t RowStep = 1;
    std::int64_t SpanWidth = 0; // file columns covered by the kept ones
    std::int64_t SpanHeight = 0;
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
