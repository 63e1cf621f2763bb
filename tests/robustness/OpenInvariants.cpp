#include "tests/robustness/OpenInvariants.h"

#include "panels/Histogram.h"

QStringList OpenInvariantViolations(const OpenedImage& image, std::int64_t limitBytes) {
    QStringList violations;
    auto require = [&violations](bool holds, const char* statement) {
        if (!holds)
            violations << QString::fromLatin1(statement);
    };
    if (image.outcome != OpenedImage::Read) {
        require(!image.levels, "a refused file leaves no levels");
        require(!image.messages.isEmpty(), "every refusal is explained");
        return violations;
    }
    const SizingResult& s = image.size;
    require(image.levels != nullptr, "a read image has levels");
    require(s.ColumnStep == s.RowStep && s.ColumnStep >= 1, "steps are equal and positive");
    require(s.ImageWidth > 0 && s.ImageWidth % 4 == 0 && s.ImageWidth <= kMaxKeptWidth,
            "kept width is a positive multiple of 4, at most 32768");
    require(s.ImageHeight > 0 && s.ImageWidth * s.ImageHeight <= kMaxKeptPixels,
            "kept pixels within the budget");
    require(limitBytes == 0 || s.ImageWidth * s.ImageHeight <= limitBytes,
            "kept pixels within the allocation limit");
    require(s.SpanWidth <= std::int64_t(image.tags.ImageWidth.value_or(0)) &&
                s.SpanHeight <= std::int64_t(image.tags.ImageLength.value_or(0)),
            "spans within the file");
    require(image.read.unreadableRows >= 0 && image.read.unreadableRows <= s.SpanHeight,
            "lost rows counted within the span");
    require((image.read.unreadableRows > 0) == !image.messages.isEmpty(),
            "lost rows, and only they, are reported");
    if (!violations.isEmpty() || !image.levels)
        return violations;

    const HistogramBars bars =
        FillHistogram(image.levels.get(), int(s.ImageWidth), int(s.ImageHeight));
    bool reachesTop = false;
    for (double bar : bars) {
        require(bar >= 0.0 && bar <= 1.0, "histogram bars between 0 and 1");
        reachesTop = reachesTop || bar == 1.0;
    }
    require(reachesTop, "the reference level reaches the top");
    return violations;
}
