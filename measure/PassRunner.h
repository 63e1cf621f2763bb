#pragma once
// The pass runner shared by the measurements that read the whole file.
#include "image/HeightRead.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace orvane::measure {

// One pass of the measuring read: every reading thread fills an accumulator of its own (made by
// `make`), and the pass ends with them merged into one. Accumulators add rows of heights
// (AddRow), or with kCountsSamples the stored samples themselves (AddSamples). Nothing when the
// pass was cancelled or could not read the file.
template <class Accumulator, bool kCountsSamples = false, class Make>
std::optional<Accumulator> RunPass(const image::TiffSource& source, const image::ImageModel& model,
                                   std::int64_t endRow, const Make& make,
                                   const image::ProgressFunction& progress,
                                   const std::atomic<bool>* cancel) {
    struct Rows : image::HeightRows {
        Accumulator* accumulator = nullptr;
        bool TakesSamples() const override { return kCountsSamples; }
        void Row(std::int64_t row, std::int64_t firstColumn, const double* heights,
                 std::int64_t count) override {
            if constexpr (!kCountsSamples)
                accumulator->AddRow(row, firstColumn, heights, count);
        }
        void SampleRow(std::int64_t row, std::int64_t firstColumn, const std::uint8_t* samples,
                       std::int64_t count, std::int64_t columnStep) override {
            if constexpr (kCountsSamples)
                accumulator->AddSamples(row, firstColumn, samples, count, columnStep);
        }
    };
    std::mutex mutex;
    std::vector<std::unique_ptr<Accumulator>> accumulators;
    const image::HeightRowsMaker maker = [&] {
        auto accumulator = std::make_unique<Accumulator>(make());
        auto rows = std::make_unique<Rows>();
        rows->accumulator = accumulator.get();
        std::lock_guard<std::mutex> lock(mutex);
        accumulators.push_back(std::move(accumulator));
        return std::unique_ptr<image::HeightRows>(std::move(rows));
    };
    const image::ReadResult read =
        image::ReadHeights(source, model, endRow, maker, progress, cancel);
    if ((cancel && *cancel) || !read.opened || !read.failure.isEmpty())
        return std::nullopt;
    Accumulator total = make();
    for (const auto& accumulator : accumulators)
        total.Merge(*accumulator);
    return total;
}

} // namespace orvane::measure
