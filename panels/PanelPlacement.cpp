#include "panels/PanelPlacement.h"

namespace orvane::panels {

QPoint PushBackIntoArea(QPoint p, QSize panel, QSize frame, int topStripHeight) {
    if (p.x() <= 0)
        p.setX(0);
    if (p.y() <= topStripHeight)
        p.setY(topStripHeight);
    if (p.y() + panel.height() > frame.height())
        p.setY(frame.height() - panel.height());
    if (p.x() + panel.width() > frame.width())
        p.setX(frame.width() - panel.width());
    return p;
}

QPoint HistogramPanelPlace(QSize panel, QSize frame, int topStripHeight) {
    return {frame.width() - panel.width(), topStripHeight};
}

QPoint ColourBarPanelPlace(QSize panel, QSize frame, int topStripHeight, int belowY,
                           std::optional<int> besideX) {
    // Where the area is too low for it below the histogram, it stands to the histogram's left.
    if (besideX && belowY + panel.height() > frame.height() && *besideX - panel.width() >= 0)
        return PushBackIntoArea({*besideX - panel.width(), topStripHeight}, panel, frame,
                                topStripHeight);
    return PushBackIntoArea({frame.width() - panel.width(), belowY}, panel, frame, topStripHeight);
}

} // namespace orvane::panels
