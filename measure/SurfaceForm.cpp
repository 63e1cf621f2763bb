#include "measure/SurfaceForm.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace orvane::measure {

namespace {

constexpr int kMaxDegree = 3;
constexpr int kMaxTerms = 10;        // FormTerms(kMaxDegree)
constexpr std::int64_t kChunk = 512; // pixels of form evaluated at a time on the stack
constexpr std::size_t kSpanCacheSize = 32;

// A scaled pivot is 1 - R², R the multiple correlation of a term with the terms already taken
// on the points: below this, the term's coefficient would lose all but a few digits, so the
// points are taken not to determine it. Exact dependence leaves about 1e-16.
constexpr double kRankTolerance = 1e-12;
// Three points whose edges make a smaller sine than this are on one line.
constexpr double kCollinearTolerance = 1e-9;

// The place of u^a v^b in the order 1, u, v, u², uv, v², ...: by total degree, then by the
// power of v.
constexpr int TermIndex(int a, int b) {
    const int total = a + b;
    return total * (total + 1) / 2 + b;
}

double CoefficientOf(const SurfaceForm& form, int a, int b) {
    const std::size_t index = std::size_t(TermIndex(a, b));
    return index < form.Coefficients.size() ? form.Coefficients[index] : 0.0;
}

int DegreeOf(const SurfaceForm& form) {
    return std::clamp(form.Degree, 0, kMaxDegree);
}

// The form along one row as a polynomial in u: e[a] = Σ_b c(a, b) v^b, each by Horner in v.
std::array<double, kMaxDegree + 1> RowPolynomial(const SurfaceForm& form, int degree, double v) {
    std::array<double, kMaxDegree + 1> e{};
    for (int a = 0; a <= degree; ++a) {
        double sum = 0;
        for (int b = degree - a; b >= 0; --b)
            sum = sum * v + CoefficientOf(form, a, b);
        e[a] = sum;
    }
    return e;
}

template <int D> double Horner(const std::array<double, kMaxDegree + 1>& e, double u) {
    double value = e[D];
    for (int a = D - 1; a >= 0; --a)
        value = value * u + e[a];
    return value;
}

template <int D>
void EvaluateRow(const std::array<double, kMaxDegree + 1>& e, double x0, double inverseScale,
                 std::int64_t count, double* out) {
    for (std::int64_t i = 0; i < count; ++i)
        out[i] = Horner<D>(e, (x0 + double(i)) * inverseScale);
}

double InverseScaleOf(const SurfaceForm& form) {
    return 1.0 / form.Scale;
}

// Centre and scale of a width × height image: the middle of the pixel centres, and half the
// larger side, so that u and v stay within about [-1, 1].
struct Frame {
    double centreColumn, centreRow, scale;
};

Frame FrameOf(std::int64_t width, std::int64_t height) {
    const double scale = std::max(1.0, 0.5 * double(std::max(width, height)));
    return {0.5 * double(width - 1), 0.5 * double(height - 1), scale};
}

// Partial sums of one lane of a row: every fourth pixel, so that four chains of adds run side by
// side instead of each add waiting on the one before. Kept as separate locals (not an array
// indexed by lane) so that the compiler holds them in registers.
template <int Powers> struct Lane {
    double sums[Powers] = {};
    double valid = 0;
};

// Adds u^k (z - reference), k = 0 .. D, of one pixel to a lane; NaN adds nothing.
template <int D>
inline void AddHeightPowers(Lane<D + 1>& lane, double height, double u, double reference) {
    const bool isValid = height == height;
    double p = isValid ? height - reference : 0.0;
    lane.valid += isValid ? 1.0 : 0.0;
    lane.sums[0] += p;
    for (int k = 1; k <= D; ++k) {
        p *= u;
        lane.sums[k] += p;
    }
}

// Adds u^k, k = 0 .. 2D, of one pixel with a valid height to a lane.
template <int D> inline void AddUPowers(Lane<2 * D + 1>& lane, double height, double u) {
    double p = height == height ? 1.0 : 0.0;
    lane.sums[0] += p;
    for (int k = 1; k <= 2 * D; ++k) {
        p *= u;
        lane.sums[k] += p;
    }
}

// Runs add(lane, height, u) over a row in four lanes and gives the lanes' pairwise total.
// u = (x0 + i) · inverseScale for z[i]; the positions stay exact doubles, cheaper than
// converting i.
template <int Powers, typename Add>
Lane<Powers> SumOverRow(const double* z, std::int64_t count, double x0, double inverseScale,
                        Add add) {
    Lane<Powers> lane0, lane1, lane2, lane3;
    double position = x0;
    std::int64_t i = 0;
    for (; i + 4 <= count; i += 4, position += 4) {
        add(lane0, z[i], position * inverseScale);
        add(lane1, z[i + 1], (position + 1) * inverseScale);
        add(lane2, z[i + 2], (position + 2) * inverseScale);
        add(lane3, z[i + 3], (position + 3) * inverseScale);
    }
    for (; i < count; ++i, position += 1)
        add(lane0, z[i], position * inverseScale);
    Lane<Powers> total;
    for (int k = 0; k < Powers; ++k)
        total.sums[k] = (lane0.sums[k] + lane1.sums[k]) + (lane2.sums[k] + lane3.sums[k]);
    total.valid = (lane0.valid + lane1.valid) + (lane2.valid + lane3.valid);
    return total;
}

// Σ u^k (z - reference), k = 0 .. D, over the valid heights of a row; returns their number.
template <int D>
std::int64_t SumHeightPowers(const double* z, std::int64_t count, double x0, double inverseScale,
                             double reference, double* sums) {
    const Lane<D + 1> total = SumOverRow<D + 1>(
        z, count, x0, inverseScale, [reference](Lane<D + 1>& lane, double height, double u) {
            AddHeightPowers<D>(lane, height, u, reference);
        });
    std::copy(total.sums, total.sums + D + 1, sums);
    return std::int64_t(total.valid);
}

// Σ u^k, k = 0 .. 2D, over the valid heights of a row with holes.
template <int D>
void SumValidUPowers(const double* z, std::int64_t count, double x0, double inverseScale,
                     double* sums) {
    const Lane<2 * D + 1> total = SumOverRow<2 * D + 1>(
        z, count, x0, inverseScale,
        [](Lane<2 * D + 1>& lane, double height, double u) { AddUPowers<D>(lane, height, u); });
    std::copy(total.sums, total.sums + 2 * D + 1, sums);
}

// Solves the normal equations a·x = r of n terms. Jacobi scaling makes the diagonal 1, so the
// pivots of the pivoted Cholesky factorisation measure how far each term is from the span of
// the others; nothing when one falls below kRankTolerance.
std::optional<std::array<double, kMaxTerms>>
SolveNormalEquations(std::array<std::array<double, kMaxTerms>, kMaxTerms> a,
                     std::array<double, kMaxTerms> r, int n) {
    std::array<double, kMaxTerms> scale{};
    for (int p = 0; p < n; ++p) {
        if (!(a[p][p] > 0) || !std::isfinite(a[p][p]))
            return std::nullopt;
        scale[p] = 1.0 / std::sqrt(a[p][p]);
    }
    for (int p = 0; p < n; ++p) {
        for (int q = 0; q < n; ++q)
            a[p][q] *= scale[p] * scale[q];
        r[p] *= scale[p];
    }

    // Outer-product Cholesky with symmetric pivoting: after step k, the lower triangle of
    // columns 0..k holds L, the trailing block the Schur complement.
    std::array<int, kMaxTerms> order{};
    for (int p = 0; p < n; ++p)
        order[p] = p;
    for (int k = 0; k < n; ++k) {
        int pivot = k;
        for (int p = k + 1; p < n; ++p)
            if (a[p][p] > a[pivot][pivot])
                pivot = p;
        if (!(a[pivot][pivot] > kRankTolerance))
            return std::nullopt;
        if (pivot != k) {
            std::swap(a[k], a[pivot]);
            for (int p = 0; p < n; ++p)
                std::swap(a[p][k], a[p][pivot]);
            std::swap(order[k], order[pivot]);
        }
        const double diagonal = std::sqrt(a[k][k]);
        a[k][k] = diagonal;
        for (int p = k + 1; p < n; ++p)
            a[p][k] /= diagonal;
        for (int p = k + 1; p < n; ++p)
            for (int q = k + 1; q <= p; ++q) {
                a[p][q] -= a[p][k] * a[q][k];
                a[q][p] = a[p][q];
            }
    }

    std::array<double, kMaxTerms> y{};
    for (int p = 0; p < n; ++p) {
        double sum = r[order[p]];
        for (int q = 0; q < p; ++q)
            sum -= a[p][q] * y[q];
        y[p] = sum / a[p][p];
    }
    for (int p = n - 1; p >= 0; --p) {
        double sum = y[p];
        for (int q = p + 1; q < n; ++q)
            sum -= a[q][p] * y[q];
        y[p] = sum / a[p][p];
    }
    std::array<double, kMaxTerms> x{};
    for (int p = 0; p < n; ++p)
        x[order[p]] = y[p] * scale[order[p]];
    return x;
}

} // namespace

int FormDegree(FormKind kind) {
    switch (kind) {
    case FormKind::None:
        return 0;
    case FormKind::Plane:
    case FormKind::ThreePoints:
        return 1;
    case FormKind::Poly2:
        return 2;
    case FormKind::Poly3:
        return 3;
    }
    return 0;
}

int FormTerms(int degree) {
    return (degree + 1) * (degree + 2) / 2;
}

double SurfaceForm::At(double column, double row) const {
    const double inverseScale = InverseScaleOf(*this);
    const int degree = DegreeOf(*this);
    const auto e = RowPolynomial(*this, degree, (row - CentreRow) * inverseScale);
    const double u = (column - CentreColumn) * inverseScale;
    switch (degree) {
    case 0:
        return Horner<0>(e, u);
    case 1:
        return Horner<1>(e, u);
    case 2:
        return Horner<2>(e, u);
    default:
        return Horner<3>(e, u);
    }
}

void SurfaceForm::Row(std::int64_t row, std::int64_t firstColumn, std::int64_t count,
                      double* out) const {
    if (count <= 0)
        return;
    const double inverseScale = InverseScaleOf(*this);
    const int degree = DegreeOf(*this);
    const auto e = RowPolynomial(*this, degree, (double(row) - CentreRow) * inverseScale);
    // Exact: pixel indices and half-pixel centres are far below 2^53.
    const double x0 = double(firstColumn) - CentreColumn;
    switch (degree) {
    case 0:
        std::fill(out, out + count, e[0]);
        break;
    case 1:
        EvaluateRow<1>(e, x0, inverseScale, count, out);
        break;
    case 2:
        EvaluateRow<2>(e, x0, inverseScale, count, out);
        break;
    default:
        EvaluateRow<3>(e, x0, inverseScale, count, out);
        break;
    }
}

std::vector<double> SurfaceForm::PixelCoefficients() const {
    const int degree = DegreeOf(*this);
    // u^a v^b = s^-(a+b) Σ_i C(a,i) x^i (-cx)^(a-i) Σ_j C(b,j) y^j (-cy)^(b-j); long double
    // because the terms of the constant can be far larger than their sum.
    long double binomial[kMaxDegree + 1][kMaxDegree + 1] = {};
    for (int n = 0; n <= kMaxDegree; ++n) {
        binomial[n][0] = 1;
        for (int k = 1; k <= n; ++k)
            binomial[n][k] = binomial[n - 1][k - 1] + (k <= n - 1 ? binomial[n - 1][k] : 0);
    }
    long double columnPowers[kMaxDegree + 1], rowPowers[kMaxDegree + 1],
        scalePowers[2 * kMaxDegree + 1];
    columnPowers[0] = rowPowers[0] = scalePowers[0] = 1;
    for (int k = 1; k <= 2 * kMaxDegree; ++k)
        scalePowers[k] = scalePowers[k - 1] / (long double)Scale;
    for (int k = 1; k <= kMaxDegree; ++k) {
        columnPowers[k] = columnPowers[k - 1] * -(long double)CentreColumn;
        rowPowers[k] = rowPowers[k - 1] * -(long double)CentreRow;
    }
    std::vector<long double> sums(std::size_t(FormTerms(degree)), 0);
    for (int a = 0; a <= degree; ++a)
        for (int b = 0; a + b <= degree; ++b) {
            const long double c = (long double)CoefficientOf(*this, a, b) * scalePowers[a + b];
            for (int i = 0; i <= a; ++i)
                for (int j = 0; j <= b; ++j)
                    sums[std::size_t(TermIndex(i, j))] += c * binomial[a][i] * columnPowers[a - i] *
                                                          binomial[b][j] * rowPowers[b - j];
        }
    return std::vector<double>(sums.begin(), sums.end());
}

void CompensatedSum::Add(double value) {
    const double total = Sum + value;
    if (std::abs(Sum) >= std::abs(value))
        Carry += (Sum - total) + value;
    else
        Carry += (value - total) + Sum;
    Sum = total;
}

void CompensatedSum::Add(const CompensatedSum& other) {
    Add(other.Sum);
    Carry += other.Carry;
}

FormFit::FormFit(FormKind kind, std::int64_t width, std::int64_t height, double referenceHeight)
    : kind_(kind == FormKind::ThreePoints ? FormKind::Plane : kind), degree_(FormDegree(kind)),
      referenceHeight_(referenceHeight) {
    const Frame frame = FrameOf(width, height);
    centreColumn_ = frame.centreColumn;
    centreRow_ = frame.centreRow;
    scale_ = frame.scale;
    inverseScale_ = 1.0 / scale_;
}

const FormFit::SpanSums& FormFit::SpanSumsOf(std::int64_t firstColumn, std::int64_t count) {
    for (const SpanSums& span : spans_)
        if (span.firstColumn == firstColumn && span.count == count)
            return span;
    SpanSums span{firstColumn, count, {}};
    long double sums[7] = {};
    const double x0 = double(firstColumn) - centreColumn_;
    for (std::int64_t i = 0; i < count; ++i) {
        const long double u = (x0 + double(i)) * inverseScale_;
        long double p = 1;
        for (int k = 0; k <= 2 * degree_; ++k) {
            sums[k] += p;
            p *= u;
        }
    }
    for (int k = 0; k <= 2 * degree_; ++k)
        span.uPowers[std::size_t(k)] = double(sums[k]);
    if (spans_.size() < kSpanCacheSize) {
        spans_.push_back(span);
        return spans_.back();
    }
    // Full: replace in turn; a reader with this many distinct spans pays one more pass.
    SpanSums& slot = spans_[nextSpan_];
    nextSpan_ = (nextSpan_ + 1) % kSpanCacheSize;
    slot = span;
    return slot;
}

void FormFit::AddRow(std::int64_t row, std::int64_t firstColumn, const double* z,
                     std::int64_t count) {
    if (count <= 0)
        return;
    const double x0 = double(firstColumn) - centreColumn_;
    double heightPowers[kMaxDegree + 1] = {};
    std::int64_t valid = 0;
    switch (degree_) {
    case 0:
        valid = SumHeightPowers<0>(z, count, x0, inverseScale_, referenceHeight_, heightPowers);
        break;
    case 1:
        valid = SumHeightPowers<1>(z, count, x0, inverseScale_, referenceHeight_, heightPowers);
        break;
    case 2:
        valid = SumHeightPowers<2>(z, count, x0, inverseScale_, referenceHeight_, heightPowers);
        break;
    default:
        valid = SumHeightPowers<3>(z, count, x0, inverseScale_, referenceHeight_, heightPowers);
        break;
    }
    if (valid == 0)
        return;
    points_ += valid;

    double uPowers[2 * kMaxDegree + 1] = {};
    if (valid == count) {
        const SpanSums& span = SpanSumsOf(firstColumn, count);
        std::copy(span.uPowers.begin(), span.uPowers.end(), uPowers);
    } else {
        switch (degree_) {
        case 0:
            SumValidUPowers<0>(z, count, x0, inverseScale_, uPowers);
            break;
        case 1:
            SumValidUPowers<1>(z, count, x0, inverseScale_, uPowers);
            break;
        case 2:
            SumValidUPowers<2>(z, count, x0, inverseScale_, uPowers);
            break;
        default:
            SumValidUPowers<3>(z, count, x0, inverseScale_, uPowers);
            break;
        }
    }

    // The row's totals times the powers of its v join the image-wide sums.
    double vPowers[2 * kMaxDegree + 1];
    const double v = (double(row) - centreRow_) * inverseScale_;
    vPowers[0] = 1;
    for (int k = 1; k <= 2 * degree_; ++k)
        vPowers[k] = vPowers[k - 1] * v;
    for (int total = 0; total <= 2 * degree_; ++total)
        for (int b = 0; b <= total; ++b)
            uvSums_[std::size_t(TermIndex(total - b, b))].Add(uPowers[total - b] * vPowers[b]);
    for (int total = 0; total <= degree_; ++total)
        for (int b = 0; b <= total; ++b)
            heightSums_[std::size_t(TermIndex(total - b, b))].Add(heightPowers[total - b] *
                                                                  vPowers[b]);
}

void FormFit::Merge(const FormFit& other) {
    if (other.kind_ != kind_ || other.centreColumn_ != centreColumn_ ||
        other.centreRow_ != centreRow_ || other.scale_ != scale_ ||
        other.referenceHeight_ != referenceHeight_)
        throw std::invalid_argument("FormFit::Merge: fits of different forms or images");
    points_ += other.points_;
    for (std::size_t i = 0; i < uvSums_.size(); ++i)
        uvSums_[i].Add(other.uvSums_[i]);
    for (std::size_t i = 0; i < heightSums_.size(); ++i)
        heightSums_[i].Add(other.heightSums_[i]);
}

std::optional<SurfaceForm> FormFit::Solve() const {
    SurfaceForm form;
    form.Kind = kind_;
    form.Degree = degree_;
    form.CentreColumn = centreColumn_;
    form.CentreRow = centreRow_;
    form.Scale = scale_;
    if (kind_ == FormKind::None)
        return form;

    const int n = FormTerms(degree_);
    if (points_ < n)
        return std::nullopt;
    // Term p is u^a v^b; the normal matrix pairs terms p and q in Σ u^(a+a') v^(b+b').
    int powerOfU[kMaxTerms], powerOfV[kMaxTerms];
    for (int total = 0, p = 0; total <= degree_; ++total)
        for (int b = 0; b <= total; ++b, ++p) {
            powerOfU[p] = total - b;
            powerOfV[p] = b;
        }
    std::array<std::array<double, kMaxTerms>, kMaxTerms> a{};
    std::array<double, kMaxTerms> r{};
    for (int p = 0; p < n; ++p) {
        for (int q = 0; q < n; ++q)
            a[p][q] = uvSums_[std::size_t(
                                  TermIndex(powerOfU[p] + powerOfU[q], powerOfV[p] + powerOfV[q]))]
                          .Value();
        r[p] = heightSums_[std::size_t(p)].Value();
    }
    const auto x = SolveNormalEquations(a, r, n);
    if (!x)
        return std::nullopt;
    form.Coefficients.assign(x->begin(), x->begin() + n);
    form.Coefficients[0] += referenceHeight_;
    return form;
}

std::optional<SurfaceForm>
PlaneThroughPoints(const std::array<std::array<double, 3>, 3>& columnRowHeight, std::int64_t width,
                   std::int64_t height) {
    const Frame frame = FrameOf(width, height);
    const auto& p0 = columnRowHeight[0];
    const auto& p1 = columnRowHeight[1];
    const auto& p2 = columnRowHeight[2];
    // Edges from the first point, in pixels, where differences of pixel positions are exact.
    const double dx1 = p1[0] - p0[0], dy1 = p1[1] - p0[1], dz1 = p1[2] - p0[2];
    const double dx2 = p2[0] - p0[0], dy2 = p2[1] - p0[1], dz2 = p2[2] - p0[2];
    const double cross = dx1 * dy2 - dy1 * dx2;
    const double lengths = std::hypot(dx1, dy1) * std::hypot(dx2, dy2);
    if (!(std::abs(cross) > kCollinearTolerance * lengths))
        return std::nullopt;
    // Slopes per pixel by Cramer's rule, then per unit of u and v.
    const double slopeX = (dz1 * dy2 - dy1 * dz2) / cross;
    const double slopeY = (dx1 * dz2 - dz1 * dx2) / cross;
    SurfaceForm form;
    form.Kind = FormKind::ThreePoints;
    form.Degree = 1;
    form.CentreColumn = frame.centreColumn;
    form.CentreRow = frame.centreRow;
    form.Scale = frame.scale;
    const double inverseScale = 1.0 / frame.scale;
    const double slopeU = slopeX * frame.scale, slopeV = slopeY * frame.scale;
    // The constant that puts the plane through the points' centroid spreads the rounding over
    // the three instead of favouring the first.
    double constant = 0;
    for (const auto& point : columnRowHeight)
        constant += point[2] - slopeU * ((point[0] - frame.centreColumn) * inverseScale) -
                    slopeV * ((point[1] - frame.centreRow) * inverseScale);
    form.Coefficients = {constant / 3, slopeU, slopeV};
    return form;
}

void Residual::AddRow(const SurfaceForm& form, std::int64_t row, std::int64_t firstColumn,
                      const double* z, std::int64_t count) {
    double formHeights[kChunk];
    double sumSquares = 0, low = Min, high = Max;
    std::int64_t valid = 0;
    for (std::int64_t start = 0; start < count; start += kChunk) {
        const std::int64_t n = std::min(kChunk, count - start);
        form.Row(row, firstColumn + start, n, formHeights);
        for (std::int64_t i = 0; i < n; ++i) {
            const double height = z[start + i];
            if (height != height)
                continue;
            const double d = height - formHeights[i];
            sumSquares += d * d;
            low = std::min(low, d);
            high = std::max(high, d);
            ++valid;
        }
    }
    Points += valid;
    SumSquares += sumSquares;
    Min = low;
    Max = high;
}

void Residual::Merge(const Residual& other) {
    Points += other.Points;
    SumSquares += other.SumSquares;
    Min = std::min(Min, other.Min);
    Max = std::max(Max, other.Max);
}

double Residual::Rms() const {
    if (Points == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return std::sqrt(SumSquares / double(Points));
}

} // namespace orvane::measure
