#include "measure/SurfacePasses.h"
#include "measure/PassRunner.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

namespace orvane::measure {

namespace {

QString ReadFailedText() {
    return QStringLiteral("The file could not be read again.");
}

// The residual pass of a form: rms, least and greatest of height - form over every valid pixel.
LevellingOutcome MeasureResidual(const image::TiffSource& source, const image::ImageModel& model,
                                 const SurfaceForm& form, bool millimetres,
                                 const image::ProgressFunction& progress,
                                 const std::atomic<bool>* cancel) {
    LevellingOutcome outcome;
    struct Pass {
        const SurfaceForm* form;
        Residual residual;
        void AddRow(std::int64_t row, std::int64_t firstColumn, const double* z,
                    std::int64_t count) {
            residual.AddRow(*form, row, firstColumn, z, count);
        }
        void Merge(const Pass& other) { residual.Merge(other.residual); }
    };
    const std::optional<Pass> pass = RunPass<Pass>(
        source, model, model.FileHeight,
        [&form] {
            return Pass{&form, Residual{}};
        },
        progress, cancel);
    if (!pass) {
        outcome.Cancelled = cancel && *cancel;
        outcome.WhyNone = ReadFailedText();
        return outcome;
    }
    if (pass->residual.Points == 0) {
        outcome.WhyNone = QStringLiteral("No pixel of the file has a value.");
        return outcome;
    }
    // Heights near the largest double leave sums of squares (or the form itself) beyond it: no
    // number would be right, so there is no levelling.
    const bool finiteForm = std::all_of(form.Coefficients.begin(), form.Coefficients.end(),
                                        [](double c) { return std::isfinite(c); });
    if (!finiteForm || !std::isfinite(pass->residual.Rms()) ||
        !std::isfinite(pass->residual.Max - pass->residual.Min)) {
        outcome.WhyNone = QStringLiteral("The heights are too large to level in double precision.");
        return outcome;
    }
    Levelling levelling;
    levelling.Form = form;
    levelling.Millimetres = millimetres;
    levelling.ResidualRms = pass->residual.Rms();
    levelling.ResidualMin = pass->residual.Min;
    levelling.ResidualMax = pass->residual.Max;
    levelling.Points = pass->residual.Points;
    outcome.Levelled = levelling;
    return outcome;
}

QString Number(double value) {
    return QString::number(value, 'g', 6);
}

} // namespace

image::ProgressFunction ProgressShare(const image::ProgressFunction& progress, int from, int span) {
    if (!progress)
        return {};
    return [progress, from, span](int percent) { progress(from + percent * span / 100); };
}

QString LevellingName(FormKind kind) {
    switch (kind) {
    case FormKind::None:
        return QStringLiteral("none");
    case FormKind::Plane:
        return QStringLiteral("plane");
    case FormKind::ThreePoints:
        return QStringLiteral("plane through 3 points");
    case FormKind::Poly2:
        return QStringLiteral("polynomial of degree 2");
    case FormKind::Poly3:
        return QStringLiteral("polynomial of degree 3");
    }
    return QString();
}

image::ImageModel MeasuringModel(const image::ImageModel& image) {
    image::ImageModel model;
    static_cast<image::ImageGeometry&>(model) = image;
    model.Resolution = image.Resolution;
    model.ZMin = image.ZMin;
    model.ZMax = image.ZMax;
    model.BitsPerSample = image.BitsPerSample;
    model.Photometric = image.Photometric;
    model.Samples = image.Samples;
    model.LevelsFromValues = image.LevelsFromValues;
    model.NoData = image.NoData;
    model.NoDataText = image.NoDataText;
    model.DataMin = image.DataMin;
    model.DataMax = image.DataMax;
    model.HeightUnit = image.HeightUnit;
    model.MmPerHeightUnit = image.MmPerHeightUnit;
    model.GeoPixel = image.GeoPixel;
    return model;
}

HeightDisplay HeightDisplayOf(const image::ImageModel& image) {
    if (image.LevelsFromValues)
        return image.MmPerHeightUnit > 0 ? HeightDisplay{image.HeightUnit, image.MmPerHeightUnit}
                                         : HeightDisplay{QString(), 1};
    return image::HeightBasisOf(image).Millimetres ? HeightDisplay{QStringLiteral("mm"), 1}
                                                   : HeightDisplay{QString(), 1};
}

QString LevellingText(FormKind kind, const std::optional<Levelling>& levelling,
                      const HeightDisplay& unit) {
    const QString name = QStringLiteral("Levelling: ") + LevellingName(kind);
    if (!levelling)
        return name;
    // Heights are measured in mm where known: shown in the display unit.
    const double scale = levelling->Millimetres ? 1.0 / unit.MmPerUnit : 1.0;
    const QString suffix = unit.Unit.isEmpty() ? QString() : QLatin1Char(' ') + unit.Unit;
    static const char* const kTerms[] = {"",     " x",   " y",    " x^2",  " xy",
                                         " y^2", " x^3", " x^2y", " xy^2", " y^3"};
    const std::vector<double> c = levelling->Form.PixelCoefficients();
    QString form = QStringLiteral("z =");
    for (std::size_t i = 0; i < c.size() && i < std::size(kTerms); ++i) {
        const double value = c[i] * scale;
        form += i == 0 ? QStringLiteral(" %1").arg(Number(value))
                       : QStringLiteral(" %1 %2%3")
                             .arg(value < 0 ? QStringLiteral("-") : QStringLiteral("+"),
                                  Number(std::fabs(value)), QLatin1String(kTerms[i]));
    }
    return name + QStringLiteral("   %1 (x = column, y = row in pixels from the top-left "
                                 "pixel; heights%2)\nresidual rms %3%4 over %5 pixels")
                      .arg(form, unit.Unit.isEmpty() ? QStringLiteral(" as stored")
                                                     : QStringLiteral(" in ") + unit.Unit)
                      .arg(Number(levelling->ResidualRms * scale), suffix)
                      .arg(levelling->Points);
}

QString ArealText(const ArealOutcome& areal, const HeightDisplay& unit) {
    const PixelRect& r = areal.Rect;
    QString text = QStringLiteral("Area (%1, %2) - (%3, %4), %5 x %6 pixels")
                       .arg(r.Column1)
                       .arg(r.Row1)
                       .arg(r.Column2)
                       .arg(r.Row2)
                       .arg(r.Width())
                       .arg(r.Height());
    if (areal.AreaMm2)
        text += QStringLiteral(", %1 mm2").arg(Number(*areal.AreaMm2));
    if (areal.Levelled)
        text += QStringLiteral(", levelled");
    if (areal.ReadFailed)
        return text + QStringLiteral(": the file could not be read again");
    if (!areal.Figures)
        return text + QStringLiteral(": no pixel has a value");
    const ArealFigures& f = *areal.Figures;
    const double scale = areal.Millimetres ? 1.0 / unit.MmPerUnit : 1.0;
    const QString suffix = unit.Unit.isEmpty() ? QString() : QLatin1Char(' ') + unit.Unit;
    auto h = [&](double v) { return Number(v * scale) + suffix; };
    text += QStringLiteral("\nSa %1   Sq %2   Sp %3   Sv %4   Sz %5   Ssk %6   Sku %7")
                .arg(h(f.Sa), h(f.Sq), h(f.Sp), h(f.Sv), h(f.Sz), Number(f.Ssk), Number(f.Sku));
    text += QStringLiteral("\nmean %1   min %2   max %3   %4 valid, %5 without a value")
                .arg(h(f.Mean), h(f.Min), h(f.Max))
                .arg(f.Valid)
                .arg(f.NoData + areal.Unread);
    return text;
}

FormOutcome FitForm(const image::TiffSource& source, const image::ImageModel& model, FormKind kind,
                    const image::ProgressFunction& progress, const std::atomic<bool>* cancel) {
    FormOutcome outcome;
    const bool millimetres = image::HeightBasisOf(model).Millimetres;
    // Heights far from zero would leave the sums with few digits for the form: the fit is taken
    // about a height near the data (the middle of the values' range), added back afterwards.
    const double reference =
        model.LevelsFromValues
            ? (model.DataMin && model.DataMax ? 0.5 * (*model.DataMin + *model.DataMax) : 0.0)
            : 0.0;
    const double referenceHeight =
        millimetres && model.LevelsFromValues ? reference * model.MmPerHeightUnit : reference;
    const std::optional<FormFit> fit = RunPass<FormFit>(
        source, model, model.FileHeight,
        [&] {
            return FormFit(kind, model.FileWidth, model.FileHeight,
                           std::isfinite(referenceHeight) ? referenceHeight : 0.0);
        },
        progress, cancel);
    if (!fit) {
        outcome.Cancelled = cancel && *cancel;
        outcome.WhyNone = ReadFailedText();
        return outcome;
    }
    outcome.Form = fit->Solve();
    if (!outcome.Form)
        outcome.WhyNone =
            QStringLiteral("The valid pixels do not determine a form of this degree.");
    return outcome;
}

LevellingOutcome FitLevelling(const image::TiffSource& source, const image::ImageModel& model,
                              FormKind kind, const image::ProgressFunction& progress,
                              const std::atomic<bool>* cancel) {
    const FormOutcome fitted = FitForm(source, model, kind, ProgressShare(progress, 0, 50), cancel);
    if (!fitted.Form) {
        LevellingOutcome outcome;
        outcome.Cancelled = fitted.Cancelled;
        outcome.WhyNone = fitted.WhyNone;
        return outcome;
    }
    return MeasureResidual(source, model, *fitted.Form, image::HeightBasisOf(model).Millimetres,
                           ProgressShare(progress, 50, 50), cancel);
}

LevellingOutcome LevelThroughPoints(const image::TiffSource& source, const image::ImageModel& model,
                                    image::SampleReader& reader,
                                    const std::array<image::FilePixel, 3>& pixels,
                                    const image::ProgressFunction& progress,
                                    const std::atomic<bool>* cancel) {
    LevellingOutcome outcome;
    const image::HeightBasis basis = image::HeightBasisOf(model);
    std::array<std::array<double, 3>, 3> points{};
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const image::StoredSample sample = reader.Sample(pixels[i].Column, pixels[i].Row);
        const double height = sample ? image::HeightOfValue(*sample, basis.Conversion)
                                     : std::numeric_limits<double>::quiet_NaN();
        if (!std::isfinite(height)) {
            outcome.WhyNone = QStringLiteral("Point %1 (%2, %3) has no value.")
                                  .arg(i + 1)
                                  .arg(pixels[i].Column)
                                  .arg(pixels[i].Row);
            return outcome;
        }
        points[i] = {double(pixels[i].Column), double(pixels[i].Row), height};
    }
    const std::optional<SurfaceForm> form =
        PlaneThroughPoints(points, model.FileWidth, model.FileHeight);
    if (!form) {
        outcome.WhyNone = QStringLiteral("The three points lie on one line.");
        return outcome;
    }
    return MeasureResidual(source, model, *form, basis.Millimetres, progress, cancel);
}

bool LevelledLevels(const image::TiffSource& source, const image::ImageModel& model,
                    const Levelling& levelling, std::uint8_t* levels,
                    const image::ProgressFunction& progress, const std::atomic<bool>* cancel) {
    // Heights come for every ColumnStep-th column of the kept rows only: the reader skips the
    // rest where the file allows.
    struct Rows : image::HeightRows {
        const image::ImageModel* model;
        const Levelling* levelling;
        std::uint8_t* levels;
        // Stored samples of a min-is-white file without a height range are measured as they
        // are, while its own picture shows them inverted: the levelled one does the same.
        bool invert = false;
        void Row(std::int64_t row, std::int64_t firstColumn, const double* heights,
                 std::int64_t count) override {
            const image::ImageModel& m = *model;
            std::uint8_t* out =
                levels + (row / m.RowStep) * m.ImageWidth + firstColumn / m.ColumnStep;
            const double low = levelling->ResidualMin, high = levelling->ResidualMax;
            for (std::int64_t i = 0; i < count; ++i) {
                const double column = double(firstColumn + i * m.ColumnStep);
                const double residual = heights[i] - levelling->Form.At(column, double(row));
                const std::uint8_t level =
                    std::isnan(residual) ? 0 : image::LevelOfValue(residual, low, high);
                out[i] = invert ? std::uint8_t(255 - level) : level;
            }
        }
    };
    const image::HeightRowsMaker maker = [&] {
        auto rows = std::make_unique<Rows>();
        rows->model = &model;
        rows->levelling = &levelling;
        rows->levels = levels;
        rows->invert = !model.LevelsFromValues && model.Photometric == 0 && !levelling.Millimetres;
        return std::unique_ptr<image::HeightRows>(std::move(rows));
    };
    std::fill(levels, levels + model.LevelCount(), std::uint8_t{0});
    const image::ReadResult read =
        image::ReadHeights(source, model, model, maker, progress, cancel);
    return !(cancel && *cancel) && read.opened && read.failure.isEmpty();
}

std::optional<image::ImageModel::HeightSpan> LevelledSpanOf(const image::ImageModel& model,
                                                            const Levelling& levelling) {
    // Heights in millimetres, or a value file's values as stored; ZMin is in a value file's own
    // unit. An 8- or 16-bit file without a height range has none to show.
    if (!model.LevelsFromValues && !levelling.Millimetres)
        return std::nullopt;
    const double perUnit =
        model.LevelsFromValues && levelling.Millimetres ? model.MmPerHeightUnit : 1.0;
    return image::ImageModel::HeightSpan{levelling.ResidualMin / perUnit,
                                         levelling.ResidualMax / perUnit};
}

PixelRect RectBetween(const image::FilePixel& a, const image::FilePixel& b, std::int64_t width,
                      std::int64_t height) {
    auto clampColumn = [width](std::int64_t c) {
        return std::clamp<std::int64_t>(c, 0, std::max<std::int64_t>(0, width - 1));
    };
    auto clampRow = [height](std::int64_t r) {
        return std::clamp<std::int64_t>(r, 0, std::max<std::int64_t>(0, height - 1));
    };
    PixelRect rect;
    rect.Column1 = clampColumn(std::min(a.Column, b.Column));
    rect.Column2 = clampColumn(std::max(a.Column, b.Column));
    rect.Row1 = clampRow(std::min(a.Row, b.Row));
    rect.Row2 = clampRow(std::max(a.Row, b.Row));
    return rect;
}

ArealOutcome MeasureAreal(const image::TiffSource& source, const image::ImageModel& model,
                          const PixelRect& rect, const SurfaceForm* form,
                          const image::ProgressFunction& progress,
                          const std::atomic<bool>* cancel) {
    ArealOutcome outcome;
    outcome.Rect = rect;
    outcome.Millimetres = image::HeightBasisOf(model).Millimetres;
    outcome.Levelled = form != nullptr;
    const std::optional<double> mmX = model.MmPerPixelX(), mmY = model.MmPerPixelY();
    if (mmX && mmY)
        outcome.AreaMm2 = double(rect.Width()) * double(rect.Height()) * *mmX * *mmY;
    const std::int64_t endRow = rect.Row2 + 1;
    const PixelRectangle rectangle{rect.Column1, rect.Row1, rect.Column2, rect.Row2};
    // 8- and 16-bit unsigned samples, their heights from a table, and nothing taken away: one
    // pass counting the stored values gives the same figures exactly.
    const image::HeightBasis basis = image::HeightBasisOf(model);
    if (!form && basis.Conversion.table) {
        const std::optional<ArealHistogram> counts = RunPass<ArealHistogram, true>(
            source, model, endRow, [&] { return ArealHistogram(rectangle, model.Samples.bits); },
            progress, cancel);
        if (!counts) {
            outcome.Cancelled = cancel && *cancel;
            outcome.ReadFailed = !outcome.Cancelled;
            return outcome;
        }
        outcome.Figures = counts->Finish(*basis.Conversion.table);
        const std::int64_t counted =
            outcome.Figures ? outcome.Figures->Valid + outcome.Figures->NoData : 0;
        outcome.Unread = rect.Width() * rect.Height() - counted;
        return outcome;
    }
    const std::optional<ArealMeanPass> means = RunPass<ArealMeanPass>(
        source, model, endRow, [&] { return ArealMeanPass(rectangle, form); },
        ProgressShare(progress, 0, 50), cancel);
    if (!means) {
        outcome.Cancelled = cancel && *cancel;
        outcome.ReadFailed = !outcome.Cancelled;
        return outcome;
    }
    const std::optional<ArealMomentPass> moments = RunPass<ArealMomentPass>(
        source, model, endRow, [&] { return ArealMomentPass(rectangle, means->Mean(), form); },
        ProgressShare(progress, 50, 50), cancel);
    if (!moments) {
        outcome.Cancelled = cancel && *cancel;
        outcome.ReadFailed = !outcome.Cancelled;
        return outcome;
    }
    outcome.Figures = FinishAreal(*means, *moments);
    const std::int64_t counted = means->Valid() + means->NoData();
    outcome.Unread = rect.Width() * rect.Height() - counted;
    return outcome;
}

} // namespace orvane::measure
