// The palette's wiring: the colour table of the 2D picture, the relief's colours by height and
// the colour bar panel.
#include "app/ColourBar.h"
#include "app/ImageFrame.h"
#include "app/PaintBox.h"
#include "panels/ColourBarScale.h"
#include "panels/PanelPlacement.h"
#include "view3d/HeightSource.h"

#include <QFrame>

namespace orvane::app {

QVector<QRgb> PaletteColourTable(panels::Palette palette) {
    if (palette == panels::Palette::Grey)
        return BuildGreyPalette(8);
    const auto& table = panels::PaletteTable(palette);
    return QVector<QRgb>(table.begin(), table.end());
}

void TTarsunFrame::SetPalette(panels::Palette palette) {
    palette_ = palette;
    // The picture's colour table only: the levels stay, nothing is stretched again.
    if (DisplayBitmap && !DisplayBitmap->isNull()) {
        DisplayBitmap->setColorTable(PaletteColourTable(palette));
        ui_.PaintBox1->repaint();
    }
    UpdateHeightColours();
    ui_.ColourBar->ShowPalette(palette);
}

void TTarsunFrame::UpdateHeightColours() {
    view3d::TGLHeightColours& colours = Scene1.HeightField1.Material.HeightColours;
    // The grey relief is drawn as it always was: by its material, without a texture.
    if (palette_ == panels::Palette::Grey) {
        colours.SetColours({});
        return;
    }
    const auto& table = panels::PaletteTable(palette_);
    colours.SetColours(std::vector<std::uint32_t>(table.begin(), table.end()));
    colours.SetPlane(view3d::LevelPlane(image_, Scene1.HeightField1));
}

void TTarsunFrame::FillColourBar() {
    ui_.ColourBar->ShowPalette(palette_);
    ui_.ColourBar->ShowScale(panels::ColourBarScaleFor(image_.ZMin, image_.ZMax));
}

void TTarsunFrame::ShowColourBar(bool shown) {
    QFrame* panel = ui_.ColourBarPanel;
    if (!shown) {
        panel->hide();
        return;
    }
    FillColourBar();
    panel->show();
    PlaceColourBarPanel();
}

void TTarsunFrame::PlaceColourBarPanel() {
    QFrame* panel = ui_.ColourBarPanel;
    if (!panel->isVisibleTo(this))
        return;
    const QFrame* histogram = ui_.HistogramPanel;
    const int below = histogram->isVisibleTo(this) ? histogram->geometry().bottom() + 1 : AreaTop();
    panel->move(panels::ColourBarPanelPlace(panel->size(), size(), AreaTop(), below));
}

} // namespace orvane::app
