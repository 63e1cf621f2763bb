#pragma once

// A line profile over the file's exact samples: which pixels a line visits, their heights, the
// line's statistics and its CSV text. No widgets; the measurement may run on a worker thread.

#include <QList>
#include <QPointF>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "image/ImageModel.h"
#include "image/SampleReader.h"

namespace orvane::view2d {

// The two ends of a line, in file pixels.
struct ProfileLine {
    std::int64_t Column1 = 0;
    std::int64_t Row1 = 0;
    std::int64_t Column2 = 0;
    std::int64_t Row2 = 0;
};

// How samples become heights and pixels millimetres.
struct ProfileUnits {
    // Unsigned 8- and 16-bit samples: heights from the file's range over the bit depth.
    double ZMinMm = 0; // ZMinMm == ZMaxMm: heights unknown, the profile is in sample values
    double ZMaxMm = 0;
    double ResolutionDpi = 0; // not a positive finite number: millimetres unknown
    // Samples that are heights themselves: in millimetres when their unit is known
    // (MmPerValueUnit > 0), else the profile is in stored values.
    bool Values = false;
    double MmPerValueUnit = 0;
    // A pixel size in millimetres given by the file's georeference, which then replaces the
    // resolution; pixels measured in degrees (or a unit without millimetres) have none.
    std::optional<double> MmPerPixelX{}, MmPerPixelY{};
    bool PixelsInDegrees = false;
    // The units the panel and chart show lengths and heights in: the file's own where it names
    // one with a length (metres, feet), else millimetres. The figures themselves stay in mm.
    QString LengthUnit = QStringLiteral("mm");
    double MmPerLengthUnit = 1;
    QString HeightUnit = QStringLiteral("mm");
    double MmPerHeightUnit = 1;
    // How the file stores its samples: a 32-bit float's sample is written as that float (by
    // default as the shortest double, exact for every kind).
    image::SampleFormat Samples{image::SampleKind::Float, 64};
    // A form taken away from every point's value (and height): the levelling's height at a file
    // pixel, in the values' unit; empty for none. Its name for the figures ("plane").
    std::function<double(std::int64_t column, std::int64_t row)> Form = nullptr;
    QString Levelling = QString();
};

// The units of the open image's profiles.
ProfileUnits ProfileUnitsOf(const image::ImageModel& image);

struct ProfilePoint {
    std::int64_t Column = 0;
    std::int64_t Row = 0;
    double DistancePx = 0; // along the line from its first end
    std::optional<double> DistanceMm;
    image::StoredSample Sample;     // as the file holds it: a value, no data, or unreadable
    std::optional<double> HeightMm; // less the levelling's form, when there is one
    // What the statistics use: the height when heights are known, else the sample (less the
    // levelling's form).
    std::optional<double> Value;
};

// Over the points that have a value; nothing when none has. No filtering, no form removal.
struct ProfileStatistics {
    std::int64_t ValuedPoints = 0;
    std::int64_t MissingPoints = 0;
    std::int64_t NoDataPoints = 0; // of the missing ones, those the file marks as having no data
    std::optional<double> Min, Max, Mean;
    std::optional<double> Ra; // mean |v - mean|
    std::optional<double> Rq; // sqrt(mean (v - mean)^2)
};

struct Profile {
    std::vector<ProfilePoint> Points;
    bool HeightsKnown = false;     // values are heights in mm; otherwise sample values
    bool StoredValues = false;     // the samples are heights in their own right (any format)
    bool MillimetresKnown = false; // distances have millimetres
    double LengthPx = 0;           // sqrt(dX^2 + dY^2)
    std::optional<double> LengthMm;
    std::int64_t DxPx = 0; // Column2 - Column1
    std::int64_t DyPx = 0; // Row2 - Row1 (rows grow downwards in the file)
    std::optional<double> DxMm, DyMm;
    std::optional<double> Dz;       // last end's value minus the first's, in the values' unit
    std::optional<double> SlopeDeg; // atan2(dZ mm, length mm): needs heights, mm and a length
    ProfileStatistics Statistics;
    // How the panel shows the figures (ProfileUnits' display units).
    QString LengthUnit = QStringLiteral("mm");
    double MmPerLengthUnit = 1;
    QString HeightUnit = QStringLiteral("mm");
    double MmPerHeightUnit = 1;
    image::SampleFormat Samples{image::SampleKind::Float, 64}; // as ProfileUnits has it
    QString Levelling; // the form taken away from the values ("plane"); empty for none
    int Width = 1;     // pixels across the line each point is the mean of
};

// Lines with more points than this are refused: far longer than any image's diagonal, and
// their points would not fit in memory.
constexpr std::int64_t kMaxProfilePoints = std::int64_t(1) << 22;

// The pixels a line visits. With N = max(|c2 - c1|, |r2 - r1|) + 1, point i (0 <= i < N) is at
// column c1 + round(i (c2 - c1) / (N - 1)) and row r1 + round(i (r2 - r1) / (N - 1)), rounding
// to nearest with halves away from zero, in exact integer arithmetic; N = 1 is the single pixel.
// Empty when the line has more than kMaxProfilePoints points.
std::vector<image::FilePixel> ProfilePixels(const ProfileLine& line);

// The `width` file pixels across the line at `point`, drawn as the line's own points are: along
// the perpendicular's longer axis at whole steps k = -((width - 1) / 2) .. width / 2 (an even
// width's extra pixel on the positive side), the other coordinate k times the perpendicular's
// slope rounded to nearest with halves away from zero. The point alone for a width of 1 or a
// line of one pixel.
std::vector<image::FilePixel> AcrossPixels(const ProfileLine& line, const image::FilePixel& point,
                                           int width);

// The samples across a line's points (AcrossPixels within the file): point i's are
// [First[i], First[i + 1]).
struct AcrossSamples {
    int Width = 1;
    std::vector<std::size_t> First;
    std::vector<image::FilePixel> Pixels;
    std::vector<image::StoredSample> Samples;
};

// Why `line` cannot be measured (more points than kMaxProfilePoints); empty when it can.
QString UnmeasurableLineText(const ProfileLine& line);

// The profile of a line whose pixels (ProfilePixels) hold `samples`, in the same order; an
// empty profile for a line longer than kMaxProfilePoints. With `across`, each point's height and
// value are the means of those of its samples across the line that have one (its sample stays
// the line's own pixel's).
Profile BuildProfile(const ProfileLine& line, const std::vector<image::StoredSample>& samples,
                     int bitsPerSample, bool minIsWhite, const ProfileUnits& units,
                     const AcrossSamples* across = nullptr);

// Reads the line's samples from `reader` (each strip or tile crossed decoded once) and builds
// its profile, each point the mean across `width` pixels. Nothing when `cancel` became true or
// the line is longer than kMaxProfilePoints.
std::optional<Profile> MeasureProfile(image::SampleReader& reader, const ProfileLine& line,
                                      const ProfileUnits& units,
                                      const std::atomic<bool>* cancel = nullptr, int width = 1);

// The figures shown beneath the profile's chart: length, dX, dY, dZ, slope, min, max, mean,
// and the primary profile's Pa, Pq and Pt (about the mean, no filter), with their units, the
// levelling, and how many points have no value.
QString ProfileFiguresText(const Profile& profile);

// What the profile's chart draws: the points with a value as runs of (distance, value), a
// point without one ending a run; the distance axis over the runs (one unit wide when they
// have one distance), the value axis with 5 % to spare at each end (one unit above a flat
// profile).
struct ProfileCurve {
    QList<QList<QPointF>> Runs;
    std::pair<double, double> Distances{0, 1};
    std::pair<double, double> Values{0, 1};
};
ProfileCurve ProfileCurveOf(const Profile& profile);

// A point's distance along the chart's axis: in the display length unit, or pixels.
double ChartDistance(const Profile& profile, const ProfilePoint& point);
// The point nearest `distance` on the chart's axis (the first of two as near); nothing for a
// profile without points or a distance that is not a number.
std::optional<std::size_t> NearestPoint(const Profile& profile, double distance);
// "12.3 mm   2.0451 mm   (column 120, row 40)": a point's distance and height (or value) as
// the panel's figures give them, and its pixel.
QString PointText(const Profile& profile, const ProfilePoint& point);

// CSV text, one line per point after the header "distance_mm,column,row,sample,height_mm".
// When millimetres are unknown the first column holds pixels and is named "distance_px", so a
// reader of the file sees the unit in the header. A missing sample and an unknown height are
// empty fields. Numbers use "." whatever the locale, with the fewest digits that read back to
// the same double; lines end with "\n".
QString ProfileCsv(const Profile& profile);

} // namespace orvane::view2d
