#include "view2d/Profile.h"

#include "image/NumberText.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orvane::view2d {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kDegPerRad = 57.295779513082320876798154814105;
// Ends farther out than this are no file pixels; it keeps every difference and product exact.
constexpr std::int64_t kMaxCoordinate = std::int64_t(1) << 40;

// a / n rounded to nearest, halves away from zero, for n > 0.
std::int64_t RoundedQuotient(std::int64_t a, std::int64_t n) {
    const std::int64_t magnitude = (2 * std::llabs(a) + n) / (2 * n);
    return a < 0 ? -magnitude : magnitude;
}

std::optional<std::int64_t> PointCount(const ProfileLine& line) {
    for (std::int64_t v : {line.Column1, line.Row1, line.Column2, line.Row2})
        if (v > kMaxCoordinate || v < -kMaxCoordinate)
            return std::nullopt;
    const std::int64_t n =
        std::max(std::llabs(line.Column2 - line.Column1), std::llabs(line.Row2 - line.Row1)) + 1;
    if (n > kMaxProfilePoints)
        return std::nullopt;
    return n;
}

std::optional<double> Millimetres(double pixels, double resolutionDpi) {
    if (!(std::isfinite(resolutionDpi) && resolutionDpi > 0))
        return std::nullopt;
    return pixels * kMmPerInch / resolutionDpi;
}

ProfileStatistics Statistics(const std::vector<ProfilePoint>& points) {
    ProfileStatistics s;
    for (const ProfilePoint& p : points) {
        if (!p.Value) {
            ++s.MissingPoints;
            s.NoDataPoints += p.Sample.state == image::StoredSample::State::NoData;
            continue;
        }
        ++s.ValuedPoints;
        s.Min = s.Min ? std::min(*s.Min, *p.Value) : *p.Value;
        s.Max = s.Max ? std::max(*s.Max, *p.Value) : *p.Value;
    }
    if (s.ValuedPoints == 0)
        return s;
    // The sums run on the heights times the power of two that brings the largest near 1: exact
    // for every height of an ordinary size, and neither the squares of 1e200 overflow nor those
    // of 1e-160 underflow (floating-point files hold any double).
    const double largest = std::max(std::abs(*s.Min), std::abs(*s.Max));
    const int exponent = largest > 0 ? std::ilogb(largest) : 0;
    auto scaled = [exponent](double height) { return std::ldexp(height, -exponent); };
    // Summed as departures from the first value: a flat profile's mean is then
    // that value exactly, and no rounding puts the mean outside [min, max].
    std::optional<double> first;
    double departures = 0;
    for (const ProfilePoint& p : points)
        if (p.Value) {
            if (!first)
                first = scaled(*p.Value);
            departures += scaled(*p.Value) - *first;
        }
    const double mean =
        std::clamp(*first + departures / double(s.ValuedPoints), scaled(*s.Min), scaled(*s.Max));
    double absolute = 0, squares = 0;
    for (const ProfilePoint& p : points)
        if (p.Value) {
            const double d = scaled(*p.Value) - mean;
            absolute += std::abs(d);
            squares += d * d;
        }
    // Rq is at most half the heights' span, so scaled back it is a double too.
    s.Mean = std::ldexp(mean, exponent);
    s.Ra = std::ldexp(absolute / double(s.ValuedPoints), exponent);
    s.Rq = std::ldexp(std::sqrt(squares / double(s.ValuedPoints)), exponent);
    return s;
}

QString ShortestNumber(double value) {
    // QString::number ignores the locale: "." always.
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// Fixed decimals, "." whatever the locale.
QString Number(double value, int decimals = 4) {
    return image::FormatFixed(value, 15, decimals);
}

QString Optional(const std::optional<double>& value, const QString& unit, int decimals = 4) {
    return value ? Number(*value, decimals) + unit : QStringLiteral("?");
}

} // namespace

std::vector<image::FilePixel> ProfilePixels(const ProfileLine& line) {
    const auto count = PointCount(line);
    if (!count)
        return {};
    const std::int64_t n = *count;
    std::vector<image::FilePixel> pixels(static_cast<std::size_t>(n));
    const std::int64_t dc = line.Column2 - line.Column1;
    const std::int64_t dr = line.Row2 - line.Row1;
    pixels[0] = {line.Column1, line.Row1};
    for (std::int64_t i = 1; i < n; ++i)
        pixels[std::size_t(i)] = {line.Column1 + RoundedQuotient(i * dc, n - 1),
                                  line.Row1 + RoundedQuotient(i * dr, n - 1)};
    return pixels;
}

QString UnmeasurableLineText(const ProfileLine& line) {
    if (PointCount(line))
        return QString();
    const double points = std::max(std::fabs(double(line.Column2) - double(line.Column1)),
                                   std::fabs(double(line.Row2) - double(line.Row1))) +
                          1;
    return QStringLiteral("The line crosses %1 pixels: a profile holds at most %2 points.")
        .arg(points, 0, 'f', 0)
        .arg(kMaxProfilePoints);
}

ProfileUnits ProfileUnitsOf(const image::ImageModel& image) {
    ProfileUnits units;
    units.ZMinMm = image.ZMin;
    units.ZMaxMm = image.ZMax;
    units.ResolutionDpi = image.Resolution;
    units.Values = image.LevelsFromValues;
    units.MmPerValueUnit = image.MmPerHeightUnit;
    units.Samples = image.Samples;
    if (image.LevelsFromValues && image.MmPerHeightUnit > 0) {
        units.HeightUnit = image.HeightUnit;
        units.MmPerHeightUnit = image.MmPerHeightUnit;
    }
    if (image.GeoPixel && image::MmPerUnit(image.GeoPixel->Unit) > 0) {
        units.LengthUnit = image.GeoPixel->Unit.Name;
        units.MmPerLengthUnit = image::MmPerUnit(image.GeoPixel->Unit);
    }
    if (image.GeoPixel) {
        // The georeference's pixel size replaces the resolution: in millimetres where its unit
        // is a length, none in degrees or a unit not known here.
        units.MmPerPixelX = image.MmPerPixelX();
        units.MmPerPixelY = image.MmPerPixelY();
        units.PixelsInDegrees = !units.MmPerPixelX;
    }
    return units;
}

namespace {

// A sample's height and the value the statistics use, less the form at its pixel.
struct PointValues {
    std::optional<double> HeightMm, Value;
};
PointValues ValuesOf(const image::StoredSample& sample, std::int64_t column, std::int64_t row,
                     bool heightsKnown, int bitsPerSample, bool minIsWhite,
                     const ProfileUnits& units) {
    PointValues v;
    if (!sample)
        return v;
    if (units.Values) {
        if (units.MmPerValueUnit > 0)
            v.HeightMm = *sample * units.MmPerValueUnit;
    } else {
        v.HeightMm =
            image::SampleHeightMm(*sample, bitsPerSample, minIsWhite, units.ZMinMm, units.ZMaxMm);
    }
    v.Value = heightsKnown ? v.HeightMm : std::optional<double>(*sample);
    if (units.Form && v.Value) {
        const double form = units.Form(column, row);
        v.Value = *v.Value - form;
        if (v.HeightMm)
            v.HeightMm = *v.HeightMm - form;
    }
    return v;
}

} // namespace

std::vector<image::FilePixel> AcrossPixels(const ProfileLine& line, const image::FilePixel& point,
                                           int width) {
    const std::int64_t dc = line.Column2 - line.Column1, dr = line.Row2 - line.Row1;
    if (width <= 1 || (dc == 0 && dr == 0))
        return {point};
    // The normal (-dr, dc) drawn as the line is: one pixel a step along its longer axis, the
    // other coordinate rounded to nearest with halves away from zero, in integers.
    const auto offset = [](std::int64_t k, std::int64_t along, std::int64_t over) {
        return over < 0 ? RoundedQuotient(-k * along, -over) : RoundedQuotient(k * along, over);
    };
    std::vector<image::FilePixel> pixels;
    pixels.reserve(std::size_t(width));
    for (std::int64_t k = -(width - 1) / 2; pixels.size() < std::size_t(width); ++k) {
        if (std::llabs(dc) >= std::llabs(dr))
            pixels.push_back({point.Column + offset(k, -dr, dc), point.Row + k});
        else
            pixels.push_back({point.Column + k, point.Row + offset(k, dc, -dr)});
    }
    return pixels;
}

Profile BuildProfile(const ProfileLine& line, const std::vector<image::StoredSample>& samples,
                     int bitsPerSample, bool minIsWhite, const ProfileUnits& units,
                     const AcrossSamples* across) {
    Profile profile;
    profile.StoredValues = units.Values;
    profile.LengthUnit = units.LengthUnit;
    profile.MmPerLengthUnit = units.MmPerLengthUnit;
    profile.HeightUnit = units.HeightUnit;
    profile.MmPerHeightUnit = units.MmPerHeightUnit;
    profile.Samples = units.Samples;
    if (units.Form)
        profile.Levelling = units.Levelling;
    const std::vector<image::FilePixel> pixels = ProfilePixels(line);
    if (pixels.empty()) // too long: nothing below would be exact, or even defined
        return profile;
    profile.DxPx = line.Column2 - line.Column1;
    profile.DyPx = line.Row2 - line.Row1;
    // Exact in integers for lines of at most kMaxProfilePoints, so the root is correctly
    // rounded.
    profile.LengthPx = std::sqrt(double(profile.DxPx * profile.DxPx + profile.DyPx * profile.DyPx));
    // Millimetres along the line: from the georeference's pixel size where it gives one, else
    // from the resolution; at a point, its share of the line's length.
    const bool scaled = units.MmPerPixelX && units.MmPerPixelY;
    if (scaled) {
        profile.DxMm = double(profile.DxPx) * *units.MmPerPixelX;
        profile.DyMm = double(profile.DyPx) * *units.MmPerPixelY;
        profile.LengthMm = std::hypot(*profile.DxMm, *profile.DyMm);
    } else if (!units.PixelsInDegrees) {
        profile.LengthMm = Millimetres(profile.LengthPx, units.ResolutionDpi);
        profile.DxMm = Millimetres(double(profile.DxPx), units.ResolutionDpi);
        profile.DyMm = Millimetres(double(profile.DyPx), units.ResolutionDpi);
    }
    profile.MillimetresKnown = profile.LengthMm.has_value();
    // Any sample of the depth has a height exactly when the range and depth give heights;
    // values, when their unit is known.
    profile.HeightsKnown = units.Values
                               ? units.MmPerValueUnit > 0
                               : image::SampleHeightMm(std::uint32_t{0}, bitsPerSample, minIsWhite,
                                                       units.ZMinMm, units.ZMaxMm)
                                     .has_value();

    const std::size_t n = pixels.size();
    profile.Points.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        ProfilePoint& p = profile.Points[i];
        p.Column = pixels[i].Column;
        p.Row = pixels[i].Row;
        // i / (N - 1) of the length: the last point lies at the length exactly.
        p.DistancePx = n == 1 ? 0.0 : double(i) / double(n - 1) * profile.LengthPx;
        if (scaled)
            p.DistanceMm = n == 1 ? 0.0 : double(i) / double(n - 1) * *profile.LengthMm;
        else if (!units.PixelsInDegrees)
            p.DistanceMm = Millimetres(p.DistancePx, units.ResolutionDpi);
        if (i < samples.size())
            p.Sample = samples[i];
        if (!across) {
            const PointValues v = ValuesOf(p.Sample, p.Column, p.Row, profile.HeightsKnown,
                                           bitsPerSample, minIsWhite, units);
            p.HeightMm = v.HeightMm;
            p.Value = v.Value;
            continue;
        }
        // Across the line: the mean of the samples that have a value.
        double heightSum = 0, valueSum = 0;
        std::int64_t heights = 0, values = 0;
        for (std::size_t j = across->First[i]; j < across->First[i + 1]; ++j) {
            const image::FilePixel& at = across->Pixels[j];
            const PointValues v = ValuesOf(across->Samples[j], at.Column, at.Row,
                                           profile.HeightsKnown, bitsPerSample, minIsWhite, units);
            if (v.HeightMm)
                heightSum += *v.HeightMm, ++heights;
            if (v.Value)
                valueSum += *v.Value, ++values;
        }
        if (heights > 0)
            p.HeightMm = heightSum / double(heights);
        if (values > 0)
            p.Value = valueSum / double(values);
    }
    profile.Width = across ? across->Width : 1;

    profile.Statistics = Statistics(profile.Points);
    if (n > 0 && profile.Points.front().Value && profile.Points.back().Value)
        profile.Dz = *profile.Points.back().Value - *profile.Points.front().Value;
    if (profile.Dz && profile.HeightsKnown && profile.LengthMm && profile.LengthPx > 0)
        profile.SlopeDeg = std::atan2(*profile.Dz, *profile.LengthMm) * kDegPerRad;
    return profile;
}

std::optional<Profile> MeasureProfile(image::SampleReader& reader, const ProfileLine& line,
                                      const ProfileUnits& units, const std::atomic<bool>* cancel,
                                      int width) {
    const std::vector<image::FilePixel> pixels = ProfilePixels(line);
    if (pixels.empty())
        return std::nullopt;
    const auto samples = reader.Samples(pixels, cancel);
    if (!samples)
        return std::nullopt;
    if (width <= 1)
        return BuildProfile(line, *samples, reader.BitsPerSample(), reader.MinIsWhite(), units);
    if (double(pixels.size()) * width > double(kMaxProfilePoints) * 16)
        return std::nullopt;
    // The pixels across every point that lie in the file, read in one go.
    AcrossSamples across;
    across.Width = width;
    across.First.push_back(0);
    for (const image::FilePixel& point : pixels) {
        for (const image::FilePixel& at : AcrossPixels(line, point, width))
            if (at.Column >= 0 && at.Row >= 0 && at.Column < reader.Width() &&
                at.Row < reader.Height())
                across.Pixels.push_back(at);
        across.First.push_back(across.Pixels.size());
    }
    auto acrossSamples = reader.Samples(across.Pixels, cancel);
    if (!acrossSamples)
        return std::nullopt;
    across.Samples = std::move(*acrossSamples);
    return BuildProfile(line, *samples, reader.BitsPerSample(), reader.MinIsWhite(), units,
                        &across);
}

QString ProfileFiguresText(const Profile& p) {
    // Lengths and heights in the display units: millimetres unless the file names its own.
    const QString lengthUnit = QLatin1Char(' ') + p.LengthUnit;
    auto length = [&p](double mm) { return Number(mm / p.MmPerLengthUnit); };
    auto height = [&p](const std::optional<double>& value) {
        return value && p.HeightsKnown ? std::optional<double>(*value / p.MmPerHeightUnit) : value;
    };
    const QString unit = p.HeightsKnown ? QLatin1Char(' ') + p.HeightUnit : QString();
    const ProfileStatistics& s = p.Statistics;
    QString lengthText = QStringLiteral("length %1 px").arg(Number(p.LengthPx, 1));
    if (p.LengthMm)
        lengthText = QStringLiteral("length %1%2 (%3 px)")
                         .arg(length(*p.LengthMm), lengthUnit, Number(p.LengthPx, 1));
    QString dxdy = QStringLiteral("dX %1 px   dY %2 px").arg(p.DxPx).arg(p.DyPx);
    if (p.DxMm && p.DyMm)
        dxdy = QStringLiteral("dX %1%2 (%3 px)   dY %4%2 (%5 px)")
                   .arg(length(*p.DxMm), lengthUnit)
                   .arg(p.DxPx)
                   .arg(length(*p.DyMm))
                   .arg(p.DyPx);
    QString text = lengthText + QStringLiteral("   ") + dxdy + QLatin1Char('\n');
    text += QStringLiteral("dZ %1   slope %2")
                .arg(Optional(height(p.Dz), unit), Optional(p.SlopeDeg, QStringLiteral(" deg"), 2));
    if (!p.Levelling.isEmpty())
        text += QStringLiteral("   levelled: %1").arg(p.Levelling);
    if (p.Width > 1)
        text += QStringLiteral("   width %1 px").arg(p.Width);
    const std::optional<double> pt =
        s.Min && s.Max ? std::optional<double>(*s.Max - *s.Min) : std::nullopt;
    text += QStringLiteral("\nmin %1   max %2   mean %3\nPa %4   Pq %5   Pt %6")
                .arg(Optional(height(s.Min), unit), Optional(height(s.Max), unit),
                     Optional(height(s.Mean), unit), Optional(height(s.Ra), unit),
                     Optional(height(s.Rq), unit), Optional(height(pt), unit));
    if (!p.HeightsKnown)
        text += p.StoredValues
                    ? QStringLiteral("   (stored values: the file gives no unit)")
                    : QStringLiteral("   (sample values: the file gives no height range)");
    if (s.MissingPoints > 0) {
        const std::int64_t unreadable = s.MissingPoints - s.NoDataPoints;
        const QString why = s.NoDataPoints == 0 ? QStringLiteral("unreadable data")
                            : unreadable == 0
                                ? QStringLiteral("the file marks them as having none")
                                : QStringLiteral("%1 marked by the file as having none, %2 "
                                                 "unreadable")
                                      .arg(s.NoDataPoints)
                                      .arg(unreadable);
        text += QStringLiteral("\n%1 of %2 points have no value (%3) and are left out")
                    .arg(s.MissingPoints)
                    .arg(qint64(p.Points.size()))
                    .arg(why);
    }
    return text;
}

double ChartDistance(const Profile& profile, const ProfilePoint& point) {
    return point.DistanceMm ? *point.DistanceMm / profile.MmPerLengthUnit : point.DistancePx;
}

std::optional<std::size_t> NearestPoint(const Profile& profile, double distance) {
    const std::vector<ProfilePoint>& points = profile.Points;
    if (points.empty() || !std::isfinite(distance))
        return std::nullopt;
    // Distances grow along the line: the first point at or beyond, or the one before it.
    const auto after = std::lower_bound(
        points.begin(), points.end(), distance,
        [&profile](const ProfilePoint& p, double d) { return ChartDistance(profile, p) < d; });
    if (after == points.begin())
        return 0;
    if (after == points.end())
        return points.size() - 1;
    const auto before = after - 1;
    const bool nearerBefore =
        distance - ChartDistance(profile, *before) <= ChartDistance(profile, *after) - distance;
    return std::size_t((nearerBefore ? before : after) - points.begin());
}

QString PointText(const Profile& profile, const ProfilePoint& point) {
    const QString distance =
        point.DistanceMm
            ? QStringLiteral("%1 %2").arg(Number(ChartDistance(profile, point)), profile.LengthUnit)
            : QStringLiteral("%1 px").arg(Number(point.DistancePx, 1));
    QString value = QStringLiteral("no value");
    if (point.Value)
        value = profile.HeightsKnown
                    ? QStringLiteral("%1 %2").arg(Number(*point.Value / profile.MmPerHeightUnit),
                                                  profile.HeightUnit)
                    : Number(*point.Value);
    return QStringLiteral("%1   %2   (column %3, row %4)")
        .arg(distance, value)
        .arg(point.Column)
        .arg(point.Row);
}

ProfileCurve ProfileCurveOf(const Profile& profile) {
    ProfileCurve curve;
    double lowX = 0, highX = 0, lowY = 0, highY = 0;
    bool any = false, inRun = false;
    for (const ProfilePoint& point : profile.Points) {
        if (!point.Value) {
            inRun = false;
            continue;
        }
        if (!inRun)
            curve.Runs.append(QList<QPointF>());
        inRun = true;
        // In the display units, as the panel's figures are.
        const double x = ChartDistance(profile, point);
        const double y =
            profile.HeightsKnown ? *point.Value / profile.MmPerHeightUnit : *point.Value;
        curve.Runs.last().append(QPointF(x, y));
        lowX = any ? std::min(lowX, x) : x;
        highX = any ? std::max(highX, x) : x;
        lowY = any ? std::min(lowY, y) : y;
        highY = any ? std::max(highY, y) : y;
        any = true;
    }
    const double spanY = highY - lowY;
    curve.Distances = {lowX, highX > lowX ? highX : lowX + 1};
    curve.Values = {lowY - 0.05 * spanY, highY + (spanY > 0 ? 0.05 * spanY : 1)};
    return curve;
}

QString ProfileCsv(const Profile& profile) {
    QString text = profile.MillimetresKnown
                       ? QStringLiteral("distance_mm,column,row,sample,height_mm\n")
                       : QStringLiteral("distance_px,column,row,sample,height_mm\n");
    const QChar comma(QLatin1Char(','));
    for (const ProfilePoint& p : profile.Points) {
        text += ShortestNumber(profile.MillimetresKnown ? *p.DistanceMm : p.DistancePx);
        text += comma + QString::number(p.Column) + comma + QString::number(p.Row) + comma;
        if (p.Sample)
            text += image::StoredValueText(*p.Sample, profile.Samples);
        text += comma;
        if (p.HeightMm)
            text += ShortestNumber(*p.HeightMm);
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace orvane::view2d
