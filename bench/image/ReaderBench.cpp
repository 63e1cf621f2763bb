// The sample reader (every core) against one-thread libtiff loops that read
// the same pixels into a level buffer with the same 16-to-8-bit reduction and
// thinning, measured in the same run, files in the page cache, medians of the
// runs. Floating-point files are read as the open reads them (two passes: the
// range, then the levels and the no-data mask) against one libtiff pass that
// decodes every strip once and keeps a byte of each sample, as the 16-bit
// floor keeps the high byte: no range, no level rule. Needs no display:
//   bench_reader [folder [runs [name]]]
// where `name` picks the files whose name contains it (for a profiler).
// The files (about 4 GB) are written once into `folder` (default: a folder in
// the temporary directory) and reused when present, since writing takes
// minutes.
#include "image/Memory.h"
#include "image/ScanlineReader.h"
#include "image/ValueMapping.h"
#include "tools/TiffWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <tiffio.h>
#include <vector>

using namespace orvane::image;
using namespace orvane::tools;

namespace {

using Clock = std::chrono::steady_clock;

struct BenchFile {
    const char* name;
    const char* label;
    std::uint32_t width, height;
    int bits;
    std::uint16_t compression, predictor;
    std::uint32_t tileSize;
    std::int64_t step;
    double goal;               // reader / floor
    bool floatSamples = false; // 32-bit IEEE floating point, heights Height(x, y) / 7
};

const BenchFile kFiles[] = {
    {"strips16.tif", "16-bit uncompressed strips", 20000, 20000, 16, COMPRESSION_NONE, 0, 0, 1,
     0.45},
    {"lzw16.tif", "16-bit LZW + predictor", 20000, 20000, 16, COMPRESSION_LZW, 2, 0, 1, 0.7},
    {"deflate16.tif", "16-bit Deflate + predictor", 20000, 20000, 16, COMPRESSION_ADOBE_DEFLATE, 2,
     0, 1, 0.7},
    {"tiled16.tif", "16-bit uncompressed tiles 256", 20000, 20000, 16, COMPRESSION_NONE, 0, 256, 1,
     0.45},
    {"strips8.tif", "8-bit uncompressed, step 2", 30000, 20000, 8, COMPRESSION_NONE, 0, 0, 2, 0.5},
    {"float32.tif", "float32 uncompressed strips", 20000, 20000, 32, COMPRESSION_NONE, 0, 0, 1, 0.8,
     true},
    {"deflate32.tif", "float32 Deflate + fp predictor", 20000, 20000, 32, COMPRESSION_ADOBE_DEFLATE,
     PREDICTOR_FLOATINGPOINT, 0, 1, 1.2, true},
};

// Relief with some noise, so that the codecs work as hard as on a real
// height map (a smooth ramp would compress to nothing).
std::uint32_t Height(std::uint32_t x, std::uint32_t y) {
    std::uint32_t noise = x * 73856093u ^ y * 19349663u;
    noise ^= noise >> 15;
    noise *= 0x2c1b3c6du;
    noise ^= noise >> 12;
    const std::uint32_t relief = (x >> 2) + (y >> 3) + ((x * y) >> 18);
    return (relief * 3 + (noise & 0xFF)) & 0xFFFF;
}

bool EnsureFile(const QString& path, const BenchFile& f) {
    if (QFileInfo::exists(path))
        return true;
    std::printf("writing %s (%u x %u)...\n", f.name, f.width, f.height);
    std::fflush(stdout);
    TiffLayout layout;
    layout.width = f.width;
    layout.height = f.height;
    layout.bitsPerSample = f.bits;
    layout.compression = f.compression;
    layout.predictor = f.predictor;
    layout.tileSize = f.tileSize;
    const QString partial = path + QStringLiteral(".part");
    if (f.floatSamples) {
        layout.sampleFormat = SAMPLEFORMAT_IEEEFP;
        layout.rowsPerStrip = 16;
        if (!WriteTiffValues(partial, layout,
                             [](std::uint32_t x, std::uint32_t y) { return Height(x, y) / 7.0; }))
            return false;
        return QFile::rename(partial, path);
    }
    const int shift = f.bits == 8 ? 8 : 0;
    if (!WriteTiff(partial, layout, [shift](std::uint32_t x, std::uint32_t y, int) {
            return Height(x, y) >> shift;
        }))
        return false;
    return QFile::rename(partial, path);
}

std::int64_t RssAnonKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("RssAnon:", 0) == 0)
            return std::atoll(line.c_str() + 8);
    return 0;
}

std::string LoadAverage() {
    std::ifstream load("/proc/loadavg");
    std::string one, five, fifteen;
    load >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// How many cores `threads` threads actually get: the same arithmetic loop
// on one thread and on all of them. On a shared machine this is often well
// below the core count, and the parallel ratios can be no better than it.
double CoresAvailable(int threads) {
    auto spin = [] {
        volatile std::uint64_t sink = 0;
        std::uint64_t x = 1;
        for (int i = 0; i < 300000000; ++i)
            x = x * 6364136223846793005u + 1442695040888963407u;
        sink = x;
        (void)sink;
    };
    auto timed = [&](int n) {
        const auto start = Clock::now();
        std::vector<std::thread> spinners;
        for (int t = 0; t < n; ++t)
            spinners.emplace_back(spin);
        for (std::thread& spinner : spinners)
            spinner.join();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    return threads * timed(1) / timed(threads);
}

// The floor for strips: one handle, the scanlines of the kept rows in order,
// each reduced into the level buffer.
void ScanlineFloor(const QString& path, const ImageGeometry& g, std::uint8_t* levels) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    std::uint16_t bits = 8;
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(TIFFScanlineSize64(tif)));
    const std::int64_t keptWidth = g.SpanWidth / g.ColumnStep;
    for (std::int64_t row = 0; row < g.SpanHeight; row += g.RowStep) {
        TIFFReadScanline(tif, line.data(), std::uint32_t(row), 0);
        std::uint8_t* out = levels + row / g.RowStep * keptWidth;
        if (bits == 32) {
            const auto* samples = reinterpret_cast<const std::uint32_t*>(line.data());
            for (std::int64_t i = 0; i < keptWidth; ++i)
                out[i] = std::uint8_t(samples[i * g.ColumnStep] >> 24);
        } else if (bits == 16) {
            const auto* samples = reinterpret_cast<const std::uint16_t*>(line.data());
            for (std::int64_t i = 0; i < keptWidth; ++i)
                out[i] = std::uint8_t(samples[i * g.ColumnStep] >> 8);
        } else {
            for (std::int64_t i = 0; i < keptWidth; ++i)
                out[i] = line[std::size_t(i * g.ColumnStep)];
        }
    }
    TIFFClose(tif);
}

// The floor for tiles: one handle, TIFFReadTile tile by tile, each reduced
// into the level buffer (16-bit, step 1).
void TileFloor(const QString& path, const ImageGeometry& g, std::uint8_t* levels) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    std::uint32_t tw = 0, th = 0;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
    std::vector<std::uint16_t> tile(static_cast<std::size_t>(TIFFTileSize64(tif) / 2));
    for (std::int64_t y = 0; y < g.SpanHeight; y += th)
        for (std::int64_t x = 0; x < g.SpanWidth; x += tw) {
            TIFFReadTile(tif, tile.data(), std::uint32_t(x), std::uint32_t(y), 0, 0);
            const std::int64_t rows = std::min<std::int64_t>(th, g.SpanHeight - y);
            const std::int64_t columns = std::min<std::int64_t>(tw, g.SpanWidth - x);
            for (std::int64_t r = 0; r < rows; ++r) {
                std::uint8_t* out = levels + (y + r) * g.SpanWidth + x;
                const std::uint16_t* samples = tile.data() + r * tw;
                for (std::int64_t c = 0; c < columns; ++c)
                    out[c] = std::uint8_t(samples[c] >> 8);
            }
        }
    TIFFClose(tif);
}

// Milliseconds of one run into a fresh level buffer, first touch included,
// as the viewer's open has it.
double RunMs(std::size_t levelBytes, const std::function<void(std::uint8_t*)>& read) {
    std::uint8_t* levels = TryAllocate(levelBytes);
    const auto start = Clock::now();
    read(levels);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    FreeBuffer(levels);
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Peak anonymous memory during one read, sampled every half millisecond.
std::int64_t PeakRssAnonKiB(std::size_t levelBytes,
                            const std::function<void(std::uint8_t*)>& read) {
    std::atomic<bool> reading{true};
    std::atomic<std::int64_t> peak{RssAnonKiB()};
    std::thread sampler([&] {
        while (reading.load()) {
            peak.store(std::max(peak.load(), RssAnonKiB()));
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    std::uint8_t* levels = TryAllocate(levelBytes);
    read(levels);
    peak.store(std::max(peak.load(), RssAnonKiB()));
    reading.store(false);
    sampler.join();
    FreeBuffer(levels);
    return peak.load();
}

} // namespace

int main(int argc, char** argv) {
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QDir::temp().filePath(QStringLiteral("orvane-reader-bench"));
    const int runs = std::max(3, argc > 2 ? std::atoi(argv[2]) : 5);
    const std::string only = argc > 3 ? argv[3] : "";
    QDir().mkpath(folder);
    for (const BenchFile& f : kFiles)
        if (std::string(f.name).find(only) != std::string::npos &&
            !EnsureFile(QDir(folder).filePath(QString::fromLatin1(f.name)), f)) {
            std::printf("could not write %s in %s\n", f.name, qPrintable(folder));
            return 1;
        }

    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, 8);
    std::printf("files in %s; %d runs each; reader threads %d; load average %s; "
                "cores the threads get: %.2f\n",
                qPrintable(folder), runs, threads, LoadAverage().c_str(), CoresAvailable(threads));
    std::printf("%-32s %10s %10s %10s %7s %8s\n", "file", "floor ms", "reader ms", "1 thread",
                "ratio", "goal");
    bool allMet = true;
    struct Memory {
        const char* label;
        std::int64_t peakKiB, limitKiB;
    };
    std::vector<Memory> memory;
    for (const BenchFile& f : kFiles) {
        if (std::string(f.name).find(only) == std::string::npos)
            continue;
        const QString path = QDir(folder).filePath(QString::fromLatin1(f.name));
        const ImageGeometry g =
            ThinnedGeometry(f.width / f.step * f.step, f.height / f.step * f.step, f.step);
        const std::size_t levelBytes = std::size_t(g.SpanWidth / f.step * (g.SpanHeight / f.step));
        auto floor = [&](std::uint8_t* levels) {
            if (f.tileSize)
                TileFloor(path, g, levels);
            else
                ScanlineFloor(path, g, levels);
        };
        std::vector<int> percents;
        const std::int64_t keptWidth = g.SpanWidth / g.ColumnStep;
        std::vector<std::uint8_t> mask;
        // The open's read of the file's kind, as ReadSamples' signature has it.
        auto read = [&](std::uint8_t* levels, const ProgressFunction& progress,
                        const orvane::image::ReadOptions& options) {
            if (!f.floatSamples)
                return ReadSamples(TiffSource::File(path), g, levels, progress, options);
            mask.assign(std::size_t(MaskStride(keptWidth) * (g.SpanHeight / g.RowStep)), 0);
            return ReadValues(TiffSource::File(path), g, levels, mask.data(),
                              SampleFormat{SampleKind::Float, 32},
                              NoDataMatch(std::nullopt, SampleKind::Float, 32), progress, options);
        };
        auto reader = [&](std::uint8_t* levels) {
            percents.clear();
            const ReadResult r = read(levels, [&percents](int p) { percents.push_back(p); }, {});
            if (r.unreadableRows != 0 || percents.size() < 100)
                std::printf("  unexpected: %lld rows lost, %zu reports\n",
                            static_cast<long long>(r.unreadableRows), percents.size());
        };
        auto oneThread = [&](std::uint8_t* levels) {
            orvane::image::ReadOptions options;
            options.threads = 1;
            read(levels, {}, options);
        };
        RunMs(levelBytes, floor); // into the page cache
        RunMs(levelBytes, reader);
        std::vector<double> floorMs, readerMs, oneThreadMs;
        for (int i = 0; i < runs; ++i) {
            floorMs.push_back(RunMs(levelBytes, floor));
            readerMs.push_back(RunMs(levelBytes, reader));
            oneThreadMs.push_back(RunMs(levelBytes, oneThread));
        }
        const double ratio = Median(readerMs) / Median(floorMs);
        const bool met = ratio <= f.goal;
        allMet = allMet && met;
        std::printf("%-32s %10.1f %10.1f %10.1f %7.3f %5s%.2f %s\n", f.label, Median(floorMs),
                    Median(readerMs), Median(oneThreadMs), ratio, "<= ", f.goal,
                    met ? "met" : "MISSED");
        std::fflush(stdout);
        // The no-data mask is part of the picture's buffers, as the level buffer is.
        const std::int64_t maskKiB = f.floatSamples ? std::int64_t(mask.size() >> 10) : 0;
        const std::int64_t limitKiB = std::int64_t(levelBytes >> 10) + maskKiB + (64 << 10) +
                                      std::int64_t(threads) * (32 << 10);
        memory.push_back({f.label, PeakRssAnonKiB(levelBytes, reader), limitKiB});
    }
    std::printf("\npeak RssAnon during a read (whole process) against level buffer + 64 MiB + "
                "32 MiB x %d threads:\n",
                threads);
    for (const Memory& m : memory) {
        const bool met = m.peakKiB <= m.limitKiB;
        allMet = allMet && met;
        std::printf("%-32s %8.1f MiB <= %8.1f MiB %s\n", m.label, m.peakKiB / 1024.0,
                    m.limitKiB / 1024.0, met ? "met" : "MISSED");
    }
    std::printf("load average after: %s; cores the threads get: %.2f\n", LoadAverage().c_str(),
                CoresAvailable(threads));
    return allMet ? 0 : 2;
}
