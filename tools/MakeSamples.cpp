// Writes a few sample height maps into a folder: a 16-bit scanner relief with
// resolution, height range and scanner texts, an 8-bit map, a BigTIFF, a 32-bit
// float elevation model in metres with holes (a GeoTIFF), and a signed 16-bit
// profilometer export with a declared no-data value.
#include "tools/TiffWriter.h"

#include <QDir>
#include <cmath>
#include <cstdio>
#include <functional>

using namespace orvane::tools;

namespace {

// A worn coin on a slightly tilted plate: a raised rim, a dome with a ridge
// pattern, a few scratches and fine-grained roughness. Heights in 0..1.
// u runs 0..1 across the width, v the same scale down the height (square pixels).
double CoinRelief(double u, double v, double aspect) {
    const double x = u - 0.5, y = (v - 0.5) * aspect;
    const double r = std::sqrt(x * x + y * y);
    double h = 0.15 + 0.05 * u; // tilted plate
    if (r < 0.38) {
        h += 0.35;                                              // coin body
        h += 0.25 * std::exp(-std::pow((r - 0.36) / 0.015, 2)); // rim
        h += 0.2 * std::cos(r * 9.0) * std::exp(-r * 4);        // dome
        h += 0.05 * std::sin(std::atan2(y, x) * 12) * (r > 0.2 && r < 0.3);
    }
    h -= 0.08 * std::exp(-std::pow((x + y * 0.3 - 0.1) / 0.004, 2)); // scratch
    h += 0.01 * std::sin(u * 900) * std::sin(v * 700);               // roughness
    return std::clamp(h, 0.0, 1.0);
}

bool Write(const QString& path, const TiffLayout& layout, int maxValue) {
    const bool ok = WriteTiff(path, layout, [&](std::uint32_t x, std::uint32_t y, int) {
        return std::uint32_t(
            std::lround(CoinRelief(double(x) / layout.width, double(y) / layout.height,
                                   double(layout.height) / layout.width) *
                        maxValue));
    });
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// Hills and a valley over 2 m pixels, heights 200 to 650 m; NaN over a lake where
// nothing was measured.
double Terrain(std::uint32_t x, std::uint32_t y) {
    const double u = x / 1200.0, v = y / 900.0;
    const double lake = std::hypot(u - 0.7, v - 0.3);
    if (lake < 0.08)
        return std::nan("");
    return 200 + 300 * std::exp(-std::pow((u - 0.3) / 0.2, 2) - std::pow((v - 0.6) / 0.25, 2)) +
           150 * std::exp(-std::pow((u - 0.75) / 0.15, 2) - std::pow((v - 0.75) / 0.2, 2)) +
           5 * std::sin(u * 60) * std::cos(v * 45);
}

bool WriteValues(const QString& path, const TiffLayout& layout,
                 const std::function<double(std::uint32_t, std::uint32_t)>& value) {
    const bool ok = WriteTiffValues(path, layout, value);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("samples");
    QDir().mkpath(folder);

    TiffLayout relief;
    relief.width = 2400;
    relief.height = 1800;
    relief.bitsPerSample = 16;
    relief.compression = 8; // deflate
    relief.xResolution = 1000.0f;
    relief.minSampleValue = 1000; // heights in thousandths of a millimetre
    relief.maxSampleValue = 3000;
    relief.software = "Scan3D Studio 4.2.1";
    relief.model = "HS-2 laser profilometer";
    relief.dateTime = "2026:11:30 14:22:05";
    relief.make = "Stylus 0.5 mm, 25 um lateral step, 1 um vertical";
    relief.description = "Coin test piece, obverse.\nOperator: sample data.";

    TiffLayout grey8;
    grey8.width = 1000;
    grey8.height = 800;
    grey8.bitsPerSample = 8;
    grey8.xResolution = 100.0f;
    grey8.resolutionUnit = 3; // per centimetre: 254 dpi
    grey8.minSampleValue = 0;
    grey8.maxSampleValue = 2000;

    TiffLayout big = relief;
    big.width = 1600;
    big.height = 1200;
    big.bigTiff = true;
    big.tileSize = 256;
    big.description = "BigTIFF sample, tiled.";

    TiffLayout dem;
    dem.width = 1200;
    dem.height = 900;
    dem.bitsPerSample = 32;
    dem.sampleFormat = 3; // IEEE floating point
    dem.compression = 8;
    dem.predictor = 3; // floating-point differencing
    dem.rowsPerStrip = 16;
    dem.modelPixelScale = {2.0, 2.0, 0.0};
    // A projected system in metres: model type projected, raster type area, metre units.
    dem.geoKeys = {1, 1, 0, 3, 1024, 0, 1, 1, 1025, 0, 1, 1, 3076, 0, 1, 9001};
    dem.description = "Elevation model sample: 2 m pixels, heights in metres, a lake not measured.";

    TiffLayout profilometer;
    profilometer.width = 800;
    profilometer.height = 600;
    profilometer.bitsPerSample = 16;
    profilometer.sampleFormat = 2; // signed
    profilometer.xResolution = 1000.0f;
    profilometer.gdalNoData = QStringLiteral("-32768");
    profilometer.software = "Profilometer export";
    auto profile = [](std::uint32_t x, std::uint32_t y) {
        if (x > 500 && x < 530) // the stylus lifted: no data
            return -32768.0;
        return std::round(12000 * CoinRelief(x / 800.0, y / 800.0, 1.0)) - 6000;
    };

    const bool ok = Write(folder + "/relief16.tif", relief, 65535) &&
                    Write(folder + "/grey8.tif", grey8, 255) &&
                    Write(folder + "/bigtiff16.tif", big, 65535) &&
                    WriteValues(folder + "/dem-float32.tif", dem, Terrain) &&
                    WriteValues(folder + "/profilometer-int16.tif", profilometer, profile);
    return ok ? 0 : 1;
}
