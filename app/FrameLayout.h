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
class TGLSceneViewer;
}

namespace orvane::app {

class TPaintBox;
class THistogramChart;
class TProfilePanel;
class TColourBar;

// The image frame's components, named as in its layout. The frame owns them
// (they are its children); its constructor connects their events.
struct FrameComponents {
    TPaintBox* PaintBox1 = nullptr;
    QFrame* FramePanel = nullptr;
    QGroupBox* ViewGroupBox = nullptr;
    QToolButton* SB2D = nullptr;
    QToolButton* SB3D = nullptr;
    QButtonGroup* ViewModeGroup = nullptr;
    QPushButton* InfoButton = nullptr;
    QPushButton* LoadButton = nullptr;
    QGroupBox* InfoGroupBox = nullptr;
    QLabel *LabelF = nullptr, *FileLabel = nullptr;
    QLabel *LabelR = nullptr, *ResLabel = nullptr;
    QLabel *LabelS = nullptr, *SizeLabel = nullptr;
    QLabel *LabelX = nullptr, *XLabel = nullptr;
    QLabel *LabelY = nullptr, *YLabel = nullptr;
    QLabel *LabelZ = nullptr, *ZLabel = nullptr;
    QLabel* BigtiffLabel = nullptr;
    QGroupBox* GroupBox3D = nullptr;
    QLabel *RLabel = nullptr, *ZdepthLabel = nullptr;
    QSlider* TrackBarRes = nullptr;
    QSlider* TrackBarZ = nullptr;
    QPushButton* LoadTextureButton = nullptr;
    QPushButton* RemoveTextureButton = nullptr;
    view3d::TGLSceneViewer* SceneViewer1 = nullptr;
    QLabel* RefreshingPanel = nullptr;
    QFrame* InfoPanel = nullptr;
    QToolButton* CloseInfoButton = nullptr;
    QLabel* InfoTiffLabel = nullptr;
    QPlainTextEdit* InfoMemo = nullptr;
    QFrame* HistogramPanel = nullptr;
    QLabel* IstoLabel = nullptr;
    THistogramChart* Isto = nullptr;
    TProfilePanel* ProfilePanel = nullptr; // the measuring line's profile
    QFrame* ColourBarPanel = nullptr;
    QLabel* ColourBarLabel = nullptr;
    TColourBar* ColourBar = nullptr;
    QFrame* ProgressPanel = nullptr;
    QLabel* ProgressLabel = nullptr;
    QProgressBar* FProgressBar = nullptr;
};

// Builds every component of the frame at its design place, with its caption,
// font, range and start visibility, stacked as the layout stacks them. The
// frame's own events and the components' wiring are not made here.
FrameComponents BuildFrameLayout(QWidget* frame);

} // namespace orvane::app
