// The 2D view's wiring: placing the box, wheel zoom, painting and the pointer.
// The arithmetic lives in view2d/; this file reads events and draws.
#include "app/HistogramChart.h"
#include "app/ImageFrame.h"
#include "app/PaintBox.h"
#include "view2d/Readout.h"
#include "view2d/Stretch.h"
#include "view3d/SceneViewer.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QToolButton>
#include <cmath>

namespace {

bool BusyCursorShown() {
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

QRect ToQRect(const FillRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

} // namespace

ImageArea TTarsunFrame::Area() const {
    return {AreaTop(), width(), std::max(0, height() - AreaTop())};
}

ImageGeometry TTarsunFrame::Geometry() const {
    return {int(ImageWidth), int(ImageHeight), int(ColumnStep), int(RowStep)};
}

ViewWindow TTarsunFrame::Window() const { return {ViewWidth, ViewHeight, ViewOffsetX, ViewOffsetY}; }

void TTarsunFrame::SetWindow(const ViewWindow& w) {
    ViewWidth = w.ViewWidth;
    ViewHeight = w.ViewHeight;
    ViewOffsetX = w.ViewOffsetX;
    ViewOffsetY = w.ViewOffsetY;
}

BoxRect TTarsunFrame::Box() const {
    const QRect g = PaintBox1->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

void TTarsunFrame::PlaceBox(const BoxRect& box) {
    PaintBox1->setGeometry(box.Left, box.Top, box.Width, box.Height);
    if (!DisplayBitmap)
        return;
    // The bitmap has the box's size in device pixels, so that a HiDPI screen
    // shows the image at its own resolution rather than magnified.
    const qreal ratio = devicePixelRatioF();
    const int w = int(std::lround(box.Width * ratio)), h = int(std::lround(box.Height * ratio));
    if (DisplayBitmap->width() != w || DisplayBitmap->height() != h) {
        *DisplayBitmap = QImage(w, h, QImage::Format_Grayscale8);
        DisplayBitmap->setDevicePixelRatio(ratio);
    }
}

void TTarsunFrame::PlaceImage() {
    const std::optional<BoxRect> box = ::PlaceImage(Window(), Geometry(), Area());
    if (!box)
        return;
    PlaceBox(*box);
    PaintBox1Paint();
}

void TTarsunFrame::ResetZoom() {
    if (!SampleBuffer || !DisplayBitmap)
        return;
    SetWindow(WholeImageWindow(Geometry()));
    PlaceImage();
}

void TTarsunFrame::FrameResize() {
    PlaceImage();
    PlaceHistogramPanel();
}

void TTarsunFrame::FrameMouseWheelUp() { WheelStep(ZoomDirection::In); }
void TTarsunFrame::FrameMouseWheelDown() { WheelStep(ZoomDirection::Out); }

void TTarsunFrame::WheelStep(ZoomDirection direction) {
    if (!SampleBuffer)
        return;
    if (SB3D->isChecked()) {
        if (direction == ZoomDirection::In)
            SceneViewer1MouseWheelUp();
        else
            SceneViewer1MouseWheelDown();
        return;
    }
    if (Loading)
        return;
    ViewWindow window = Window();
    BoxRect box = Box();
    const WheelResult result = ::WheelStep(direction, Geometry(), Area(), window, box);
    SetWindow(window);
    if (result == WheelResult::Ignored)
        return;
    if (result == WheelResult::ResetZoom) {
        ResetZoom();
        return;
    }
    PlaceBox(box);
    if (direction == ZoomDirection::Out) {
        // Clear at once what the larger box left beside the smaller one.
        QRegion strips;
        for (const FillRect& r : ZoomOutStrips(box, Area()))
            strips += ToQRect(r);
        if (!strips.isEmpty())
            repaint(strips);
    }
    PaintBox1Paint();
    RedrawVisiblePanels();
}

void TTarsunFrame::RedrawVisiblePanels() {
    if (InfoPanel->isVisible()) {
        InfoPanel->update();
        InfoMemo->repaint();
    }
    if (HistogramPanel->isVisible()) {
        HistogramPanel->update();
        Isto->repaint();
    }
    if (ProgressPanel->isVisible())
        ProgressPanel->update();
}

void TTarsunFrame::PaintBox1Paint() { PaintBox1->repaint(); }

void TTarsunFrame::PaintInto(QPainter& painter) {
    if (!SampleBuffer || !DisplayBitmap || Loading || DisplayBitmap->isNull())
        return;
    // Never read the buffer through a description of another size.
    if (!DisplayInfo || DisplayInfo->Width != ImageWidth || DisplayInfo->Height != ImageHeight)
        return;
    const SourceRect source = SourceRectangle(Window(), int(ImageHeight));
    StretchToGrey(SampleBuffer, int(ImageWidth), int(ImageHeight), source, DisplayBitmap->bits(),
                  DisplayBitmap->width(), DisplayBitmap->height(), DisplayBitmap->bytesPerLine());
    painter.drawImage(0, 0, *DisplayBitmap);
}

void TTarsunFrame::paintEvent(QPaintEvent*) {
    // Only the strips beside the image are filled: the region under the box is
    // never wiped before the box paints it again, so nothing flickers.
    QPainter painter(this);
    const bool imageShown = SampleBuffer && DisplayBitmap;
    for (const FillRect& r : EraseRects(imageShown, Box(), Area()))
        painter.fillRect(ToQRect(r), Qt::white);
}

void TTarsunFrame::SetDragCursor(bool dragging) {
    // The busy cursor of a running open is never replaced.
    if (BusyCursorShown() || dragging == dragCursorShown_)
        return;
    if (dragging)
        QApplication::setOverrideCursor(Qt::SizeAllCursor);
    else
        QApplication::restoreOverrideCursor();
    dragCursorShown_ = dragging;
}

void TTarsunFrame::PaintBox1MouseDown(Qt::MouseButton button, int x, int y) {
    if (!SampleBuffer || !DisplayBitmap || Loading)
        return;
    const BufferPosition p =
        MapPointer(x, y, Window(), PaintBox1->width(), PaintBox1->height(), int(ImageHeight));
    if (button != Qt::LeftButton)
        return;
    Panning = true;
    SetDragCursor(true);
    DragState drag;
    BeginDrag(drag, x, y, Window());
    DragStartX = drag.DragStartX;
    DragStartY = drag.DragStartY;
    DragStartOffsetX = drag.DragStartOffsetX;
    DragStartOffsetY = drag.DragStartOffsetY;
    if (const std::optional<std::uint8_t> level = LevelAt(SampleBuffer, Geometry(), p))
        ShowLevelMarker(*level);
}

void TTarsunFrame::PaintBox1MouseMove(int x, int y) {
    if (!SampleBuffer || !DisplayBitmap || Loading)
        return;
    if (Panning) {
        const DragState drag{Panning, DragStartX, DragStartY, DragStartOffsetX, DragStartOffsetY};
        ViewWindow window = Window();
        DragTo(drag, x, y, PaintBox1->width(), PaintBox1->height(), Geometry(), window);
        SetWindow(window);
        PaintBox1->repaint();
        return;
    }
    const ImageGeometry g = Geometry();
    const BufferPosition p =
        MapPointer(x, y, Window(), PaintBox1->width(), PaintBox1->height(), int(ImageHeight));
    const float z = HeightMm(LevelAt(SampleBuffer, g, p), ZMin, ZMax);
    for (auto [label, text] : {std::pair{XLabel, XLabelText(FileColumn(p, g), Resolution)},
                               std::pair{YLabel, YLabelText(FileRow(p, g), Resolution)},
                               std::pair{ZLabel, ZLabelText(z, ZMin, ZMax)}}) {
        label->setText(text);
        label->adjustSize();
    }
}

void TTarsunFrame::PaintBox1MouseUp(Qt::MouseButton button) {
    if (!SampleBuffer || button != Qt::LeftButton)
        return;
    Panning = false;
    SetDragCursor(false);
}

void TTarsunFrame::PaintBox1MouseEnter() { setFocus(); }
