#pragma once
// The rows of the Results table: one per measurement (a profile, an area), with where it was
// taken, how the surface was levelled, and its parameters; and the table as CSV text.
#include "measure/Roughness.h"
#include "measure/SurfacePasses.h"
#include "view2d/Profile.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace orvane::measure {

// The parameter columns, in table order: the areal figures and the roughness profile's share
// columns by meaning (Sa beside Ra), the primary profile's follow.
enum class ResultColumn {
    A,  // Sa, Ra
    Q,  // Sq, Rq
    P,  // Sp, Rp
    V,  // Sv, Rv
    Z,  // Sz, Rz
    Sk, // Ssk, Rsk
    Ku, // Sku, Rku
    Rt, // roughness profile only
    Pa, // primary profile
    Pq,
    Pt,
    Mean,
    Min,
    Max,
    Valid,
    NoData,
    AreaMm2,
    Count
};
constexpr std::size_t kResultColumns = std::size_t(ResultColumn::Count);

struct ResultRow {
    QString Kind;      // "profile" or "area"
    QString File;      // the file's name
    QString Place;     // file pixels: "(c1, r1) - (c2, r2)"
    QString Levelling; // "none", "plane", "3 points", "poly 2", "poly 3"
    std::optional<double> LambdaCMm;
    QString Unit; // the heights' unit: "mm", or "value"/"sample" when the file gives none
    std::array<std::optional<double>, kResultColumns> Values{};
};

// The headers of every column, the fixed ones first.
QStringList ResultHeaders();

ResultRow ProfileResultRow(const QString& file, const view2d::ProfileLine& line,
                           const view2d::Profile& profile, FormKind levelling,
                           const std::optional<RoughnessFigures>& roughness);
ResultRow ArealResultRow(const QString& file, const ArealOutcome& areal, FormKind levelling);

// The cells of a row as the table shows them: numbers with six significant digits.
QStringList ResultCells(const ResultRow& row);

// CSV text of the rows under the headers: numbers with the fewest digits that read back to the
// same double, "." whatever the locale, empty fields for what a row has not, texts quoted when
// they hold a comma, a quote or a line break; lines end with "\n".
QString ResultsCsv(const std::vector<ResultRow>& rows);

} // namespace orvane::measure
