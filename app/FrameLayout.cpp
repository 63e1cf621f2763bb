#include "app/FrameLayout.h"

#include "app/ColourBar.h"
#include "app/HistogramChart.h"
#include "app/LayoutFonts.h"
#include "app/PaintBox.h"
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
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->hide();
    return panel;
}

void BuildViewModeGroup(QWidget* frame, FrameComponents& c) {
    c.ViewGroupBox = MakeGroupBox(c.FramePanel, {458, 4, 154, 85}, QStringLiteral("View Mode"));
    c.SB2D = new QToolButton(c.ViewGroupBox);
    c.SB2D->setText(QStringLiteral("2D"));
    c.SB2D->setGeometry(16, 26, 57, 39);
    c.SB3D = new QToolButton(c.ViewGroupBox);
    c.SB3D->setText(QStringLiteral("3D"));
    c.SB3D->setGeometry(79, 26, 58, 39);
    for (QToolButton* b : {c.SB2D, c.SB3D}) {
        b->setCheckable(true);
        b->setFont(TahomaFont(11));
    }
    c.ViewModeGroup = new QButtonGroup(frame);
    c.ViewModeGroup->setExclusive(true);
    c.ViewModeGroup->addButton(c.SB2D, 1);
    c.ViewModeGroup->addButton(c.SB3D, 2);
    c.SB2D->setChecked(true);
}

void BuildInformationGroup(FrameComponents& c) {
    c.InfoGroupBox = MakeGroupBox(c.FramePanel, {7, 4, 445, 85}, QStringLiteral("Information"));
    QWidget* box = c.InfoGroupBox;
    const QFont caption = TahomaFont(12, true), value = TahomaFont(11);
    c.LabelF = MakeLabel(box, 9, 20, QStringLiteral("File: "), caption);
    c.FileLabel = MakeLabel(box, 40, 21, QStringLiteral("..."), value);
    c.LabelR = MakeLabel(box, 9, 39, QStringLiteral("Resolution: "), caption);
    c.ResLabel = MakeLabel(box, 83, 40, QStringLiteral("..."), value);
    c.LabelS = MakeLabel(box, 9, 58, QStringLiteral("Size:"), caption);
    c.SizeLabel = MakeLabel(box, 41, 59, QStringLiteral("..."), value);
    c.LabelX = MakeLabel(box, 257, 20, QStringLiteral("X: "), caption);
    c.XLabel = MakeLabel(box, 276, 21, QStringLiteral("..."), value);
    c.LabelY = MakeLabel(box, 257, 39, QStringLiteral("Y:"), caption);
    c.YLabel = MakeLabel(box, 276, 40, QStringLiteral("..."), value);
    c.LabelZ = MakeLabel(box, 257, 58, QStringLiteral("Z:"), caption);
    c.ZLabel = MakeLabel(box, 276, 59, QStringLiteral("..."), value);
    c.BigtiffLabel = MakeLabel(box, 389, 20, QStringLiteral("BIGTIFF"), value);
    c.BigtiffLabel->hide();
}

void BuildSettings3DGroup(FrameComponents& c) {
    c.GroupBox3D = MakeGroupBox(c.FramePanel, {618, 4, 295, 85}, QStringLiteral("3D Settings"));
    c.GroupBox3D->hide();
    const QFont value = TahomaFont(11);
    c.RLabel = MakeLabel(c.GroupBox3D, 13, 28, QStringLiteral("Resolution"), value);
    c.ZdepthLabel = MakeLabel(c.GroupBox3D, 24, 55, QStringLiteral("Z depth"), value);
    c.TrackBarRes = MakeTrackBar(c.GroupBox3D, {67, 20, 214, 33}, 0, 100, 50);
    c.TrackBarZ = MakeTrackBar(c.GroupBox3D, {67, 47, 214, 28}, 5, 100, 5);
}

void BuildTopStrip(QWidget* frame, FrameComponents& c) {
    c.FramePanel = new QFrame(frame);
    c.FramePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    c.FramePanel->setAutoFillBackground(true);
    c.FramePanel->setGeometry(0, 0, frame->width(), 97);
    BuildViewModeGroup(frame, c);
    c.InfoButton = MakeButton(c.FramePanel, {965, 31, 75, 25}, QStringLiteral("Info TIF"));
    c.LoadButton = MakeButton(c.FramePanel, {965, 0, 75, 25}, QStringLiteral("Load"));
    BuildInformationGroup(c);
    BuildSettings3DGroup(c);
    c.LoadTextureButton = MakeButton(c.FramePanel, {922, 23, 50, 25}, QStringLiteral("texture"));
    c.LoadTextureButton->hide();
    c.RemoveTextureButton = MakeButton(c.FramePanel, {922, 54, 50, 25}, QStringLiteral("remove"));
    c.RemoveTextureButton->hide();
}

void BuildViews(QWidget* frame, FrameComponents& c) {
    c.PaintBox1 = new TPaintBox(frame);
    c.PaintBox1->setGeometry(320, 135, 158, 137);
    c.PaintBox1->setCursor(Qt::CrossCursor);
    c.SceneViewer1 = new view3d::TGLSceneViewer(frame);
    c.SceneViewer1->setGeometry(320, 278, 158, 137);
    c.SceneViewer1->hide();
    c.RefreshingPanel = new QLabel(QStringLiteral("Refreshing..."), frame);
    c.RefreshingPanel->setGeometry(368, 320, 163, 41);
    c.RefreshingPanel->setAlignment(Qt::AlignCenter);
    c.RefreshingPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    c.RefreshingPanel->setAutoFillBackground(true);
    c.RefreshingPanel->setFont(TahomaFont(13));
    c.RefreshingPanel->hide();
}

void BuildInfoPanel(QWidget* frame, FrameComponents& c) {
    c.InfoPanel = MakeRaisedPanel(frame, {0, 97, 406, 185});
    c.CloseInfoButton = new QToolButton(c.InfoPanel);
    c.CloseInfoButton->setGeometry(381, 5, 20, 22);
    c.CloseInfoButton->setAutoRaise(true);
    c.CloseInfoButton->setIcon(CloseGlyph());
    c.InfoTiffLabel =
        MakeLabel(c.InfoPanel, 164, 6, QStringLiteral("TIFF File Info"), TahomaFont(13, true));
    c.InfoMemo = new QPlainTextEdit(c.InfoPanel);
    c.InfoMemo->setGeometry(8, 28, 390, 149);
    c.InfoMemo->setFont(TahomaFont(11));
    c.InfoMemo->setReadOnly(true);
    c.InfoMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.InfoMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.InfoMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void BuildHistogramPanel(QWidget* frame, FrameComponents& c) {
    c.HistogramPanel = MakeRaisedPanel(frame, {844, 103, 288, 186});
    c.IstoLabel =
        MakeLabel(c.HistogramPanel, 104, 6, QStringLiteral("Histogram"), TahomaFont(13, true));
    c.Isto = new THistogramChart(c.HistogramPanel);
    c.Isto->setGeometry(2, 30, 282, 149);
}

void BuildColourBarPanel(QWidget* frame, FrameComponents& c) {
    c.ColourBarPanel = MakeRaisedPanel(frame, {844, 295, 128, 260});
    c.ColourBarLabel =
        MakeLabel(c.ColourBarPanel, 22, 6, QStringLiteral("Colour Bar"), TahomaFont(13, true));
    c.ColourBar = new TColourBar(c.ColourBarPanel);
    c.ColourBar->setGeometry(2, 26, 124, 230);
}

void BuildProgressPanel(QWidget* frame, FrameComponents& c) {
    c.ProgressPanel = MakeRaisedPanel(frame, {730, 415, 218, 68});
    c.ProgressPanel->setFont(TahomaFont(13));
    c.ProgressLabel = new QLabel(QStringLiteral("Processing 100%"), c.ProgressPanel);
    c.ProgressLabel->setGeometry(50, 8, 112, 18);
    c.ProgressLabel->setFont(TahomaFont(15));
    c.FProgressBar = new QProgressBar(c.ProgressPanel);
    c.FProgressBar->setGeometry(11, 40, 197, 17);
    c.FProgressBar->setRange(0, 100);
    c.FProgressBar->setTextVisible(false);
}

} // namespace

FrameComponents BuildFrameLayout(QWidget* frame) {
    frame->resize(1135, 816);
    FrameComponents c;
    BuildViews(frame, c);
    BuildTopStrip(frame, c);
    BuildInfoPanel(frame, c);
    BuildHistogramPanel(frame, c);
    c.ProfilePanel = new TProfilePanel(frame);
    BuildColourBarPanel(frame, c);
    BuildProgressPanel(frame, c);

    // Stacking, bottom to top: 2D box, 3D viewer, top strip, info panel,
    // histogram panel, colour bar panel, "Refreshing...", progress panel.
    c.SceneViewer1->raise();
    c.FramePanel->raise();
    c.InfoPanel->raise();
    c.HistogramPanel->raise();
    c.ProfilePanel->raise();
    c.ColourBarPanel->raise();
    c.RefreshingPanel->raise();
    c.ProgressPanel->raise();
    return c;
}

} // namespace orvane::app
