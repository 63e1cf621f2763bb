// The floating panels' wiring: the histogram and the TIFF information panel,
// and dragging either of them by its background or title.
#include "app/HistogramChart.h"
#include "app/ImageFrame.h"
#include "panels/InfoText.h"
#include "panels/PanelPlacement.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>

void TTarsunFrame::PlaceHistogramPanel() {
    HistogramPanel->move(HistogramPanelPlace(HistogramPanel->size(), size(), AreaTop()));
}

void TTarsunFrame::FillHistogram() {
    Isto->ShowBars(::FillHistogram(SampleBuffer, int(ImageWidth), int(ImageHeight)));
    PlaceHistogramPanel();
}

void TTarsunFrame::ShowLevelMarker(std::uint8_t level) { Isto->ShowMarker(level); }

void TTarsunFrame::InfoButtonClick() {
    if (!SampleBuffer)
        return;
    InfoMemo->clear();
    const QStringList lines = InfoPanelLines(ScannerSoftware, ScannerModel, AcquisitionDate,
                                             AcquisitionSetup, AcquisitionInfo);
    InfoMemo->setPlainText(lines.join(QLatin1Char('\n')));
    // The memo's own width decides the wrapping (its viewport is not laid out
    // while the panel is hidden).
    const int wrapWidth = InfoMemo->width() - 2 * InfoMemo->frameWidth() -
                          2 * int(InfoMemo->document()->documentMargin());
    const int lineCount = DisplayLineCount(lines, InfoMemo->font(), wrapWidth);
    InfoMemo->resize(InfoMemo->width(), InfoMemoHeight(lineCount, InfoMemo->font().pixelSize()));
    InfoPanel->resize(InfoPanel->width(), InfoMemo->y() + InfoMemo->height() + 8);
    InfoPanel->move(0, AreaTop());
    InfoPanel->show();
}

void TTarsunFrame::CloseInfoButtonClick() { InfoPanel->hide(); }

bool TTarsunFrame::PanelDragEvent(QObject* watched, QEvent* event) {
    // Qt has no system move loop for child widgets: a press on a panel's
    // background or title starts a drag that follows the pointer, and the
    // release pushes the panel back into the working area.
    QFrame* panel = nullptr;
    if (watched == InfoPanel || watched == InfoTiffLabel)
        panel = InfoPanel;
    else if (watched == HistogramPanel || watched == IstoLabel)
        panel = HistogramPanel;
    if (!panel)
        return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;

    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (!draggedPanel_) {
            draggedPanel_ = panel;
            dragGrabOffset_ = mapFromGlobal(mouse->globalPosition().toPoint()) - panel->pos();
        }
        return true;
    case QEvent::MouseMove:
        if (draggedPanel_ == panel)
            panel->move(mapFromGlobal(mouse->globalPosition().toPoint()) - dragGrabOffset_);
        return draggedPanel_ == panel;
    case QEvent::MouseButtonRelease:
        if (draggedPanel_ == panel && mouse->buttons() == Qt::NoButton) {
            panel->move(mapFromGlobal(mouse->globalPosition().toPoint()) - dragGrabOffset_);
            panel->move(PushBackIntoArea(panel->pos(), panel->size(), size(), AreaTop()));
            draggedPanel_ = nullptr;
        }
        return true;
    default:
        return false;
    }
}
