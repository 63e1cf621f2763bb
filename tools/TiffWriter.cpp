#include "tools/TiffWriter.h"

#include <QFile>
#include <cstring>
#include <tiffio.h>
#include <vector>

namespace {

void Put(std::vector<std::uint8_t>& row, std::size_t index, int bits, std::uint32_t value) {
    switch (bits) {
    case 1:
        if (value & 1)
            row[index / 8] |= std::uint8_t(0x80 >> (index % 8));
        break;
    case 8:
        row[index] = std::uint8_t(value);
        break;
    case 16: {
        const std::uint16_t v = std::uint16_t(value);
        std::memcpy(&row[index * 2], &v, 2);
        break;
    }
    case 32:
        std::memcpy(&row[index * 4], &value, 4);
        break;
    default: // other depths: packed big-endian bits, as TIFF stores them
        for (int b = 0; b < bits; ++b)
            if (value & (1u << (bits - 1 - b))) {
                const std::size_t bit = index * bits + b;
                row[bit / 8] |= std::uint8_t(0x80 >> (bit % 8));
            }
    }
}

} // namespace

bool WriteTiff(const QString& path, const TiffSpec& spec,
               const std::function<std::uint32_t(std::uint32_t, std::uint32_t, int)>& sample) {
    std::string mode = "w";
    if (spec.bigTiff)
        mode += "8";
    mode += spec.bigEndian ? "b" : "l";
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), mode.c_str());
    if (!tif)
        return false;
    const int bits = spec.writeBitsPerSample ? spec.bitsPerSample : 1;
    const int spp = spec.samplesPerPixel;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, spec.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, spec.height);
    if (spec.writeBitsPerSample)
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    if (spec.writeSamplesPerPixel)
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, spec.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, spec.compression);
    if (spec.predictor)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, spec.predictor);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, spec.planar);
    if (spec.sampleFormat)
        TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, spec.sampleFormat);
    if (spec.xResolution) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, *spec.xResolution);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, *spec.xResolution);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, spec.resolutionUnit);
    }
    if (spec.minSampleValue)
        TIFFSetField(tif, TIFFTAG_MINSAMPLEVALUE, *spec.minSampleValue);
    if (spec.maxSampleValue)
        TIFFSetField(tif, TIFFTAG_MAXSAMPLEVALUE, *spec.maxSampleValue);
    auto text = [tif](ttag_t tag, const QString& value) {
        if (!value.isEmpty())
            TIFFSetField(tif, tag, value.toLatin1().constData());
    };
    text(TIFFTAG_SOFTWARE, spec.software);
    text(TIFFTAG_MODEL, spec.model);
    text(TIFFTAG_DATETIME, spec.dateTime);
    text(TIFFTAG_MAKE, spec.make);
    text(TIFFTAG_IMAGEDESCRIPTION, spec.description);

    const int perRow = spec.planar == 2 ? 1 : spp; // samples per pixel in one plane
    const int planes = spec.planar == 2 ? spp : 1;
    bool ok = true;
    if (spec.tileSize) {
        const std::uint32_t t = spec.tileSize;
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, t);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, t);
        std::vector<std::uint8_t> tile(TIFFTileSize(tif));
        for (int plane = 0; plane < planes && ok; ++plane)
            for (std::uint32_t ty = 0; ty < spec.height && ok; ty += t)
                for (std::uint32_t tx = 0; tx < spec.width && ok; tx += t) {
                    std::fill(tile.begin(), tile.end(), 0);
                    for (std::uint32_t y = 0; y < t; ++y)
                        for (std::uint32_t x = 0; x < t; ++x)
                            for (int s = 0; s < perRow; ++s) {
                                const std::uint32_t fx = tx + x, fy = ty + y;
                                if (fx < spec.width && fy < spec.height)
                                    Put(tile, (std::size_t(y) * t + x) * perRow + s, bits,
                                        sample(fx, fy, plane + s));
                            }
                    ok = TIFFWriteTile(tif, tile.data(), tx, ty, 0, uint16_t(plane)) >= 0;
                }
    } else {
        if (spec.rowsPerStrip)
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, spec.rowsPerStrip);
        else
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
        std::vector<std::uint8_t> row(TIFFScanlineSize(tif));
        for (int plane = 0; plane < planes && ok; ++plane)
            for (std::uint32_t y = 0; y < spec.height && ok; ++y) {
                std::fill(row.begin(), row.end(), 0);
                for (std::uint32_t x = 0; x < spec.width; ++x)
                    for (int s = 0; s < perRow; ++s)
                        Put(row, std::size_t(x) * perRow + s, bits, sample(x, y, plane + s));
                ok = TIFFWriteScanline(tif, row.data(), y, uint16_t(plane)) >= 0;
            }
    }
    TIFFClose(tif);
    return ok;
}
