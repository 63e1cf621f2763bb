// The 2D view's wiring: placing the box, wheel zoom, painting and the pointer.
#include "app/ImageFrame.h"
#include "app/PaintBox.h"

#include <QFrame>
#include <QPainter>


void TTarsunFrame::PlaceImage() {
    if (ImageWidth == 0 || ImageHeight == 0)
        return;
    PaintBox1->setGeometry(0, AreaTop(), width(), height() - AreaTop());
    if (DisplayBitmap)
        *DisplayBitmap = QImage(PaintBox1->size(), QImage::Format_Grayscale8);
    PaintBox1Paint();
}

void TTarsunFrame::ResetZoom() {}

void TTarsunFrame::FrameResize() {
    PlaceImage();
    PlaceHistogramPanel();
}

void TTarsunFrame::FrameMouseWheelUp() {}
void TTarsunFrame::FrameMouseWheelDown() {}

void TTarsunFrame::PaintBox1Paint() { PaintBox1->repaint(); }

void TTarsunFrame::PaintInto(QPainter& painter) {
    if (!SampleBuffer || !DisplayBitmap || Loading)
        return;
    painter.fillRect(PaintBox1->rect(), Qt::gray);
}

void TTarsunFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect box = PaintBox1->geometry();
    if (SampleBuffer && DisplayBitmap) {
        QRegion strips(rect());
        strips -= box;
        painter.setClipRegion(strips);
    }
    painter.fillRect(rect(), Qt::white);
}

void TTarsunFrame::PaintBox1MouseDown(Qt::MouseButton, int, int) {}
void TTarsunFrame::PaintBox1MouseMove(int, int) {}
void TTarsunFrame::PaintBox1MouseUp(Qt::MouseButton) {}
void TTarsunFrame::PaintBox1MouseEnter() { setFocus(); }
