// Exact samples at full resolution, against libtiff decoding the same strips alone in the same
// run: a lookup in a cached strip, the first lookup in a Deflate strip of a 20000-pixel-wide
// 16-bit file, and a corner-to-corner profile over a 20000 x 20000 16-bit Deflate file.
// Generates its files (about 1 GB of writing; takes a minute or two). Needs no display:
//     build/bench/image/bench_samples [side]
#include "image/SampleReader.h"
#include "tools/TiffWriter.h"
#include "view2d/Profile.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <tiffio.h>
#include <vector>

using orvane::image::SampleReader;
using orvane::view2d::MeasureProfile;
using orvane::view2d::ProfileLine;

using namespace orvane::image;
using namespace orvane::tools;
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(const std::function<void()>& run) {
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Best(int repeats, const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i)
        best = std::min(best, Seconds(run));
    return best;
}

// A scanner-like relief: smooth slopes with a few bits of noise, so Deflate has work to do.
std::uint32_t Relief(std::uint32_t x, std::uint32_t y) {
    std::uint32_t noise = x * 2654435761u ^ y * 2246822519u;
    noise ^= noise >> 15;
    return (x / 3 + y / 2 + ((x >> 6) * (y >> 7) & 0x3FFF) + (noise & 0x1F)) & 0xFFFF;
}

bool WriteDeflate(const QString& path, std::uint32_t width, std::uint32_t height,
                  std::uint32_t rowsPerStrip) {
    TiffLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerSample = 16;
    layout.compression = 8;
    layout.rowsPerStrip = rowsPerStrip;
    return WriteTiff(path, layout,
                     [](std::uint32_t x, std::uint32_t y, int) { return Relief(x, y); });
}

volatile std::uint64_t sink;

// libtiff alone: decode `strips` with TIFFReadEncodedStrip into one buffer. Mode "r" maps the
// file, as libtiff does by default; "rm" reads it as the sample reader does.
double LibtiffStripsSeconds(const QString& path, const std::vector<std::uint32_t>& strips,
                            const char* mode = "r") {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), mode);
    if (!tif)
        return -1;
    std::vector<std::uint8_t> buffer(std::size_t(TIFFStripSize(tif)));
    const double s = Seconds([&] {
        for (std::uint32_t strip : strips) {
            TIFFReadEncodedStrip(tif, strip, buffer.data(), tmsize_t(buffer.size()));
            sink = sink + buffer[strip % buffer.size()];
        }
    });
    TIFFClose(tif);
    return s;
}

// libtiff alone: every row of a file through TIFFReadScanline.
double LibtiffScanlinesSeconds(const QString& path) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif)
        return -1;
    std::uint32_t height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    std::vector<std::uint8_t> line(std::size_t(TIFFScanlineSize(tif)));
    const double s = Seconds([&] {
        for (std::uint32_t row = 0; row < height; ++row) {
            TIFFReadScanline(tif, line.data(), row, 0);
            sink = sink + line[row % line.size()];
        }
    });
    TIFFClose(tif);
    return s;
}

void PrintRatio(const char* what, double seconds, double floorSeconds, double goal) {
    const double ratio = seconds / floorSeconds;
    std::printf("  %-44s %10.3f ms  libtiff alone %10.3f ms  ratio %.3f (goal <= %.1f) %s\n", what,
                seconds * 1e3, floorSeconds * 1e3, ratio, goal, ratio <= goal ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    const std::uint32_t side = argc > 1 ? std::uint32_t(std::atoi(argv[1])) : 20000;
    QTemporaryDir dir;
    const QString wide = dir.filePath(QStringLiteral("wide.tif"));
    const QString square = dir.filePath(QStringLiteral("square.tif"));
    const QString oneStrip = dir.filePath(QStringLiteral("one-strip.tif"));
    constexpr std::uint32_t kWideRows = 400;
    constexpr std::uint32_t kOneStripRows = 2000;

    std::printf("writing %u x %u, %u x %u and %u x %u (one strip) 16-bit Deflate files...\n", side,
                kWideRows, side, side, side, kOneStripRows);
    std::fflush(stdout);
    if (!WriteDeflate(wide, side, kWideRows, 0) || !WriteDeflate(square, side, side, 0) ||
        !WriteDeflate(oneStrip, side, kOneStripRows, kOneStripRows)) {
        std::printf("could not write the files\n");
        return 1;
    }

    // 1. A lookup in a cached strip.
    {
        SampleReader reader(TiffSource::File(wide));
        std::vector<std::int64_t> columns(1 << 20);
        std::mt19937 random(1);
        for (auto& c : columns)
            c = std::int64_t(random() % side);
        for (std::int64_t row = 0; row < 8; ++row)
            reader.Sample(0, row); // eight strips cached
        std::vector<std::uint16_t> decoded(side);
        for (std::uint32_t x = 0; x < side; ++x)
            decoded[x] = std::uint16_t(Relief(x, 3));
        const double n = double(columns.size());
        const double sameStrip = Best(5, [&] {
            std::uint64_t sum = 0;
            for (std::int64_t c : columns)
                sum += reader.Sample(c, 3).value_or(0);
            sink = sum;
        });
        const double acrossStrips = Best(5, [&] {
            std::uint64_t sum = 0;
            for (std::size_t i = 0; i < columns.size(); ++i)
                sum += reader.Sample(columns[i], std::int64_t(i & 7)).value_or(0);
            sink = sum;
        });
        const double tryCached = Best(5, [&] {
            std::uint64_t sum = 0;
            for (std::size_t i = 0; i < columns.size(); ++i)
                sum += std::uint64_t(
                    reader.TryCachedSample(columns[i], std::int64_t(i & 7)).sample.value);
            sink = sum;
        });
        const double array = Best(5, [&] {
            std::uint64_t sum = 0;
            for (std::int64_t c : columns)
                sum += decoded[std::size_t(c)];
            sink = sum;
        });
        std::printf("\nlookup in a cached strip (%zu lookups, best of 5)\n", columns.size());
        std::printf("  Sample(), same strip            %8.1f ns  (goal < 1000 ns) %s\n",
                    sameStrip / n * 1e9, sameStrip / n < 1e-6 ? "ok" : "MISSED");
        std::printf("  Sample(), eight strips in turn  %8.1f ns  (goal < 1000 ns) %s\n",
                    acrossStrips / n * 1e9, acrossStrips / n < 1e-6 ? "ok" : "MISSED");
        std::printf("  TryCachedSample(), eight strips %8.1f ns\n", tryCached / n * 1e9);
        std::printf("  floor: indexing a decoded row   %8.1f ns\n", array / n * 1e9);
    }

    // 2. The first lookup in a strip: a fresh reader per run, one lookup in each of 200 strips
    // (none cached), against libtiff decoding the same 200 strips.
    {
        std::vector<std::uint32_t> strips;
        for (std::uint32_t s = 0; s < 200; ++s)
            strips.push_back(s * (kWideRows / 200));
        std::uint32_t rowsPerStrip = 0;
        if (TIFF* tif = TIFFOpen(QFile::encodeName(wide).constData(), "r")) {
            TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
            TIFFClose(tif);
        }
        double ours = 1e300, floor = 1e300, floorUnmapped = 1e300;
        for (int run = 0; run < 7; ++run) {
            SampleReader reader(TiffSource::File(wide));
            ours = std::min(ours, Seconds([&] {
                                for (std::uint32_t s : strips)
                                    sink = sink + reader
                                                      .Sample(std::int64_t(s * 97 % side),
                                                              std::int64_t(s) * rowsPerStrip)
                                                      .value_or(0);
                            }));
            floor = std::min(floor, LibtiffStripsSeconds(wide, strips));
            floorUnmapped = std::min(floorUnmapped, LibtiffStripsSeconds(wide, strips, "rm"));
        }
        std::printf("\nfirst lookup in a Deflate strip of a %u-wide 16-bit file (%u row(s) per "
                    "strip, 200 strips, best of 7)\n",
                    side, rowsPerStrip);
        PrintRatio("per strip", ours / 200, floor / 200, 1.0);
        PrintRatio("per strip, libtiff without mapping", ours / 200, floorUnmapped / 200, 1.0);
    }

    // 3. Corner-to-corner profiles over the square file, both ways, against libtiff decoding
    // every strip the line crosses (all of them).
    {
        std::uint32_t strips = 0;
        if (TIFF* tif = TIFFOpen(QFile::encodeName(square).constData(), "r")) {
            strips = TIFFNumberOfStrips(tif);
            TIFFClose(tif);
        }
        std::vector<std::uint32_t> all(strips);
        for (std::uint32_t s = 0; s < strips; ++s)
            all[s] = s;
        const std::int64_t last = side - 1;
        double down = 1e300, up = 1e300, floor = 1e300;
        std::int64_t decodedBytes = 0;
        for (int run = 0; run < 3; ++run) {
            SampleReader forward(TiffSource::File(square));
            down = std::min(down, Seconds([&] {
                                const auto profile = MeasureProfile(
                                    forward, ProfileLine{0, 0, last, last}, {0, 1, 1000});
                                sink = sink + std::uint64_t(profile->Statistics.ValuedPoints);
                            }));
            decodedBytes = forward.DecodedBytes();
            SampleReader backward(TiffSource::File(square));
            up = std::min(up, Seconds([&] {
                              const auto profile = MeasureProfile(
                                  backward, ProfileLine{last, last, 0, 0}, {0, 1, 1000});
                              sink = sink + std::uint64_t(profile->Statistics.ValuedPoints);
                          }));
            floor = std::min(floor, LibtiffStripsSeconds(square, all));
        }
        std::printf("\ncorner-to-corner profile, %u x %u 16-bit Deflate, %u strips, 64 MiB cache "
                    "(best of 3)\n",
                    side, side, strips);
        std::printf("  decoded %.1f MiB for %.1f MiB of strips\n", decodedBytes / 1048576.0,
                    double(side) * side * 2 / 1048576.0);
        PrintRatio("top-left to bottom-right", down, floor, 1.2);
        PrintRatio("bottom-right to top-left", up, floor, 1.2);
    }

    // 4. The same over a file written as one strip, decoded in bands of rows (no goal given).
    {
        const std::int64_t last = side - 1;
        double ours = 1e300, floor = 1e300;
        for (int run = 0; run < 3; ++run) {
            SampleReader reader(TiffSource::File(oneStrip));
            ours =
                std::min(ours, Seconds([&] {
                             const auto profile = MeasureProfile(
                                 reader, ProfileLine{last, kOneStripRows - 1, 0, 0}, {0, 1, 1000});
                             sink = sink + std::uint64_t(profile->Statistics.ValuedPoints);
                         }));
            floor = std::min(floor, LibtiffScanlinesSeconds(oneStrip));
        }
        std::printf("\ndiagonal profile upwards over a %u x %u file written as one strip (best of "
                    "3)\n",
                    side, kOneStripRows);
        std::printf("  %-44s %10.3f ms  libtiff scanlines %7.3f ms  ratio %.3f\n",
                    "bottom-right to top-left", ours * 1e3, floor * 1e3, ours / floor);
    }
    return 0;
}
