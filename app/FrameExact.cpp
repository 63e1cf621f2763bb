// The exact readout and the measuring line of the 2D view: the stored sample
// under the pointer at full file resolution in the status bar, and a line
// drawn with the right button whose profile opens in a floating panel. The
// samples come from the file itself (image/SampleReader), looked up off the
// window's thread whenever they are not cached yet.
#include "app/ImageBox.h"
#include "app/ImageFrame.h"
#include "app/ProfilePanel.h"
#include "measure/ResultsTable.h"
#include "panels/PanelPlacement.h"

#include <QDockWidget>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace orvane::app {

using namespace view2d;

void ImageFrame::OpenExactReader(const image::TiffSource& source) {
    exact_ = std::make_shared<image::SampleReader>(source);
    exactSource_ = source;
    heightBasis_ = image::HeightBasisOf(image_);
    SetStatusText(FileSummaryText(image_));
}

void ImageFrame::DropExactReader() {
    if (profileCancel_)
        *profileCancel_ = true;
    exact_.reset();
    exactSource_ = {};
    DropSharpPicture();
    readout_ = {};
    RemoveMeasuringLine();
    ResetSurfaceMeasures();
    SetStatusText(QString());
}

void ImageFrame::SetStatusText(const QString& text) {
    if (text == statusText_)
        return;
    statusText_ = text;
    emit StatusTextChanged(statusText_);
}

void ImageFrame::PointerLeftTheImage() {
    readout_.overImage = false;
    if (exact_ && image_.HasImage())
        SetStatusText(FileSummaryText(image_));
}

void ImageFrame::UpdateExactReadout(int x, int y) {
    if (!exact_ || !image_.HasImage() || view_.Loading || view_.Drag.Panning)
        return;
    ImageBox* box = ui_.imageBox;
    const std::optional<image::FilePixel> pixel =
        ExactFilePixel(x, y, view_.Window, box->width(), box->height(), image_);
    if (!pixel) {
        PointerLeftTheImage();
        return;
    }
    readout_.overImage = true;
    readout_.pixel = *pixel;
    const image::CachedLookup cached = exact_->TryCachedSample(pixel->Column, pixel->Row);
    switch (cached.state) {
    case image::CachedLookup::State::Hit:
        readout_.sample = ExactSample::Of(cached.sample);
        break;
    case image::CachedLookup::State::NoValue:
        readout_.sample = {ExactSample::State::NoValue, 0};
        break;
    case image::CachedLookup::State::Miss:
        readout_.sample = {ExactSample::State::Pending, 0};
        LookUpExactSample(*pixel);
        break;
    }
    ShowPointerStatus(*pixel, exact_->MinIsWhite());
}

void ImageFrame::ViewWindowChanged() {
    RequestSharpPicture();
    if (!pointerAt_ || measuring_.dragging)
        return;
    const QPoint inBox = *pointerAt_ - ui_.imageBox->pos();
    if (ui_.imageBox->rect().contains(inBox))
        UpdateExactReadout(inBox.x(), inBox.y());
    else
        PointerLeftTheImage();
}

void ImageFrame::ShowPointerStatus(const image::FilePixel& pixel, bool minIsWhite) {
    ImageBox* box = ui_.imageBox;
    const double zoom = ZoomPercent(view_.Window, box->width() * box->devicePixelRatioF(), image_);
    QString text = PointerStatusText(pixel, readout_.sample, image_, minIsWhite, zoom);
    // The levelled height beside the stored sample.
    if (const std::optional<double> levelled = LevelledReadout()) {
        const measure::HeightDisplay unit = measure::HeightDisplayOf(image_);
        const double shown = levelling_->Millimetres ? *levelled / unit.MmPerUnit : *levelled;
        text += QStringLiteral("   levelled %1%2")
                    .arg(QString::number(shown, 'g', 6),
                         unit.Unit.isEmpty() ? QString() : QLatin1Char(' ') + unit.Unit);
    }
    SetStatusText(text);
}

void ImageFrame::LookUpExactSample(const image::FilePixel& pixel) {
    // One lookup at a time: a pointer sweeping over strips not decoded yet asks
    // again for wherever it is when the running one comes back.
    if (lookupsInFlight_ > 0)
        return;
    ++lookupsInFlight_;
    workers_.start([this, reader = exact_, pixel] {
        const image::StoredSample sample = reader->Sample(pixel.Column, pixel.Row);
        QMetaObject::invokeMethod(
            this,
            [this, reader, pixel, sample] {
                --lookupsInFlight_;
                if (reader != exact_ || !readout_.overImage)
                    return;
                if (readout_.pixel.Column != pixel.Column || readout_.pixel.Row != pixel.Row) {
                    // The pointer moved on meanwhile: look up where it is now.
                    LookUpExactSample(readout_.pixel);
                    return;
                }
                readout_.sample = ExactSample::Of(sample);
                ShowPointerStatus(pixel, reader->MinIsWhite());
            },
            Qt::QueuedConnection);
    });
}

void ImageFrame::MeasuringLineDown(Qt::MouseButton button, int x, int y) {
    if (button != Qt::RightButton || !image_.HasImage() || !DisplayBitmap || view_.Loading)
        return;
    const image::FilePixel end =
        MeasuringLineEnd(x, y, view_.Window, ui_.imageBox->width(), ui_.imageBox->height(), image_);
    measuring_.dragging = true;
    measuring_.pressedAt = QPoint(x, y);
    measuring_.line = {end.Column, end.Row, end.Column, end.Row};
}

bool ImageFrame::MeasuringLineMove(int x, int y) {
    if (!measuring_.dragging)
        return false;
    const image::FilePixel end =
        MeasuringLineEnd(x, y, view_.Window, ui_.imageBox->width(), ui_.imageBox->height(), image_);
    measuring_.line.Column2 = end.Column;
    measuring_.line.Row2 = end.Row;
    measuring_.shown = QPoint(x, y) != measuring_.pressedAt;
    ui_.imageBox->update();
    return true;
}

void ImageFrame::MeasuringLineUp(Qt::MouseButton button, int x, int y) {
    if (button != Qt::RightButton || !measuring_.dragging)
        return;
    if (QPoint(x, y) == measuring_.pressedAt) {
        RemoveMeasuringLine(); // a right click without movement
        return;
    }
    MeasuringLineMove(x, y); // the release point ends the line, wherever the last move was
    measuring_.dragging = false;
    measuring_.shown = true;
    MeasureProfile();
}

bool ImageFrame::LineEndPress(Qt::MouseButton button, int x, int y) {
    if (button != Qt::LeftButton || !measuring_.shown || measuring_.dragging || !DisplayBitmap)
        return false;
    // Within a few pixels of an end, the nearer one.
    const QSize box = ui_.imageBox->size();
    const ProfileLine& l = measuring_.line;
    const QPointF at(x, y);
    const QPointF ends[] = {
        BoxPointOfFilePixel({l.Column1, l.Row1}, view_.Window, box.width(), box.height(), image_),
        BoxPointOfFilePixel({l.Column2, l.Row2}, view_.Window, box.width(), box.height(), image_)};
    const double grab = 8;
    const double d1 = QLineF(at, ends[0]).length(), d2 = QLineF(at, ends[1]).length();
    if (std::min(d1, d2) > grab)
        return false;
    measuring_.movingEnd = d1 <= d2 ? 1 : 2;
    return true;
}

bool ImageFrame::LineEndMove(int x, int y) {
    if (measuring_.movingEnd == 0)
        return false;
    const image::FilePixel end =
        MeasuringLineEnd(x, y, view_.Window, ui_.imageBox->width(), ui_.imageBox->height(), image_);
    ProfileLine& l = measuring_.line;
    (measuring_.movingEnd == 1 ? l.Column1 : l.Column2) = end.Column;
    (measuring_.movingEnd == 1 ? l.Row1 : l.Row2) = end.Row;
    ui_.imageBox->update();
    return true;
}

bool ImageFrame::LineEndRelease(Qt::MouseButton button, int x, int y) {
    if (button != Qt::LeftButton || measuring_.movingEnd == 0)
        return false;
    LineEndMove(x, y); // the end goes to the file pixel under the release
    measuring_.movingEnd = 0;
    MeasureProfile();
    return true;
}

void ImageFrame::RemoveMeasuringLine() {
    // A profile still being measured belongs to the line that goes.
    if (profileCancel_)
        *profileCancel_ = true;
    const bool wasShown = measuring_.shown;
    measuring_ = {};
    hoveredProfilePixel_.reset();
    if (wasShown) {
        ui_.imageBox->update();
        emit MeasureStateChanged();
    }
}

void ImageFrame::MeasureProfile() {
    if (!exact_)
        return;
    ProfilePanel* panel = ui_.profilePanel;
    if (auto* dock = qobject_cast<QDockWidget*>(panel->parentWidget())) {
        // Docked by the main window along its bottom, beside the image rather than over it.
        panel->show();
        dock->show();
    } else if (!panel->isVisible()) {
        // First shown at the bottom right of the image area; then where it was left.
        if (!profilePanelPlaced_) {
            panel->move(panels::PushBackIntoArea(
                QPoint(width() - panel->width(), height() - panel->height()), panel->size(), size(),
                AreaTop()));
            profilePanelPlaced_ = true;
        }
        panel->show();
        panel->raise();
    }
    if (profileCancel_)
        *profileCancel_ = true;
    hoveredProfilePixel_.reset(); // the chart is drawn anew
    emit MeasureStateChanged();
    const QString unmeasurable = view2d::UnmeasurableLineText(measuring_.line);
    if (!unmeasurable.isEmpty()) {
        panel->ShowNotMeasured(unmeasurable);
        return;
    }
    panel->ShowMeasuring();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    profileCancel_ = cancel;
    const ProfileLine line = measuring_.line;
    ProfileUnits units = ProfileUnitsOf(image_);
    if (levelling_) {
        units.Form = [form = levelling_->Form](std::int64_t column, std::int64_t row) {
            return form.At(double(column), double(row));
        };
        units.Levelling = measure::LevellingName(levelKind_);
    }
    const measure::FormKind levelling = levelling_ ? levelKind_ : measure::FormKind::None;
    const double cutoffMm = cutoffMm_;
    const int width = profileWidth_;
    roughness_.reset();
    ++profilesInFlight_;
    workers_.start([this, reader = exact_, line, units, cancel, cutoffMm, levelling, width] {
        std::optional<Profile> profile =
            view2d::MeasureProfile(*reader, line, units, cancel.get(), width);
        std::optional<measure::RoughnessOutcome> roughness;
        if (profile && !*cancel)
            roughness = measure::ProfileRoughness(*profile, cutoffMm);
        QMetaObject::invokeMethod(
            this,
            [this, reader, cancel, line, levelling, profile = std::move(profile),
             roughness = std::move(roughness)] {
                --profilesInFlight_;
                if (*cancel || reader != exact_)
                    return;
                roughness_ = roughness;
                if (profile) {
                    ui_.profilePanel->ShowProfile(*profile, roughness);
                    AddProfileResult(line, levelling);
                } else {
                    ui_.profilePanel->ShowNotMeasured(
                        QStringLiteral("The profile could not be measured."));
                }
            },
            Qt::QueuedConnection);
    });
}

void ImageFrame::PaintMeasuringLine(QPainter& painter) {
    if (!measuring_.shown)
        return;
    const QSize box = ui_.imageBox->size();
    const ProfileLine& l = measuring_.line;
    const QPointF a =
        BoxPointOfFilePixel({l.Column1, l.Row1}, view_.Window, box.width(), box.height(), image_);
    const QPointF b =
        BoxPointOfFilePixel({l.Column2, l.Row2}, view_.Window, box.width(), box.height(), image_);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // A yellow line with a dark outline stays visible on any grey and any palette.
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    const QPointF along = b - a;
    const double length = std::hypot(along.x(), along.y());
    if (length > 0) {
        const QPointF across = QPointF(-along.y(), along.x()) * (5.0 / length);
        for (const QPointF& end : {a, b}) {
            path.moveTo(end - across);
            path.lineTo(end + across);
        }
    }
    painter.setPen(QPen(QColor(20, 20, 20), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(path);
    painter.setPen(QPen(QColor(255, 220, 0), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(path);
    // The point the profile's chart is hovered at: a red ring on the line.
    if (hoveredProfilePixel_ && !measuring_.dragging && measuring_.movingEnd == 0) {
        const QPointF at = BoxPointOfFilePixel(*hoveredProfilePixel_, view_.Window, box.width(),
                                               box.height(), image_);
        painter.setPen(QPen(QColor(20, 20, 20), 4));
        painter.drawEllipse(at, 6, 6);
        painter.setPen(QPen(QColor(230, 30, 30), 2));
        painter.drawEllipse(at, 6, 6);
    }
    painter.restore();
}

} // namespace orvane::app
