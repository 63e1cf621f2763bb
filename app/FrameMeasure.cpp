// Measuring the surface: levelling (a form fitted to every pixel and taken away from the heights
// measured), the areal parameters of a rectangle drawn with Shift and the left button, and the
// Results panel that keeps a row per measurement. Whatever reads the whole file runs off the
// window's thread, one job at a time, with progress and Cancel in the Results panel.
#include "app/HistogramChart.h"
#include "app/ImageBox.h"
#include "app/ImageFrame.h"
#include "app/ProfilePanel.h"
#include "app/ResultsPanel.h"

#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace orvane::app {

using namespace view2d;

// In the worker: the levelled levels of the kept pixels, in a buffer of their own (the shown one
// stays the views' until the work ends).
void ImageFrame::TakeLevelledPicture(LevelledOutcome& outcome, const image::TiffSource& source,
                                     const image::ImageModel& model,
                                     const image::ProgressFunction& progress,
                                     const std::atomic<bool>* cancel) {
    if (!outcome.levelling.Levelled || (cancel && *cancel))
        return;
    outcome.levels.reset(image::TryAllocate(std::size_t(model.LevelCount())));
    if (!outcome.levels) {
        outcome.whyNoPicture = QStringLiteral("not enough memory for a second picture");
        return;
    }
    outcome.levelsRead = measure::LevelledLevels(source, model, *outcome.levelling.Levelled,
                                                 outcome.levels.get(), progress, cancel);
    if (!outcome.levelsRead) {
        outcome.levels.reset();
        outcome.whyNoPicture = QStringLiteral("the file could not be read again");
    }
}

void ImageFrame::ShowResultsPanel() {
    // Docked by the main window: the dock is the panel's parent then.
    if (auto* dock = qobject_cast<QDockWidget*>(resultsPanel_->parentWidget())) {
        dock->show();
        dock->raise();
    }
}

void ImageFrame::StartSurfaceJob(const QString& what, SurfaceWork work) {
    CancelSurfaceWork();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    surfaceCancel_ = cancel;
    ++surfaceJobsInFlight_;
    ShowResultsPanel();
    resultsPanel_->ShowProgress(what, 0);
    emit MeasureStateChanged();
    workers_.start([this, cancel, what, work = std::move(work), reader = exact_] {
        const image::ProgressFunction progress = [this, cancel, what](int percent) {
            QMetaObject::invokeMethod(
                this,
                [this, cancel, what, percent] {
                    if (cancel == surfaceCancel_ && !*cancel)
                        resultsPanel_->ShowProgress(what, percent);
                },
                Qt::QueuedConnection);
        };
        std::function<void()> finish = work(progress, cancel.get());
        QMetaObject::invokeMethod(
            this,
            [this, cancel, reader, finish = std::move(finish)] {
                --surfaceJobsInFlight_;
                if (*cancel || reader != exact_)
                    return;
                surfaceCancel_.reset();
                resultsPanel_->ShowProgress(QString(), -1);
                if (finish)
                    finish();
                emit MeasureStateChanged();
            },
            Qt::QueuedConnection);
    });
}

void ImageFrame::CancelSurfaceWork() {
    if (!surfaceCancel_)
        return;
    *surfaceCancel_ = true;
    surfaceCancel_.reset();
    resultsPanel_->ShowProgress(QString(), -1);
    // A levelling stopped before its form was known levels nothing; an area stopped before its
    // figures has none.
    if (!levelling_ && !pickingLevelPoints_ && levelKind_ != measure::FormKind::None) {
        levelKind_ = measure::FormKind::None;
        resultsPanel_->ShowLevelling(measure::LevellingText(levelKind_, std::nullopt, {}));
        ShowLevelledPicture(image::LevelBuffer(), std::nullopt);
        // What was measured with the form given up is measured again as stored, or goes.
        const auto& profile = ui_.profilePanel->Shown();
        if (measuring_.shown && !measuring_.dragging && profile && !profile->Levelling.isEmpty())
            MeasureProfile();
        if (areal_ && areal_->Levelled)
            areal_.reset();
    }
    if (!areal_) {
        areaDrag_.shown = false;
        resultsPanel_->ShowAreal(QString());
        ui_.imageBox->update();
    }
    emit MeasureStateChanged();
}

bool ImageFrame::ClearMeasurement() {
    const bool any = measuring_.shown || areaDrag_.shown || areaDrag_.dragging ||
                     pickingLevelPoints_ || surfaceCancel_;
    if (pickingLevelPoints_) {
        pickingLevelPoints_ = false;
        levelPicks_.clear();
        levelKind_ = measure::FormKind::None;
        resultsPanel_->ShowLevelling(measure::LevellingText(levelKind_, levelling_, {}));
    }
    CancelSurfaceWork();
    RemoveMeasuringLine();
    areaDrag_ = {};
    areal_.reset();
    resultsPanel_->ShowAreal(QString());
    ui_.imageBox->update();
    if (any)
        emit MeasureStateChanged();
    return any;
}

void ImageFrame::ResetSurfaceMeasures() {
    // The model is the next file's from here on: the levels kept aside go with the old file,
    // before anything could put them back.
    storedLevels_.reset();
    pendingPicture_.reset();
    image_.LevelledSpan.reset();
    CancelSurfaceWork();
    CancelColourWork();
    image_.ColourLevels.reset();
    image_.ColourFractions.reset();
    colourShown_.reset();
    measuredRanges_ = {};
    ui_.histogramChart->ShowRangeEnds(std::nullopt);
    levelKind_ = measure::FormKind::None;
    levelling_.reset();
    pickingLevelPoints_ = false;
    levelPicks_.clear();
    areaDrag_ = {};
    areal_.reset();
    roughness_.reset();
    resultsPanel_->ShowLevelling(measure::LevellingText(levelKind_, std::nullopt, {}));
    resultsPanel_->ShowAreal(QString());
    emit MeasureStateChanged();
}

void ImageFrame::SetLevelling(measure::FormKind kind) {
    const bool unchanged = kind == measure::FormKind::None && levelKind_ == kind && !levelling_;
    if (!exact_ || !image_.HasImage() || unchanged) {
        emit MeasureStateChanged(); // the menu's tick goes back to what is in force
        return;
    }
    CancelSurfaceWork();
    levelKind_ = kind;
    levelling_.reset();
    levelPicks_.clear();
    // Until the new form is known, the views and measurements take the file as stored.
    ShowLevelledPicture(image::LevelBuffer(), std::nullopt);
    pickingLevelPoints_ = kind == measure::FormKind::ThreePoints;
    const measure::HeightDisplay unit = measure::HeightDisplayOf(image_);
    if (pickingLevelPoints_) {
        ShowResultsPanel();
        resultsPanel_->ShowLevelling(
            QStringLiteral("Levelling: plane through 3 points: click point 1 of 3 in the 2D "
                           "view (Esc cancels)"));
        ui_.imageBox->update();
        emit MeasureStateChanged();
        return;
    }
    if (kind == measure::FormKind::None) {
        LevellingChanged();
        return;
    }
    resultsPanel_->ShowLevelling(measure::LevellingText(kind, std::nullopt, unit) +
                                 QStringLiteral(": fitting..."));
    // The worker owns what it needs of the model: the window may open another file meanwhile.
    const auto model = std::make_shared<const image::ImageModel>(measure::MeasuringModel(image_));
    const image::TiffSource source = exactSource_;
    StartSurfaceJob(QStringLiteral("Levelling"),
                    [this, model, source, kind](const image::ProgressFunction& progress,
                                                const std::atomic<bool>* cancel) {
                        auto outcome = std::make_shared<LevelledOutcome>();
                        outcome->levelling = measure::FitLevelling(
                            source, *model, kind, measure::ProgressShare(progress, 0, 67), cancel);
                        TakeLevelledPicture(*outcome, source, *model,
                                            measure::ProgressShare(progress, 67, 33), cancel);
                        return [this, outcome] { ShowLevelling(*outcome); };
                    });
}

void ImageFrame::LevelThroughPixels(const std::array<image::FilePixel, 3>& pixels) {
    if (!exact_ || !image_.HasImage())
        return;
    CancelSurfaceWork();
    pickingLevelPoints_ = false;
    levelPicks_.clear();
    levelKind_ = measure::FormKind::ThreePoints;
    levelling_.reset();
    resultsPanel_->ShowLevelling(QStringLiteral("Levelling: plane through 3 points: fitting..."));
    // The worker owns what it needs of the model: the window may open another file meanwhile.
    const auto model = std::make_shared<const image::ImageModel>(measure::MeasuringModel(image_));
    const image::TiffSource source = exactSource_;
    StartSurfaceJob(QStringLiteral("Levelling"), [this, model, source, pixels, reader = exact_](
                                                     const image::ProgressFunction& progress,
                                                     const std::atomic<bool>* cancel) {
        auto outcome = std::make_shared<LevelledOutcome>();
        outcome->levelling = measure::LevelThroughPoints(
            source, *model, *reader, pixels, measure::ProgressShare(progress, 0, 50), cancel);
        TakeLevelledPicture(*outcome, source, *model, measure::ProgressShare(progress, 50, 50),
                            cancel);
        return [this, outcome] { ShowLevelling(*outcome); };
    });
    ui_.imageBox->update();
}

// A levelling's figures have come: the picture of the levelled surface goes on the views, and
// whatever is measured follows; without a levelling, the file's own picture.
void ImageFrame::ShowLevelling(LevelledOutcome& outcome) {
    levelling_ = outcome.levelling.Levelled;
    if (!levelling_)
        levelKind_ = measure::FormKind::None;
    ShowLevelledPicture(levelling_ ? std::move(outcome.levels) : image::LevelBuffer(),
                        levelling_ ? measure::LevelledSpanOf(image_, *levelling_) : std::nullopt);
    LevellingChanged();
    if (!outcome.levelling.Levelled)
        resultsPanel_->ShowLevelling(
            QStringLiteral("Levelling: none (%1)").arg(outcome.levelling.WhyNone));
    else if (!outcome.levelsRead)
        resultsPanel_->ShowLevelling(
            resultsPanel_->levellingLabel->text() +
            QStringLiteral("\n(the picture shows the heights as stored: %1)")
                .arg(outcome.whyNoPicture));
}

void ImageFrame::ShowLevelledPicture(image::LevelBuffer levels,
                                     std::optional<image::ImageModel::HeightSpan> span) {
    // A save at file resolution reads the levels off this thread: they change once it ends.
    if (SavingView()) {
        pendingPicture_ = PendingPicture{std::move(levels), span};
        return;
    }
    pendingPicture_.reset();
    if (levels) {
        if (!storedLevels_)
            storedLevels_ = std::move(image_.SampleBuffer);
        image_.SampleBuffer = std::move(levels);
        image_.LevelledSpan = span;
    } else if (storedLevels_) {
        image_.SampleBuffer = std::move(storedLevels_);
        image_.LevelledSpan.reset();
    } else {
        return;
    }
    // Every view of the levels follows: the 2D picture, the histogram, the colour bar, the
    // relief and its colours; a colour range is measured again on the heights now shown.
    RefreshBitmap();
    ui_.imageBox->update();
    FillHistogram();
    FillColourBar();
    UpdateHeightColours();
    scene_.heightField.StructureChanged();
    measuredRanges_ = {}; // of the heights before
    if (colourRange_.Kind != measure::ColourRangeKind::Full)
        ApplyColourRange();
}

// What depends on the levelling follows it: the panel's text, the profile and the area shown.
void ImageFrame::LevellingChanged() {
    resultsPanel_->ShowLevelling(
        measure::LevellingText(levelKind_, levelling_, measure::HeightDisplayOf(image_)));
    // Measured again where the form they were taken with is not the one in force.
    const auto& profile = ui_.profilePanel->Shown();
    if (measuring_.shown && !measuring_.dragging &&
        (levelling_ || (profile && !profile->Levelling.isEmpty())))
        MeasureProfile();
    if (areal_ && !areaDrag_.dragging && (levelling_ || areal_->Levelled)) {
        const measure::PixelRect r = areal_->Rect;
        MeasureAreaBetween({r.Column1, r.Row1}, {r.Column2, r.Row2});
    }
    if (exact_ && readout_.overImage)
        ShowPointerStatus(readout_.pixel, exact_->MinIsWhite());
    emit MeasureStateChanged();
}

void ImageFrame::MeasureAreaBetween(const image::FilePixel& a, const image::FilePixel& b) {
    if (!exact_ || !image_.HasImage())
        return;
    // An area waits for no levelling: it would be measured on a form about to change.
    if (surfaceCancel_ && !levelling_ && !pickingLevelPoints_ &&
        levelKind_ != measure::FormKind::None) {
        resultsPanel_->ShowAreal(
            QStringLiteral("Area: not measured while the levelling is fitted; draw it again "
                           "once it is."));
        return;
    }
    CancelSurfaceWork();
    const measure::PixelRect rect = measure::RectBetween(a, b, image_.FileWidth, image_.FileHeight);
    // The worker owns what it needs of the model: the window may open another file meanwhile.
    const auto model = std::make_shared<const image::ImageModel>(measure::MeasuringModel(image_));
    const image::TiffSource source = exactSource_;
    const std::shared_ptr<const measure::SurfaceForm> form =
        levelling_ ? std::make_shared<const measure::SurfaceForm>(levelling_->Form) : nullptr;
    const measure::FormKind kind = levelling_ ? levelKind_ : measure::FormKind::None;
    const QString file = QFileInfo(shownFile_).fileName();
    areal_.reset();
    areaDrag_.from = {rect.Column1, rect.Row1};
    areaDrag_.to = {rect.Column2, rect.Row2};
    areaDrag_.shown = true;
    resultsPanel_->ShowAreal(QStringLiteral("Area (%1, %2) - (%3, %4): measuring...")
                                 .arg(rect.Column1)
                                 .arg(rect.Row1)
                                 .arg(rect.Column2)
                                 .arg(rect.Row2));
    ui_.imageBox->update();
    StartSurfaceJob(
        QStringLiteral("Areal parameters"),
        [this, model, source, rect, form, kind, file](const image::ProgressFunction& progress,
                                                      const std::atomic<bool>* cancel) {
            auto outcome = std::make_shared<measure::ArealOutcome>(
                measure::MeasureAreal(source, *model, rect, form.get(), progress, cancel));
            return [this, outcome, kind, file] {
                areal_ = *outcome;
                resultsPanel_->ShowAreal(
                    measure::ArealText(*outcome, measure::HeightDisplayOf(image_)));
                if (!outcome->ReadFailed)
                    resultsPanel_->AddRow(measure::ArealResultRow(file, *outcome, kind));
                ui_.imageBox->update();
            };
        });
}

void ImageFrame::MeasureWholeArea() {
    if (image_.HasImage())
        MeasureAreaBetween({0, 0}, {image_.FileWidth - 1, image_.FileHeight - 1});
}

void ImageFrame::SetCutoffMm(double lambdaCMm) {
    if (!(lambdaCMm >= 0) || lambdaCMm == cutoffMm_)
        return;
    cutoffMm_ = lambdaCMm;
    if (measuring_.shown && !measuring_.dragging)
        MeasureProfile();
    emit MeasureStateChanged();
}

void ImageFrame::SetProfileWidth(int pixels) {
    pixels = std::clamp(pixels, 1, kMaxProfileWidthPx);
    if (pixels == profileWidth_)
        return;
    profileWidth_ = pixels;
    if (measuring_.shown && !measuring_.dragging)
        MeasureProfile();
    emit MeasureStateChanged();
}

std::optional<double> ImageFrame::LevelledReadout() const {
    if (!levelling_ || !readout_.overImage || readout_.sample.state != ExactSample::State::Value)
        return std::nullopt;
    const double height = image::HeightOfValue(readout_.sample.sample, heightBasis_.Conversion);
    if (!std::isfinite(height))
        return std::nullopt;
    return height - levelling_->Form.At(double(readout_.pixel.Column), double(readout_.pixel.Row));
}

void ImageFrame::AddProfileResult(const view2d::ProfileLine& line, measure::FormKind levelling) {
    const auto& shown = ui_.profilePanel->Shown();
    if (!shown)
        return;
    resultsPanel_->AddRow(
        measure::ProfileResultRow(QFileInfo(shownFile_).fileName(), line, *shown, levelling,
                                  roughness_ ? roughness_->Figures : std::nullopt));
}

image::FilePixel ImageFrame::FilePixelAtBox(QPoint boxPixel) const {
    return MeasuringLineEnd(boxPixel.x(), boxPixel.y(), view_.Window, ui_.imageBox->width(),
                            ui_.imageBox->height(), image_);
}

bool ImageFrame::SurfacePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x,
                              int y) {
    if (button != Qt::LeftButton || !image_.HasImage() || !DisplayBitmap || view_.Loading ||
        !exact_)
        return false;
    if (pickingLevelPoints_) {
        levelPicks_.push_back(FilePixelAtBox({x, y}));
        if (levelPicks_.size() == 3) {
            LevelThroughPixels({levelPicks_[0], levelPicks_[1], levelPicks_[2]});
        } else {
            resultsPanel_->ShowLevelling(
                QStringLiteral("Levelling: plane through 3 points: click point %1 of 3 in the 2D "
                               "view (Esc cancels)")
                    .arg(levelPicks_.size() + 1));
            ui_.imageBox->update();
        }
        return true;
    }
    if (!(modifiers & Qt::ShiftModifier))
        return false;
    areaDrag_.dragging = true;
    areaDrag_.pressedAt = QPoint(x, y);
    areaDrag_.from = areaDrag_.to = FilePixelAtBox({x, y});
    return true;
}

bool ImageFrame::SurfaceMove(int x, int y) {
    if (!areaDrag_.dragging)
        return false;
    areaDrag_.to = FilePixelAtBox({x, y});
    ui_.imageBox->update();
    return true;
}

bool ImageFrame::SurfaceRelease(Qt::MouseButton button, int x, int y) {
    if (button != Qt::LeftButton || !areaDrag_.dragging)
        return false;
    areaDrag_.dragging = false;
    if (QPoint(x, y) == areaDrag_.pressedAt) {
        ui_.imageBox->update();
        return true; // a Shift-click draws nothing
    }
    areaDrag_.to = FilePixelAtBox({x, y});
    MeasureAreaBetween(areaDrag_.from, areaDrag_.to);
    return true;
}

void ImageFrame::PaintSurfaceMarks(QPainter& painter) {
    if (!image_.HasImage())
        return;
    const QSize box = ui_.imageBox->size();
    auto at = [&](const image::FilePixel& p) {
        return BoxPointOfFilePixel(p, view_.Window, box.width(), box.height(), image_);
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // The rectangle being drawn, or the one measured: dark outline under cyan, seen on any
    // palette.
    if (areaDrag_.dragging || areaDrag_.shown) {
        // Around the corner pixels, not through their centres: half a pixel further out.
        const QPointF a = at(areaDrag_.from), b = at(areaDrag_.to);
        const QPointF pixel = at({areaDrag_.from.Column + 1, areaDrag_.from.Row + 1}) - a;
        const QRectF rect = QRectF(a, b).normalized().adjusted(-pixel.x() / 2, -pixel.y() / 2,
                                                               pixel.x() / 2, pixel.y() / 2);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(20, 20, 20), 4));
        painter.drawRect(rect);
        painter.setPen(QPen(QColor(0, 230, 230), 2, Qt::DashLine));
        painter.drawRect(rect);
    }
    // The levelling's points picked so far.
    for (const image::FilePixel& pick : levelPicks_) {
        const QPointF p = at(pick);
        painter.setPen(QPen(QColor(20, 20, 20), 4));
        painter.drawEllipse(p, 5, 5);
        painter.setPen(QPen(QColor(255, 120, 0), 2));
        painter.drawEllipse(p, 5, 5);
    }
    painter.restore();
}

} // namespace orvane::app
