#include "app/ScaleBarPaint.h"

#include <QFontMetricsF>
#include <QPainter>

namespace orvane::app {

void PaintScaleBar(QPainter& painter, const view2d::ScaleBar& bar, const QRect& view,
                   const QFont& font) {
    const double margin = 10, padding = 5, barHeight = 4;
    const QString label = bar.Label();
    const QFontMetricsF metrics(font);
    const double textWidth = metrics.horizontalAdvance(label);
    const double plateWidth = std::max(bar.pixels, textWidth) + 2 * padding;
    const double plateHeight = metrics.height() + barHeight + 3 * padding;
    const QRectF plate(view.left() + margin, view.bottom() + 1 - margin - plateHeight, plateWidth,
                       plateHeight);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font);
    painter.setPen(QPen(QColor(0, 0, 0, 120), 1));
    painter.setBrush(QColor(255, 255, 255, 215));
    painter.drawRoundedRect(plate, 3, 3);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(plate.left() + padding, plate.top() + padding, plateWidth - 2 * padding,
                            metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, label);
    const QRectF barRect(plate.left() + padding, plate.bottom() - padding - barHeight, bar.pixels,
                         barHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRect(barRect);
    painter.restore();
}

} // namespace orvane::app
