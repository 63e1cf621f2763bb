// The keyboard over the frame. The keys that have a menu command (zoom, whole image, full
// screen, the 2D and 3D views) are the commands' shortcuts; the arrow keys, which have none,
// and Escape, which removes the measuring line, are read here.
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
    using view2d::PanDirection;
    std::optional<PanDirection> direction;
    switch (e->key()) {
    case Qt::Key_Left:
        direction = PanDirection::Left;
        break;
    case Qt::Key_Right:
        direction = PanDirection::Right;
        break;
    case Qt::Key_Up:
        direction = PanDirection::Up;
        break;
    case Qt::Key_Down:
        direction = PanDirection::Down;
        break;
    case Qt::Key_Escape:
        if (measuring_.shown) {
            RemoveMeasuringLine();
            e->accept();
            return;
        }
        [[fallthrough]];
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    ArrowKey(*direction);
    e->accept();
}

} // namespace orvane::app
