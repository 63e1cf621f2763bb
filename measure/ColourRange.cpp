#include "measure/ColourRange.h"
#include "measure/PassRunner.h"
#include "measure/SurfacePasses.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace orvane::measure {

AutoRanks AutoRanksOf(std::int64_t count) {
    if (count <= 0)
        return {};
    // ceil(p x count) in integers: p = 5/1000 and 995/1000.
    const auto rank = [count](std::int64_t perMille) {
        return std::max<std::int64_t>(1, (count / 1000) * perMille +
                                             ((count % 1000) * perMille + 999) / 1000);
    };
    return {rank(5), rank(995)};
}

std::uint8_t RangeLevel(double height, double low, double high) {
    // Halves, so that no difference of finite heights overflows; the factor 256 last, which
    // scales exactly.
    const double level = std::floor((height / 2 - low / 2) / (high / 2 - low / 2) * 256.0);
    if (!(level >= 0)) // NaN too
        return 0;
    return std::uint8_t(std::min(level, 255.0));
}

QString ColourRangeName(ColourRangeKind kind) {
    switch (kind) {
    case ColourRangeKind::Full:
        return QStringLiteral("full");
    case ColourRangeKind::Data:
        return QStringLiteral("data");
    case ColourRangeKind::Auto:
        return QStringLiteral("auto");
    case ColourRangeKind::Manual:
        return QStringLiteral("manual");
    }
    return QString();
}

image::ImageModel::LevelFractions RangeFractions(const image::ImageModel& model,
                                                 const Levelling* levelling, double low,
                                                 double high) {
    const bool millimetres = image::HeightBasisOf(model).Millimetres;
    // The unit and span of the levels: the heights' own where the file gives them or a levelled
    // picture has its span; the residual's, or the stored values', where neither does.
    double scaleLow = model.ShownLow(), scaleHigh = model.ShownHigh(), perUnit = 1;
    if (millimetres || model.LevelsFromValues) {
        if (model.LevelsFromValues && millimetres && model.MmPerHeightUnit > 0)
            perUnit = model.MmPerHeightUnit;
    } else if (levelling) {
        scaleLow = levelling->ResidualMin;
        scaleHigh = levelling->ResidualMax;
    } else {
        scaleLow = 0;
        scaleHigh = double((std::int64_t(1) << model.Samples.bits) - 1);
    }
    const double span = scaleHigh - scaleLow;
    auto at = [&](double h) { return span != 0 ? (h / perUnit - scaleLow) / span : 0.0; };
    image::ImageModel::LevelFractions fractions{at(low), at(high)};
    // A min-is-white file pictured by its stored values shows them inverted.
    if (!model.LevelsFromValues && !millimetres && model.Photometric == 0)
        fractions = {1 - fractions.Low, 1 - fractions.High};
    return fractions;
}

namespace {

// Stored values counted, for files whose heights come from a table.
struct ValueCounts {
    int bits = 16;
    std::vector<std::int64_t> counts;
    void AddSamples(std::int64_t, std::int64_t, const std::uint8_t* samples, std::int64_t count,
                    std::int64_t columnStep) {
        std::int64_t* c = counts.data();
        if (bits == 8) {
            for (std::int64_t i = 0; i < count; ++i)
                ++c[samples[i * columnStep]];
            return;
        }
        for (std::int64_t i = 0; i < count; ++i) {
            std::uint16_t value;
            std::memcpy(&value, samples + 2 * i * columnStep, sizeof value);
            ++c[value];
        }
    }
    void Merge(const ValueCounts& other) {
        for (std::size_t v = 0; v < counts.size(); ++v)
            counts[v] += other.counts[v];
    }
};

// The heights of the counted values in order, with their counts: min, max and ranks exactly.
HeightRangeOutcome RangeOfCounts(const ValueCounts& counts, const std::vector<double>& heightOf,
                                 ColourRangeKind kind) {
    std::vector<std::pair<double, std::int64_t>> heights;
    for (std::size_t v = 0; v < counts.counts.size() && v < heightOf.size(); ++v)
        if (counts.counts[v] > 0 && !std::isnan(heightOf[v]))
            heights.emplace_back(heightOf[v], counts.counts[v]);
    HeightRangeOutcome outcome;
    if (heights.empty())
        return outcome;
    std::sort(heights.begin(), heights.end());
    for (const auto& h : heights)
        outcome.Valid += h.second;
    outcome.Least = heights.front().first;
    outcome.Greatest = heights.back().first;
    if (kind != ColourRangeKind::Auto) {
        outcome.Low = outcome.Least;
        outcome.High = outcome.Greatest;
        return outcome;
    }
    const AutoRanks ranks = AutoRanksOf(outcome.Valid);
    std::int64_t seen = 0;
    for (const auto& h : heights) {
        seen += h.second;
        if (!outcome.Low && seen >= ranks.Low)
            outcome.Low = h.first;
        if (!outcome.High && seen >= ranks.High)
            outcome.High = h.first;
    }
    return outcome;
}

// Least and greatest valid height less the form, and their count.
struct ExtentPass {
    const SurfaceForm* form = nullptr;
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    std::int64_t valid = 0;
    void AddRow(std::int64_t row, std::int64_t firstColumn, const double* z, std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
            const double h = form ? z[i] - form->At(double(firstColumn + i), double(row)) : z[i];
            if (!std::isfinite(h))
                continue;
            low = std::min(low, h);
            high = std::max(high, h);
            ++valid;
        }
    }
    void Merge(const ExtentPass& other) {
        low = std::min(low, other.low);
        high = std::max(high, other.high);
        valid += other.valid;
    }
};

constexpr int kBins = 4096;

// Doubles in the order of unsigned integers: the bits of a positive double, the top bit set; the
// bits of a negative one inverted. Bins over these keys narrow an interval by 4096 a pass however
// many decades its heights span, so six passes reach one value of the 64-bit keys.
std::uint64_t OrderKey(double h) {
    std::uint64_t bits;
    std::memcpy(&bits, &h, sizeof bits);
    return bits >> 63 ? ~bits : bits | (std::uint64_t(1) << 63);
}
double OfOrderKey(std::uint64_t key) {
    const std::uint64_t bits = key >> 63 ? key & ~(std::uint64_t(1) << 63) : ~key;
    double h;
    std::memcpy(&h, &bits, sizeof h);
    return h;
}

// Where one rank lies: between the keys `low` and `high`, both held by some height.
struct RankSearch {
    std::int64_t rank = 0;
    std::uint64_t low = 0, high = 0;
    bool Found() const { return low == high; }
};

// One narrowing pass for two ranks: per rank, the count under its interval and, per bin of it,
// the count and the least and greatest key.
struct BinPass {
    struct Bins {
        std::uint64_t low = 0, high = 0;
        int shift = 0; // bin = (key - low) >> shift
        std::int64_t below = 0;
        std::vector<std::int64_t> count;
        std::vector<std::uint64_t> least, greatest;
    };
    const SurfaceForm* form = nullptr;
    std::vector<Bins> searches;

    static BinPass For(const SurfaceForm* form, const std::vector<RankSearch>& ranks) {
        BinPass pass;
        pass.form = form;
        for (const RankSearch& r : ranks) {
            int shift = 0;
            while (((r.high - r.low) >> shift) >= std::uint64_t(kBins))
                ++shift;
            pass.searches.push_back({r.low, r.high, shift, 0, std::vector<std::int64_t>(kBins, 0),
                                     std::vector<std::uint64_t>(kBins, ~std::uint64_t(0)),
                                     std::vector<std::uint64_t>(kBins, 0)});
        }
        return pass;
    }
    void AddRow(std::int64_t row, std::int64_t firstColumn, const double* z, std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
            const double h = form ? z[i] - form->At(double(firstColumn + i), double(row)) : z[i];
            if (!std::isfinite(h))
                continue;
            const std::uint64_t key = OrderKey(h);
            for (Bins& b : searches) {
                if (key < b.low) {
                    ++b.below;
                    continue;
                }
                if (key > b.high)
                    continue;
                const std::size_t bin = std::size_t((key - b.low) >> b.shift);
                ++b.count[bin];
                b.least[bin] = std::min(b.least[bin], key);
                b.greatest[bin] = std::max(b.greatest[bin], key);
            }
        }
    }
    void Merge(const BinPass& other) {
        for (std::size_t s = 0; s < searches.size(); ++s) {
            Bins& b = searches[s];
            const Bins& o = other.searches[s];
            b.below += o.below;
            for (std::size_t i = 0; i < std::size_t(kBins); ++i) {
                b.count[i] += o.count[i];
                b.least[i] = std::min(b.least[i], o.least[i]);
                b.greatest[i] = std::max(b.greatest[i], o.greatest[i]);
            }
        }
    }
    // Narrows `search` to the bin holding its rank: the heights under the interval, then each
    // bin's, are counted up to it.
    static void Narrow(RankSearch& search, const Bins& bins) {
        std::int64_t seen = bins.below;
        for (std::size_t i = 0; i < std::size_t(kBins); ++i) {
            if (seen + bins.count[i] >= search.rank) {
                search.low = bins.least[i];
                search.high = bins.greatest[i];
                return;
            }
            seen += bins.count[i];
        }
    }
};

} // namespace

HeightRangeOutcome MeasureHeightRange(const image::TiffSource& source,
                                      const image::ImageModel& model, ColourRangeKind kind,
                                      const SurfaceForm* form,
                                      const image::ProgressFunction& progress,
                                      const std::atomic<bool>* cancel) {
    HeightRangeOutcome failed;
    const auto fail = [&] {
        failed.Cancelled = cancel && *cancel;
        failed.ReadFailed = !failed.Cancelled;
        return failed;
    };
    const image::HeightBasis basis = image::HeightBasisOf(model);
    if (!form && basis.Conversion.table) {
        const int bits = model.Samples.bits;
        const std::optional<ValueCounts> counts = RunPass<ValueCounts, true>(
            source, model, model.FileHeight,
            [bits] {
                return ValueCounts{bits, std::vector<std::int64_t>(std::size_t(1) << bits, 0)};
            },
            progress, cancel);
        if (!counts)
            return fail();
        return RangeOfCounts(*counts, *basis.Conversion.table, kind);
    }
    // The extent, then for Auto passes narrowing each rank's interval; progress in equal shares,
    // counting two narrowing passes (integer heights need one, real ones mostly two).
    const int expectedPasses = kind == ColourRangeKind::Auto ? 3 : 1;
    int pass = 0;
    const auto share = [&] {
        const int from = std::min(99, 100 * pass / expectedPasses);
        const int span = std::max(1, 100 / expectedPasses);
        ++pass;
        return [progress, from, span](int percent) {
            if (progress)
                progress(std::min(99, from + percent * span / 100));
        };
    };
    const std::optional<ExtentPass> extent = RunPass<ExtentPass>(
        source, model, model.FileHeight, [form] { return ExtentPass{form}; }, share(), cancel);
    if (!extent)
        return fail();
    HeightRangeOutcome outcome;
    outcome.Valid = extent->valid;
    if (extent->valid == 0)
        return outcome;
    outcome.Least = extent->low;
    outcome.Greatest = extent->high;
    if (kind != ColourRangeKind::Auto) {
        outcome.Low = extent->low;
        outcome.High = extent->high;
        return outcome;
    }
    const AutoRanks ranks = AutoRanksOf(extent->valid);
    const std::uint64_t least = OrderKey(extent->low), greatest = OrderKey(extent->high);
    std::vector<RankSearch> searches{{ranks.Low, least, greatest}, {ranks.High, least, greatest}};
    // Each pass divides the keys' interval by 4096 at least: six reach one value of 64 bits.
    for (int narrowing = 0; narrowing < 8; ++narrowing) {
        std::vector<RankSearch> open;
        for (const RankSearch& s : searches)
            if (!s.Found())
                open.push_back(s);
        if (open.empty())
            break;
        const std::optional<BinPass> bins = RunPass<BinPass>(
            source, model, model.FileHeight, [&] { return BinPass::For(form, open); }, share(),
            cancel);
        if (!bins)
            return fail();
        std::size_t next = 0;
        for (RankSearch& s : searches)
            if (!s.Found())
                BinPass::Narrow(s, bins->searches[next++]);
    }
    if (!searches[0].Found() || !searches[1].Found())
        return fail();
    outcome.Low = OfOrderKey(searches[0].low);
    outcome.High = OfOrderKey(searches[1].low);
    return outcome;
}

bool RangeLevels(const image::TiffSource& source, const image::ImageModel& model,
                 const SurfaceForm* form, double low, double high, bool inverted,
                 std::uint8_t* levels, const image::ProgressFunction& progress,
                 const std::atomic<bool>* cancel) {
    const image::HeightBasis basis = image::HeightBasisOf(model);
    // Heights from a table: the level of every stored value at once.
    std::vector<std::uint8_t> levelOfValue;
    if (!form && basis.Conversion.table) {
        const std::vector<double>& heights = *basis.Conversion.table;
        levelOfValue.resize(heights.size());
        for (std::size_t v = 0; v < heights.size(); ++v) {
            const std::uint8_t level = RangeLevel(heights[v], low, high);
            levelOfValue[v] =
                inverted && !std::isnan(heights[v]) ? std::uint8_t(255 - level) : level;
        }
    }
    struct Rows : image::HeightRows {
        const image::ImageModel* model;
        const SurfaceForm* form;
        const std::vector<std::uint8_t>* levelOfValue;
        double low, high;
        bool inverted;
        std::uint8_t* levels;
        std::uint8_t* Out(std::int64_t row, std::int64_t firstColumn) const {
            return levels + (row / model->RowStep) * model->ImageWidth +
                   firstColumn / model->ColumnStep;
        }
        bool TakesSamples() const override { return !levelOfValue->empty(); }
        void SampleRow(std::int64_t row, std::int64_t firstColumn, const std::uint8_t* samples,
                       std::int64_t count, std::int64_t columnStep) override {
            std::uint8_t* out = Out(row, firstColumn);
            const std::uint8_t* table = levelOfValue->data();
            if (model->Samples.bits == 8) {
                for (std::int64_t i = 0; i < count; ++i)
                    out[i] = table[samples[i * columnStep]];
                return;
            }
            for (std::int64_t i = 0; i < count; ++i) {
                std::uint16_t value;
                std::memcpy(&value, samples + 2 * i * columnStep, sizeof value);
                out[i] = table[value];
            }
        }
        void Row(std::int64_t row, std::int64_t firstColumn, const double* heights,
                 std::int64_t count) override {
            std::uint8_t* out = Out(row, firstColumn);
            for (std::int64_t i = 0; i < count; ++i) {
                const double column = double(firstColumn + i * model->ColumnStep);
                const double h = form ? heights[i] - form->At(column, double(row)) : heights[i];
                const std::uint8_t level = RangeLevel(h, low, high);
                out[i] = inverted && !std::isnan(h) ? std::uint8_t(255 - level) : level;
            }
        }
    };
    const image::HeightRowsMaker maker = [&] {
        auto rows = std::make_unique<Rows>();
        rows->model = &model;
        rows->form = form;
        rows->levelOfValue = &levelOfValue;
        rows->low = low;
        rows->high = high;
        rows->inverted = inverted;
        rows->levels = levels;
        return std::unique_ptr<image::HeightRows>(std::move(rows));
    };
    std::fill(levels, levels + model.LevelCount(), std::uint8_t{0});
    const image::ReadResult read =
        image::ReadHeights(source, model, model, maker, progress, cancel);
    return !(cancel && *cancel) && read.opened && read.failure.isEmpty();
}

} // namespace orvane::measure
