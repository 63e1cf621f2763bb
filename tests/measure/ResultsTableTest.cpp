// The Results table's rows and CSV text.
#include "measure/ResultsTable.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

using namespace orvane::measure;

TEST(ResultsCsv, OneLinePerRowUnderTheHeaders) {
    ArealOutcome areal;
    areal.Rect = {1, 2, 10, 20};
    areal.Millimetres = true;
    areal.AreaMm2 = 0.1 + 0.2; // written with the digits that read back to it
    ArealFigures f;
    f.Valid = 190;
    f.Sa = 0.5;
    f.Sq = 1.0 / 3.0;
    areal.Figures = f;
    ResultRow area = ArealResultRow(QStringLiteral("scan, 2.tif"), areal, FormKind::Plane);

    orvane::view2d::Profile profile;
    profile.HeightsKnown = true;
    profile.Statistics.Ra = 2.5;
    profile.Statistics.Min = -1;
    profile.Statistics.Max = 3;
    RoughnessFigures r;
    r.LambdaCMm = 0.8;
    r.Ra = 0.125;
    const ResultRow line =
        ProfileResultRow(QStringLiteral("a\"b.tif"), {0, 0, 5, 7}, profile, FormKind::None, r);

    const QString csv = ResultsCsv({area, line});
    const QStringList lines = csv.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4); // headers, two rows, and the empty piece after the last "\n"
    EXPECT_EQ(lines[0], ResultHeaders().join(QLatin1Char(',')));
    EXPECT_TRUE(lines[1].startsWith(
        QStringLiteral("area,\"scan, 2.tif\",\"(1, 2) - (10, 20)\",plane,,mm,0.5,"
                       "0.3333333333333333,")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(",190,0,0.30000000000000004")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(
        QStringLiteral("profile,\"a\"\"b.tif\",\"(0, 0) - (5, 7)\",none,0.8,mm,0.125,")))
        << lines[2].toStdString();
    // Every line has as many fields as the headers (no quoted field holds a comma here but the
    // file's and the place's).
    EXPECT_EQ(lines.last(), QString());
    const QStringList cells = ResultCells(line);
    EXPECT_EQ(cells.size(), ResultHeaders().size());
    EXPECT_EQ(cells[std::size_t(6) + std::size_t(ResultColumn::Pt)], QStringLiteral("4"));
}

} // namespace
