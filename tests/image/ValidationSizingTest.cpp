#include "image/Acceptance.h"
#include "image/Sizing.h"

#include <gtest/gtest.h>
#include <tiffio.h>

namespace {

using namespace orvane::image;

struct ValidationCase {
    const char* name;
    std::uint16_t bits, photometric, samples, compression;
    QStringList messages;
};

TEST(Validation, RulesReportInOrder) {
    const ValidationCase cases[] = {
        {"8-bit grey", 8, 1, 1, 1, {}},
        {"16-bit min-is-white deflate", 16, 0, 1, 8, {}},
        {"1-bit", 1, 1, 1, 1, {"Not a 8/16 bit file!"}},
        {"no BitsPerSample tag (library default 1)", 1, 1, 1, 1, {"Not a 8/16 bit file!"}},
        {"12-bit", 12, 1, 1, 1, {"Not a 8/16 bit file!"}},
        {"16-bit RGB", 16, 2, 3, 1, {"Incorrect Photometric Value!", "Not a grayscale file!"}},
        {"JPEG", 8, 1, 1, 7, {"JPEG compression not supported!"}},
        {"old-style JPEG", 8, 1, 1, 6, {"JPEG compression not supported!"}},
        {"32-bit integers", 32, 1, 1, 1, {}},
        {"everything wrong",
         64,
         2,
         3,
         7,
         {"Not a 8/16 bit file!", "Incorrect Photometric Value!", "Not a grayscale file!",
          "JPEG compression not supported!"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValidationMessages(c.bits, c.photometric, c.samples, c.compression), c.messages)
            << c.name;
    // Floating-point samples have depths of their own.
    for (std::uint16_t bits : {32, 64})
        EXPECT_TRUE(ValidationMessages(bits, 1, 1, 1, SAMPLEFORMAT_IEEEFP).isEmpty()) << bits;
    for (std::uint16_t bits : {8, 16})
        EXPECT_EQ(ValidationMessages(bits, 1, 1, 1, SAMPLEFORMAT_IEEEFP),
                  QStringList({"Not a 32/64 bit floating-point file!"}))
            << bits;
}

// An allocator that refuses the first `failures` requests and records sizes.
struct FailingAllocator {
    int failures = 0;
    std::vector<std::int64_t> requests;
    bool operator()(std::int64_t bytes) {
        requests.push_back(bytes);
        return static_cast<int>(requests.size()) > failures;
    }
};

struct SizingCase {
    const char* name;
    std::uint32_t width, height;
    int failures;
    SizingOutcome outcome;
    std::int64_t imageWidth, imageHeight, step, spanWidth, spanHeight;
};

TEST(Sizing, ThinsToTheLimits) {
    const SizingCase cases[] = {
        {"kept whole", 1000, 1000, 0, SizingOutcome::Ok, 1000, 1000, 1, 1000, 1000},
        {"pixel budget", 30000, 20000, 0, SizingOutcome::Ok, 15000, 10000, 2, 30000, 20000},
        {"width limit", 40000, 100, 0, SizingOutcome::Ok, 20000, 50, 2, 40000, 100},
        {"multiple of 4", 1001, 500, 0, SizingOutcome::Ok, 1000, 500, 1, 1000, 500},
        {"1002 wide", 1002, 10, 0, SizingOutcome::Ok, 1000, 10, 1, 1000, 10},
        {"two failed allocations", 1000, 1000, 2, SizingOutcome::Ok, 332, 333, 3, 996, 999},
        {"ten failed allocations", 1000, 1000, 10, SizingOutcome::TooBig, 90, 90, 11, 1000, 1000},
        {"narrower than 4", 3, 100, 0, SizingOutcome::TooNarrow, 3, 100, 1, 3, 100},
        {"no row left", 40000, 1, 0, SizingOutcome::TooLow, 20000, 0, 2, 40000, 0},
    };
    for (const auto& c : cases) {
        FailingAllocator allocator{c.failures, {}};
        const SizingResult result =
            SizeImage(c.width, c.height, [&](std::int64_t b) { return allocator(b); });
        const ImageGeometry& r = result.geometry;
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(r.ImageWidth, c.imageWidth) << c.name;
        EXPECT_EQ(r.ImageHeight, c.imageHeight) << c.name;
        EXPECT_EQ(r.ColumnStep, c.step) << c.name;
        EXPECT_EQ(r.RowStep, c.step) << c.name;
        if (c.outcome != SizingOutcome::TooBig) {
            EXPECT_EQ(r.SpanWidth, c.spanWidth) << c.name;
            EXPECT_EQ(r.SpanHeight, c.spanHeight) << c.name;
        }
    }
}

TEST(Sizing, TriesAtMostTenAllocationsEachSmaller) {
    FailingAllocator allocator{1000, {}};
    SizeImage(30000, 20000, [&](std::int64_t b) { return allocator(b); });
    ASSERT_EQ(allocator.requests.size(), 10u);
    EXPECT_EQ(allocator.requests.front(), 15000LL * 10000);
    for (std::size_t i = 1; i < allocator.requests.size(); ++i)
        EXPECT_LT(allocator.requests[i], allocator.requests[i - 1]);
}

TEST(Sizing, NarrowFileAllocatesNothing) {
    FailingAllocator allocator{0, {}};
    EXPECT_EQ(SizeImage(2, 5000, [&](std::int64_t b) { return allocator(b); }).outcome,
              SizingOutcome::TooNarrow);
    EXPECT_TRUE(allocator.requests.empty());
}

TEST(Sizing, HugeHeaderStaysWithinTheBudget) {
    FailingAllocator allocator{0, {}};
    const SizingResult result =
        SizeImage(4000000000u, 4000000000u, [&](std::int64_t b) { return allocator(b); });
    const ImageGeometry& r = result.geometry;
    EXPECT_EQ(result.outcome, SizingOutcome::Ok);
    EXPECT_LE(r.ImageWidth * r.ImageHeight, kMaxKeptPixels);
    EXPECT_LE(r.ImageWidth, kMaxKeptWidth);
    EXPECT_EQ(r.ImageWidth % 4, 0);
    ASSERT_EQ(allocator.requests.size(), 1u);
    EXPECT_LE(allocator.requests[0], kMaxKeptPixels);
}

} // namespace
