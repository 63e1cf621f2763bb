#include "app/ColourBar.h"

#include "app/LayoutFonts.h"

#include <QPainter>
#include <cmath>

namespace orvane::app {

namespace {

constexpr int kBarLeft = 12;
constexpr int kBarWidth = 22;
constexpr int kBarTop = 22; // below the unit
constexpr int kBarBottomMargin = 10;
constexpr int kTickLength = 5;

} // namespace

ColourBar::ColourBar(QWidget* parent) : QWidget(parent) {
    setFont(TahomaFont(11));
}

void ColourBar::ShowPalette(panels::Palette palette) {
    palette_ = palette;
    update();
}

void ColourBar::ShowScale(const panels::ColourBarScale& scale) {
    scale_ = scale;
    update();
}

QRect ColourBar::BarRect() const {
    return QRect(kBarLeft, kBarTop, kBarWidth, std::max(1, height() - kBarTop - kBarBottomMargin));
}

int ColourBar::TickRow(double fraction) const {
    const QRect bar = BarRect();
    // Level 0 on the bar's last row, level 255 on its first.
    return bar.bottom() - int(std::lround(fraction * (bar.height() - 1)));
}

void ColourBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect bar = BarRect();
    const auto& table = panels::PaletteTable(palette_);
    // One row per level band: the bar shows the table's own colours, nearest level per row.
    for (int row = 0; row < bar.height(); ++row) {
        const double fraction = bar.height() > 1 ? double(row) / (bar.height() - 1) : 0.0;
        const int level = int(std::lround(fraction * 255));
        painter.setPen(QColor::fromRgb(table[std::size_t(level)]));
        const int y = bar.bottom() - row;
        painter.drawLine(bar.left(), y, bar.right(), y);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar.adjusted(-1, -1, 0, 0)); // a frame just outside the colours

    const QFontMetrics metrics(font());
    painter.drawText(QRect(0, 0, width(), kBarTop - 4), Qt::AlignLeft | Qt::AlignBottom,
                     scale_.Unit);
    for (const panels::ColourBarTick& tick : scale_.Ticks) {
        const int y = TickRow(tick.Fraction);
        painter.drawLine(bar.right() + 1, y, bar.right() + kTickLength, y);
        const int textX = bar.right() + kTickLength + 4;
        painter.drawText(QRect(textX, y - metrics.height() / 2, width() - textX, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, tick.Text);
    }
}

} // namespace orvane::app
