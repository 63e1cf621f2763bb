#include "app/ImageBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

namespace orvane::app {

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void ImageBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (OnPaint)
        OnPaint(painter);
}

// Positions are truncated to whole box pixels, as the readout maps them.
void ImageBox::mousePressEvent(QMouseEvent* e) {
    pressModifiers_ = e->modifiers();
    if (OnMouseDown)
        OnMouseDown(e->button(), qFloor(e->position().x()), qFloor(e->position().y()));
}

void ImageBox::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove)
        OnMouseMove(qFloor(e->position().x()), qFloor(e->position().y()));
}

void ImageBox::mouseReleaseEvent(QMouseEvent* e) {
    if (OnMouseUp)
        OnMouseUp(e->button(), qFloor(e->position().x()), qFloor(e->position().y()));
}

void ImageBox::enterEvent(QEnterEvent*) {
    if (OnMouseEnter)
        OnMouseEnter();
}

void ImageBox::leaveEvent(QEvent*) {
    if (OnMouseLeave)
        OnMouseLeave();
}

} // namespace orvane::app
