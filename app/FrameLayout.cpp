#include "app/FrameLayout.h"

#include "app/ColourBar.h"
#include "app/HistogramChart.h"
#include "app/ImageBox.h"
#include "app/LayoutFonts.h"
#include "app/ProfilePanel.h"
#include "view3d/gl/SceneViewer.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

namespace orvane::app {

namespace {

QGroupBox* MakeGroupBox(QWidget* parent, const QRect& place, const QString& title) {
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(place);
    box->setFont(TahomaFont(9));
    return box;
}

QPushButton* MakeButton(QWidget* parent, const QRect& place, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(place);
    return button;
}

QSlider* MakeTrackBar(QWidget* parent, const QRect& place, int min, int max, int position) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setGeometry(place);
    bar->setRange(min, max);
    bar->setValue(position);
    bar->setTickInterval(10);
    bar->setTickPosition(QSlider::TicksBothSides);
    bar->setPageStep(10);
    return bar;
}

QFrame* MakeRaisedPanel(QWidget* parent, const QRect& place) {
    auto* panel = new QFrame(parent);
    panel->setGeometry(place);
    StyleRaisedPanel(panel);
    panel->hide();
    return panel;
}

void BuildViewModeGroup(QWidget* frame, FrameComponents& c) {
    c.viewGroup = MakeGroupBox(c.topPanel, {458, 4, 154, 85}, QStringLiteral("View Mode"));
    c.view2dButton = new QToolButton(c.viewGroup);
    c.view2dButton->setText(QStringLiteral("2D"));
    c.view2dButton->setGeometry(16, 26, 57, 39);
    c.view3dButton = new QToolButton(c.viewGroup);
    c.view3dButton->setText(QStringLiteral("3D"));
    c.view3dButton->setGeometry(79, 26, 58, 39);
    for (QToolButton* b : {c.view2dButton, c.view3dButton}) {
        b->setCheckable(true);
        b->setFont(TahomaFont(11));
    }
    c.viewModeGroup = new QButtonGroup(frame);
    c.viewModeGroup->setExclusive(true);
    c.viewModeGroup->addButton(c.view2dButton, 1);
    c.viewModeGroup->addButton(c.view3dButton, 2);
    c.view2dButton->setChecked(true);
}

void BuildInformationGroup(FrameComponents& c) {
    c.infoGroup = MakeGroupBox(c.topPanel, {7, 4, 445, 85}, QStringLiteral("Information"));
    QWidget* box = c.infoGroup;
    const QFont caption = TahomaFont(12, true), value = TahomaFont(11);
    c.fileCaption = MakeLabel(box, 9, 20, QStringLiteral("File: "), caption);
    c.fileLabel = MakeLabel(box, 40, 21, QStringLiteral("..."), value);
    c.resolutionCaption = MakeLabel(box, 9, 39, QStringLiteral("Resolution: "), caption);
    c.resolutionLabel = MakeLabel(box, 83, 40, QStringLiteral("..."), value);
    c.sizeCaption = MakeLabel(box, 9, 58, QStringLiteral("Size:"), caption);
    c.sizeLabel = MakeLabel(box, 41, 59, QStringLiteral("..."), value);
    c.xCaption = MakeLabel(box, 257, 20, QStringLiteral("X: "), caption);
    c.xLabel = MakeLabel(box, 276, 21, QStringLiteral("..."), value);
    c.yCaption = MakeLabel(box, 257, 39, QStringLiteral("Y:"), caption);
    c.yLabel = MakeLabel(box, 276, 40, QStringLiteral("..."), value);
    c.zCaption = MakeLabel(box, 257, 58, QStringLiteral("Z:"), caption);
    c.zLabel = MakeLabel(box, 276, 59, QStringLiteral("..."), value);
    c.bigTiffLabel = MakeLabel(box, 389, 20, QStringLiteral("BIGTIFF"), value);
    c.bigTiffLabel->hide();
}

void BuildSettings3DGroup(FrameComponents& c) {
    c.settings3dGroup = MakeGroupBox(c.topPanel, {618, 4, 295, 85}, QStringLiteral("3D Settings"));
    c.settings3dGroup->hide();
    const QFont value = TahomaFont(11);
    c.resolutionBarCaption =
        MakeLabel(c.settings3dGroup, 13, 28, QStringLiteral("Resolution"), value);
    c.zDepthBarCaption = MakeLabel(c.settings3dGroup, 24, 55, QStringLiteral("Z depth"), value);
    c.resolutionBar = MakeTrackBar(c.settings3dGroup, {67, 20, 214, 33}, 0, 100, 50);
    c.zDepthBar = MakeTrackBar(c.settings3dGroup, {67, 47, 214, 28}, 5, 100, 5);
}

void BuildTopStrip(QWidget* frame, FrameComponents& c) {
    c.topPanel = new QFrame(frame);
    StyleRaisedPanel(c.topPanel);
    c.topPanel->setGeometry(0, 0, frame->width(), 97);
    BuildViewModeGroup(frame, c);
    BuildInformationGroup(c);
    BuildSettings3DGroup(c);
    c.loadTextureButton = MakeButton(c.topPanel, {922, 23, 50, 25}, QStringLiteral("texture"));
    c.loadTextureButton->hide();
    c.removeTextureButton = MakeButton(c.topPanel, {922, 54, 50, 25}, QStringLiteral("remove"));
    c.removeTextureButton->hide();
}

void BuildViews(QWidget* frame, FrameComponents& c) {
    c.imageBox = new ImageBox(frame);
    c.imageBox->setGeometry(320, 135, 158, 137);
    c.imageBox->setCursor(Qt::CrossCursor);
    c.sceneViewer = new view3d::SceneViewer(frame);
    c.sceneViewer->setGeometry(320, 278, 158, 137);
    c.sceneViewer->hide();
    c.refreshingLabel = new QLabel(QStringLiteral("Refreshing..."), frame);
    c.refreshingLabel->setGeometry(368, 320, 163, 41);
    c.refreshingLabel->setAlignment(Qt::AlignCenter);
    StyleRaisedPanel(c.refreshingLabel);
    c.refreshingLabel->setFont(TahomaFont(13));
    c.refreshingLabel->hide();
}

void BuildInfoPanel(QWidget* frame, FrameComponents& c) {
    c.infoPanel = MakeRaisedPanel(frame, {0, 97, 406, 185});
    c.closeInfoButton = MakeCloseButton(c.infoPanel, {381, 5, 20, 22});
    c.infoTitle =
        MakeLabel(c.infoPanel, 164, 6, QStringLiteral("TIFF File Info"), TahomaFont(13, true));
    c.infoText = new QPlainTextEdit(c.infoPanel);
    c.infoText->setGeometry(8, 28, 390, 149);
    c.infoText->setFont(TahomaFont(11));
    c.infoText->setReadOnly(true);
    c.infoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.infoText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.infoText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void BuildHistogramPanel(QWidget* frame, FrameComponents& c) {
    c.histogramPanel = MakeRaisedPanel(frame, {844, 103, 288, 186});
    c.histogramTitle =
        MakeLabel(c.histogramPanel, 104, 6, QStringLiteral("Histogram"), TahomaFont(13, true));
    c.histogramChart = new HistogramChart(c.histogramPanel);
    c.histogramChart->setGeometry(2, 30, 282, 149);
}

void BuildColourBarPanel(QWidget* frame, FrameComponents& c) {
    c.colourBarPanel = MakeRaisedPanel(frame, {844, 295, 128, 260});
    c.colourBarTitle =
        MakeLabel(c.colourBarPanel, 22, 6, QStringLiteral("Colour Bar"), TahomaFont(13, true));
    c.colourBar = new ColourBar(c.colourBarPanel);
    c.colourBar->setGeometry(2, 26, 124, 230);
}

void BuildProgressPanel(QWidget* frame, FrameComponents& c) {
    c.progressPanel = MakeRaisedPanel(frame, {730, 415, 218, 68});
    c.progressPanel->setFont(TahomaFont(13));
    c.progressLabel = new QLabel(QStringLiteral("Processing 100%"), c.progressPanel);
    c.progressLabel->setGeometry(50, 8, 112, 18);
    c.progressLabel->setFont(TahomaFont(15));
    c.progressBar = new QProgressBar(c.progressPanel);
    c.progressBar->setGeometry(11, 40, 197, 17);
    c.progressBar->setRange(0, 100);
    c.progressBar->setTextVisible(false);
}

} // namespace

FrameComponents BuildFrameLayout(QWidget* frame) {
    frame->resize(1135, 816);
    FrameComponents c;
    BuildViews(frame, c);
    BuildTopStrip(frame, c);
    BuildInfoPanel(frame, c);
    BuildHistogramPanel(frame, c);
    c.profilePanel = new ProfilePanel(frame);
    BuildColourBarPanel(frame, c);
    BuildProgressPanel(frame, c);

    // Stacking, bottom to top: 2D box, 3D viewer, top strip, info panel,
    // histogram panel, colour bar panel, "Refreshing...", progress panel.
    c.sceneViewer->raise();
    c.topPanel->raise();
    c.infoPanel->raise();
    c.histogramPanel->raise();
    c.profilePanel->raise();
    c.colourBarPanel->raise();
    c.refreshingLabel->raise();
    c.progressPanel->raise();
    return c;
}

} // namespace orvane::app
