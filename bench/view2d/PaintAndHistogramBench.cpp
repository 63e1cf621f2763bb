// One paint of a 1200 x 700 box from a small and from a very large buffer (the cost must not
// grow with the buffer), and the histogram count over the largest buffer the open routine keeps
// (400,000,000 levels) against a plain one-counter-per-byte loop.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "panels/Histogram.h"
#include "view2d/Stretch.h"

using namespace orvane::view2d;
using namespace orvane::panels;

namespace {

using Clock = std::chrono::steady_clock;

// Best of `repeats` runs, in milliseconds.
double BestMs(int repeats, const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        run();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

// A height map: smooth relief (long runs of equal levels) with a little noise.
void FillRelief(std::vector<std::uint8_t>& buffer, std::size_t width) {
    std::uint32_t noise = 12345;
    const std::size_t height = buffer.size() / width;
    for (std::size_t r = 0; r < height; ++r) {
        std::uint8_t* row = buffer.data() + r * width;
        for (std::size_t c = 0; c < width; ++c) {
            noise = noise * 1664525u + 1013904223u;
            row[c] =
                static_cast<std::uint8_t>((c * 200 / width) + (r * 40 / height) + (noise >> 29));
        }
    }
}

volatile std::uint64_t sink;

} // namespace

int main() {
    constexpr int boxW = 1200;
    constexpr int boxH = 700;
    std::vector<std::uint8_t> dest(static_cast<std::size_t>(boxW) * boxH);

    std::printf("filling buffers...\n");
    std::vector<std::uint8_t> small(2000u * 2000u);
    FillRelief(small, 2000);
    std::vector<std::uint8_t> large(20000u * 20000u);
    FillRelief(large, 20000);

    auto paintMs = [&](const std::vector<std::uint8_t>& buffer, int side, const ViewWindow& w) {
        const SourceRect source = SourceRectangle(w, side);
        return BestMs(30, [&] {
            StretchToGrey(buffer.data(), side, side, source, dest.data(), boxW, boxH, boxW);
            sink = dest[dest.size() / 2];
        });
    };
    auto centred = [](int side, double w, double h) {
        return ViewWindow{w, h, (side - w) / 2, (side - h) / 2};
    };

    std::printf("\npaint of a %d x %d box (best of 30)\n", boxW, boxH);
    struct Row {
        const char* name;
        double smallMs, largeMs;
    };
    const Row rows[] = {
        {"whole image", paintMs(small, 2000, centred(2000, 2000, 2000)),
         paintMs(large, 20000, centred(20000, 20000, 20000))},
        {"window 2000 x 1167", paintMs(small, 2000, centred(2000, 2000, 1167)),
         paintMs(large, 20000, centred(20000, 2000, 1167))},
        {"deep zoom 50 x 30", paintMs(small, 2000, centred(2000, 50, 30)),
         paintMs(large, 20000, centred(20000, 50, 30))},
    };
    std::printf("%-20s %12s %14s %8s\n", "window", "2000^2 (ms)", "20000^2 (ms)", "ratio");
    for (const Row& r : rows) {
        std::printf("%-20s %12.3f %14.3f %8.2f\n", r.name, r.smallMs, r.largeMs,
                    r.largeMs / r.smallMs);
    }

    std::printf("\nhistogram count over %zu levels (best of 3)\n", large.size());
    LevelCounts plain{};
    const double plainMs = BestMs(3, [&] {
        plain.fill(0);
        for (std::uint8_t level : large) {
            ++plain[level];
        }
        sink = plain[100];
    });
    const double readMs = BestMs(3, [&] {
        std::uint64_t sum = 0;
        for (std::uint8_t level : large) {
            sum += level;
        }
        sink = sum;
    });
    LevelCounts counted{};
    const double countMs = BestMs(3, [&] {
        counted = CountLevels(large.data(), large.size());
        sink = counted[100];
    });
    double barsMs = BestMs(3, [&] {
        sink = static_cast<std::uint64_t>(FillHistogram(large.data(), 20000, 20000)[100] * 1000);
    });
    std::printf("plain byte loop (floor) %9.1f ms\n", plainMs);
    std::printf("read-only byte sum      %9.1f ms\n", readMs);
    std::printf("CountLevels             %9.1f ms   ratio to floor %.2f %s\n", countMs,
                countMs / plainMs, counted == plain ? "(counts equal)" : "(COUNTS DIFFER)");
    std::printf("FillHistogram           %9.1f ms   ratio to floor %.2f\n", barsMs,
                barsMs / plainMs);
    return counted == plain ? 0 : 1;
}
