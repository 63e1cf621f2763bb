#pragma once
#include "app/FrameLayout.h"
#include "app/OpenDialog.h"
#include "app/WheelNotches.h"
#include "image/ImageModel.h"
#include "image/OpenImage.h"
#include "view2d/Readout.h"
#include "view2d/Viewport.h"
#include "view3d/CameraMotion.h"
#include "view3d/Navigation.h"
#include "view3d/Scene.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace orvane::app {

// Describes the sample buffer to the painting code: its size. Whatever paints
// from the buffer checks that this matches the buffer's size.
struct DisplayDescription {
    std::int64_t Width = 0;
    std::int64_t Height = 0;
};

// Grey table for a bitmap of the given bits per pixel: 2 entries for 1 bit,
// 16 entries (15, 31, ... 255) for 4 bits, otherwise the 256-entry ramp.
QVector<QRgb> BuildGreyPalette(int bitsPerPixel);

// What the frame's views show of the image, beside the model.
struct FrameViewState {
    view2d::ViewWindow Window;      // ViewWidth, ViewHeight, ViewOffsetX, ViewOffsetY
    view2d::DragState Drag;         // Panning and where the drag started
    view3d::TSceneMouseState Scene; // SceneMouseDown, SceneMouseX, SceneMouseY
    bool Loading = false;           // a file is being read: the buffer is the reader's
};

// How long the last open took, in milliseconds; negative when it never got that far.
struct OpenTimings {
    double OpenMs = -1; // from the start of the open to the first picture
    double ReadMs = -1; // the read alone
};

// The working surface of the main window: the top strip with its labels and
// controls, the 2D and 3D views, the floating panels and the image model. It
// wires the components' events to the subsystems and runs the open routine
// with its own window steps.
class TTarsunFrame : public QWidget, private image::OpenSteps {
    Q_OBJECT
public:
    explicit TTarsunFrame(QWidget* parent = nullptr);
    ~TTarsunFrame() override;

    // ---- what the frame shows and knows ----
    const image::ImageModel& Image() const { return image_; }
    const FrameViewState& View() const { return view_; }
    const FrameComponents& Components() const { return ui_; }
    view3d::TGLScene& Scene() { return Scene1; }
    const view3d::TGLScene& Scene() const { return Scene1; }
    const std::optional<QImage>& Bitmap() const { return DisplayBitmap; }
    TOpenDialog& OpenDialog() { return OpenDialog1; }
    // A file is being opened: chosen in the dialog, not yet shown or refused.
    bool OpenInProgress() const { return openInProgress_; }
    // An image has been shown since start-up.
    bool ImageEverShown() const { return imageEverShown_; }
    bool TextureShown() const;
    const OpenTimings& LastOpenTimings() const { return openTimings_; }

    // ---- opening ----
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
    void SB3DClick();
    void SceneViewer1MouseDown(int x, int y);
    void SceneViewer1MouseMove(Qt::MouseButtons held, int x, int y);
    void SceneViewer1MouseUp();
    void SceneViewer1MouseEnter();
    void SceneViewer1MouseWheelUp();
    void SceneViewer1MouseWheelDown();
    void HeightField1GetHeight(float x, float y, float& z);
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

signals:
    // The menus' state changed: an open started or ended, a texture came or went.
    void MenuStateChanged();
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
    // The open's window steps, in the order the open routine calls them.
    void Prepare(const QString& path) override;
    void ShowBigTiffMarker(bool shown) override;
    void ShowMessage(image::MessageKind kind, const QString& text) override;
    void ShowFileLabels(const QString& fileName, const QString& resolutionText,
                        const QString& sizeText) override;
    void BeginRead() override;
    void ReadAbandoned() override;
    image::ReadResult RunRead(const image::ReadJob& read) override;
    void EndRead() override;
    bool Display() override;
    void PrepareRelief() override;
    void Finish() override;

    void ConnectComponents();
    // Shows the 2D box or the 3D viewer with its settings.
    void ShowViewMode(bool relief);
    // The 3D viewer covers the whole image area.
    void FitSceneViewer();
    // Tells the viewer whether the camera is moving, and arms the end of a wheel's motion.
    void UpdateSceneMotion();
    void LoadCustomCursor();
    void SetOpenInProgress(bool inProgress);
    void SetProgressDisplay(int percentage);
    int AreaTop() const;
    view2d::ImageArea Area() const;
    view2d::BoxRect Box() const;
    void PlaceBox(const view2d::BoxRect& box);
    void PaintInto(QPainter& painter);
    void WheelStep(view2d::ZoomDirection direction);
    void RedrawVisiblePanels();
    void SetDragCursor(bool dragging);
    // Drags a floating panel by its background or title; true when it took the event.
    bool PanelDragEvent(QObject* watched, QEvent* event);

    FrameComponents ui_;
    image::ImageModel image_;
    FrameViewState view_;
    std::optional<DisplayDescription> DisplayInfo;
    // Box-sized 8-bit picture the 2D view paints through; nullopt when there is
    // none (before the first read, after a display failure).
    std::optional<QImage> DisplayBitmap;
    // The picture shown when an open began and where it was on the frame: the
    // 2D view keeps showing it while the file is read.
    QImage lastPicture_;
    QPoint lastPictureAt_;
    view3d::TGLScene Scene1;
    TOpenDialog OpenDialog1;

    bool openInProgress_ = false;
    bool imageEverShown_ = false;
    WheelNotches frameWheel_; // notches over the 2D view
    WheelNotches sceneWheel_; // notches over the 3D viewer
    view3d::TCameraMotion sceneMotion_;
    QElapsedTimer motionClock_; // the clock of sceneMotion_
    QTimer sceneMotionSettle_;  // fires when the last wheel notch's motion ends
    QElapsedTimer openClock_;   // runs from the start of an open
    OpenTimings openTimings_;
    bool sceneMoveAttached_ = true; // the 3D viewer's pointer moves are handled
    bool dragCursorShown_ = false;
    QFrame* draggedPanel_ = nullptr; // the floating panel being dragged
    QPoint dragGrabOffset_;          // pointer position within it at the press
};

} // namespace orvane::app
