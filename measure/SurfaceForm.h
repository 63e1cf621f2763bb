#pragma once

// Form removal: the least-squares plane or polynomial surface of a height map, gathered row by
// row on several reading threads and merged, and the residual heights about it. Pure standard
// C++; heights are in the file's unit, positions in file pixels (column, row) from the top-left
// pixel's centre, rows downwards. NaN heights have no value and are left out everywhere.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace orvane::measure {

enum class FormKind { None, Plane, ThreePoints, Poly2, Poly3 };

// 0 for None, 1 for either plane, 2 and 3 for the polynomials.
int FormDegree(FormKind kind);

// The number of terms of a polynomial of this degree in two variables: (d + 1)(d + 2) / 2.
int FormTerms(int degree);

// A polynomial surface in centred, scaled coordinates u = (column - CentreColumn) / Scale,
// v = (row - CentreRow) / Scale (Scale = half the larger of width and height, at least 1), so
// that the normal equations of large images stay well conditioned.
struct SurfaceForm {
    FormKind Kind = FormKind::None;
    int Degree = 0;
    double CentreColumn = 0, CentreRow = 0, Scale = 1;
    // In u, v, the order 1, u, v, u², uv, v², u³, u²v, uv², v³ as far as the degree goes.
    // Missing ones count as 0: a form without coefficients is flat at 0.
    std::vector<double> Coefficients;

    // The form's height.
    double At(double column, double row) const;
    // out[i] = At(firstColumn + i, row), with a few multiply-adds per pixel.
    void Row(std::int64_t row, std::int64_t firstColumn, std::int64_t count, double* out) const;
    // The same polynomial in x = column, y = row, same term order: the binomial expansion of the
    // scaled form, for reporting. As many terms as the degree has.
    std::vector<double> PixelCoefficients() const;
};

// A sum that keeps the rounding error of its additions (Neumaier), for adding up many row
// totals of very different sizes.
struct CompensatedSum {
    double Sum = 0, Carry = 0;

    void Add(double value);
    void Add(const CompensatedSum& other);
    double Value() const { return Sum + Carry; }
};

// The least-squares sums of one reading thread; merge the threads' fits, then Solve.
class FormFit {
public:
    // The image's size in pixels sets the centre and scale. Heights are summed less
    // referenceHeight (any height near the data, the same for every fit that is merged), so
    // that a large offset does not swamp small variations; Solve adds it back.
    // ThreePoints has no sums of its own: a fit of that kind gives the least-squares plane.
    FormFit(FormKind kind, std::int64_t width, std::int64_t height, double referenceHeight = 0);

    // z[i] is the height of pixel (firstColumn + i, row); rows may come in any order.
    void AddRow(std::int64_t row, std::int64_t firstColumn, const double* z, std::int64_t count);
    // Adds the sums of a fit of the same kind, size and reference height (else
    // std::invalid_argument).
    void Merge(const FormFit& other);
    // The valid heights summed.
    std::int64_t Points() const { return points_; }

    // The least-squares form; nothing when the points do not determine it (fewer points than
    // terms, all on a line for a plane, on too few rows or columns for a polynomial). Kind None
    // gives the flat form at 0 whatever the points.
    std::optional<SurfaceForm> Solve() const;

private:
    // The sums over u of a row span without holes, kept because readers hand the same spans
    // (whole rows, tile columns) over and over.
    struct SpanSums {
        std::int64_t firstColumn, count;
        std::array<double, 7> uPowers; // Σ u^k, k = 0 .. 2·degree
    };
    const SpanSums& SpanSumsOf(std::int64_t firstColumn, std::int64_t count);

    FormKind kind_;
    int degree_;
    double centreColumn_, centreRow_, scale_, inverseScale_, referenceHeight_;
    std::int64_t points_ = 0;
    // Σ u^a v^b for a + b <= 2·degree, and Σ u^a v^b (z - reference) for a + b <= degree, in
    // the term order of SurfaceForm extended to degree 6.
    std::array<CompensatedSum, 28> uvSums_;
    std::array<CompensatedSum, 10> heightSums_;
    std::vector<SpanSums> spans_;
    std::size_t nextSpan_ = 0;
};

// The plane through three (column, row, height) points, in the centred coordinates of a
// width × height image; nothing when the points are (nearly) on one line.
std::optional<SurfaceForm>
PlaneThroughPoints(const std::array<std::array<double, 3>, 3>& columnRowHeight, std::int64_t width,
                   std::int64_t height);

// The heights less a form over the valid pixels, gathered like a FormFit in a second pass (the
// sum of squares is summed directly: deriving it from the normal equations cancels).
struct Residual {
    std::int64_t Points = 0;
    double SumSquares = 0;
    // +inf and -inf until a valid height comes.
    double Min = std::numeric_limits<double>::infinity();
    double Max = -std::numeric_limits<double>::infinity();

    void AddRow(const SurfaceForm& form, std::int64_t row, std::int64_t firstColumn,
                const double* z, std::int64_t count);
    void Merge(const Residual& other);
    // sqrt(SumSquares / Points); NaN without points.
    double Rms() const;
};

} // namespace orvane::measure
