#include "measure/ResultsTable.h"

#include <QLocale>

namespace orvane::measure {

namespace {

QString Shortest(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString PlaceText(std::int64_t c1, std::int64_t r1, std::int64_t c2, std::int64_t r2) {
    return QStringLiteral("(%1, %2) - (%3, %4)").arg(c1).arg(r1).arg(c2).arg(r2);
}

void Put(ResultRow& row, ResultColumn column, const std::optional<double>& value) {
    row.Values[std::size_t(column)] = value;
}

} // namespace

QStringList ResultHeaders() {
    return {QStringLiteral("kind"),
            QStringLiteral("file"),
            QStringLiteral("place (px)"),
            QStringLiteral("levelling"),
            QStringLiteral("lambda_c (mm)"),
            QStringLiteral("unit"),
            QStringLiteral("Sa/Ra"),
            QStringLiteral("Sq/Rq"),
            QStringLiteral("Sp/Rp"),
            QStringLiteral("Sv/Rv"),
            QStringLiteral("Sz/Rz"),
            QStringLiteral("Ssk/Rsk"),
            QStringLiteral("Sku/Rku"),
            QStringLiteral("Rt"),
            QStringLiteral("Pa"),
            QStringLiteral("Pq"),
            QStringLiteral("Pt"),
            QStringLiteral("mean"),
            QStringLiteral("min"),
            QStringLiteral("max"),
            QStringLiteral("valid"),
            QStringLiteral("no data"),
            QStringLiteral("area (mm2)")};
}

ResultRow ProfileResultRow(const QString& file, const view2d::ProfileLine& line,
                           const view2d::Profile& profile, FormKind levelling,
                           const std::optional<RoughnessFigures>& roughness) {
    ResultRow row;
    row.Kind = QStringLiteral("profile");
    row.File = file;
    row.Place = PlaceText(line.Column1, line.Row1, line.Column2, line.Row2);
    row.Levelling = LevellingName(levelling);
    row.Unit = profile.HeightsKnown   ? QStringLiteral("mm")
               : profile.StoredValues ? QStringLiteral("value")
                                      : QStringLiteral("sample");
    if (roughness) {
        row.LambdaCMm = roughness->LambdaCMm;
        Put(row, ResultColumn::A, roughness->Ra);
        Put(row, ResultColumn::Q, roughness->Rq);
        Put(row, ResultColumn::P, roughness->Rp);
        Put(row, ResultColumn::V, roughness->Rv);
        Put(row, ResultColumn::Z, roughness->Rz);
        Put(row, ResultColumn::Sk, roughness->Rsk);
        Put(row, ResultColumn::Ku, roughness->Rku);
        Put(row, ResultColumn::Rt, roughness->Rt);
    }
    const view2d::ProfileStatistics& s = profile.Statistics;
    Put(row, ResultColumn::Pa, s.Ra);
    Put(row, ResultColumn::Pq, s.Rq);
    if (s.Min && s.Max)
        Put(row, ResultColumn::Pt, *s.Max - *s.Min);
    Put(row, ResultColumn::Mean, s.Mean);
    Put(row, ResultColumn::Min, s.Min);
    Put(row, ResultColumn::Max, s.Max);
    Put(row, ResultColumn::Valid, double(s.ValuedPoints));
    Put(row, ResultColumn::NoData, double(s.NoDataPoints));
    return row;
}

ResultRow ArealResultRow(const QString& file, const ArealOutcome& areal, FormKind levelling) {
    ResultRow row;
    row.Kind = QStringLiteral("area");
    row.File = file;
    const PixelRect& r = areal.Rect;
    row.Place = PlaceText(r.Column1, r.Row1, r.Column2, r.Row2);
    row.Levelling = LevellingName(levelling);
    row.Unit = areal.Millimetres ? QStringLiteral("mm") : QStringLiteral("value");
    if (areal.Figures) {
        const ArealFigures& f = *areal.Figures;
        Put(row, ResultColumn::A, f.Sa);
        Put(row, ResultColumn::Q, f.Sq);
        Put(row, ResultColumn::P, f.Sp);
        Put(row, ResultColumn::V, f.Sv);
        Put(row, ResultColumn::Z, f.Sz);
        Put(row, ResultColumn::Sk, f.Ssk);
        Put(row, ResultColumn::Ku, f.Sku);
        Put(row, ResultColumn::Mean, f.Mean);
        Put(row, ResultColumn::Min, f.Min);
        Put(row, ResultColumn::Max, f.Max);
        Put(row, ResultColumn::Valid, double(f.Valid));
        // Without a value: those the file marks and those that could not be read.
        Put(row, ResultColumn::NoData, double(f.NoData + areal.Unread));
    }
    Put(row, ResultColumn::AreaMm2, areal.AreaMm2);
    return row;
}

QStringList ResultCells(const ResultRow& row) {
    QStringList cells{row.Kind,
                      row.File,
                      row.Place,
                      row.Levelling,
                      row.LambdaCMm ? QString::number(*row.LambdaCMm, 'g', 6) : QString(),
                      row.Unit};
    for (const std::optional<double>& value : row.Values)
        cells << (value ? QString::number(*value, 'g', 6) : QString());
    return cells;
}

QString ResultsCsv(const std::vector<ResultRow>& rows) {
    QString text = ResultHeaders().join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const ResultRow& row : rows) {
        QStringList fields{CsvField(row.Kind),
                           CsvField(row.File),
                           CsvField(row.Place),
                           CsvField(row.Levelling),
                           row.LambdaCMm ? Shortest(*row.LambdaCMm) : QString(),
                           CsvField(row.Unit)};
        for (const std::optional<double>& value : row.Values)
            fields << (value ? Shortest(*value) : QString());
        text += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return text;
}

} // namespace orvane::measure
