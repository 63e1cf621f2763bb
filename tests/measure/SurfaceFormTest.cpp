#include "measure/SurfaceForm.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using namespace orvane::measure;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using HeightOf = std::function<double(std::int64_t column, std::int64_t row)>;

// The exponents (i, j) of x^i y^j in the term order 1, x, y, x², xy, y², x³, ...
std::vector<std::array<int, 2>> Exponents(int degree) {
    std::vector<std::array<int, 2>> exponents;
    for (int total = 0; total <= degree; ++total)
        for (int j = 0; j <= total; ++j)
            exponents.push_back({total - j, j});
    return exponents;
}

int DegreeOfTerms(std::size_t terms) {
    int degree = 0;
    while (std::size_t(FormTerms(degree)) < terms)
        ++degree;
    return degree;
}

// Σ c x^i y^j in the term order, in long double so that it serves as the truth.
double Polynomial(const std::vector<double>& coefficients, double x, double y) {
    const int degree = DegreeOfTerms(coefficients.size());
    long double xPowers[4] = {1, x, (long double)x * x, (long double)x * x * x};
    long double yPowers[4] = {1, y, (long double)y * y, (long double)y * y * y};
    const auto exponents = Exponents(degree);
    long double sum = 0;
    for (std::size_t t = 0; t < coefficients.size(); ++t)
        sum += coefficients[t] * xPowers[exponents[t][0]] * yPowers[exponents[t][1]];
    return double(sum);
}

// Hands the listed rows (every row when empty), whole, to fit.
void AddRows(FormFit& fit, std::int64_t width, std::int64_t height,
             const std::vector<std::int64_t>& rows, const HeightOf& heightOf) {
    std::vector<std::int64_t> all = rows;
    if (all.empty())
        for (std::int64_t row = 0; row < height; ++row)
            all.push_back(row);
    std::vector<double> z(static_cast<std::size_t>(width));
    for (std::int64_t row : all) {
        for (std::int64_t column = 0; column < width; ++column)
            z[std::size_t(column)] = heightOf(column, row);
        fit.AddRow(row, 0, z.data(), width);
    }
}

// A deterministic pseudo-random value in [-1, 1] for a pixel.
double Noise(std::int64_t column, std::int64_t row) {
    std::uint64_t h = std::uint64_t(column) * 0x9E3779B97F4A7C15ull ^
                      (std::uint64_t(row) + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return double(h >> 11) / double(1ull << 52) - 1.0;
}

TEST(SurfaceFormTest, DegreesAndTerms) {
    struct Case {
        FormKind kind;
        int degree, terms;
    };
    const Case cases[] = {{FormKind::None, 0, 1},
                          {FormKind::Plane, 1, 3},
                          {FormKind::ThreePoints, 1, 3},
                          {FormKind::Poly2, 2, 6},
                          {FormKind::Poly3, 3, 10}};
    for (const Case& c : cases) {
        EXPECT_EQ(FormDegree(c.kind), c.degree);
        EXPECT_EQ(FormTerms(c.degree), c.terms);
    }
}

// Forms written by hand, expanded into pixel coordinates by hand.
TEST(SurfaceFormTest, PixelCoefficientsOfKnownForms) {
    struct Case {
        const char* name;
        FormKind kind;
        int degree;
        double centreColumn, centreRow, scale;
        std::vector<double> coefficients, pixel;
    };
    const std::vector<Case> cases = {
        // 10 + 5 (x - 4.5) / 5 - 2.5 (y - 2) / 5
        {"plane", FormKind::Plane, 1, 4.5, 2, 5, {10, 5, -2.5}, {6.5, 1, -0.5}},
        // 1 + 2u + 3v + 4u² + 5uv + 6v², u = x/2 - 1, v = y/2 - 1/2
        {"paraboloid",
         FormKind::Poly2,
         2,
         2,
         1,
         2,
         {1, 2, 3, 4, 5, 6},
         {5.5, -4.25, -4, 1, 1.25, 1.5}},
        // (x - 1)³
        {"cubic in x", FormKind::Poly3, 3, 1, 0, 1, {0, 0, 0, 0, 0, 0, 1}, {-1, 3, 0, -3, 0, 0, 1}},
        // 2 (x - 1)(y - 1)²
        {"mixed cubic",
         FormKind::Poly3,
         3,
         1,
         1,
         1,
         {0, 0, 0, 0, 0, 0, 0, 0, 2, 0},
         {-2, 2, 4, 0, -4, -2, 0, 0, 2, 0}},
        {"flat without coefficients", FormKind::None, 0, 7, 3, 4, {}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceForm form;
        form.Kind = c.kind;
        form.Degree = c.degree;
        form.CentreColumn = c.centreColumn;
        form.CentreRow = c.centreRow;
        form.Scale = c.scale;
        form.Coefficients = c.coefficients;
        std::vector<double> pixel = form.PixelCoefficients();
        pixel.resize(c.pixel.size(), 0.0);
        for (std::size_t t = 0; t < c.pixel.size(); ++t)
            EXPECT_NEAR(pixel[t], c.pixel[t], 1e-14) << "term " << t;
        for (double x : {0.0, 3.0, -2.5, 17.0})
            for (double y : {0.0, 1.0, 8.25})
                EXPECT_NEAR(form.At(x, y), Polynomial(c.pixel, x, y),
                            1e-13 * std::max(1.0, std::abs(Polynomial(c.pixel, x, y))));
    }
}

TEST(SurfaceFormTest, RowGivesAtOfEachPixel) {
    struct Case {
        const char* name;
        SurfaceForm form;
    };
    const Case cases[] = {
        {"flat", {FormKind::None, 0, 0, 0, 1, {}}},
        {"plane", {FormKind::Plane, 1, 999.5, 499.5, 1000, {1e4, 0.25, -3}}},
        {"paraboloid", {FormKind::Poly2, 2, 10, 20, 30, {1, 2, 3, 4, 5, 6}}},
        {"cubic", {FormKind::Poly3, 3, 1500, 700, 1500, {1, -2, 3, -4, 5, -6, 7, -8, 9, -10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::int64_t row : {0, 3, 1999}) {
            // 1300 pixels cross the evaluators' chunks; odd starts cross the lanes.
            for (std::int64_t firstColumn : {0, 7, 1777}) {
                std::vector<double> out(1300);
                c.form.Row(row, firstColumn, std::int64_t(out.size()), out.data());
                for (std::size_t i = 0; i < out.size(); ++i)
                    ASSERT_DOUBLE_EQ(out[i],
                                     c.form.At(double(firstColumn + std::int64_t(i)), double(row)))
                        << "row " << row << " column " << firstColumn + std::int64_t(i);
            }
        }
    }
}

// Surfaces the form describes exactly come back exactly, in pixel coordinates too; the wide
// images are 20000 pixels across but only a few of their rows are handed over.
TEST(SurfaceFormTest, FitsRemoveTheirOwnFormsExactly) {
    struct Case {
        const char* name;
        FormKind kind;
        std::int64_t width, height;
        std::vector<std::int64_t> rows; // every row when empty
        double referenceHeight;
        // Coefficients of (x / L)^i (y / L)^j, L the larger side, in the term order.
        std::vector<double> normalised;
    };
    const Case cases[] = {
        {"tilted plane", FormKind::Plane, 64, 48, {}, 0, {3, 16, -6}},
        {"plane offset 1e4, 20000 wide",
         FormKind::Plane,
         20000,
         20000,
         {0, 1, 9999, 15000, 19999},
         1e4,
         {1e4, 0.02, -0.03}},
        {"plane offset 1e3, 100000 wide",
         FormKind::Plane,
         100000,
         100000,
         {0, 33333, 77777, 99999},
         1e3,
         {1e3, -0.05, 0.02}},
        {"plane by a cubic", FormKind::Poly3, 50, 40, {}, 0, {3, 16, -6}},
        {"paraboloid", FormKind::Poly2, 40, 30, {}, 0, {1, 0.5, -0.8, 2, -1.5, 0.7}},
        {"paraboloid offset 1e4, 20000 wide",
         FormKind::Poly2,
         20000,
         16000,
         {0, 4000, 8000, 12000, 15999},
         1e4,
         {1e4, 0.01, -0.02, 0.03, -0.01, 0.02}},
        {"cubic", FormKind::Poly3, 50, 40, {}, 0, {1, 2, -3, 4, -5, 6, -7, 8, -9, 10}},
        {"cubic offset 1e4, 20000 wide",
         FormKind::Poly3,
         20000,
         12000,
         {0, 3000, 6000, 9000, 11999},
         1e4,
         {1e4, 0.01, -0.02, 0.03, -0.01, 0.02, -0.03, 0.01, 0.02, -0.01}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double side = double(std::max(c.width, c.height));
        const auto exponents = Exponents(DegreeOfTerms(c.normalised.size()));
        std::vector<double> pixel(c.normalised.size());
        double size = 0; // bounds every term over the image
        for (std::size_t t = 0; t < pixel.size(); ++t) {
            pixel[t] = c.normalised[t] / std::pow(side, exponents[t][0] + exponents[t][1]);
            size += std::abs(c.normalised[t]);
        }
        const HeightOf heightOf = [&](std::int64_t column, std::int64_t row) {
            return Polynomial(pixel, double(column), double(row));
        };
        FormFit fit(c.kind, c.width, c.height, c.referenceHeight);
        AddRows(fit, c.width, c.height, c.rows, heightOf);
        const std::optional<SurfaceForm> form = fit.Solve();
        ASSERT_TRUE(form);
        EXPECT_EQ(form->Kind, c.kind);
        EXPECT_EQ(form->Degree, FormDegree(c.kind));

        const double tolerance = 1e-14 * size;
        const std::vector<double> fitted = form->PixelCoefficients();
        ASSERT_EQ(fitted.size(), std::size_t(FormTerms(FormDegree(c.kind))));
        for (std::size_t t = 0; t < fitted.size(); ++t) {
            const double expected = t < pixel.size() ? pixel[t] : 0.0;
            const double weight =
                t < pixel.size() ? std::pow(side, exponents[t][0] + exponents[t][1]) : 1.0;
            EXPECT_NEAR(fitted[t] * weight, expected * weight, tolerance) << "term " << t;
        }
        Residual residual;
        std::vector<double> z(static_cast<std::size_t>(c.width));
        for (std::int64_t row :
             c.rows.empty() ? std::vector<std::int64_t>{0, c.height - 1} : c.rows) {
            for (std::int64_t column = 0; column < c.width; ++column)
                z[std::size_t(column)] = heightOf(column, row);
            residual.AddRow(*form, row, 0, z.data(), c.width);
        }
        EXPECT_LE(residual.Rms(), tolerance);
        EXPECT_LE(std::max(-residual.Min, residual.Max), tolerance);
    }
}

// A height of 1000 with variations of a micrometre in millimetres: the fit must see the
// variations as well as when they come without the offset.
TEST(SurfaceFormTest, LargeOffsetKeepsSmallVariations) {
    constexpr std::int64_t kWidth = 3000, kHeight = 2000;
    constexpr double kOffset = 1000;
    for (FormKind kind : {FormKind::Plane, FormKind::Poly2, FormKind::Poly3}) {
        SCOPED_TRACE(FormDegree(kind));
        const HeightOf variation = [](std::int64_t column, std::int64_t row) {
            // Exactly representable next to 1000 (multiples of 2^-40), so that both fits see the
            // same variations.
            const double v = 1e-3 * double(column - row) / kWidth + 1e-6 * Noise(column, row);
            return std::ldexp(std::round(std::ldexp(v, 40)), -40);
        };
        FormFit bare(kind, kWidth, kHeight);
        FormFit offset(kind, kWidth, kHeight, kOffset + 0.25);
        const std::vector<std::int64_t> rows = {0, 1, 500, 999, 1000, 1500, 1998, 1999};
        AddRows(bare, kWidth, kHeight, rows, variation);
        AddRows(offset, kWidth, kHeight, rows, [&](std::int64_t column, std::int64_t row) {
            return kOffset + variation(column, row);
        });
        const auto expected = bare.Solve();
        const auto fitted = offset.Solve();
        ASSERT_TRUE(expected && fitted);
        // The constant carries the offset: one rounding of 1000 is 1.1e-13.
        EXPECT_NEAR(fitted->Coefficients[0] - kOffset, expected->Coefficients[0], 2e-13);
        for (std::size_t t = 1; t < expected->Coefficients.size(); ++t)
            EXPECT_NEAR(fitted->Coefficients[t], expected->Coefficients[t], 1e-15) << t;
    }
}

TEST(SurfaceFormTest, ResidualAboutTheFittedForm) {
    constexpr double kE = 0.125;
    struct Case {
        const char* name;
        FormKind kind;
        std::int64_t width, height;
        double (*heightOf)(std::int64_t, std::int64_t);
        double rms, min, max;
    };
    // (x - 2)² on 5 columns: the plane is its mean 2, leaving 2, -1, -2, -1, 2.
    auto parabola = [](std::int64_t x, std::int64_t) { return double((x - 2) * (x - 2)); };
    // A checkerboard of ±e on an even image is orthogonal to 1, x and y.
    auto checkerboard = [](std::int64_t x, std::int64_t y) {
        return 4 + 0.5 * double(x) - 0.25 * double(y) + ((x + y) % 2 ? kE : -kE);
    };
    const Case cases[] = {
        {"parabola, no form", FormKind::None, 5, 4, parabola, std::sqrt(34.0 / 5), 0, 4},
        {"rising, no form", FormKind::None, 4, 2,
         [](std::int64_t x, std::int64_t) { return 3.0 + double(x); },
         std::sqrt((9.0 + 16 + 25 + 36) / 4), 3, 6},
        {"parabola, plane", FormKind::Plane, 5, 4, parabola, std::sqrt(14.0 / 5), -2, 2},
        {"parabola, degree 2", FormKind::Poly2, 5, 4, parabola, 0, 0, 0},
        {"parabola, degree 3", FormKind::Poly3, 5, 4, parabola, 0, 0, 0},
        {"checkerboard, plane", FormKind::Plane, 6, 4, checkerboard, kE, -kE, kE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormFit fit(c.kind, c.width, c.height);
        AddRows(fit, c.width, c.height, {}, c.heightOf);
        const auto form = fit.Solve();
        ASSERT_TRUE(form);
        Residual residual;
        std::vector<double> z(static_cast<std::size_t>(c.width));
        for (std::int64_t row = 0; row < c.height; ++row) {
            for (std::int64_t column = 0; column < c.width; ++column)
                z[std::size_t(column)] = c.heightOf(column, row);
            residual.AddRow(*form, row, 0, z.data(), c.width);
        }
        EXPECT_EQ(residual.Points, c.width * c.height);
        EXPECT_NEAR(residual.Rms(), c.rms, 1e-13);
        EXPECT_NEAR(residual.Min, c.min, 1e-13);
        EXPECT_NEAR(residual.Max, c.max, 1e-13);
    }
}

TEST(SurfaceFormTest, ResidualLeavesHolesOutAndMerges) {
    const SurfaceForm form{FormKind::Plane, 1, 1.5, 0.5, 2, {10, 2, 0}}; // 10 + (x - 1.5)
    // Heights 1 above the plane, then 3 below, one hole per row.
    const double row0[] = {8.5 + 1, kNaN, 10.5 + 1, 11.5 + 1};
    const double row1[] = {kNaN, 9.5 - 3, 10.5 - 3, 11.5 - 3};
    Residual first, second;
    first.AddRow(form, 0, 0, row0, 4);
    second.AddRow(form, 1, 0, row1, 4);
    first.Merge(second);
    EXPECT_EQ(first.Points, 6);
    EXPECT_DOUBLE_EQ(first.SumSquares, 3 * 1 + 3 * 9);
    EXPECT_DOUBLE_EQ(first.Rms(), std::sqrt(30.0 / 6));
    EXPECT_DOUBLE_EQ(first.Min, -3);
    EXPECT_DOUBLE_EQ(first.Max, 1);
    EXPECT_TRUE(std::isnan(Residual{}.Rms()));
}

TEST(SurfaceFormTest, PlaneThroughThreePoints) {
    struct Case {
        const char* name;
        std::int64_t width, height;
        std::array<double, 3> plane; // a + b x + c y
        std::array<std::array<double, 2>, 3> points;
    };
    const Case cases[] = {
        {"corners", 100, 80, {1, 0.5, -0.25}, {{{0, 0}, {99, 0}, {0, 79}}}},
        {"clockwise", 100, 80, {1, 0.5, -0.25}, {{{0, 79}, {99, 0}, {0, 0}}}},
        {"sub-pixel", 10, 10, {-2, 3, 4}, {{{0.25, 0.5}, {7.75, 1.5}, {3.5, 8.25}}}},
        {"offset 1e3 on a wide image",
         100000,
         60000,
         {1e3, 2e-8, -5e-8},
         {{{10, 20}, {99990, 59000}, {50000, 3}}}},
        // Slopes of powers of 2 keep the heights exact: rounded heights 1 pixel apart would give
        // slopes no better than their rounding.
        {"short edges",
         100000,
         100000,
         {5, 0x1p-10, 0x1p-9},
         {{{50000, 50000}, {50001, 50000}, {50000, 50001}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto height = [&](double x, double y) {
            return c.plane[0] + c.plane[1] * x + c.plane[2] * y;
        };
        std::array<std::array<double, 3>, 3> points{};
        for (int p = 0; p < 3; ++p)
            points[p] = {c.points[p][0], c.points[p][1], height(c.points[p][0], c.points[p][1])};
        const auto form = PlaneThroughPoints(points, c.width, c.height);
        ASSERT_TRUE(form);
        EXPECT_EQ(form->Kind, FormKind::ThreePoints);
        EXPECT_EQ(form->Degree, 1);
        const double tolerance = 1e-13 * std::max(1.0, std::abs(c.plane[0]));
        for (const auto& point : points)
            EXPECT_NEAR(form->At(point[0], point[1]), point[2], tolerance);
        EXPECT_NEAR(form->At(c.width - 1.0, c.height - 1.0), height(c.width - 1.0, c.height - 1.0),
                    tolerance * 10);
        const auto pixel = form->PixelCoefficients();
        EXPECT_NEAR(pixel[0], c.plane[0], tolerance);
        const double side = double(std::max(c.width, c.height));
        EXPECT_NEAR(pixel[1] * side, c.plane[1] * side, tolerance * 10);
        EXPECT_NEAR(pixel[2] * side, c.plane[2] * side, tolerance * 10);
    }
}

TEST(SurfaceFormTest, CollinearPointsGiveNoPlane) {
    struct Case {
        const char* name;
        std::array<std::array<double, 3>, 3> points;
    };
    const Case cases[] = {
        {"one point thrice", {{{5, 5, 1}, {5, 5, 2}, {5, 5, 3}}}},
        {"two the same", {{{5, 5, 1}, {9, 2, 2}, {5, 5, 3}}}},
        {"along a row", {{{0, 7, 1}, {50, 7, 2}, {99, 7, 3}}}},
        {"along a column", {{{3, 0, 1}, {3, 40, 2}, {3, 90, 3}}}},
        {"diagonal", {{{0, 0, 1}, {99999, 99999, 2}, {12345, 12345, 3}}}},
        {"sub-pixel", {{{0.5, 0.25, 1}, {1.5, 1.25, 2}, {100.5, 100.25, 3}}}},
        {"off the line by 1e-12", {{{0, 0, 1}, {1000, 1000, 2}, {500, 500 + 1e-12, 3}}}},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(PlaneThroughPoints(c.points, 100000, 100000)) << c.name;
}

TEST(SurfaceFormTest, RefusesFormsThePointsDoNotDetermine) {
    struct Case {
        const char* name;
        FormKind kind;
        bool (*valid)(std::int64_t x, std::int64_t y); // on a 40 × 30 image
        bool determined;
    };
    const Case cases[] = {
        {"no points, no form", FormKind::None, [](auto, auto) { return false; }, true},
        {"no points", FormKind::Plane, [](auto, auto) { return false; }, false},
        {"two points", FormKind::Plane,
         [](auto x, auto y) { return (x == 3 || x == 10) && y == 4; }, false},
        {"three points", FormKind::Plane,
         [](auto x, auto y) {
             return (x == 0 && y == 0) || (x == 39 && y == 0) || (x == 0 && y == 29);
         },
         true},
        {"one row", FormKind::Plane, [](auto, auto y) { return y == 7; }, false},
        {"middle row", FormKind::Plane, [](auto, auto y) { return y == 15; }, false},
        {"one column", FormKind::Plane, [](auto x, auto) { return x == 5; }, false},
        {"diagonal", FormKind::Plane, [](auto x, auto y) { return x == y; }, false},
        {"slanted line", FormKind::Plane, [](auto x, auto y) { return x + 2 * y == 40; }, false},
        {"two rows", FormKind::Plane, [](auto, auto y) { return y == 0 || y == 29; }, true},
        {"cross", FormKind::Plane, [](auto x, auto y) { return x == 20 || y == 3; }, true},
        {"two rows, degree 2", FormKind::Poly2, [](auto, auto y) { return y == 0 || y == 29; },
         false},
        {"two columns, degree 2", FormKind::Poly2, [](auto x, auto) { return x == 1 || x == 30; },
         false},
        {"cross, degree 2", FormKind::Poly2, [](auto x, auto y) { return x == 20 || y == 3; },
         false},
        {"three rows, degree 2", FormKind::Poly2,
         [](auto, auto y) { return y == 0 || y == 9 || y == 29; }, true},
        {"three rows, degree 3", FormKind::Poly3,
         [](auto, auto y) { return y == 0 || y == 9 || y == 29; }, false},
        {"four rows, degree 3", FormKind::Poly3,
         [](auto, auto y) { return y == 0 || y == 9 || y == 20 || y == 29; }, true},
        {"nine points, degree 3", FormKind::Poly3,
         [](auto x, auto y) { return x % 15 == 0 && y % 12 == 0; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormFit fit(c.kind, 40, 30);
        AddRows(fit, 40, 30, {}, [&](std::int64_t x, std::int64_t y) {
            return c.valid(x, y) ? 1 + 0.5 * double(x) - 0.25 * double(y) : kNaN;
        });
        EXPECT_EQ(fit.Solve().has_value(), c.determined);
    }
}

// Holes in an exact plane change neither the plane nor anything but the number of points.
TEST(SurfaceFormTest, HolesAreLeftOut) {
    struct Case {
        const char* name;
        bool (*hole)(std::int64_t x, std::int64_t y); // on a 37 × 23 image
    };
    const Case cases[] = {
        {"no holes", [](auto, auto) { return false; }},
        {"checkerboard", [](auto x, auto y) { return (x + y) % 2 == 0; }},
        {"whole rows", [](auto, auto y) { return y % 3 == 1; }},
        {"first and last columns", [](auto x, auto) { return x == 0 || x == 36; }},
        {"a block", [](auto x, auto y) { return x > 5 && x < 30 && y > 4 && y < 20; }},
        {"most of it", [](auto x, auto y) { return (x * 7 + y * 13) % 10 != 0; }},
    };
    auto plane = [](std::int64_t x, std::int64_t y) {
        return 5 + 0.75 * double(x) - 0.5 * double(y);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::int64_t expectedPoints = 0;
        for (std::int64_t y = 0; y < 23; ++y)
            for (std::int64_t x = 0; x < 37; ++x)
                expectedPoints += !c.hole(x, y);
        for (FormKind kind : {FormKind::Plane, FormKind::Poly2, FormKind::Poly3}) {
            FormFit fit(kind, 37, 23);
            AddRows(fit, 37, 23, {}, [&](std::int64_t x, std::int64_t y) {
                return c.hole(x, y) ? kNaN : plane(x, y);
            });
            EXPECT_EQ(fit.Points(), expectedPoints);
            const auto form = fit.Solve();
            ASSERT_TRUE(form);
            const auto pixel = form->PixelCoefficients();
            const double expected[] = {5, 0.75, -0.5};
            for (std::size_t t = 0; t < pixel.size(); ++t)
                EXPECT_NEAR(pixel[t], t < 3 ? expected[t] : 0.0, 1e-12) << FormDegree(kind);
        }
    }
}

// Rows in any order, cut into pieces and spread over several fits that are merged, give the
// same sums, to rounding, as one fit of the rows in order.
TEST(SurfaceFormTest, OrderAndMergingDoNotMatter) {
    constexpr std::int64_t kWidth = 301, kHeight = 203;
    const HeightOf heightOf = [](std::int64_t x, std::int64_t y) {
        if ((x * 31 + y * 17) % 23 == 0)
            return kNaN;
        const double u = double(x) / kWidth, v = double(y) / kWidth;
        return 50 + u - 2 * v + 3 * u * u * v - v * v * v + 0.01 * Noise(x, y);
    };
    for (FormKind kind : {FormKind::Plane, FormKind::Poly2, FormKind::Poly3}) {
        SCOPED_TRACE(FormDegree(kind));
        FormFit inOrder(kind, kWidth, kHeight, 50);
        AddRows(inOrder, kWidth, kHeight, {}, heightOf);

        std::vector<std::int64_t> rows(kHeight);
        for (std::int64_t row = 0; row < kHeight; ++row)
            rows[std::size_t(row)] = row;
        std::mt19937 random(7);
        std::shuffle(rows.begin(), rows.end(), random);
        std::vector<FormFit> fits(3, FormFit(kind, kWidth, kHeight, 50));
        std::size_t next = 0;
        std::vector<double> z(kWidth);
        for (std::int64_t row : rows) {
            for (std::int64_t x = 0; x < kWidth; ++x)
                z[std::size_t(x)] = heightOf(x, row);
            // Up to three pieces, handed to different fits, last piece first.
            const std::int64_t cut1 = std::int64_t(random() % kWidth);
            const std::int64_t cut2 = cut1 + std::int64_t(random() % (kWidth - cut1));
            fits[next++ % 3].AddRow(row, cut2, z.data() + cut2, kWidth - cut2);
            fits[next++ % 3].AddRow(row, cut1, z.data() + cut1, cut2 - cut1);
            fits[next++ % 3].AddRow(row, 0, z.data(), cut1);
        }
        fits[2].Merge(fits[0]);
        fits[2].Merge(fits[1]);
        EXPECT_EQ(fits[2].Points(), inOrder.Points());
        const auto expected = inOrder.Solve();
        const auto merged = fits[2].Solve();
        ASSERT_TRUE(expected && merged);
        for (std::size_t t = 0; t < expected->Coefficients.size(); ++t)
            EXPECT_NEAR(merged->Coefficients[t], expected->Coefficients[t], 1e-13) << t;
    }
}

// Row totals of very different sizes: a plain double sum would lose the small ones.
TEST(SurfaceFormTest, CompensatedSumsKeepWhatRoundingDrops) {
    struct Case {
        const char* name;
        std::vector<double> first, second; // added to two sums, which are merged
        double total;
    };
    const Case cases[] = {
        {"small after large", {1e16, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {}, 1e16 + 10},
        {"large cancels", {1e16, 1, 1, 1}, {-1e16, 1, 1}, 5},
        {"large comes second", {1, 1, 1}, {1e16, 1, -1e16}, 4},
        {"small first", {1e-16, 1, -1}, {}, 1e-16},
    };
    for (const Case& c : cases) {
        CompensatedSum first, second;
        for (double value : c.first)
            first.Add(value);
        for (double value : c.second)
            second.Add(value);
        first.Add(second);
        EXPECT_EQ(first.Value(), c.total) << c.name;
    }
}

TEST(SurfaceFormTest, MergeRefusesDifferentFits) {
    const FormFit fit(FormKind::Plane, 100, 50, 3);
    struct Case {
        const char* name;
        FormFit other;
    };
    const Case cases[] = {
        {"kind", FormFit(FormKind::Poly2, 100, 50, 3)},
        {"width", FormFit(FormKind::Plane, 101, 50, 3)},
        {"height", FormFit(FormKind::Plane, 100, 51, 3)},
        {"reference", FormFit(FormKind::Plane, 100, 50, 4)},
    };
    for (const Case& c : cases) {
        FormFit copy = fit;
        EXPECT_THROW(copy.Merge(c.other), std::invalid_argument) << c.name;
    }
    FormFit same = fit;
    EXPECT_NO_THROW(same.Merge(fit));
}

} // namespace
