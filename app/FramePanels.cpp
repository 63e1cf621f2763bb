// The floating panels' wiring: histogram and TIFF information.
#include "app/HistogramChart.h"
#include "app/ImageFrame.h"

#include <QFrame>

void TTarsunFrame::PlaceHistogramPanel() {
    HistogramPanel->move(width() - HistogramPanel->width(), AreaTop());
}

void TTarsunFrame::FillHistogram() {
    Isto->ShowBars(::FillHistogram(SampleBuffer, int(ImageWidth), int(ImageHeight)));
    PlaceHistogramPanel();
}

void TTarsunFrame::ShowLevelMarker(std::uint8_t level) { Isto->ShowMarker(level); }
void TTarsunFrame::InfoButtonClick() {}
void TTarsunFrame::CloseInfoButtonClick() { InfoPanel->hide(); }
