#include "measure/ArealParameters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace orvane::measure {

namespace {

constexpr std::int64_t kChunk = 512; // levelled heights prepared at a time on the stack

// Hands visit(heights, n) the stretch of a row inside the rectangle, less the form, in chunks;
// nothing when the row misses the rectangle.
template <typename Visit>
void ForEachLevelledChunk(const PixelRectangle& rectangle, const std::optional<SurfaceForm>& form,
                          std::int64_t row, std::int64_t firstColumn, const double* z,
                          std::int64_t count, Visit&& visit) {
    if (row < rectangle.FirstRow || row > rectangle.LastRow)
        return;
    const std::int64_t begin = std::max(firstColumn, rectangle.FirstColumn);
    const std::int64_t end = std::min(firstColumn + count - 1, rectangle.LastColumn) + 1;
    if (begin >= end)
        return;
    const double* heights = z + (begin - firstColumn);
    if (!form) {
        visit(heights, end - begin);
        return;
    }
    double levelled[kChunk];
    for (std::int64_t start = begin; start < end; start += kChunk) {
        const std::int64_t n = std::min(kChunk, end - start);
        form->Row(row, start, n, levelled);
        for (std::int64_t i = 0; i < n; ++i)
            levelled[i] = heights[start - begin + i] - levelled[i];
        visit(levelled, n);
    }
}

// Runs add(lane, height) over heights in four lanes, every fourth height to a lane, so that
// four chains of adds run side by side; the lanes are separate locals to stay in registers.
template <typename Lane, typename Add>
void SumInLanes(const double* heights, std::int64_t n, Lane& lane0, Lane& lane1, Lane& lane2,
                Lane& lane3, Add add) {
    std::int64_t i = 0;
    for (; i + 4 <= n; i += 4) {
        add(lane0, heights[i]);
        add(lane1, heights[i + 1]);
        add(lane2, heights[i + 2]);
        add(lane3, heights[i + 3]);
    }
    for (; i < n; ++i)
        add(lane0, heights[i]);
}

struct MeanLane {
    double sum = 0, valid = 0;
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
};

struct MomentLane {
    double absolute = 0, squares = 0, cubes = 0, fourth = 0, valid = 0;
};

std::optional<SurfaceForm> CopyOf(const SurfaceForm* form) {
    return form ? std::optional<SurfaceForm>(*form) : std::nullopt;
}

} // namespace

ArealMeanPass::ArealMeanPass(const PixelRectangle& rectangle, const SurfaceForm* form)
    : rectangle_(rectangle), form_(CopyOf(form)), min_(std::numeric_limits<double>::infinity()),
      max_(-std::numeric_limits<double>::infinity()) {}

void ArealMeanPass::AddRow(std::int64_t row, std::int64_t firstColumn, const double* z,
                           std::int64_t count) {
    // The row is summed about its first valid height, so that a large offset does not eat
    // the digits of small variations; the offset joins the total once per row.
    std::optional<double> shift;
    MeanLane lane0, lane1, lane2, lane3;
    std::int64_t seen = 0;
    ForEachLevelledChunk(
        rectangle_, form_, row, firstColumn, z, count, [&](const double* heights, std::int64_t n) {
            seen += n;
            if (!shift) {
                const double* first =
                    std::find_if(heights, heights + n, [](double h) { return h == h; });
                if (first == heights + n)
                    return;
                shift = *first;
            }
            const double reference = *shift;
            SumInLanes(heights, n, lane0, lane1, lane2, lane3,
                       [reference](MeanLane& lane, double h) {
                           // NaN fails every comparison: it is neither lowest nor highest.
                           const bool isValid = h == h;
                           lane.sum += isValid ? h - reference : 0.0;
                           lane.valid += isValid ? 1.0 : 0.0;
                           lane.low = h < lane.low ? h : lane.low;
                           lane.high = h > lane.high ? h : lane.high;
                       });
        });
    const std::int64_t valid =
        std::int64_t((lane0.valid + lane1.valid) + (lane2.valid + lane3.valid));
    noData_ += seen - valid;
    if (valid == 0)
        return;
    valid_ += valid;
    // The product's rounding error, exact by fma, goes in too: it is as large as the mean's
    // last digit.
    const double offset = double(valid) * *shift;
    sum_.Add(offset);
    sum_.Add(std::fma(double(valid), *shift, -offset));
    sum_.Add((lane0.sum + lane1.sum) + (lane2.sum + lane3.sum));
    min_ = std::min({min_, lane0.low, lane1.low, lane2.low, lane3.low});
    max_ = std::max({max_, lane0.high, lane1.high, lane2.high, lane3.high});
}

void ArealMeanPass::Merge(const ArealMeanPass& other) {
    valid_ += other.valid_;
    noData_ += other.noData_;
    sum_.Add(other.sum_);
    min_ = std::min(min_, other.min_);
    max_ = std::max(max_, other.max_);
}

double ArealMeanPass::Mean() const {
    if (valid_ == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return sum_.Value() / double(valid_);
}

ArealMomentPass::ArealMomentPass(const PixelRectangle& rectangle, double mean,
                                 const SurfaceForm* form)
    : rectangle_(rectangle), form_(CopyOf(form)), mean_(mean) {}

void ArealMomentPass::AddRow(std::int64_t row, std::int64_t firstColumn, const double* z,
                             std::int64_t count) {
    MomentLane lane0, lane1, lane2, lane3;
    const double mean = mean_;
    ForEachLevelledChunk(
        rectangle_, form_, row, firstColumn, z, count, [&](const double* heights, std::int64_t n) {
            SumInLanes(heights, n, lane0, lane1, lane2, lane3, [mean](MomentLane& lane, double h) {
                const bool isValid = h == h;
                const double d = isValid ? h - mean : 0.0;
                const double d2 = d * d;
                lane.absolute += std::abs(d);
                lane.squares += d2;
                lane.cubes += d2 * d;
                lane.fourth += d2 * d2;
                lane.valid += isValid ? 1.0 : 0.0;
            });
        });
    const std::int64_t valid =
        std::int64_t((lane0.valid + lane1.valid) + (lane2.valid + lane3.valid));
    if (valid == 0)
        return;
    valid_ += valid;
    sums_[0].Add((lane0.absolute + lane1.absolute) + (lane2.absolute + lane3.absolute));
    sums_[1].Add((lane0.squares + lane1.squares) + (lane2.squares + lane3.squares));
    sums_[2].Add((lane0.cubes + lane1.cubes) + (lane2.cubes + lane3.cubes));
    sums_[3].Add((lane0.fourth + lane1.fourth) + (lane2.fourth + lane3.fourth));
}

void ArealMomentPass::Merge(const ArealMomentPass& other) {
    valid_ += other.valid_;
    for (std::size_t i = 0; i < sums_.size(); ++i)
        sums_[i].Add(other.sums_[i]);
}

std::optional<ArealFigures> FinishAreal(const ArealMeanPass& meanPass,
                                        const ArealMomentPass& momentPass) {
    if (meanPass.Valid() == 0 || momentPass.Valid() == 0)
        return std::nullopt;
    ArealFigures figures;
    figures.Valid = meanPass.Valid();
    figures.NoData = meanPass.NoData();
    figures.Mean = meanPass.Mean();
    figures.Min = meanPass.Min();
    figures.Max = meanPass.Max();

    const double n = double(momentPass.Valid());
    // Sa, arithmetic mean height: the mean of |d|.
    figures.Sa = momentPass.SumAbsolute() / n;
    // Sq, root mean square height: sqrt of the mean of d².
    const double meanSquare = momentPass.SumSquares() / n;
    figures.Sq = std::sqrt(meanSquare);
    // Sp, maximum peak height: the highest height above the mean.
    figures.Sp = figures.Max - figures.Mean;
    // Sv, maximum pit height: the depth of the deepest pit below the mean, as a positive value.
    figures.Sv = figures.Mean - figures.Min;
    // Sz, maximum height: Sp + Sv, taken as Max - Min, which rounds once.
    figures.Sz = figures.Max - figures.Min;
    // Ssk, skewness: mean of d³ / Sq³; Sku, kurtosis: mean of d⁴ / Sq⁴. A flat surface (Sq 0)
    // has no shape to describe: both are given as 0 rather than 0/0.
    if (meanSquare > 0) {
        figures.Ssk = momentPass.SumCubes() / n / (meanSquare * figures.Sq);
        figures.Sku = momentPass.SumFourthPowers() / n / (meanSquare * meanSquare);
    }
    return figures;
}

} // namespace orvane::measure

namespace orvane::measure {

ArealHistogram::ArealHistogram(const PixelRectangle& rectangle, int bitsPerSample)
    : rectangle_(rectangle), bits_(bitsPerSample),
      counts_(std::size_t(1) << (bitsPerSample == 8 ? 8 : 16), 0) {}

void ArealHistogram::AddSamples(std::int64_t row, std::int64_t firstColumn,
                                const std::uint8_t* samples, std::int64_t count,
                                std::int64_t columnStep) {
    if (row < rectangle_.FirstRow || row > rectangle_.LastRow || columnStep < 1)
        return;
    // The samples of the row's columns inside the rectangle: indices [begin, end).
    const std::int64_t begin = std::max<std::int64_t>(
        0, (rectangle_.FirstColumn - firstColumn + columnStep - 1) / columnStep);
    const std::int64_t last = rectangle_.LastColumn - firstColumn;
    const std::int64_t end = last < 0 ? 0 : std::min(count, last / columnStep + 1);
    std::int64_t* counts = counts_.data();
    if (bits_ == 8) {
        for (std::int64_t i = begin; i < end; ++i)
            ++counts[samples[i * columnStep]];
        return;
    }
    for (std::int64_t i = begin; i < end; ++i) {
        std::uint16_t value;
        std::memcpy(&value, samples + 2 * i * columnStep, sizeof value);
        ++counts[value];
    }
}

void ArealHistogram::Merge(const ArealHistogram& other) {
    for (std::size_t v = 0; v < counts_.size() && v < other.counts_.size(); ++v)
        counts_[v] += other.counts_[v];
}

std::optional<ArealFigures> ArealHistogram::Finish(const std::vector<double>& heightOfValue) const {
    ArealFigures figures;
    CompensatedSum sum;
    figures.Min = std::numeric_limits<double>::infinity();
    figures.Max = -std::numeric_limits<double>::infinity();
    for (std::size_t v = 0; v < counts_.size(); ++v) {
        const std::int64_t c = counts_[v];
        if (c == 0)
            continue;
        const double h =
            v < heightOfValue.size() ? heightOfValue[v] : std::numeric_limits<double>::quiet_NaN();
        if (!(h == h)) {
            figures.NoData += c;
            continue;
        }
        figures.Valid += c;
        // c h with its rounding error, exact by fma: the mean keeps every digit of the sum.
        const double product = double(c) * h;
        sum.Add(product);
        sum.Add(std::fma(double(c), h, -product));
        figures.Min = std::min(figures.Min, h);
        figures.Max = std::max(figures.Max, h);
    }
    if (figures.Valid == 0)
        return std::nullopt;
    const double n = double(figures.Valid);
    figures.Mean = sum.Value() / n;
    // The moments about the mean, value by value: the definitions below as FinishAreal's.
    std::array<CompensatedSum, 4> moments;
    for (std::size_t v = 0; v < counts_.size(); ++v) {
        const double c = double(counts_[v]);
        const double h =
            v < heightOfValue.size() ? heightOfValue[v] : std::numeric_limits<double>::quiet_NaN();
        if (c == 0 || !(h == h))
            continue;
        const double d = h - figures.Mean, d2 = d * d;
        moments[0].Add(c * std::abs(d));
        moments[1].Add(c * d2);
        moments[2].Add(c * d2 * d);
        moments[3].Add(c * d2 * d2);
    }
    // Sa, Sq, Sp, Sv, Sz, Ssk, Sku as ISO 25178-2 defines them (see FinishAreal).
    figures.Sa = moments[0].Value() / n;
    const double meanSquare = moments[1].Value() / n;
    figures.Sq = std::sqrt(meanSquare);
    figures.Sp = figures.Max - figures.Mean;
    figures.Sv = figures.Mean - figures.Min;
    figures.Sz = figures.Max - figures.Min;
    if (meanSquare > 0) {
        figures.Ssk = moments[2].Value() / n / (meanSquare * figures.Sq);
        figures.Sku = moments[3].Value() / n / (meanSquare * meanSquare);
    }
    return figures;
}

} // namespace orvane::measure
