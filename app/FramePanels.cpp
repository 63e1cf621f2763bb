// The floating panels' wiring: histogram and TIFF information.
#include "app/ImageFrame.h"

#include <QFrame>

void TTarsunFrame::PlaceHistogramPanel() {
    HistogramPanel->move(width() - HistogramPanel->width(), AreaTop());
}

void TTarsunFrame::FillHistogram() {}
void TTarsunFrame::ShowLevelMarker(std::uint8_t) {}
void TTarsunFrame::InfoButtonClick() {}
void TTarsunFrame::CloseInfoButtonClick() { InfoPanel->hide(); }
