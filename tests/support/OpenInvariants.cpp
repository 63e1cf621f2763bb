#include "tests/support/OpenInvariants.h"

#include "image/SampleReader.h"
#include "image/Sizing.h"
#include "panels/Histogram.h"
#include "view2d/Profile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane::test {

using namespace image;

QStringList OpenInvariantViolations(const OpenedImage& opened, std::int64_t limitBytes) {
    QStringList violations;
    auto require = [&violations](bool holds, const char* statement) {
        if (!holds)
            violations << QString::fromLatin1(statement);
    };
    const ImageModel& m = opened.model;
    if (opened.result.outcome != OpenOutcome::Shown) {
        require(!m.HasImage(), "a refused file leaves no levels");
        require(!opened.messages.isEmpty(), "every refusal is explained");
        return violations;
    }
    const ReadResult& read = opened.result.read;
    const TiffTags& tags = opened.result.tags;
    require(m.HasImage(), "a read image has levels");
    require(m.ColumnStep == m.RowStep && m.ColumnStep >= 1, "steps are equal and positive");
    require(m.ImageWidth > 0 && m.ImageWidth % 4 == 0 && m.ImageWidth <= kMaxKeptWidth,
            "kept width is a positive multiple of 4, at most 32768");
    require(m.ImageHeight > 0 && m.LevelCount() <= kMaxKeptPixels, "kept pixels within the budget");
    require(limitBytes == 0 || m.LevelCount() <= limitBytes,
            "kept pixels within the allocation limit");
    require(m.SpanWidth <= std::int64_t(tags.ImageWidth.value_or(0)) &&
                m.SpanHeight <= std::int64_t(tags.ImageLength.value_or(0)),
            "spans within the file");
    require(read.unreadableRows >= 0 && read.unreadableRows <= m.SpanHeight,
            "lost rows counted within the span");
    require((read.unreadableRows > 0) == !opened.messages.isEmpty(),
            "lost rows, and only they, are reported");
    if (!violations.isEmpty() || !m.HasImage())
        return violations;

    if (m.LevelsFromValues) {
        require(m.NoDataPixels >= 0 && m.NoDataPixels <= m.LevelCount(),
                "pixels without a value counted within the image");
        require(m.DataMin.has_value() == m.DataMax.has_value() &&
                    (m.NoDataPixels < m.LevelCount() || !m.DataMin),
                "a range of two ends, none when no pixel has a value");
        if (m.DataMin)
            require(*m.DataMin <= *m.DataMax && std::isfinite(*m.DataMin) &&
                        std::isfinite(*m.DataMax),
                    "a finite range, low to high");
        std::int64_t marked = 0;
        for (std::int64_t r = 0; r < m.ImageHeight; ++r)
            for (std::int64_t c = 0; c < m.ImageWidth; ++c)
                if (m.NoDataAt(c, r)) {
                    ++marked;
                    require(m.Levels()[r * m.ImageWidth + c] == 0, "no-data pixels hold level 0");
                }
        require(marked == m.NoDataPixels, "the mask marks the pixels without a value");
    }
    const panels::HistogramBars bars =
        panels::FillHistogram(m.Levels(), m.ImageWidth, m.ImageHeight, m.NoDataPixels);
    bool reachesTop = false;
    for (double bar : bars) {
        require(bar >= 0.0 && bar <= 1.0, "histogram bars between 0 and 1");
        reachesTop = reachesTop || bar == 1.0;
    }
    require(reachesTop || m.NoDataPixels == m.LevelCount(),
            "the reference level reaches the top (unless no pixel has a value)");
    return violations;
}

namespace {
// The exact reader's cache for one check, and the longest line measured.
constexpr std::int64_t kCheckCacheBytes = 1LL << 20;
constexpr std::int64_t kMaxLinePixels = 256;
} // namespace

QStringList ExactSampleViolations(const std::uint8_t* file, std::size_t size) {
    std::uint64_t seed = size;
    for (std::size_t i = 0; i < size && i < 64; ++i)
        seed = seed * 1099511628211ULL ^ file[i];
    const TiffSource source = TiffSource::Memory(file, size);
    QStringList violations;
    auto require = [&violations](bool holds, const char* statement) {
        if (!holds)
            violations << QString::fromLatin1(statement);
        return holds;
    };
    SampleReader reader(source, kCheckCacheBytes);
    if (!reader.IsOpen())
        return violations;
    const std::int64_t w = reader.Width(), h = reader.Height();
    if (!require(w > 0 && h > 0, "an open reader has pixels"))
        return violations;
    const SampleFormat format = reader.Format();
    // The range of the format's values; floating-point values are finite or no data.
    const double lowest = format.kind == SampleKind::Unsigned ? 0.0
                          : format.kind == SampleKind::Signed ? -std::ldexp(1.0, format.bits - 1)
                                                              : -std::numeric_limits<double>::max();
    const double highest = format.kind == SampleKind::Unsigned ? std::ldexp(1.0, format.bits) - 1
                           : format.kind == SampleKind::Signed
                               ? std::ldexp(1.0, format.bits - 1) - 1
                               : std::numeric_limits<double>::max();
    const int bits = reader.BitsPerSample();
    auto pick = [&seed](std::int64_t limit) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return std::int64_t((seed >> 33) % std::uint64_t(limit));
    };
    for (int i = 0; i < 4; ++i) {
        const std::int64_t c = pick(w), r = pick(h);
        if (const auto sample = reader.Sample(c, r)) {
            require(*sample >= lowest && *sample <= highest, "a value fits its format");
            if (const auto height = SampleHeightMm(*sample, bits, reader.MinIsWhite(), 1, 3))
                require(*height >= 1 && *height <= 3, "a height lies in the file's range");
        }
        require(!reader.Sample(-1 - c, r) && !reader.Sample(c, h + r),
                "no value outside the image");
    }
    view2d::ProfileLine line;
    line.Column1 = pick(w);
    line.Row1 = pick(h);
    line.Column2 = std::min(w - 1, line.Column1 + pick(kMaxLinePixels));
    line.Row2 = std::min(h - 1, line.Row1 + pick(kMaxLinePixels));
    const auto profile = view2d::MeasureProfile(reader, line, {1.0, 3.0, 1000.0});
    if (!require(profile.has_value(), "a short line is measured"))
        return violations;
    const std::int64_t n = std::max(line.Column2 - line.Column1, line.Row2 - line.Row1) + 1;
    const view2d::ProfileStatistics& s = profile->Statistics;
    require(std::int64_t(profile->Points.size()) == n && s.ValuedPoints + s.MissingPoints == n,
            "a line has max(|dc|, |dr|) + 1 points, each valued or missing");
    // Ra <= Rq up to the rounding of a square root: they are equal whenever all
    // departures from the mean have one size (a profile of two heights).
    if (s.ValuedPoints > 0)
        require(*s.Min <= *s.Mean && *s.Mean <= *s.Max && *s.Ra <= *s.Rq * (1 + 1e-12) &&
                    std::isfinite(*s.Rq),
                "min <= mean <= max and Ra <= Rq");
    return violations;
}

} // namespace orvane::test
