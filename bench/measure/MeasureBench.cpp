// Measuring every pixel of a 20000 x 20000 16-bit file in the page cache, against the open's
// parallel read of the same file in the same run: the plane fit's pass (goal <= 1.3x the read)
// and the areal parameters of the whole file, two passes (goal <= 2.5x); a change of the colour
// range (goal <= 1.2x): a typed range's levels alone, and Data and Auto measured first (their
// counting pass, then the levels). Once uncompressed (the
// read then copies high bytes at memory speed, a floor no pass that computes with every height
// comes near) and once with Deflate, as scanners write. Writes the files first (about 1.5 GB).
// Needs no display:
//     build/bench/measure/bench_measure [side [runs]]
#include "bench/BestTime.h"
#include "image/OpenImage.h"
#include "image/ScanlineReader.h"
#include "measure/ColourRange.h"
#include "measure/SurfacePasses.h"
#include "tools/TiffWriter.h"

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

using namespace orvane;

namespace {

using bench::BestSeconds;

void PrintRatio(const char* what, double seconds, double floorSeconds, double goal) {
    const double ratio = seconds / floorSeconds;
    std::printf("  %-36s %9.1f ms  read %9.1f ms  ratio %.2f (goal <= %.1f) %s\n", what,
                seconds * 1e3, floorSeconds * 1e3, ratio, goal, ratio <= goal ? "ok" : "MISSED");
}

// Times the passes over one file against its read.
bool BenchFile(const char* name, std::uint32_t side, std::uint16_t compression, int runs,
               const QString& path) {
    tools::TiffLayout layout;
    layout.width = layout.height = side;
    layout.bitsPerSample = 16;
    layout.rowsPerStrip = 16;
    layout.compression = compression;
    layout.minSampleValue = 0;
    layout.maxSampleValue = 65535;
    layout.xResolution = 2540.0f;
    std::printf("writing a %u x %u 16-bit %s file...\n", side, side, name);
    std::fflush(stdout);
    if (!tools::WriteTiff(path, layout, [](std::uint32_t x, std::uint32_t y, int) {
            return (x / 3 + y / 2 + ((x * 2654435761u ^ y * 2246822519u) & 0xFF)) & 0xFFFF;
        })) {
        std::printf("could not write the file\n");
        return false;
    }
    const image::TiffSource source = image::TiffSource::File(path);
    const image::OpenedImage opened = image::OpenWithoutWindow(source);
    if (opened.result.outcome != image::OpenOutcome::Shown) {
        std::printf("could not open the file\n");
        return false;
    }
    const image::ImageModel& model = opened.model;

    // The floor: the open's parallel read of every pixel into levels, at full resolution.
    const image::ImageGeometry full = image::ThinnedGeometry(side, side);
    std::vector<std::uint8_t> levels(std::size_t(side) * side);
    const double readSeconds =
        BestSeconds(runs, [&] { image::ReadSamples(source, full, levels.data(), nullptr); });
    const double fitSeconds = BestSeconds(runs, [&] {
        if (!measure::FitForm(source, model, measure::FormKind::Plane, nullptr).Form)
            std::printf("the fit failed\n");
    });
    const double arealSeconds = BestSeconds(runs, [&] {
        if (!measure::MeasureAreal(source, model, {0, 0, side - 1, side - 1}, nullptr, nullptr)
                 .Figures)
            std::printf("the areal parameters failed\n");
    });
    const double levellingSeconds = BestSeconds(
        runs, [&] { measure::FitLevelling(source, model, measure::FormKind::Plane, nullptr); });
    const double poly3Seconds = BestSeconds(
        runs, [&] { measure::FitForm(source, model, measure::FormKind::Poly3, nullptr); });
    // The colour range as the window changes it: the range when it is measured, then the levels
    // of the picture the model keeps.
    std::vector<std::uint8_t> pictureLevels(std::size_t(model.LevelCount()));
    const auto rangeSeconds = [&](measure::ColourRangeKind kind) {
        return BestSeconds(runs, [&] {
            double low = 100, high = 60000;
            if (kind != measure::ColourRangeKind::Manual) {
                const measure::HeightRangeOutcome range =
                    measure::MeasureHeightRange(source, model, kind, nullptr, nullptr);
                if (!range.Low || !range.High) {
                    std::printf("the range failed\n");
                    return;
                }
                low = *range.Low, high = *range.High;
            }
            if (!measure::RangeLevels(source, model, nullptr, low, high, false,
                                      pictureLevels.data(), nullptr))
                std::printf("the range's levels failed\n");
        });
    };
    const double manualSeconds = rangeSeconds(measure::ColourRangeKind::Manual);
    const double dataSeconds = rangeSeconds(measure::ColourRangeKind::Data);
    const double autoSeconds = rangeSeconds(measure::ColourRangeKind::Auto);

    std::printf("%u x %u 16-bit, %s, in the page cache (best of %d):\n", side, side, name, runs);
    PrintRatio("plane fit, one pass", fitSeconds, readSeconds, 1.3);
    PrintRatio("areal parameters, whole file", arealSeconds, readSeconds, 2.5);
    std::printf("  %-36s %9.1f ms  (fit and residual: two passes)\n", "plane levelling",
                levellingSeconds * 1e3);
    std::printf("  %-36s %9.1f ms\n", "degree-3 fit, one pass", poly3Seconds * 1e3);
    std::printf("  colour range of a %lld x %lld picture (1:%lld):\n", (long long)model.ImageWidth,
                (long long)model.ImageHeight, (long long)model.ColumnStep);
    PrintRatio("typed range, levels only", manualSeconds, readSeconds, 1.2);
    PrintRatio("Data, measured then levels", dataSeconds, readSeconds, 1.2);
    PrintRatio("Auto, measured then levels", autoSeconds, readSeconds, 1.2);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::uint32_t side = argc > 1 ? std::uint32_t(std::atoi(argv[1])) : 20000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir dir;
    const bool ok =
        BenchFile("uncompressed", side, 1, runs, dir.filePath(QStringLiteral("plain.tif"))) &&
        BenchFile("Deflate", side, 8, runs, dir.filePath(QStringLiteral("deflate.tif")));
    return ok ? 0 : 1;
}
