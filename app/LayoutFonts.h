#pragma once
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace orvane::app {

// A font of the layouts: the family and the character height in pixels, as the
// layouts give them.
QFont LayoutFont(const QString& family, int pixelHeight, bool bold = false);
// Tahoma, the layouts' own font.
inline QFont TahomaFont(int pixelHeight, bool bold = false) {
    return LayoutFont(QStringLiteral("Tahoma"), pixelHeight, bold);
}

// A label at its design place, sized to its text.
QLabel* MakeLabel(QWidget* parent, int x, int y, const QString& text, const QFont& font);

} // namespace orvane::app
