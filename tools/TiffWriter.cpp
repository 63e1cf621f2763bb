#include "tools/TiffWriter.h"

#include <QFile>
#include <cstring>
#include <tiffio.h>
#include <vector>

namespace orvane::tools {

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

bool WriteTiff(const QString& path, const TiffLayout& layout,
               const std::function<std::uint32_t(std::uint32_t, std::uint32_t, int)>& sample) {
    std::string mode = "w";
    if (layout.bigTiff)
        mode += "8";
    mode += layout.bigEndian ? "b" : "l";
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), mode.c_str());
    if (!tif)
        return false;
    const int bits = layout.writeBitsPerSample ? layout.bitsPerSample : 1;
    const int spp = layout.samplesPerPixel;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, layout.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, layout.height);
    if (layout.writeBitsPerSample)
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    if (layout.writeSamplesPerPixel)
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, layout.compression);
    if (layout.predictor)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, layout.predictor);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, layout.planar);
    if (layout.fillOrder)
        TIFFSetField(tif, TIFFTAG_FILLORDER, layout.fillOrder);
    if (layout.sampleFormat)
        TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, layout.sampleFormat);
    if (layout.xResolution) {
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, *layout.xResolution);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, *layout.xResolution);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, layout.resolutionUnit);
    }
    if (layout.minSampleValue)
        TIFFSetField(tif, TIFFTAG_MINSAMPLEVALUE, *layout.minSampleValue);
    if (layout.maxSampleValue)
        TIFFSetField(tif, TIFFTAG_MAXSAMPLEVALUE, *layout.maxSampleValue);
    auto text = [tif](ttag_t tag, const QString& value) {
        if (!value.isEmpty())
            TIFFSetField(tif, tag, value.toLatin1().constData());
    };
    text(TIFFTAG_SOFTWARE, layout.software);
    text(TIFFTAG_MODEL, layout.model);
    text(TIFFTAG_DATETIME, layout.dateTime);
    text(TIFFTAG_MAKE, layout.make);
    text(TIFFTAG_IMAGEDESCRIPTION, layout.description);

    const int perRow = layout.planar == 2 ? 1 : spp; // samples per pixel in one plane
    const int planes = layout.planar == 2 ? spp : 1;
    bool ok = true;
    if (layout.tileSize) {
        const std::uint32_t t = layout.tileSize;
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, t);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, t);
        std::vector<std::uint8_t> tile(TIFFTileSize(tif));
        for (int plane = 0; plane < planes && ok; ++plane)
            for (std::uint32_t ty = 0; ty < layout.height && ok; ty += t)
                for (std::uint32_t tx = 0; tx < layout.width && ok; tx += t) {
                    std::fill(tile.begin(), tile.end(), 0);
                    for (std::uint32_t y = 0; y < t; ++y)
                        for (std::uint32_t x = 0; x < t; ++x)
                            for (int s = 0; s < perRow; ++s) {
                                const std::uint32_t fx = tx + x, fy = ty + y;
                                if (fx < layout.width && fy < layout.height)
                                    Put(tile, (std::size_t(y) * t + x) * perRow + s, bits,
                                        sample(fx, fy, plane + s));
                            }
                    ok = TIFFWriteTile(tif, tile.data(), tx, ty, 0, uint16_t(plane)) >= 0;
                }
    } else {
        if (layout.rowsPerStrip)
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, layout.rowsPerStrip);
        else
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
        std::vector<std::uint8_t> row(TIFFScanlineSize(tif));
        for (int plane = 0; plane < planes && ok; ++plane)
            for (std::uint32_t y = 0; y < layout.height && ok; ++y) {
                std::fill(row.begin(), row.end(), 0);
                for (std::uint32_t x = 0; x < layout.width; ++x)
                    for (int s = 0; s < perRow; ++s)
                        Put(row, std::size_t(x) * perRow + s, bits, sample(x, y, plane + s));
                ok = TIFFWriteScanline(tif, row.data(), y, uint16_t(plane)) >= 0;
            }
    }
    TIFFClose(tif);
    return ok;
}

} // namespace orvane::tools
