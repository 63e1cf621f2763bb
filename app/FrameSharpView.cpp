// The 2D view of a thinned file zoomed in past its kept pixels: the file's own pixels under the
// view, read from the file on a worker thread and painted once they are in, the kept pixels
// stretched meanwhile.
#include "app/ImageBox.h"
#include "app/ImageFrame.h"
#include "view2d/ViewExport.h"

#include <QMetaObject>
#include <QToolButton>

namespace orvane::app {

namespace {

bool Thinned(const image::ImageGeometry& image) {
    return image.ColumnStep > 1 || image.RowStep > 1;
}

} // namespace

std::optional<ImageFrame::SharpKey> ImageFrame::WantedSharpPicture() const {
    if (!Thinned(image_) || !exact_ || !image_.HasImage() || view_.Loading || !DisplayBitmap ||
        DisplayBitmap->isNull() || ui_.view3dButton->isChecked())
        return std::nullopt;
    // Only the heights as the open maps them: a levelled picture or a colour range is painted
    // from its kept pixels, and the status bar says so.
    if (storedLevels_ || image_.ColourLevels)
        return std::nullopt;
    // One kept pixel over more than one screen pixel, either way.
    const double across = DisplayBitmap->width() / view_.Window.ViewWidth;
    const double down = DisplayBitmap->height() / view_.Window.ViewHeight;
    if (!(across > 1 || down > 1))
        return std::nullopt;
    return SharpKey{view2d::ShownFileRect(view_.Window, image_), DisplayBitmap->size(), palette_,
                    exact_.get()};
}

const QImage* ImageFrame::SharpPictureShown() const {
    const std::optional<SharpKey> wanted = WantedSharpPicture();
    return wanted && sharp_ && sharp_->key == *wanted ? &sharp_->picture : nullptr;
}

bool ImageFrame::FullResolutionShown() const {
    return image_.HasImage() && (!Thinned(image_) || SharpPictureShown());
}

QString ImageFrame::ResolutionText() const {
    if (!image_.HasImage())
        return QString();
    if (FullResolutionShown())
        return QStringLiteral("full resolution");
    return image_.ColumnStep == image_.RowStep
               ? QStringLiteral("thinned 1:%1").arg(image_.ColumnStep)
               : QStringLiteral("thinned 1:%1 x 1:%2").arg(image_.ColumnStep).arg(image_.RowStep);
}

void ImageFrame::RequestSharpPicture() {
    const std::optional<SharpKey> wanted = WantedSharpPicture();
    const QString text = ResolutionText();
    if (text != resolutionText_) {
        resolutionText_ = text;
        emit ResolutionShownChanged(text);
    }
    if (!wanted || (sharp_ && sharp_->key == *wanted) ||
        (sharpWanted_ && *sharpWanted_ == *wanted) || (sharpFailed_ && *sharpFailed_ == *wanted))
        return;
    if (sharpCancel_)
        *sharpCancel_ = true;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    sharpCancel_ = cancel;
    sharpWanted_ = wanted;
    ++sharpJobsInFlight_;
    const view2d::LevelRule rule = view2d::LevelRuleOf(image_);
    const QList<QRgb> colours = panels::PaletteColourTable(palette_);
    const SharpKey key = *wanted;
    workers_.start([this, cancel, key, rule, colours, reader = exact_] {
        QImage picture;
        const std::optional<view2d::LevelPicture> levels = view2d::ExportFromReader(
            *reader, key.rect, {key.size.width(), key.size.height()}, cancel.get(), nullptr, rule);
        if (levels && !*cancel)
            picture = view2d::IndexedPicture(*levels, colours);
        QMetaObject::invokeMethod(
            this,
            [this, cancel, key, reader, picture = std::move(picture)]() mutable {
                --sharpJobsInFlight_;
                if (*cancel || reader != exact_)
                    return;
                sharpCancel_.reset();
                sharpWanted_.reset();
                if (picture.isNull()) {
                    sharpFailed_ = key; // not read again for this view: the kept pixels stay
                    return;
                }
                picture.setDevicePixelRatio(DisplayBitmap ? DisplayBitmap->devicePixelRatio()
                                                          : 1.0);
                sharp_ = SharpPicture{key, std::move(picture)};
                ui_.imageBox->update();
                RequestSharpPicture(); // the view may have moved on meanwhile
            },
            Qt::QueuedConnection);
    });
}

void ImageFrame::DropSharpPicture() {
    if (sharpCancel_)
        *sharpCancel_ = true;
    sharpCancel_.reset();
    sharpWanted_.reset();
    sharpFailed_.reset();
    sharp_.reset();
}

} // namespace orvane::app
