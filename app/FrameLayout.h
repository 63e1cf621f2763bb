#pragma once

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QToolButton;
class QWidget;

namespace orvane::view3d {
class SceneViewer;
}

namespace orvane::app {

class ImageBox;
class HistogramChart;
class ProfilePanel;
class ColourBar;

// The image frame's components, named as in its layout. The frame owns them
// (they are its children); its constructor connects their events.
struct FrameComponents {
    ImageBox* imageBox = nullptr;
    QFrame* topPanel = nullptr;
    QGroupBox* viewGroup = nullptr;
    QToolButton* view2dButton = nullptr;
    QToolButton* view3dButton = nullptr;
    QButtonGroup* viewModeGroup = nullptr;
    QGroupBox* infoGroup = nullptr;
    QLabel *fileCaption = nullptr, *fileLabel = nullptr;
    QLabel *resolutionCaption = nullptr, *resolutionLabel = nullptr;
    QLabel *sizeCaption = nullptr, *sizeLabel = nullptr;
    QLabel *xCaption = nullptr, *xLabel = nullptr;
    QLabel *yCaption = nullptr, *yLabel = nullptr;
    QLabel *zCaption = nullptr, *zLabel = nullptr;
    QLabel* bigTiffLabel = nullptr;
    QGroupBox* settings3dGroup = nullptr;
    QLabel *resolutionBarCaption = nullptr, *zDepthBarCaption = nullptr;
    QSlider* resolutionBar = nullptr;
    QSlider* zDepthBar = nullptr;
    QPushButton* loadTextureButton = nullptr;
    QPushButton* removeTextureButton = nullptr;
    view3d::SceneViewer* sceneViewer = nullptr;
    QLabel* refreshingLabel = nullptr;
    QFrame* infoPanel = nullptr;
    QToolButton* closeInfoButton = nullptr;
    QLabel* infoTitle = nullptr;
    QPlainTextEdit* infoText = nullptr;
    QFrame* histogramPanel = nullptr;
    QLabel* histogramTitle = nullptr;
    HistogramChart* histogramChart = nullptr;
    ProfilePanel* profilePanel = nullptr; // the measuring line's profile
    QFrame* colourBarPanel = nullptr;
    QLabel* colourBarTitle = nullptr;
    ColourBar* colourBar = nullptr;
    QFrame* progressPanel = nullptr;
    QLabel* progressLabel = nullptr;
    QProgressBar* progressBar = nullptr;
};

// Builds every component of the frame at its design place, with its caption,
// font, range and start visibility, stacked as the layout stacks them. The
// frame's own events and the components' wiring are not made here.
FrameComponents BuildFrameLayout(QWidget* frame);

} // namespace orvane::app
