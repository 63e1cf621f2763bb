#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

typedef struct tiff TIFF;

namespace orvane::tools {

// Writes small and large TIFF files with libtiff: the sample height maps, the
// test fixtures and the benchmark inputs all come from here.
struct TiffLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitsPerSample = 16;
    bool writeBitsPerSample = true; // false: no tag, 1-bit data
    std::uint16_t photometric = 1;
    int samplesPerPixel = 1;
    bool writeSamplesPerPixel = true;
    std::uint16_t compression = 1; // 1 none, 5 LZW, 7 JPEG, 8 Deflate, 32773 PackBits
    std::uint16_t predictor = 0;   // 0: no tag; 2: horizontal differencing (LZW, Deflate)
    std::uint16_t planar = 1;
    std::uint16_t fillOrder = 0;    // 0: no tag; 2: the bits of each byte stored lowest first
    std::uint16_t sampleFormat = 0; // 0: no tag
    bool bigTiff = false;
    bool bigEndian = false;
    std::uint32_t tileSize = 0;     // 0: strips
    std::uint32_t rowsPerStrip = 0; // 0: the library's default
    std::optional<float> xResolution;
    std::uint16_t resolutionUnit = 2;
    std::optional<std::uint16_t> minSampleValue, maxSampleValue;
    QString software, model, dateTime, make, description; // empty: no tag
    QString gdalNoData;                                   // empty: no GDAL_NODATA tag
    std::vector<double> modelPixelScale;                  // empty: no ModelPixelScaleTag
    std::vector<std::uint16_t> geoKeys;                   // empty: no GeoKeyDirectoryTag
};

// `sample(x, y, s)` gives sample s of pixel (x, y); it is truncated to the bit depth.
bool WriteTiff(const QString& path, const TiffLayout& layout,
               const std::function<std::uint32_t(std::uint32_t x, std::uint32_t y, int s)>& sample);

// The same with the value of each pixel, stored in the layout's sample format (sampleFormat 2:
// signed, 3: floating point, else unsigned) at its depth (8, 16, 32 or 64 bits). Integers lose
// their fraction; one outside the type's range throws std::out_of_range.
bool WriteTiffValues(const QString& path, const TiffLayout& layout,
                     const std::function<double(std::uint32_t x, std::uint32_t y)>& value);

// Makes the GeoTIFF and GDAL_NODATA tags known to `tif`, so that they can be written.
void RegisterExtraTags(TIFF* tif);

} // namespace orvane::tools
