// The keyboard over the frame. The keys that have a menu command (zoom, whole image, full
// screen, the 2D and 3D views) are the commands' shortcuts; the arrow keys, which have none,
// and Escape, which clears the measurement (Measure > Clear Measurement's key), are read here.
#include "app/ImageFrame.h"

#include <QKeyEvent>
#include <QToolButton>

namespace orvane::app {

void ImageFrame::ChooseView(bool relief) {
    QToolButton* button = relief ? ui_.view3dButton : ui_.view2dButton;
    if (button->isEnabled())
        button->click();
}

void ImageFrame::keyPressEvent(QKeyEvent* e) {
    if (ArrowKey(e->key())) {
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Escape && ClearMeasurement()) {
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

} // namespace orvane::app
