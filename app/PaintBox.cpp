#include "app/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

namespace orvane::app {

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (OnPaint)
        OnPaint(painter);
}

// Positions are truncated to whole box pixels, as the readout maps them.
void TPaintBox::mousePressEvent(QMouseEvent* e) {
    if (OnMouseDown)
        OnMouseDown(e->button(), qFloor(e->position().x()), qFloor(e->position().y()));
}

void TPaintBox::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove)
        OnMouseMove(qFloor(e->position().x()), qFloor(e->position().y()));
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* e) {
    if (OnMouseUp)
        OnMouseUp(e->button(), qFloor(e->position().x()), qFloor(e->position().y()));
}

void TPaintBox::enterEvent(QEnterEvent*) {
    if (OnMouseEnter)
        OnMouseEnter();
}

void TPaintBox::leaveEvent(QEvent*) {
    if (OnMouseLeave)
        OnMouseLeave();
}

} // namespace orvane::app
