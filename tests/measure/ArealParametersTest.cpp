#include "measure/ArealParameters.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <random>
#include <vector>

namespace {

using namespace orvane::measure;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kPi = std::acos(-1.0);

using HeightOf = std::function<double(std::int64_t column, std::int64_t row)>;

// A run of heights as a reader hands it over.
struct Piece {
    std::int64_t row, firstColumn;
    std::vector<double> z;
};

std::vector<Piece> WholeRows(std::int64_t width, std::int64_t height, const HeightOf& heightOf) {
    std::vector<Piece> pieces;
    for (std::int64_t row = 0; row < height; ++row) {
        Piece piece{row, 0, {}};
        for (std::int64_t column = 0; column < width; ++column)
            piece.z.push_back(heightOf(column, row));
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

// Every piece cut at the given columns (those inside it).
std::vector<Piece> Cut(const std::vector<Piece>& pieces, const std::vector<std::int64_t>& cuts) {
    std::vector<Piece> cutPieces;
    for (const Piece& piece : pieces) {
        std::int64_t start = piece.firstColumn;
        const std::int64_t end = piece.firstColumn + std::int64_t(piece.z.size());
        for (std::int64_t cut : cuts) {
            if (cut <= start || cut >= end)
                continue;
            cutPieces.push_back({piece.row, start,
                                 std::vector<double>(piece.z.begin() + (start - piece.firstColumn),
                                                     piece.z.begin() + (cut - piece.firstColumn))});
            start = cut;
        }
        cutPieces.push_back(
            {piece.row, start,
             std::vector<double>(piece.z.begin() + (start - piece.firstColumn), piece.z.end())});
    }
    return cutPieces;
}

struct Outcome {
    std::optional<ArealFigures> figures;
    std::int64_t valid = 0, noData = 0;
};

// Both passes over the pieces, dealt in turn to `accumulators` accumulators that are merged.
Outcome Measure(const std::vector<Piece>& pieces, const PixelRectangle& rectangle,
                const SurfaceForm* form = nullptr, int accumulators = 1) {
    std::vector<ArealMeanPass> means(std::size_t(accumulators), ArealMeanPass(rectangle, form));
    for (std::size_t i = 0; i < pieces.size(); ++i)
        means[i % means.size()].AddRow(pieces[i].row, pieces[i].firstColumn, pieces[i].z.data(),
                                       std::int64_t(pieces[i].z.size()));
    for (std::size_t i = 1; i < means.size(); ++i)
        means[0].Merge(means[i]);
    std::vector<ArealMomentPass> moments(std::size_t(accumulators),
                                         ArealMomentPass(rectangle, means[0].Mean(), form));
    for (std::size_t i = 0; i < pieces.size(); ++i)
        moments[(i + 1) % moments.size()].AddRow(pieces[i].row, pieces[i].firstColumn,
                                                 pieces[i].z.data(),
                                                 std::int64_t(pieces[i].z.size()));
    for (std::size_t i = 1; i < moments.size(); ++i)
        moments[0].Merge(moments[i]);
    return {FinishAreal(means[0], moments[0]), means[0].Valid(), means[0].NoData()};
}

PixelRectangle Whole(std::int64_t width, std::int64_t height) {
    return {0, 0, width - 1, height - 1};
}

struct Expected {
    double mean, sa, sq, sp, sv, sz, ssk, sku;
};

void ExpectFigures(const ArealFigures& figures, const Expected& expected, double heightTolerance,
                   double ratioTolerance) {
    EXPECT_NEAR(figures.Mean, expected.mean, heightTolerance) << "Mean";
    EXPECT_NEAR(figures.Sa, expected.sa, heightTolerance) << "Sa";
    EXPECT_NEAR(figures.Sq, expected.sq, heightTolerance) << "Sq";
    EXPECT_NEAR(figures.Sp, expected.sp, heightTolerance) << "Sp";
    EXPECT_NEAR(figures.Sv, expected.sv, heightTolerance) << "Sv";
    EXPECT_NEAR(figures.Sz, expected.sz, heightTolerance) << "Sz";
    EXPECT_NEAR(figures.Ssk, expected.ssk, ratioTolerance) << "Ssk";
    EXPECT_NEAR(figures.Sku, expected.sku, ratioTolerance) << "Sku";
    EXPECT_NEAR(figures.Sz, figures.Sp + figures.Sv, heightTolerance) << "Sz = Sp + Sv";
}

// Surfaces whose figures are worked out by hand.
TEST(ArealParametersTest, KnownSurfaces) {
    struct Case {
        const char* name;
        std::int64_t width, height;
        double (*heightOf)(std::int64_t x, std::int64_t y);
        Expected expected;
    };
    const double r3 = std::sqrt(3.0), r15 = std::sqrt(15.0);
    const Case cases[] = {
        // Half at 0, half at h = 2: d = ±1 everywhere.
        {"step across columns",
         8,
         6,
         [](auto x, auto) { return x < 4 ? 2.0 : 0.0; },
         {1, 1, 1, 1, 1, 2, 0, 1}},
        {"step across rows",
         8,
         6,
         [](auto, auto y) { return y < 3 ? 0.0 : 2.0; },
         {1, 1, 1, 1, 1, 2, 0, 1}},
        // A quarter at 4: mean 1, d = 3 on a quarter and -1 on the rest; Σd²/n = 3,
        // Σd³/n = 6, Σd⁴/n = 21.
        {"quarter raised",
         4,
         5,
         [](auto x, auto) { return x == 1 ? 4.0 : 0.0; },
         {1, 1.5, r3, 3, 1, 4, 6 / (3 * r3), 21.0 / 9}},
        {"quarter sunk",
         4,
         5,
         [](auto x, auto) { return x == 1 ? -4.0 : 0.0; },
         {-1, 1.5, r3, 1, 3, 4, -6 / (3 * r3), 21.0 / 9}},
        // One pixel of 16 among 16: mean 1, d = 15 once and -1 fifteen times; Σ|d| = 30,
        // Σd² = 240, Σd³ = 3360, Σd⁴ = 50640.
        {"spike",
         4,
         4,
         [](auto x, auto y) { return x == 2 && y == 1 ? 16.0 : 0.0; },
         {1, 30.0 / 16, r15, 15, 1, 16, 210 / (15 * r15), 3165.0 / 225}},
        {"pit",
         4,
         4,
         [](auto x, auto y) { return x == 2 && y == 1 ? -16.0 : 0.0; },
         {-1, 30.0 / 16, r15, 1, 15, 16, -210 / (15 * r15), 3165.0 / 225}},
        // Flat: Ssk and Sku would be 0/0 and are given as 0.
        {"flat", 3, 3, [](auto, auto) { return 5.0; }, {5, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome =
            Measure(WholeRows(c.width, c.height, c.heightOf), Whole(c.width, c.height));
        ASSERT_TRUE(outcome.figures);
        EXPECT_EQ(outcome.figures->Valid, c.width * c.height);
        EXPECT_EQ(outcome.figures->NoData, 0);
        ExpectFigures(*outcome.figures, c.expected, 1e-13, 1e-13);
    }
}

// A single spike or pit of h among n = 9 pixels of one row, at every place along the row: the
// extremes are found wherever they lie. Mean h/n, Sp and Sv h(n-1)/n and h/n (swapped for a
// pit).
TEST(ArealParametersTest, ExtremesAnywhereAlongTheRow) {
    constexpr std::int64_t kWidth = 9;
    for (double h : {9.0, -9.0})
        for (std::int64_t place = 0; place < kWidth; ++place) {
            SCOPED_TRACE(testing::Message() << "h " << h << " at " << place);
            std::vector<Piece> pieces = {{0, 0, std::vector<double>(kWidth, 0.0)}};
            pieces[0].z[std::size_t(place)] = h;
            const Outcome outcome = Measure(pieces, Whole(kWidth, 1));
            ASSERT_TRUE(outcome.figures);
            EXPECT_EQ(outcome.figures->Min, std::min(h, 0.0));
            EXPECT_EQ(outcome.figures->Max, std::max(h, 0.0));
            EXPECT_DOUBLE_EQ(outcome.figures->Mean, h / kWidth);
            EXPECT_DOUBLE_EQ(h > 0 ? outcome.figures->Sp : outcome.figures->Sv, 8.0);
            EXPECT_DOUBLE_EQ(h > 0 ? outcome.figures->Sv : outcome.figures->Sp, 1.0);
        }
}

// z = A sin(2π x / λ) over whole periods, λ a multiple of 4 pixels so that samples fall on the
// peaks and pits. Over N samples of a period, the means of sin² and sin⁴ are exactly 1/2 and
// 3/8, and the mean of |sin| is (2 / N) cot(π / N), which tends to 2/π.
TEST(ArealParametersTest, Sinusoids) {
    struct Case {
        const char* name;
        double amplitude;
        int wavelengthPx, periods;
        bool alongRows; // the wave runs down the rows rather than along the columns
        double offset;
        bool tilted; // a plane is added to the heights and given as the form
    };
    const Case cases[] = {
        {"along columns", 1, 64, 3, false, 0, false},
        {"along rows", 2.5, 128, 2, true, 0, false},
        {"short wavelength", 0.5, 8, 10, false, 0, false},
        {"offset", 3, 256, 1, false, -40, false},
        {"1 um about 1000 mm", 1e-3, 64, 3, false, 1000, false},
        {"tilted, levelled", 1, 64, 3, false, 0, true},
        // Longer than the stretch of form evaluated at a time.
        {"tilted, 768 long, levelled", 2, 256, 3, false, 7, true},
        {"tilted rows, offset 1000, levelled", 1e-3, 64, 2, true, 1000, true},
    };
    constexpr std::int64_t kAcross = 5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::int64_t length = std::int64_t(c.wavelengthPx) * c.periods;
        const std::int64_t width = c.alongRows ? kAcross : length;
        const std::int64_t height = c.alongRows ? length : kAcross;
        const SurfaceForm plane{FormKind::Plane,
                                1,
                                0.5 * double(width - 1),
                                0.5 * double(height - 1),
                                0.5 * double(std::max(width, height)),
                                std::vector<double>{c.offset, 0.3, -0.2}};
        const HeightOf heightOf = [&](std::int64_t x, std::int64_t y) {
            const double along = double(c.alongRows ? y : x);
            const double wave = c.amplitude * std::sin(2 * kPi * along / c.wavelengthPx);
            return c.tilted ? wave + plane.At(double(x), double(y)) : c.offset + wave;
        };
        const Outcome outcome = Measure(WholeRows(width, height, heightOf), Whole(width, height),
                                        c.tilted ? &plane : nullptr);
        ASSERT_TRUE(outcome.figures);
        const ArealFigures& f = *outcome.figures;
        EXPECT_EQ(f.Valid, width * height);

        const double a = c.amplitude, n = c.wavelengthPx;
        // Heights carry the rounding of the offset; the ratios that much over the amplitude.
        const double heightTolerance = 1e-13 * (a + std::abs(c.offset));
        const double ratioTolerance = 1e-12 + 20 * heightTolerance / a;
        const double mean = c.tilted ? 0 : c.offset;
        ExpectFigures(
            f, {mean, 2 * a / n / std::tan(kPi / n), a / std::sqrt(2.0), a, a, 2 * a, 0, 1.5},
            heightTolerance, ratioTolerance);
        // The continuous Sa, to the discretisation: (π/N) cot(π/N) = 1 - (π/N)²/3 - ...
        EXPECT_NEAR(f.Sa, 2 * a / kPi, 2 * a / kPi * (kPi / n) * (kPi / n) / 2.5);
    }
}

// Means of heights far from 0 keep the digits of the small variations: the sums must not
// round them away, within a row or where accumulators are merged. Variations of multiples of
// 2^-20 and 2^-30 keep every height exact.
TEST(ArealParametersTest, MeanKeepsSmallVariations) {
    struct Case {
        const char* name;
        double (*heightOf)(std::int64_t x, std::int64_t y); // on a 3000 × 8 image
        int accumulators;
        double mean, tolerance;
    };
    const Case cases[] = {
        {"1000 with steps of 2^-20",
         [](auto x, auto) { return 1000 + std::ldexp(double(x % 3), -20); }, 1,
         1000 + std::ldexp(1.0, -20), 2e-13},
        {"rows at +1e6 and -1e6 with steps of 2^-30, merged",
         [](auto x, auto y) { return (y % 2 ? -1e6 : 1e6) + std::ldexp(double(x % 3), -30); }, 2,
         std::ldexp(1.0, -30), 1e-20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome =
            Measure(WholeRows(3000, 8, c.heightOf), Whole(3000, 8), nullptr, c.accumulators);
        ASSERT_TRUE(outcome.figures);
        EXPECT_NEAR(outcome.figures->Mean, c.mean, c.tolerance);
    }
}

// Only the rectangle counts, however the rows are cut and whatever lies around it.
TEST(ArealParametersTest, RectangleInsideLargerImage) {
    constexpr std::int64_t kWidth = 40, kHeight = 30;
    const PixelRectangle rectangle{10, 5, 25, 14}; // 16 × 10
    // Inside, a step: columns 10..17 at 2, 18..25 at 0. Outside, large heights and holes.
    const HeightOf heightOf = [&](std::int64_t x, std::int64_t y) {
        const bool inside = x >= rectangle.FirstColumn && x <= rectangle.LastColumn &&
                            y >= rectangle.FirstRow && y <= rectangle.LastRow;
        if (inside)
            return x < 18 ? 2.0 : 0.0;
        return (x + y) % 3 == 0 ? kNaN : 1e6 * double(x + 1);
    };
    const std::vector<Piece> whole = WholeRows(kWidth, kHeight, heightOf);
    std::vector<Piece> rectangleOnly;
    for (const Piece& piece : Cut(whole, {10, 26}))
        if (piece.firstColumn == 10 && piece.row >= 5 && piece.row <= 14)
            rectangleOnly.push_back(piece);
    struct Case {
        const char* name;
        std::vector<Piece> pieces;
        int accumulators;
    };
    const Case cases[] = {
        {"whole rows", whole, 1},
        {"cut at the edges", Cut(whole, {10, 26}), 2},
        {"cut inside and outside", Cut(whole, {3, 9, 11, 17, 18, 25, 27}), 3},
        {"cut to single pixels",
         Cut(whole,
             [] {
                 std::vector<std::int64_t> cuts;
                 for (std::int64_t c = 1; c < 40; ++c)
                     cuts.push_back(c);
                 return cuts;
             }()),
         4},
        {"the rectangle alone", rectangleOnly, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Measure(c.pieces, rectangle, nullptr, c.accumulators);
        ASSERT_TRUE(outcome.figures);
        EXPECT_EQ(outcome.figures->Valid, 160);
        EXPECT_EQ(outcome.figures->NoData, 0);
        EXPECT_EQ(outcome.figures->Min, 0);
        EXPECT_EQ(outcome.figures->Max, 2);
        ExpectFigures(*outcome.figures, {1, 1, 1, 1, 1, 2, 0, 1}, 1e-14, 1e-14);
    }
}

// Holes inside the rectangle are counted and left out; holes outside it are not counted.
TEST(ArealParametersTest, NoDataCounts) {
    constexpr std::int64_t kWidth = 20, kHeight = 12;
    const PixelRectangle rectangle{2, 1, 17, 10}; // 16 × 10, a step at column 10
    struct Case {
        const char* name;
        bool (*hole)(std::int64_t x, std::int64_t y);
        std::int64_t noData;
    };
    // Holes placed alike in both halves of the step keep its figures.
    const Case cases[] = {
        {"none", [](auto, auto) { return false; }, 0},
        {"outside only", [](auto x, auto y) { return x < 2 || y == 11; }, 0},
        {"a row", [](auto, auto y) { return y == 4; }, 16},
        {"first and last columns", [](auto x, auto) { return x == 2 || x == 17; }, 20},
        {"corners inside and out",
         [](auto x, auto y) { return (x == 2 || x == 17 || x == 0) && (y == 1 || y == 10); }, 4},
        {"one per half and row", [](auto x, auto) { return x == 5 || x == 13; }, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HeightOf heightOf = [&](std::int64_t x, std::int64_t y) {
            return c.hole(x, y) ? kNaN : x < 10 ? 3.0 : 1.0;
        };
        const Outcome outcome = Measure(WholeRows(kWidth, kHeight, heightOf), rectangle);
        ASSERT_TRUE(outcome.figures);
        EXPECT_EQ(outcome.figures->NoData, c.noData);
        EXPECT_EQ(outcome.figures->Valid, 160 - c.noData);
        ExpectFigures(*outcome.figures, {2, 1, 1, 1, 1, 2, 0, 1}, 1e-14, 1e-14);
    }
}

TEST(ArealParametersTest, NothingWithoutValidHeights) {
    struct Case {
        const char* name;
        PixelRectangle rectangle;
        std::int64_t noData;
    };
    // On a 6 × 4 image whose first two rows are holes.
    const Case cases[] = {
        {"all holes", {0, 0, 5, 1}, 12},
        {"rows below the image", {0, 10, 5, 12}, 0},
        {"columns right of the image", {6, 0, 9, 3}, 0},
        {"empty rectangle", {3, 2, 2, 3}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome =
            Measure(WholeRows(6, 4, [](auto, auto y) { return y < 2 ? kNaN : 1.0; }), c.rectangle);
        EXPECT_FALSE(outcome.figures);
        EXPECT_EQ(outcome.valid, 0);
        EXPECT_EQ(outcome.noData, c.noData);
    }
}

// Rows in any order, cut and spread over merged accumulators, give the figures of one
// accumulator taking the rows in order.
TEST(ArealParametersTest, OrderAndMergingDoNotMatter) {
    constexpr std::int64_t kWidth = 57, kHeight = 41;
    const PixelRectangle rectangle{3, 2, 50, 37};
    const HeightOf heightOf = [](std::int64_t x, std::int64_t y) {
        if ((x * 13 + y * 7) % 17 == 0)
            return kNaN;
        const double u = double(x) / kWidth;
        return 100 + u * u * u - 0.5 * double(y) / kHeight + std::sin(double(x * y) * 0.37);
    };
    const SurfaceForm form{FormKind::Plane, 1, 28, 20, 28.5, {100, 0.1, -0.2}};
    for (const SurfaceForm* levelling : {static_cast<const SurfaceForm*>(nullptr), &form}) {
        SCOPED_TRACE(levelling ? "levelled" : "as read");
        const std::vector<Piece> inOrder = WholeRows(kWidth, kHeight, heightOf);
        std::vector<Piece> shuffled = Cut(inOrder, {2, 5, 20, 21, 49, 52});
        std::mt19937 random(11);
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        const Outcome expected = Measure(inOrder, rectangle, levelling);
        const Outcome merged = Measure(shuffled, rectangle, levelling, 3);
        ASSERT_TRUE(expected.figures && merged.figures);
        const ArealFigures& e = *expected.figures;
        const ArealFigures& m = *merged.figures;
        EXPECT_EQ(m.Valid, e.Valid);
        EXPECT_EQ(m.NoData, e.NoData);
        EXPECT_GT(e.NoData, 0);
        EXPECT_EQ(m.Min, e.Min);
        EXPECT_EQ(m.Max, e.Max);
        ExpectFigures(m, {e.Mean, e.Sa, e.Sq, e.Sp, e.Sv, e.Sz, e.Ssk, e.Sku}, 1e-12, 1e-12);
    }
}

} // namespace
