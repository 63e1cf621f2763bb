#pragma once

// Areal height parameters of a rectangle of a (levelled) height map, ISO 25178-2 without a
// filter: heights about the rectangle's mean. Two passes over the same rows, each gathered by
// one accumulator per reading thread and merged: the mean first, then the moments about it.

#include "measure/SurfaceForm.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvane::measure {

// A rectangle of file pixels; the first and the last column and row belong to it.
struct PixelRectangle {
    std::int64_t FirstColumn = 0, FirstRow = 0, LastColumn = -1, LastRow = -1;
};

// Pass 1: number, mean, lowest and highest of the valid heights inside the rectangle, less the
// form when there is one, and the number of pixels without a value (NaN) there.
class ArealMeanPass {
public:
    // form: subtracted from the heights before anything (copied); null for none.
    explicit ArealMeanPass(const PixelRectangle& rectangle, const SurfaceForm* form = nullptr);

    // z[i] is the height of pixel (firstColumn + i, row); what lies outside the rectangle is
    // ignored, rows may come in any order.
    void AddRow(std::int64_t row, std::int64_t firstColumn, const double* z, std::int64_t count);
    void Merge(const ArealMeanPass& other);

    std::int64_t Valid() const { return valid_; }
    std::int64_t NoData() const { return noData_; }
    // NaN without valid heights.
    double Mean() const;
    // +inf and -inf without valid heights.
    double Min() const { return min_; }
    double Max() const { return max_; }

private:
    PixelRectangle rectangle_;
    std::optional<SurfaceForm> form_;
    std::int64_t valid_ = 0, noData_ = 0;
    CompensatedSum sum_;
    double min_, max_;
};

// Pass 2: Σ|d|, Σd², Σd³, Σd⁴ of d = height - form - mean over the same rectangle.
class ArealMomentPass {
public:
    // mean: ArealMeanPass::Mean() of the merged first pass over the same rows and form.
    ArealMomentPass(const PixelRectangle& rectangle, double mean,
                    const SurfaceForm* form = nullptr);

    void AddRow(std::int64_t row, std::int64_t firstColumn, const double* z, std::int64_t count);
    void Merge(const ArealMomentPass& other);

    std::int64_t Valid() const { return valid_; }
    double SumAbsolute() const { return sums_[0].Value(); }
    double SumSquares() const { return sums_[1].Value(); }
    double SumCubes() const { return sums_[2].Value(); }
    double SumFourthPowers() const { return sums_[3].Value(); }

private:
    PixelRectangle rectangle_;
    std::optional<SurfaceForm> form_;
    double mean_;
    std::int64_t valid_ = 0;
    std::array<CompensatedSum, 4> sums_;
};

// Sv is positive, the depth of the deepest pit below the mean; Ssk and Sku are 0 on a flat
// surface (Sq 0).
struct ArealFigures {
    std::int64_t Valid = 0, NoData = 0;
    double Mean = 0, Min = 0, Max = 0; // of the levelled heights
    double Sa = 0, Sq = 0, Sp = 0, Sv = 0, Sz = 0, Ssk = 0, Sku = 0;
};

// The areal figures of a rectangle of 8- or 16-bit unsigned samples with no form taken away, in
// one pass: a count per stored value. The figures then come from at most 65536 distinct heights
// with their counts (the same definitions as the two passes, summed by value rather than by
// pixel), so one read of the file gives them exactly.
class ArealHistogram {
public:
    ArealHistogram(const PixelRectangle& rectangle, int bitsPerSample);

    // `count` samples of row `row` from column firstColumn, every columnStep-th one of
    // `samples` (8 or 16 bits, this machine's byte order); what lies outside the rectangle is
    // ignored.
    void AddSamples(std::int64_t row, std::int64_t firstColumn, const std::uint8_t* samples,
                    std::int64_t count, std::int64_t columnStep);
    void Merge(const ArealHistogram& other);

    // The figures with heightOfValue[v] the height of sample value v (NaN: no value); nothing
    // without valid heights.
    std::optional<ArealFigures> Finish(const std::vector<double>& heightOfValue) const;

private:
    PixelRectangle rectangle_;
    int bits_;
    std::vector<std::int64_t> counts_;
};

// The figures of the two merged passes; nothing without valid heights.
std::optional<ArealFigures> FinishAreal(const ArealMeanPass& meanPass,
                                        const ArealMomentPass& momentPass);

} // namespace orvane::measure
