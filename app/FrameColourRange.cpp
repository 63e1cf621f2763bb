// The colour range's wiring: its levels measured off the window's thread from the file's exact
// samples, then put on the 2D picture, the relief's colours, the colour bar and the histogram.
#include "app/HistogramChart.h"
#include "app/ImageBox.h"
#include "app/ImageFrame.h"
#include "image/Memory.h"
#include "measure/ColourRange.h"

#include <QMetaObject>

namespace orvane::app {

namespace {

// Heights from the measuring read's unit (millimetres or stored values, as the open file's
// HeightBasis says) to the one they are shown in, and back.
double ShownOfBasis(double height, const image::ImageModel& image, bool millimetres) {
    return millimetres ? height / measure::HeightDisplayOf(image).MmPerUnit : height;
}
double BasisOfShown(double height, const image::ImageModel& image, bool millimetres) {
    return millimetres ? height * measure::HeightDisplayOf(image).MmPerUnit : height;
}

} // namespace

QString ImageFrame::ColourRangeUnit() const {
    if (heightBasis_.Millimetres || image_.LevelsFromValues) {
        const QString unit = measure::HeightDisplayOf(image_).Unit;
        return unit.isEmpty() ? QStringLiteral("value") : unit;
    }
    return QStringLiteral("value");
}

void ImageFrame::SetColourRange(const measure::ColourRange& range) {
    colourRange_ = range;
    ApplyColourRange();
}

std::optional<ImageFrame::ShownColourRange> ImageFrame::ColourRangeShown() const {
    if (!image_.HasImage())
        return std::nullopt;
    if (colourRange_.Kind == measure::ColourRangeKind::Full || !colourShown_)
        return ShownColourRange{measure::ColourRangeKind::Full, image_.ShownLow(),
                                image_.ShownHigh()};
    return colourShown_;
}

void ImageFrame::ApplyColourRange() {
    CancelColourWork();
    if (!exact_ || !image_.HasImage() || view_.Loading)
        return;
    if (colourRange_.Kind == measure::ColourRangeKind::Full) {
        ShowColourLevels(image::LevelBuffer(), std::nullopt);
        return;
    }
    // The heights shown: less the levelling's form while one is shown, whose residual range is
    // already known for Data.
    const auto model = std::make_shared<const image::ImageModel>(measure::MeasuringModel(image_));
    const image::TiffSource source = exactSource_;
    const std::shared_ptr<const measure::Levelling> levelling =
        levelling_ ? std::make_shared<const measure::Levelling>(*levelling_) : nullptr;
    const measure::ColourRange range = colourRange_;
    // A range measured before for these heights is not measured again.
    std::optional<std::pair<double, double>> known;
    if (range.Kind == measure::ColourRangeKind::Manual)
        known = std::pair{BasisOfShown(range.Low, image_, heightBasis_.Millimetres),
                          BasisOfShown(range.High, image_, heightBasis_.Millimetres)};
    else if (range.Kind == measure::ColourRangeKind::Data && levelling)
        known = std::pair{levelling->ResidualMin, levelling->ResidualMax};
    else if (range.Kind == measure::ColourRangeKind::Data)
        known = measuredRanges_.data;
    else
        known = measuredRanges_.automatic;
    const bool inverted =
        !image_.LevelsFromValues && image_.Photometric == 0 && !heightBasis_.Millimetres;

    struct Outcome {
        image::LevelBuffer levels;
        double low = 0, high = 0;
        QString whyNone;
        std::optional<std::pair<double, double>> data; // the extent, when it was measured
    };
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    colourCancel_ = cancel;
    ++colourJobsInFlight_;
    emit BackgroundProgress(QStringLiteral("Colour range"), 0);
    workers_.start([this, cancel, model, source, levelling, range, known, inverted,
                    reader = exact_] {
        const image::ProgressFunction progress = [this, cancel](int percent) {
            QMetaObject::invokeMethod(
                this,
                [this, cancel, percent] {
                    if (cancel == colourCancel_ && !*cancel)
                        emit BackgroundProgress(QStringLiteral("Colour range"), percent);
                },
                Qt::QueuedConnection);
        };
        auto outcome = std::make_shared<Outcome>();
        const measure::SurfaceForm* form = levelling ? &levelling->Form : nullptr;
        std::optional<std::pair<double, double>> span = known;
        const int rangeShare = span ? 0 : 50;
        if (!span) {
            const measure::HeightRangeOutcome measured = measure::MeasureHeightRange(
                source, *model, range.Kind, form, measure::ProgressShare(progress, 0, rangeShare),
                cancel.get());
            if (measured.Low && measured.High)
                span = std::pair{*measured.Low, *measured.High};
            if (measured.Least && measured.Greatest)
                outcome->data = std::pair{*measured.Least, *measured.Greatest};
            else if (!measured.Cancelled)
                outcome->whyNone = measured.ReadFailed
                                       ? QStringLiteral("the file could not be read again")
                                       : QStringLiteral("no pixel has a value");
        }
        if (span && span->second <= span->first)
            outcome->whyNone = QStringLiteral("every height is the same");
        if (span && outcome->whyNone.isEmpty() && !*cancel) {
            outcome->low = span->first;
            outcome->high = span->second;
            outcome->levels.reset(image::TryAllocate(std::size_t(model->LevelCount())));
            if (!outcome->levels)
                outcome->whyNone = QStringLiteral("not enough memory for its picture");
            else if (!measure::RangeLevels(
                         source, *model, form, span->first, span->second, inverted,
                         outcome->levels.get(),
                         measure::ProgressShare(progress, rangeShare, 100 - rangeShare),
                         cancel.get())) {
                outcome->levels.reset();
                if (!*cancel)
                    outcome->whyNone = QStringLiteral("the file could not be read again");
            }
        }
        QMetaObject::invokeMethod(
            this,
            [this, cancel, reader, levelling, outcome] {
                --colourJobsInFlight_;
                if (*cancel || reader != exact_)
                    return;
                colourCancel_.reset();
                emit BackgroundProgress(QString(), -1);
                // Kept for the next change of range on the same heights.
                if (outcome->data)
                    measuredRanges_.data = outcome->data;
                if (outcome->levels && colourRange_.Kind == measure::ColourRangeKind::Auto)
                    measuredRanges_.automatic = std::pair{outcome->low, outcome->high};
                if (!outcome->levels) {
                    // The picture stays as it was, and says why.
                    ShowColourLevels(image::LevelBuffer(), std::nullopt);
                    colourMessage_ = QStringLiteral("Colour range: %1; the full range is shown.")
                                         .arg(outcome->whyNone);
                    emit StatusTextChanged(colourMessage_);
                    return;
                }
                colourMessage_.clear();
                const ShownColourRange shown{
                    colourRange_.Kind, ShownOfBasis(outcome->low, image_, heightBasis_.Millimetres),
                    ShownOfBasis(outcome->high, image_, heightBasis_.Millimetres)};
                ShowColourLevels(
                    std::move(outcome->levels), shown,
                    measure::RangeFractions(image_, levelling.get(), outcome->low, outcome->high));
            },
            Qt::QueuedConnection);
    });
}

void ImageFrame::CancelColourWork() {
    if (!colourCancel_)
        return;
    *colourCancel_ = true;
    colourCancel_.reset();
    emit BackgroundProgress(QString(), -1);
}

void ImageFrame::ShowColourLevels(image::LevelBuffer levels, std::optional<ShownColourRange> shown,
                                  image::ImageModel::LevelFractions fractions) {
    if (!levels && !image_.ColourLevels && !colourShown_)
        return;
    image_.ColourLevels = std::move(levels);
    image_.ColourFractions = image_.ColourLevels
                                 ? std::optional<image::ImageModel::LevelFractions>(fractions)
                                 : std::nullopt;
    colourShown_ = image_.ColourLevels ? shown : std::nullopt;
    RefreshBitmap();
    ui_.imageBox->update();
    ShowRangeEnds();
    FillColourBar();
    UpdateHeightColours();
}

void ImageFrame::ShowRangeEnds() {
    if (!image_.ColourFractions) {
        ui_.histogramChart->ShowRangeEnds(std::nullopt);
        return;
    }
    ui_.histogramChart->ShowRangeEnds(
        std::pair{255 * image_.ColourFractions->Low, 255 * image_.ColourFractions->High});
}

} // namespace orvane::app
