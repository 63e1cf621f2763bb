#include "app/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace orvane::app {

QPainterPath ReliefPath(double left, double right, double step, double groundY, double bottom,
                        std::initializer_list<ReliefPeak> peaks) {
    QPainterPath relief;
    relief.moveTo(left, groundY);
    for (double x = left; x <= right; x += step) {
        double y = groundY;
        for (const ReliefPeak& peak : peaks)
            y -= peak.height * std::exp(-std::pow((x - peak.x) / peak.width, 2));
        relief.lineTo(x, y);
    }
    relief.lineTo(right, bottom);
    relief.lineTo(left, bottom);
    relief.closeSubpath();
    return relief;
}

QImage DrawAppIcon(int sizePx) {
    QImage image(sizePx, sizePx, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(sizePx / 64.0, sizePx / 64.0); // drawn on a 64-unit square
    QLinearGradient sky(0, 0, 0, 64);
    sky.setColorAt(0, QColor(25, 55, 110));
    sky.setColorAt(1, QColor(90, 150, 210));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // Two peaks of a height profile, lit from the left.
    const QPainterPath relief = ReliefPath(2, 62, 1, 46, 62, {{24, 9, 20}, {44, 7, 12}});
    QLinearGradient light(0, 20, 0, 62);
    light.setColorAt(0, QColor(245, 240, 225));
    light.setColorAt(1, QColor(150, 140, 120));
    p.setClipPath([] {
        QPainterPath square;
        square.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
        return square;
    }());
    p.setBrush(light);
    p.drawPath(relief);
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(DrawAppIcon(size)));
    return icon;
}

} // namespace orvane::app
