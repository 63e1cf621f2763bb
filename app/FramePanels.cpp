// The floating panels' wiring: the histogram and the TIFF information panel,
// and dragging any floating panel by its background or title.
#include "app/ColourBar.h"
#include "app/HistogramChart.h"
#include "app/ImageFrame.h"
#include "app/ProfilePanel.h"
#include "panels/InfoText.h"
#include "panels/PanelPlacement.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextLayout>

namespace orvane::app {

namespace {

// Lines as a memo of `width` pixels in `font` shows them: embedded line
// breaks start new lines and long texts wrap at word boundaries.
int DisplayLineCount(const QStringList& lines, const QFont& font, int width) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    int count = 0;
    for (const QString& line : lines)
        for (const QString& part : line.split(lineBreak)) {
            QTextLayout layout(part, font);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            int wrapped = 0;
            for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
                l.setLineWidth(width);
                ++wrapped;
            }
            layout.endLayout();
            count += std::max(1, wrapped); // an empty line still takes a line
        }
    return count;
}

} // namespace

void ImageFrame::PlaceHistogramPanel() {
    QFrame* panel = ui_.histogramPanel;
    panel->move(panels::HistogramPanelPlace(panel->size(), size(), AreaTop()));
}

void ImageFrame::FillHistogram() {
    ui_.histogramChart->ShowBars(panels::FillHistogram(image_.Levels(), image_.ImageWidth,
                                                       image_.ImageHeight, image_.NoDataPixels));
    PlaceHistogramPanel();
}

void ImageFrame::ShowLevelMarker(std::uint8_t level) {
    ui_.histogramChart->ShowMarker(level);
}

void ImageFrame::ShowTiffInfo() {
    if (!image_.HasImage())
        return;
    QPlainTextEdit* memo = ui_.infoText;
    QFrame* panel = ui_.infoPanel;
    memo->clear();
    const QStringList lines =
        panels::InfoPanelLines(image_.ScannerSoftware, image_.ScannerModel, image_.AcquisitionDate,
                               image_.AcquisitionSetup, image_.AcquisitionInfo);
    memo->setPlainText(lines.join(QLatin1Char('\n')));
    // The memo's own width decides the wrapping (its viewport is not laid out
    // while the panel is hidden).
    const int wrapWidth =
        memo->width() - 2 * memo->frameWidth() - 2 * int(memo->document()->documentMargin());
    const int lineCount = DisplayLineCount(lines, memo->font(), wrapWidth);
    memo->resize(memo->width(), panels::InfoMemoHeight(lineCount, memo->font().pixelSize()));
    panel->resize(panel->width(), memo->y() + memo->height() + 8);
    panel->move(0, AreaTop());
    panel->show();
}

void ImageFrame::HideTiffInfo() {
    ui_.infoPanel->hide();
}

bool ImageFrame::PanelDragEvent(QObject* watched, QEvent* event) {
    // Qt has no system move loop for child widgets: a press on a panel's
    // background or title starts a drag that follows the pointer, and the
    // release pushes the panel back into the working area.
    QFrame* panel = nullptr;
    if (watched == ui_.infoPanel || watched == ui_.infoTitle)
        panel = ui_.infoPanel;
    else if (watched == ui_.histogramPanel || watched == ui_.histogramTitle)
        panel = ui_.histogramPanel;
    else if (watched == ui_.profilePanel || watched == ui_.profilePanel->titleLabel)
        panel = ui_.profilePanel;
    else if (watched == ui_.colourBarPanel || watched == ui_.colourBarTitle ||
             watched == ui_.colourBar)
        panel = ui_.colourBarPanel;
    // A panel the main window has docked moves with its dock.
    if (!panel || panel->parentWidget() != this)
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
            panel->move(panels::PushBackIntoArea(panel->pos(), panel->size(), size(), AreaTop()));
            draggedPanel_ = nullptr;
        }
        return true;
    default:
        return false;
    }
}

} // namespace orvane::app
