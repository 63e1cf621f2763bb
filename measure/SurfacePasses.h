#pragma once
// The measurements that take every pixel of the open file at full resolution: the form fitted for
// levelling and the areal parameters of a rectangle. Each runs the measuring read (one or two
// passes over the file, on every core) and may run on any thread.
#include "image/HeightRead.h"
#include "image/ImageModel.h"
#include "image/SampleReader.h"
#include "measure/ArealParameters.h"
#include "measure/SurfaceForm.h"

#include <QString>
#include <array>
#include <atomic>
#include <optional>

namespace orvane::measure {

// What the measurements need of the open image (its geometry, sample format, units), without its
// levels: a copy a worker thread can own while the window opens another file.
image::ImageModel MeasuringModel(const image::ImageModel& image);

// The unit heights are shown in: the file's own where it names one, millimetres where the heights
// come from a sample-value range, none (an empty name) for values without a unit.
struct HeightDisplay {
    QString Unit;
    double MmPerUnit = 1;
};
HeightDisplay HeightDisplayOf(const image::ImageModel& image);

// The form of the open image and what remains of its heights once the form is taken away.
struct Levelling {
    SurfaceForm Form;
    bool Millimetres = false; // heights, coefficients and residual in mm; else stored values
    double ResidualRms = 0;   // sqrt(mean (height - form)^2) over every valid pixel
    double ResidualMin = 0, ResidualMax = 0;
    std::int64_t Points = 0; // valid pixels
};

struct LevellingOutcome {
    std::optional<Levelling> Levelled;
    QString WhyNone; // with no levelling, and not cancelled
    bool Cancelled = false;
};

// A form of `kind` (Plane, Poly2, Poly3) fitted by least squares to every valid pixel of the
// file: one pass.
struct FormOutcome {
    std::optional<SurfaceForm> Form;
    QString WhyNone; // with no form, and not cancelled
    bool Cancelled = false;
};
FormOutcome FitForm(const image::TiffSource& source, const image::ImageModel& model, FormKind kind,
                    const image::ProgressFunction& progress,
                    const std::atomic<bool>* cancel = nullptr);

// FitForm, then the residual: two passes, progress 0-49 then 50-99.
LevellingOutcome FitLevelling(const image::TiffSource& source, const image::ImageModel& model,
                              FormKind kind, const image::ProgressFunction& progress,
                              const std::atomic<bool>* cancel = nullptr);

// The plane through the heights of three file pixels (read from `reader`), then its residual over
// the whole file: one pass.
LevellingOutcome LevelThroughPoints(const image::TiffSource& source, const image::ImageModel& model,
                                    image::SampleReader& reader,
                                    const std::array<image::FilePixel, 3>& pixels,
                                    const image::ProgressFunction& progress,
                                    const std::atomic<bool>* cancel = nullptr);

// The picture of the levelled surface: the level of every kept pixel of `model` (its buffer's
// size, `levels`) for its height less the levelling's form, LevelOfValue over the residual's
// range; level 0 where a pixel has no value or its row cannot be read. One pass over the kept
// rows. False when cancelled or the file could not be read.
bool LevelledLevels(const image::TiffSource& source, const image::ImageModel& model,
                    const Levelling& levelling, std::uint8_t* levels,
                    const image::ProgressFunction& progress,
                    const std::atomic<bool>* cancel = nullptr);

// The levelled range in the unit of the model's ZMin (mm for heights from a sample-value range,
// the stored unit for value files); nothing for files without a height range, whose relief and
// colour bar have no heights to show.
std::optional<image::ImageModel::HeightSpan> LevelledSpanOf(const image::ImageModel& model,
                                                            const Levelling& levelling);

// A rectangle of file pixels, both corners included.
struct PixelRect {
    std::int64_t Column1 = 0, Row1 = 0, Column2 = 0, Row2 = 0;
    std::int64_t Width() const { return Column2 - Column1 + 1; }
    std::int64_t Height() const { return Row2 - Row1 + 1; }
};
// The rectangle between two pixels, corners in any order, clamped to the image.
PixelRect RectBetween(const image::FilePixel& a, const image::FilePixel& b, std::int64_t width,
                      std::int64_t height);

struct ArealOutcome {
    PixelRect Rect;
    std::optional<ArealFigures> Figures; // nothing when no pixel of the rectangle has a value
    bool Millimetres = false;            // heights in mm; else stored values
    std::optional<double> AreaMm2;       // every pixel of the rectangle, when pixels have mm
    std::int64_t Unread = 0;             // pixels that could not be read
    bool Levelled = false;
    bool Cancelled = false;
    bool ReadFailed = false; // the file could not be read again: no figures, no row
};

// The areal parameters of `rect` on the surface less `form` (none: as stored): two passes over
// the rows down to the rectangle's last, progress 0-49 then 50-99.
ArealOutcome MeasureAreal(const image::TiffSource& source, const image::ImageModel& model,
                          const PixelRect& rect, const SurfaceForm* form,
                          const image::ProgressFunction& progress,
                          const std::atomic<bool>* cancel = nullptr);

// Percentages 0-99 of one step of a longer job, as `span` percent of it from `from` on.
image::ProgressFunction ProgressShare(const image::ProgressFunction& progress, int from, int span);

// The levelling's name: "none", "plane", "plane through 3 points", "polynomial of degree 2".
QString LevellingName(FormKind kind);

// "Levelling: plane   z = a + b x + c y ...   residual rms ..." for the Results panel, with the
// coefficients of the file-pixel polynomial (x = column, y = row) in the display unit.
QString LevellingText(FormKind kind, const std::optional<Levelling>& levelling,
                      const HeightDisplay& unit);
// The areal figures of a rectangle for the Results panel.
QString ArealText(const ArealOutcome& areal, const HeightDisplay& unit);

} // namespace orvane::measure
