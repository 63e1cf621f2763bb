// Writes the fuzzer's seed corpus: small valid files of every layout the
// reader handles, and hand-broken headers that lead the fuzzer to the
// rejection and damage paths. Usage: make_fuzz_seeds <directory>
#include "tests/robustness/TiffSurgery.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <tiffio.h>

namespace {

std::uint32_t Ramp(std::uint32_t x, std::uint32_t y, int) {
    return (x * 1031 + y * 523) & 0xFFFF;
}

TiffSpec Small(int bits) {
    TiffSpec spec;
    spec.width = 40;
    spec.height = 30;
    spec.bitsPerSample = bits;
    spec.rowsPerStrip = 8;
    spec.xResolution = 1000.0f;
    spec.minSampleValue = 1000;
    spec.maxSampleValue = 3000;
    spec.software = "Scanner 1.0";
    return spec;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    int written = 0;
    auto put = [&](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) ||
            file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", name);
            std::exit(1);
        }
        ++written;
    };

    // Valid layouts.
    put("strip8.tif", TiffBytes(Small(8), Ramp));
    put("strip16.tif", TiffBytes(Small(16), Ramp));
    TiffSpec be = Small(16);
    be.bigEndian = true;
    put("strip16-be.tif", TiffBytes(be, Ramp));
    TiffSpec white = Small(8);
    white.photometric = 0;
    put("min-is-white.tif", TiffBytes(white, Ramp));
    TiffSpec tiled = Small(16);
    tiled.tileSize = 16;
    put("tiled16.tif", TiffBytes(tiled, Ramp));
    TiffSpec big = Small(16);
    big.bigTiff = true;
    put("bigtiff.tif", TiffBytes(big, Ramp));
    TiffSpec bigTiled = tiled;
    bigTiled.bigTiff = true;
    bigTiled.compression = COMPRESSION_ADOBE_DEFLATE;
    put("bigtiff-tiled-deflate.tif", TiffBytes(bigTiled, Ramp));
    for (auto [name, compression] : {std::pair{"lzw.tif", COMPRESSION_LZW},
                                     std::pair{"deflate.tif", COMPRESSION_ADOBE_DEFLATE},
                                     std::pair{"packbits.tif", COMPRESSION_PACKBITS}}) {
        TiffSpec spec = Small(16);
        spec.compression = std::uint16_t(compression);
        put(name, TiffBytes(spec, Ramp));
    }
    TiffSpec planar = Small(8);
    planar.planar = PLANARCONFIG_SEPARATE;
    put("planar2.tif", TiffBytes(planar, Ramp));

    // Rejected by the acceptance rules.
    TiffSpec rgb = Small(8);
    rgb.samplesPerPixel = 3;
    rgb.photometric = PHOTOMETRIC_RGB;
    put("rgb.tif", TiffBytes(rgb, Ramp));
    TiffSpec floats = Small(32);
    floats.sampleFormat = SAMPLEFORMAT_IEEEFP;
    put("float32.tif", TiffBytes(floats, Ramp));
    TiffSpec signed16 = Small(16);
    signed16.sampleFormat = SAMPLEFORMAT_INT;
    put("signed16.tif", TiffBytes(signed16, Ramp));
    put("bits12.tif", TiffBytes(Small(12), Ramp));

    // Hand-broken headers.
    const QByteArray good = TiffBytes(Small(16), Ramp);
    put("truncated.tif", good.left(good.size() * 2 / 3));
    QByteArray bom = good;
    bom[0] = 'X';
    put("wrong-bom.tif", bom);
    QByteArray far = good;
    surgery::SetFirstIfd(far, std::uint32_t(good.size() + 1000));
    put("ifd-beyond-end.tif", far);
    QByteArray loop = good;
    surgery::PutU32(loop, surgery::NextIfdField(loop), surgery::FirstIfd(loop));
    put("ifd-loop.tif", loop);
    QByteArray huge = good;
    surgery::SetTagValues(huge, TIFFTAG_IMAGEWIDTH, 0xFFFFFFF0u);
    surgery::SetTagValues(huge, TIFFTAG_IMAGELENGTH, 0xFFFFFFF0u);
    put("huge-dimensions.tif", huge);
    QByteArray tall = good;
    surgery::SetTagValues(tall, TIFFTAG_IMAGELENGTH, 0x7FFFFFFFu);
    surgery::SetTagValues(tall, TIFFTAG_ROWSPERSTRIP, 0x7FFFFFFFu);
    put("tall-one-strip.tif", tall);
    QByteArray past = good;
    surgery::SetTagValues(past, TIFFTAG_STRIPOFFSETS, std::uint32_t(good.size() + 4096));
    put("strips-past-end.tif", past);
    QByteArray codec = good;
    surgery::SetTagValues(codec, TIFFTAG_COMPRESSION, 60000);
    put("unknown-compression.tif", codec);
    QByteArray hugeTiles = TiffBytes(tiled, Ramp);
    surgery::SetTagValues(hugeTiles, TIFFTAG_TILEWIDTH, 1u << 20);
    surgery::SetTagValues(hugeTiles, TIFFTAG_TILELENGTH, 1u << 20);
    put("huge-tiles.tif", hugeTiles);

    std::printf("%d seed files in %s\n", written, argv[1]);
    return 0;
}
