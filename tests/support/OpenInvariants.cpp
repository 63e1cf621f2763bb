#include "tests/support/OpenInvariants.h"

#include "image/Sizing.h"
#include "panels/Histogram.h"

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

    const panels::HistogramBars bars =
        panels::FillHistogram(m.Levels(), m.ImageWidth, m.ImageHeight);
    bool reachesTop = false;
    for (double bar : bars) {
        require(bar >= 0.0 && bar <= 1.0, "histogram bars between 0 and 1");
        reachesTop = reachesTop || bar == 1.0;
    }
    require(reachesTop, "the reference level reaches the top");
    return violations;
}

} // namespace orvane::test
