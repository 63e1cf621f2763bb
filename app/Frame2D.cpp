// The 2D view's wiring: placing the box, wheel zoom, painting and the pointer.
// The arithmetic lives in view2d/; this file reads events and draws.
#include "app/HistogramChart.h"
#include "app/ImageBox.h"
#include "app/ImageFrame.h"
#include "app/ScaleBarPaint.h"
#include "view2d/NoDataColour.h"
#include "view2d/PointerZoom.h"
#include "view2d/Stretch.h"
#include "view3d/Navigation.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QToolButton>
#include <cmath>

namespace orvane::app {

using namespace view2d;

namespace {

bool BusyCursorShown() {
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

QRect ToQRect(const FillRect& r) {
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

} // namespace

ImageArea ImageFrame::Area() const {
    return {AreaTop(), width(), std::max(0, height() - AreaTop())};
}

BoxRect ImageFrame::Box() const {
    const QRect g = ui_.imageBox->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

void ImageFrame::PlaceBox(const BoxRect& box) {
    ui_.imageBox->setGeometry(box.Left, box.Top, box.Width, box.Height);
    if (!DisplayBitmap)
        return;
    // The bitmap has the box's size in device pixels, so that a HiDPI screen
    // shows the image at its own resolution rather than magnified.
    const qreal ratio = devicePixelRatioF();
    const int w = int(std::lround(box.Width * ratio)), h = int(std::lround(box.Height * ratio));
    if (DisplayBitmap->width() != w || DisplayBitmap->height() != h) {
        *DisplayBitmap = QImage(w, h, QImage::Format_Indexed8);
        DisplayBitmap->setColorTable(panels::PaletteColourTable(palette_));
        DisplayBitmap->setDevicePixelRatio(ratio);
    }
}

void ImageFrame::PlaceImage() {
    const std::optional<BoxRect> box = view2d::PlaceImage(view_.Window, image_, Area());
    if (!box)
        return;
    PlaceBox(*box);
    RepaintImageBox();
}

void ImageFrame::ResetZoom() {
    if (!image_.HasImage() || !DisplayBitmap)
        return;
    view_.Window = WholeImageWindow(image_);
    PlaceImage();
    ViewWindowChanged();
}

void ImageFrame::LayOutViews() {
    PlaceImage();
    PlaceHistogramPanel();
    PlaceColourBarPanel();
}

void ImageFrame::ZoomIn() {
    WheelStep(ZoomDirection::In);
}
void ImageFrame::ZoomOut() {
    WheelStep(ZoomDirection::Out);
}

void ImageFrame::WheelStep(ZoomDirection direction) {
    if (!image_.HasImage())
        return;
    if (ui_.view3dButton->isChecked()) {
        if (direction == ZoomDirection::In)
            ViewerWheelUp();
        else
            ViewerWheelDown();
        return;
    }
    if (view_.Loading)
        return;
    BoxRect box = Box();
    ShowZoom(view2d::WheelStep(direction, image_, Area(), view_.Window, box), box);
}

bool ImageFrame::Zoomable2D() const {
    return image_.HasImage() && !view_.Loading && DisplayBitmap && !ui_.view3dButton->isChecked();
}

void ImageFrame::ZoomAboutBoxPoint(int notches, QPoint boxPoint) {
    if (!Zoomable2D() || notches == 0)
        return;
    BoxRect box = Box();
    ShowZoom(
        view2d::PointerZoom(notches, boxPoint.x(), boxPoint.y(), image_, Area(), view_.Window, box),
        box);
}

void ImageFrame::ShowActualPixels() {
    if (!Zoomable2D())
        return;
    BoxRect box = Box();
    // One device pixel per file pixel: a HiDPI screen shows file pixels at its own resolution.
    const double filePixelsPerBoxPixel = 1.0 / devicePixelRatioF();
    ShowZoom(view2d::ZoomToScale(filePixelsPerBoxPixel, box.Width / 2, box.Height / 2, image_,
                                 Area(), view_.Window, box),
             box);
}

void ImageFrame::ShowZoom(WheelResult result, const BoxRect& box) {
    if (result == WheelResult::Ignored)
        return;
    if (result == WheelResult::ResetZoom) {
        ResetZoom();
        return;
    }
    // The box's immediate repaint also repaints, at once and in the same pass,
    // what a zoom-out uncovered beside it: moving the box marked it for the
    // frame's erase.
    PlaceBox(box);
    RepaintImageBox();
    RedrawVisiblePanels();
    ViewWindowChanged();
}

void ImageFrame::RedrawVisiblePanels() {
    if (ui_.infoPanel->isVisible()) {
        ui_.infoPanel->update();
        ui_.infoText->repaint();
    }
    if (ui_.histogramPanel->isVisible()) {
        ui_.histogramPanel->update();
        ui_.histogramChart->repaint();
    }
    if (ui_.progressPanel->isVisible())
        ui_.progressPanel->update();
}

void ImageFrame::RepaintImageBox() {
    ui_.imageBox->repaint();
}

bool ImageFrame::RefreshBitmap() {
    // Never read the buffer through a description of another size.
    const bool described = DisplayInfo && DisplayInfo->Width == image_.ImageWidth &&
                           DisplayInfo->Height == image_.ImageHeight;
    if (!image_.HasImage() || !DisplayBitmap || view_.Loading || DisplayBitmap->isNull() ||
        !described)
        return false;
    const SourceRect source = SourceRectangle(view_.Window, int(image_.ImageHeight));
    StretchToGrey(image_.PictureLevels(), int(image_.ImageWidth), int(image_.ImageHeight), source,
                  DisplayBitmap->bits(), DisplayBitmap->width(), DisplayBitmap->height(),
                  DisplayBitmap->bytesPerLine());
    return true;
}

void ImageFrame::PaintInto(QPainter& painter) {
    if (!RefreshBitmap()) {
        // The box paints its whole area itself: white while there is nothing to
        // paint from (a file being read, or none).
        painter.fillRect(ui_.imageBox->rect(), Qt::white);
        return;
    }
    if (const QImage* sharp = SharpPictureShown()) {
        painter.drawImage(0, 0, *sharp); // the file's pixels, no-data in its colour
    } else {
        painter.drawImage(0, 0, *DisplayBitmap);
        const QImage noData = NoDataOverlay();
        if (!noData.isNull())
            painter.drawImage(0, 0, noData);
        // Wanted once the view stops moving: asked for after this paint.
        if (WantedSharpPicture())
            QMetaObject::invokeMethod(
                this, [this] { RequestSharpPicture(); }, Qt::QueuedConnection);
    }
    PaintMeasuringLine(painter);
    PaintSurfaceMarks(painter);
    if (const std::optional<ScaleBar> bar = ShownScaleBar())
        PaintScaleBar(painter, *bar, ui_.imageBox->rect(), ui_.imageBox->font());
}

void ImageFrame::ShowScaleBar(bool shown) {
    scaleBarShown_ = shown;
    RepaintImageBox();
}

std::optional<ScaleBar> ImageFrame::ShownScaleBar() const {
    if (!scaleBarShown_ || !ImageShown() || ReliefShown())
        return std::nullopt;
    const QSize box = ui_.imageBox->size();
    return ScaleBarFor(box.width(), FilePixelsPerBoxPixel(view_.Window, Box(), image_),
                       image_.MmPerPixelX());
}

QImage ImageFrame::NoDataOverlay() const {
    if (!image_.NoDataMask || !DisplayBitmap || DisplayBitmap->isNull())
        return QImage();
    QImage overlay(DisplayBitmap->size(), QImage::Format_ARGB32_Premultiplied);
    if (overlay.isNull())
        return overlay;
    overlay.setDevicePixelRatio(DisplayBitmap->devicePixelRatio());
    const SourceRect source = SourceRectangle(view_.Window, int(image_.ImageHeight));
    const bool any = StretchMask(image_.NoDataMask.get(), image::MaskStride(image_.ImageWidth),
                                 int(image_.ImageWidth), int(image_.ImageHeight), source,
                                 kNoDataColour, reinterpret_cast<std::uint32_t*>(overlay.bits()),
                                 overlay.width(), overlay.height(), overlay.bytesPerLine() / 4);
    return any ? overlay : QImage();
}

bool ImageFrame::ArrowKey(int qtKey) {
    const auto direction = PanDirectionOfKey(qtKey);
    if (!direction)
        return false;
    if (!image_.HasImage() || view_.Loading)
        return true;
    if (ui_.view3dButton->isChecked()) {
        const auto [dx, dy] = *view3d::OrbitKeyDrag(qtKey);
        // Held down, the key repeats: the camera moves as it does after wheel notches.
        sceneMotion_.WheelNotch(motionClock_.elapsed());
        UpdateSceneMotion();
        view3d::SceneOrbitKeyRule(scene_.camera, dx, dy);
        return true;
    }
    if (!DisplayBitmap)
        return true;
    PanByKey(*direction, image_, view_.Window);
    ui_.imageBox->repaint();
    ViewWindowChanged();
    return true;
}

void ImageFrame::paintEvent(QPaintEvent*) {
    // Only the strips beside the image are filled: the region under the box is
    // never wiped before the box paints it again, so nothing flickers.
    QPainter painter(this);
    const bool imageShown = image_.HasImage() && DisplayBitmap;
    for (const FillRect& r : EraseRects(imageShown, Box(), Area()))
        painter.fillRect(ToQRect(r), Qt::white);
}

void ImageFrame::SetDragCursor(bool dragging) {
    // The busy cursor of a running open is never replaced.
    if (BusyCursorShown() || dragging == dragCursorShown_)
        return;
    if (dragging)
        QApplication::setOverrideCursor(Qt::SizeAllCursor);
    else
        QApplication::restoreOverrideCursor();
    dragCursorShown_ = dragging;
}

void ImageFrame::ImageBoxPressed(Qt::MouseButton button, int x, int y) {
    if (!image_.HasImage() || !DisplayBitmap || view_.Loading)
        return;
    ImageBox* box = ui_.imageBox;
    const BufferPosition p =
        MapPointer(x, y, view_.Window, box->width(), box->height(), int(image_.ImageHeight));
    if (button != Qt::LeftButton)
        return;
    SetDragCursor(true);
    BeginDrag(view_.Drag, x, y, view_.Window);
    if (const std::optional<std::uint8_t> level = LevelAt(image_.Levels(), image_, p))
        ShowLevelMarker(*level);
}

void ImageFrame::ImageBoxMoved(int x, int y) {
    if (!image_.HasImage() || !DisplayBitmap || view_.Loading)
        return;
    ImageBox* box = ui_.imageBox;
    if (view_.Drag.Panning) {
        DragTo(view_.Drag, x, y, box->width(), box->height(), image_, view_.Window);
        box->repaint();
        return;
    }
    const BufferPosition p =
        MapPointer(x, y, view_.Window, box->width(), box->height(), int(image_.ImageHeight));
    const std::optional<std::uint8_t> level = LevelAt(image_.Levels(), image_, p);
    const QString heightUnit = image_.LevelsFromValues ? image_.HeightUnit : QStringLiteral("mm");
    const QString zText = level && image_.NoDataAt(p.Column, p.Row)
                              ? QStringLiteral("no data")
                              : ZLabelText(HeightMm(level, image_.ShownLow(), image_.ShownHigh()),
                                           image_.ShownLow(), image_.ShownHigh(), heightUnit);
    // A georeference's pixel size replaces the resolution.
    const std::optional<image::PixelSize>& geo = image_.GeoPixel;
    const QString xText = geo ? GeoPositionLabelText(FileColumn(p, image_), geo->X, geo->Unit)
                              : XLabelText(FileColumn(p, image_), image_.Resolution);
    const QString yText = geo ? GeoPositionLabelText(FileRow(p, image_), geo->Y, geo->Unit)
                              : YLabelText(FileRow(p, image_), image_.Resolution);
    for (auto [label, text] : {std::pair{ui_.xLabel, xText}, std::pair{ui_.yLabel, yText},
                               std::pair{ui_.zLabel, zText}}) {
        label->setText(text);
        label->adjustSize();
    }
}

void ImageFrame::ImageBoxReleased(Qt::MouseButton button) {
    if (!image_.HasImage() || button != Qt::LeftButton)
        return;
    view_.Drag.Panning = false;
    SetDragCursor(false);
}

void ImageFrame::ImageBoxEntered() {
    setFocus();
}

} // namespace orvane::app
