// The palette's wiring: the colour table of the 2D picture, the relief's colours by height and
// the colour bar panel.
#include "app/ColourBar.h"
#include "app/ImageBox.h"
#include "app/ImageFrame.h"
#include "panels/ColourBarScale.h"
#include "panels/PanelPlacement.h"
#include "view3d/HeightSource.h"

#include <QFrame>

namespace orvane::app {

void ImageFrame::SetPalette(panels::Palette palette) {
    palette_ = palette;
    // The picture's colour table only: the levels stay, nothing is stretched again.
    if (DisplayBitmap && !DisplayBitmap->isNull()) {
        DisplayBitmap->setColorTable(panels::PaletteColourTable(palette));
        ui_.imageBox->repaint();
    }
    UpdateHeightColours();
    ui_.colourBar->ShowPalette(palette);
}

void ImageFrame::UpdateHeightColours() {
    view3d::HeightColours& colours = scene_.heightField.material.heightColours;
    // The grey relief is drawn as it always was: by its material, without a texture.
    if (palette_ == panels::Palette::Grey) {
        colours.SetColours({});
        return;
    }
    const auto& table = panels::PaletteTable(palette_);
    colours.SetColours(std::vector<std::uint32_t>(table.begin(), table.end()));
    const view3d::Vector4f plane = view3d::LevelPlane(image_, scene_.heightField);
    // A colour range stretches the colours over its part of the levels' scale.
    const auto& range = image_.ColourFractions;
    colours.SetPlane(range ? view3d::RangePlane(plane, range->Low, range->High) : plane);
}

void ImageFrame::FillColourBar() {
    ui_.colourBar->ShowPalette(palette_);
    // Values in the file's own unit, or plain values; heights from a sample-value range in mm.
    const QString unit = !image_.LevelsFromValues      ? QStringLiteral("mm")
                         : image_.HeightUnit.isEmpty() ? QStringLiteral("value")
                                                       : image_.HeightUnit;
    if (colourShown_) {
        ui_.colourBar->ShowScale(
            panels::ColourBarScaleFor(colourShown_->low, colourShown_->high, ColourRangeUnit()));
        return;
    }
    ui_.colourBar->ShowScale(
        panels::ColourBarScaleFor(image_.ShownLow(), image_.ShownHigh(), unit));
}

void ImageFrame::ShowColourBar(bool shown) {
    QFrame* panel = ui_.colourBarPanel;
    if (!shown) {
        panel->hide();
        return;
    }
    FillColourBar();
    panel->show();
    PlaceColourBarPanel();
}

void ImageFrame::PlaceColourBarPanel() {
    QFrame* panel = ui_.colourBarPanel;
    if (!panel->isVisibleTo(this))
        return;
    const QFrame* histogram = ui_.histogramPanel;
    const bool beside = histogram->isVisibleTo(this);
    const int below = beside ? histogram->geometry().bottom() + 1 : AreaTop();
    panel->move(panels::ColourBarPanelPlace(
        panel->size(), size(), AreaTop(), below,
        beside ? std::optional<int>(histogram->geometry().left()) : std::nullopt));
}

} // namespace orvane::app
