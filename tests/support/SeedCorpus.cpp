#include "tests/support/SeedCorpus.h"

#include "tests/support/TiffSurgery.h"

#include <cmath>
#include <tiffio.h>

namespace orvane::test {

using tools::TiffLayout;

namespace {

std::uint32_t Ramp(std::uint32_t x, std::uint32_t y, int) {
    return (x * 1031 + y * 523) & 0xFFFF;
}

TiffLayout Small(int bits) {
    TiffLayout layout;
    layout.width = 40;
    layout.height = 30;
    layout.bitsPerSample = bits;
    layout.rowsPerStrip = 8;
    layout.xResolution = 1000.0f;
    layout.minSampleValue = 1000;
    layout.maxSampleValue = 3000;
    layout.software = "Scanner 1.0";
    return layout;
}

} // namespace

QList<CorpusFile> SeedCorpus() {
    QList<CorpusFile> files;
    auto add = [&files](const char* name, const QByteArray& bytes) {
        files.append({QString::fromLatin1(name), bytes});
    };

    // Valid layouts.
    add("strip8.tif", TiffBytes(Small(8), Ramp));
    add("strip16.tif", TiffBytes(Small(16), Ramp));
    TiffLayout be = Small(16);
    be.bigEndian = true;
    add("strip16-be.tif", TiffBytes(be, Ramp));
    TiffLayout white = Small(8);
    white.photometric = 0;
    add("min-is-white.tif", TiffBytes(white, Ramp));
    TiffLayout tiled = Small(16);
    tiled.tileSize = 16;
    add("tiled16.tif", TiffBytes(tiled, Ramp));
    TiffLayout big = Small(16);
    big.bigTiff = true;
    add("bigtiff.tif", TiffBytes(big, Ramp));
    TiffLayout bigTiled = tiled;
    bigTiled.bigTiff = true;
    bigTiled.compression = COMPRESSION_ADOBE_DEFLATE;
    add("bigtiff-tiled-deflate.tif", TiffBytes(bigTiled, Ramp));
    for (auto [name, compression] : {std::pair{"lzw.tif", COMPRESSION_LZW},
                                     std::pair{"deflate.tif", COMPRESSION_ADOBE_DEFLATE},
                                     std::pair{"packbits.tif", COMPRESSION_PACKBITS}}) {
        TiffLayout layout = Small(16);
        layout.compression = std::uint16_t(compression);
        add(name, TiffBytes(layout, Ramp));
    }
    TiffLayout planar = Small(8);
    planar.planar = PLANARCONFIG_SEPARATE;
    add("planar2.tif", TiffBytes(planar, Ramp));

    // Values: signed, 32-bit and floating-point samples, holes, a no-data value, a GeoTIFF.
    auto valued = [](std::uint16_t format, int bits) {
        TiffLayout layout = Small(bits);
        layout.sampleFormat = format;
        layout.minSampleValue.reset();
        layout.maxSampleValue.reset();
        return layout;
    };
    auto heights = [](std::uint32_t x, std::uint32_t y) {
        return (x + y) % 13 == 0 ? std::nan("") : 100.5 - 3.25 * x + 0.5 * y;
    };
    auto integers = [](std::uint32_t x, std::uint32_t y) {
        return double(int(x * 50) - int(y * 70));
    };
    add("float32-nan.tif", TiffValueBytes(valued(SAMPLEFORMAT_IEEEFP, 32), heights));
    TiffLayout float64 = valued(SAMPLEFORMAT_IEEEFP, 64);
    float64.tileSize = 16;
    add("float64-tiled.tif", TiffValueBytes(float64, heights));
    TiffLayout predicted = valued(SAMPLEFORMAT_IEEEFP, 32);
    predicted.compression = COMPRESSION_ADOBE_DEFLATE;
    predicted.predictor = PREDICTOR_FLOATINGPOINT;
    add("float32-fp-predictor.tif", TiffValueBytes(predicted, heights));
    TiffLayout noData = valued(SAMPLEFORMAT_INT, 16);
    noData.gdalNoData = QStringLiteral("-32768");
    add("int16-nodata.tif", TiffValueBytes(noData, [&integers](std::uint32_t x, std::uint32_t y) {
            return x == 7 ? -32768.0 : integers(x, y);
        }));
    TiffLayout int32 = valued(SAMPLEFORMAT_INT, 32);
    int32.compression = COMPRESSION_LZW;
    int32.predictor = PREDICTOR_HORIZONTAL;
    add("int32-lzw-predictor.tif", TiffValueBytes(int32, integers));
    TiffLayout uint32 = valued(SAMPLEFORMAT_UINT, 32);
    uint32.bigEndian = true;
    add("uint32-be.tif", TiffValueBytes(uint32, [](auto x, auto y) { return x * 1e8 + y; }));
    add("int8.tif",
        TiffValueBytes(valued(SAMPLEFORMAT_INT, 8), [](std::uint32_t x, std::uint32_t y) {
            return double(int(x * 3) - int(y * 4));
        }));
    TiffLayout geo = valued(SAMPLEFORMAT_IEEEFP, 32);
    geo.modelPixelScale = {2.0, 2.0, 0.0};
    geo.geoKeys = {1, 1, 0, 3, 1024, 0, 1, 1, 1025, 0, 1, 1, 3076, 0, 1, 9001};
    add("geotiff-metres.tif", TiffValueBytes(geo, heights));

    // Rejected by the acceptance rules.
    TiffLayout rgb = Small(8);
    rgb.samplesPerPixel = 3;
    rgb.photometric = PHOTOMETRIC_RGB;
    add("rgb.tif", TiffBytes(rgb, Ramp));
    TiffLayout floats = Small(32);
    floats.sampleFormat = SAMPLEFORMAT_IEEEFP;
    add("float32.tif", TiffBytes(floats, Ramp));
    TiffLayout signed16 = Small(16);
    signed16.sampleFormat = SAMPLEFORMAT_INT;
    add("signed16.tif", TiffBytes(signed16, Ramp));
    add("bits12.tif", TiffBytes(Small(12), Ramp));

    // Hand-broken headers.
    const QByteArray good = TiffBytes(Small(16), Ramp);
    add("truncated.tif", good.left(good.size() * 2 / 3));
    QByteArray bom = good;
    bom[0] = 'X';
    add("wrong-bom.tif", bom);
    QByteArray far = good;
    surgery::SetFirstIfd(far, std::uint32_t(good.size() + 1000));
    add("ifd-beyond-end.tif", far);
    QByteArray loop = good;
    surgery::PutU32(loop, surgery::NextIfdField(loop), surgery::FirstIfd(loop));
    add("ifd-loop.tif", loop);
    QByteArray huge = good;
    surgery::SetTagValues(huge, TIFFTAG_IMAGEWIDTH, 0xFFFFFFF0u);
    surgery::SetTagValues(huge, TIFFTAG_IMAGELENGTH, 0xFFFFFFF0u);
    add("huge-dimensions.tif", huge);
    QByteArray tall = good;
    surgery::SetTagValues(tall, TIFFTAG_IMAGELENGTH, 0x7FFFFFFFu);
    surgery::SetTagValues(tall, TIFFTAG_ROWSPERSTRIP, 0x7FFFFFFFu);
    add("tall-one-strip.tif", tall);
    QByteArray past = good;
    surgery::SetTagValues(past, TIFFTAG_STRIPOFFSETS, std::uint32_t(good.size() + 4096));
    add("strips-past-end.tif", past);
    QByteArray codec = good;
    surgery::SetTagValues(codec, TIFFTAG_COMPRESSION, 60000);
    add("unknown-compression.tif", codec);
    QByteArray hugeTiles = TiffBytes(tiled, Ramp);
    surgery::SetTagValues(hugeTiles, TIFFTAG_TILEWIDTH, 1u << 20);
    surgery::SetTagValues(hugeTiles, TIFFTAG_TILELENGTH, 1u << 20);
    add("huge-tiles.tif", hugeTiles);
    return files;
}

} // namespace orvane::test
