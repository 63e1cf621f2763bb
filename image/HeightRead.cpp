#include "image/HeightRead.h"

#include "image/SampleReader.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace orvane::image {

HeightBasis HeightBasisOf(const ImageModel& model) {
    HeightBasis basis;
    HeightConversion& c = basis.Conversion;
    c.format = model.Samples;
    c.noData = model.NoData;
    const bool valueFile = model.LevelsFromValues;
    const bool minIsWhite = model.Photometric == 0;
    if (valueFile) {
        basis.Millimetres = model.MmPerHeightUnit > 0;
        c.scale = basis.Millimetres ? model.MmPerHeightUnit : 1.0;
    } else {
        basis.Millimetres = SampleHeightMm(std::uint32_t{0}, model.BitsPerSample, minIsWhite,
                                           model.ZMin, model.ZMax)
                                .has_value();
    }
    // 8- and 16-bit unsigned samples take their heights from a table: one look-up per pixel, and
    // the same numbers the readout and the profile give.
    if (c.format.kind == SampleKind::Unsigned && (c.format.bits == 8 || c.format.bits == 16)) {
        const std::size_t values = std::size_t(1) << c.format.bits;
        auto table = std::make_shared<std::vector<double>>(values);
        for (std::size_t v = 0; v < values; ++v) {
            double height = double(v);
            if (c.noData.Matches(height))
                height = std::numeric_limits<double>::quiet_NaN();
            else if (valueFile)
                height *= c.scale;
            else if (basis.Millimetres)
                height = *SampleHeightMm(std::uint32_t(v), model.BitsPerSample, minIsWhite,
                                         model.ZMin, model.ZMax);
            (*table)[v] = height;
        }
        c.table = std::move(table);
    }
    return basis;
}

ReadResult ReadHeights(const TiffSource& source, const ImageModel& model, std::int64_t endRow,
                       const HeightRowsMaker& rows, const ProgressFunction& progress,
                       const std::atomic<bool>* cancel) {
    return ReadHeights(
        source, model,
        ThinnedGeometry(model.FileWidth, std::clamp<std::int64_t>(endRow, 0, model.FileHeight)),
        rows, progress, cancel);
}

ReadResult ReadHeights(const TiffSource& source, const ImageModel& model, const ImageGeometry& kept,
                       const HeightRowsMaker& rows, const ProgressFunction& progress,
                       const std::atomic<bool>* cancel) {
    const HeightBasis basis = HeightBasisOf(model);
    ValueMapping mapping;
    mapping.format = model.Samples;
    mapping.noData = model.NoData;
    mapping.heights = &basis.Conversion;
    mapping.heightRows = &rows;
    ReadOptions options;
    options.values = &mapping;
    options.cancel = cancel;
    return ReadSamples(source, kept, nullptr, progress, options);
}

} // namespace orvane::image
