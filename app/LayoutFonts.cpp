#include "app/LayoutFonts.h"

#include <QLabel>

namespace orvane::app {

QFont LayoutFont(const QString& family, int pixelHeight, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QLabel* MakeLabel(QWidget* parent, int x, int y, const QString& text, const QFont& font) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace orvane::app
