#pragma once
#include "app/OpenDialog.h"
#include "view2d/Viewport.h"
#include "view3d/HeightSource.h"
#include "view3d/Scene.h"

#include <QImage>
#include <QVector>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

class QAction;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QToolButton;
class TPaintBox;
class THistogramChart;
namespace orvane::view3d {
class TGLSceneViewer;
}

// The main window's menu items that the frame switches on and off.
struct FrameMenus {
    QAction* File1 = nullptr;
    QAction* Options1 = nullptr;
    QAction* About1 = nullptr;
    QAction* LoadTexture1 = nullptr;
    QAction* RemoveTexture1 = nullptr;
    QAction* IFFInfo1 = nullptr;
};

// Describes the sample buffer to the painting code: its size and grey table.
// Whatever paints from the buffer checks that this matches the buffer's size.
struct DisplayDescription {
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    QVector<QRgb> ColorTable; // entry i is grey i
};

// Grey table for a bitmap of the given bits per pixel: 2 entries for 1 bit,
// 16 entries (15, 31, ... 255) for 4 bits, otherwise the 256-entry ramp.
QVector<QRgb> BuildGreyPalette(int bitsPerPixel);

// The working surface of the main window: the top strip with its labels and
// controls, the 2D and 3D views, the floating panels and the image model.
class TTarsunFrame : public QWidget {
    Q_OBJECT
public:
    explicit TTarsunFrame(QWidget* parent = nullptr);
    ~TTarsunFrame() override;

    FrameMenus Menus;

    // ---- image model ----
    std::uint8_t* SampleBuffer = nullptr;
    std::int64_t ImageWidth = 0;
    std::int64_t ImageHeight = 0;
    std::int64_t ColumnStep = 1;
    std::int64_t RowStep = 1;
    std::int64_t SpanWidth = 0;
    std::int64_t SpanHeight = 0;
    float Resolution = 0.0f; // dots per inch; 0 = unknown
    double ZMin = 0.0;       // millimetres of level 0
    double ZMax = 1.0;       // millimetres of level 255
    std::int16_t BitsPerSample = 0;
    std::uint16_t Photometric = 0;
    QString ScannerSoftware, ScannerModel, AcquisitionDate, AcquisitionSetup, AcquisitionInfo;
    std::optional<DisplayDescription> DisplayInfo;
    // Box-sized 8-bit grey surface the 2D view paints through; nullopt when
    // there is none (before the first read, after a display failure).
    std::optional<QImage> DisplayBitmap;

    // ---- view state ----
    double ViewWidth = 8.0, ViewHeight = 8.0, ViewOffsetX = 0.0, ViewOffsetY = 0.0;
    bool Panning = false;
    int DragStartX = 0, DragStartY = 0, DragStartOffsetX = 0, DragStartOffsetY = 0;
    bool Loading = false;
    bool SceneMouseDown = false;
    int SceneMouseX = 0, SceneMouseY = 0;

    // ---- components ----
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
    orvane::view3d::TGLSceneViewer* SceneViewer1 = nullptr;
    orvane::view3d::TGLScene Scene1;
    QLabel* RefreshingPanel = nullptr;
    QFrame* InfoPanel = nullptr;
    QToolButton* CloseInfoButton = nullptr;
    QLabel* InfoTiffLabel = nullptr;
    QPlainTextEdit* InfoMemo = nullptr;
    QFrame* HistogramPanel = nullptr;
    QLabel* IstoLabel = nullptr;
    THistogramChart* Isto = nullptr;
    QFrame* ProgressPanel = nullptr;
    QLabel* ProgressLabel = nullptr;
    QProgressBar* FProgressBar = nullptr;
    TOpenDialog OpenDialog1;

    // ---- opening (image/) ----
    void LoadButtonClick();
    void OpenImage(const QString& path);
    void ShowProgress(int percentage);

    // ---- 2D view ----
    void PlaceImage();
    void ResetZoom();
    void FrameResize();
    void FrameMouseWheelUp();
    void FrameMouseWheelDown();
    void PaintBox1Paint();
    void PaintBox1MouseDown(Qt::MouseButton button, int x, int y);
    void PaintBox1MouseMove(int x, int y);
    void PaintBox1MouseUp(Qt::MouseButton button);
    void PaintBox1MouseEnter();

    // ---- 3D view ----
    void SB2DClick();
    void SceneViewer1MouseDown(int x, int y);
    void SceneViewer1MouseMove(Qt::MouseButtons held, int x, int y);
    void SceneViewer1MouseUp();
    void SceneViewer1MouseEnter();
    void SceneViewer1MouseWheelUp();
    void SceneViewer1MouseWheelDown();
    void HeightField1GetHeight(float x, float y, float& z);
    void SB3DClick();
    void TrackBarResChange();
    void TrackBarZChange();
    void GroupBox3DMouseLeave();
    void LoadTextureButtonClick();
    void RemoveTextureButtonClick();

    // ---- panels ----
    void PlaceHistogramPanel();
    void FillHistogram();
    void ShowLevelMarker(std::uint8_t level);
    void InfoButtonClick();
    void CloseInfoButtonClick();

    // The image area: the client area below the top strip.
    int AreaTop() const;
    ImageArea Area() const;
    ImageGeometry Geometry() const;
    ViewWindow Window() const;
    void SetWindow(const ViewWindow& window);
    // The current placement of the paint box.
    BoxRect Box() const;

signals:
    // An open has ended, accepted or not (the window may close now).
    void OpenEnded();
    // The progress display now shows `percent` (the open's own 0 included).
    void ProgressShown(int percent);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildComponents();
    void LoadCustomCursor();
    void SetMenuEnabled(QAction* item, bool enabled);
    void PaintInto(QPainter& painter);
    void SetProgressDisplay(int percentage);
    void WheelStep(ZoomDirection direction);
    void PlaceBox(const BoxRect& box);
    void RedrawVisiblePanels();
    void SetDragCursor(bool dragging);
    // Drags a floating panel by its background or title; true when it took the event.
    bool PanelDragEvent(QObject* watched, QEvent* event);
    void PrepareReliefForImage();

    int wheelRemainder_ = 0; // angle delta not yet worth a whole notch
    bool sceneMoveAttached_ = true; // the 3D viewer's pointer moves are handled
    bool dragCursorShown_ = false;
    QFrame* draggedPanel_ = nullptr; // the floating panel being dragged
    QPoint dragGrabOffset_;          // pointer position within it at the press
    orvane::view3d::THeightSource heightSource_; // what the relief's height callback reads
};
