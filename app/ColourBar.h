#pragma once
#include "panels/ColourBarScale.h"
#include "panels/ColourMaps.h"

#include <QWidget>

namespace orvane::app {

// The colour bar: the palette from level 0 (bottom) to level 255 (top), its unit above and its
// ticks labelled beside it.
class ColourBar : public QWidget {
    Q_OBJECT
public:
    explicit ColourBar(QWidget* parent);

    void ShowPalette(panels::Palette palette);
    void ShowScale(const panels::ColourBarScale& scale);

    panels::Palette Palette() const { return palette_; }
    const panels::ColourBarScale& Scale() const { return scale_; }
    // The bar's rectangle in the widget, and the row of a tick at `fraction` along it.
    QRect BarRect() const;
    int TickRow(double fraction) const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    panels::Palette palette_ = panels::Palette::Grey;
    panels::ColourBarScale scale_;
};

} // namespace orvane::app
