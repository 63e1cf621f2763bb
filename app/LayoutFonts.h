#pragma once
#include <QFont>
#include <QIcon>
#include <QString>

class QLabel;
class QWidget;

class QFrame;
class QToolButton;

namespace orvane::app {

// Makes Tahoma, the layouts' font, available: Debian's fonts-wine installs a
// Tahoma with its metrics outside fontconfig's folders, so it is registered
// with the application when present; otherwise a condensed sans stands in,
// near enough in width for the fixed positions. Safe to call repeatedly.
void RegisterLayoutFonts();

// A font of the layouts: the family and the character height in pixels, as the
// layouts give them.
QFont LayoutFont(const QString& family, int pixelHeight, bool bold = false);
// Tahoma, the layouts' own font.
inline QFont TahomaFont(int pixelHeight, bool bold = false) {
    return LayoutFont(QStringLiteral("Tahoma"), pixelHeight, bold);
}

// The close button's picture of the floating panels: an orange-red cross.
QIcon CloseGlyph();

// The raised, filled look of the top strip and the floating panels.
void StyleRaisedPanel(QFrame* panel);
// A floating panel's close button (the cross, flat until pointed at) at its design place.
QToolButton* MakeCloseButton(QWidget* panel, const QRect& place);

// A label at its design place, sized to its text.
QLabel* MakeLabel(QWidget* parent, int x, int y, const QString& text, const QFont& font);

} // namespace orvane::app
