#pragma once
#include "image/SampleKind.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

typedef struct tiff TIFF;

namespace orvane::image {

// The no-data value a file declares in its GDAL_NODATA tag (42113).
struct NoDataValue {
    double Value = 0.0; // a quiet NaN when IsNan
    bool IsNan = false; // "nan", "-nan", "NaN", ...
    QString Text;       // the tag's text as stored, blanks included
};

// The number in a GDAL_NODATA text, read with "." as decimal point whatever
// the locale. Blanks around it are allowed; anything else after it, an empty
// text, or a number beyond what a double holds ("1e400", "1e-400") declares no
// value. "inf" and "-inf" declare the infinities.
std::optional<NoDataValue> ParseNoDataText(std::string_view text);

// The file's GDAL_NODATA value, or none when the tag is absent or refused.
std::optional<NoDataValue> ReadNoDataTag(TIFF* tif);

// Whether a sample is no-data, decided once per file so that a reader asks one
// question per sample. The declared value is compared in the samples' own type:
//  - integer samples match it only when it is exactly representable there
//    ("-32768" in int16; "3.5", "70000" in uint16 and non-finite values match
//    nothing);
//  - 32-bit and 16-bit float samples match it rounded to that width as the
//    file would have stored it, 64-bit float samples match it exactly, other
//    float widths never match it;
//  - float samples that are NaN or infinite are no-data whatever the tag says.
class NoDataMatch {
public:
    // Matches nothing.
    NoDataMatch() = default;
    NoDataMatch(const std::optional<NoDataValue>& declared, SampleKind kind, int bitsPerSample);

    // `sample` is the stored value converted to double.
    bool Matches(double sample) const {
        // target_ is NaN when there is no finite value to match, and NaN
        // equals nothing.
        return sample == target_ || (nonFiniteMatch_ && !std::isfinite(sample));
    }
    // False when no sample can match: a reader may skip the test.
    bool CanMatch() const { return nonFiniteMatch_ || !std::isnan(target_); }
    // The finite sample value that is no-data, if any.
    std::optional<double> Target() const {
        return std::isnan(target_) ? std::nullopt : std::optional<double>(target_);
    }

private:
    double target_ = std::numeric_limits<double>::quiet_NaN();
    bool nonFiniteMatch_ = false;
};

// What a unit named by a GeoTIFF key is.
enum class UnitKind { Unknown, Metre, Degree, Other };

struct GeoUnit {
    UnitKind Kind = UnitKind::Unknown;
    // "m", "deg", "ft", "ftUS", "km", "rad", "unit code N" for a code without
    // a name here, "unknown".
    QString Name = QStringLiteral("unknown");
    int Code = 0; // the EPSG unit code the file gives; 0 when it gives none
};

// The ground size of one pixel, in Unit: never converted, so feet stay feet.
// Millimetres in one unit a GeoTIFF names for lengths or heights; 0 for units without a length
// (degrees, unknown codes).
double MmPerUnit(const GeoUnit& unit);

struct PixelSize {
    double X = 0.0; // along a row
    double Y = 0.0; // down a column
    GeoUnit Unit;
};

// What a GeoTIFF's pixels and sample values measure, from ModelPixelScaleTag
// (33550) and the GeoKeyDirectoryTag (34735) with its double (34736) and
// text (34737) parameters.
struct GeoReference {
    // A pixel scale of three values and a well-formed key directory are both
    // present. A malformed directory (version other than 1, a key whose values
    // run past the tag holding them, a key given twice, values in a tag other
    // than the three GeoTIFF ones) makes the file no GeoTIFF at all.
    bool GeoTiff = false;
    // Present for a GeoTIFF whose scale is finite and positive across and
    // down. Metres when the model is projected (GTModelTypeGeoKey 1) with
    // ProjLinearUnitsGeoKey 9001; the named unit for other linear codes;
    // degrees when the model is geographic (2) and GeogAngularUnitsGeoKey is
    // 9102 or absent. Unknown otherwise (no model type, projected without
    // ProjLinearUnitsGeoKey, geocentric): never assumed to be metres.
    std::optional<PixelSize> Pixel;
    // The third scale value as stored: most files write 0.
    double ScaleZ = 0.0;
    // A GeoTIFF's heights are in metres unless VerticalUnitsGeoKey (4099)
    // names another unit; unknown for a file that is no GeoTIFF or whose key
    // holds no unit code.
    GeoUnit HeightUnit;
};

GeoReference ReadGeoReference(TIFF* tif);

} // namespace orvane::image
