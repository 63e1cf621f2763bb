#include "tools/TiffWriter.h"

#include <QFile>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <tiffio.h>
#include <type_traits>
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

// A value the sample type cannot hold is the caller's mistake: converting it
// would be undefined, and a fixture that silently holds other values than its
// test meant tests nothing.
template <class T> void PutTyped(std::vector<std::uint8_t>& row, std::size_t index, double value) {
    if constexpr (std::is_integral_v<T>)
        if (!(value >= double(std::numeric_limits<T>::lowest()) &&
              value <= double(std::numeric_limits<T>::max())))
            throw std::out_of_range("sample value outside its type's range");
    const T typed = static_cast<T>(value);
    std::memcpy(&row[index * sizeof(T)], &typed, sizeof(T));
}

// Where a sample goes: the value's bytes in this machine's order.
using PutSample = std::function<void(std::vector<std::uint8_t>& row, std::size_t index,
                                     std::uint32_t x, std::uint32_t y, int s)>;

bool Write(const QString& path, const TiffLayout& layout, const PutSample& put) {
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
    RegisterExtraTags(tif);
    text(42113, layout.gdalNoData);
    if (!layout.modelPixelScale.empty())
        TIFFSetField(tif, 33550, int(layout.modelPixelScale.size()), layout.modelPixelScale.data());
    if (!layout.geoKeys.empty())
        TIFFSetField(tif, 34735, int(layout.geoKeys.size()), layout.geoKeys.data());

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
                                    put(tile, (std::size_t(y) * t + x) * perRow + s, fx, fy,
                                        plane + s);
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
                        put(row, std::size_t(x) * perRow + s, x, y, plane + s);
                ok = TIFFWriteScanline(tif, row.data(), y, uint16_t(plane)) >= 0;
            }
    }
    TIFFClose(tif);
    return ok;
}

} // namespace

void RegisterExtraTags(TIFF* tif) {
    static const TIFFFieldInfo kFields[] = {
        {33550, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelPixelScale")},
        {34735, -1, -1, TIFF_SHORT, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoKeyDirectory")},
        {34736, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoDoubleParams")},
        {34737, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GeoAsciiParams")},
        {42113, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDAL_NODATA")},
    };
    TIFFMergeFieldInfo(tif, kFields, sizeof kFields / sizeof kFields[0]);
}

bool WriteTiff(const QString& path, const TiffLayout& layout,
               const std::function<std::uint32_t(std::uint32_t, std::uint32_t, int)>& sample) {
    const int bits = layout.writeBitsPerSample ? layout.bitsPerSample : 1;
    return Write(path, layout,
                 [&](std::vector<std::uint8_t>& row, std::size_t index, std::uint32_t x,
                     std::uint32_t y, int s) { Put(row, index, bits, sample(x, y, s)); });
}

bool WriteTiffValues(const QString& path, const TiffLayout& layout,
                     const std::function<double(std::uint32_t, std::uint32_t)>& value) {
    const int bits = layout.bitsPerSample;
    const int format = layout.sampleFormat;
    return Write(path, layout,
                 [&](std::vector<std::uint8_t>& row, std::size_t index, std::uint32_t x,
                     std::uint32_t y, int) {
                     const double v = value(x, y);
                     if (format == 3)
                         bits == 64 ? PutTyped<double>(row, index, v)
                                    : PutTyped<float>(row, index, v);
                     else if (format == 2)
                         bits == 8    ? PutTyped<std::int8_t>(row, index, v)
                         : bits == 16 ? PutTyped<std::int16_t>(row, index, v)
                         : bits == 32 ? PutTyped<std::int32_t>(row, index, v)
                                      : PutTyped<std::int64_t>(row, index, v);
                     else
                         bits == 8    ? PutTyped<std::uint8_t>(row, index, v)
                         : bits == 16 ? PutTyped<std::uint16_t>(row, index, v)
                         : bits == 32 ? PutTyped<std::uint32_t>(row, index, v)
                                      : PutTyped<std::uint64_t>(row, index, v);
                 });
}

} // namespace orvane::tools
