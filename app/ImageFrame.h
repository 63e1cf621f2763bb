#pragma once
#include "app/FrameLayout.h"
#include "app/OpenDialog.h"
#include "app/SaveViewDialog.h"
#include "app/WheelNotches.h"
#include "image/ImageModel.h"
#include "image/OpenImage.h"
#include "image/SampleReader.h"
#include "measure/ColourRange.h"
#include "measure/ProfileRoughness.h"
#include "measure/SurfacePasses.h"
#include "panels/ColourMaps.h"
#include "view2d/ExactReadout.h"
#include "view2d/KeyPan.h"
#include "view2d/Profile.h"
#include "view2d/Readout.h"
#include "view2d/ScaleBar.h"
#include "view2d/ViewExport.h"
#include "view2d/Viewport.h"
#include "view3d/CameraMotion.h"
#include "view3d/Navigation.h"
#include "view3d/Scene.h"

#include <QElapsedTimer>
#include <QImage>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace orvane::image {
class OpenImageThread;
}

namespace orvane::app {

class FileResolutionSave;
class ResultsPanel;

// A rectangle drawn with Shift and the left button for its areal parameters.
struct AreaDrag {
    bool dragging = false;
    bool shown = false; // the rectangle measured (or being measured) is drawn
    QPoint pressedAt;   // box pixel of the press
    image::FilePixel from, to;
};

// Describes the sample buffer to the painting code: its size. Whatever paints
// from the buffer checks that this matches the buffer's size.
struct DisplayDescription {
    std::int64_t Width = 0;
    std::int64_t Height = 0;
};

// The exact sample under the pointer, as the status bar shows it.
struct ExactReadoutState {
    bool overImage = false; // the pointer is over a file pixel of the 2D view
    image::FilePixel pixel;
    view2d::ExactSample sample;
};

// The measuring line of the 2D view, kept in file pixels so that it follows
// zoom and pan.
struct MeasuringLine {
    bool shown = false;
    bool dragging = false; // the right button is held since the press
    int movingEnd = 0;     // 1 or 2: that end follows a left drag begun on it
    QPoint pressedAt;      // box pixel of the press
    view2d::ProfileLine line;
};

// What the frame's views show of the image, beside the model.
struct FrameViewState {
    view2d::ViewWindow Window;     // ViewWidth, ViewHeight, ViewOffsetX, ViewOffsetY
    view2d::DragState Drag;        // Panning and where the drag started
    view3d::SceneMouseState Scene; // SceneMouseDown, SceneMouseX, SceneMouseY
    bool Loading = false;          // a file is being read: the buffer is the reader's
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
class ImageFrame : public QWidget, private image::OpenSteps {
    Q_OBJECT
public:
    explicit ImageFrame(QWidget* parent = nullptr);
    ~ImageFrame() override;

    // ---- what the frame shows and knows ----
    const image::ImageModel& Image() const { return image_; }
    const FrameViewState& View() const { return view_; }
    const FrameComponents& Components() const { return ui_; }
    view3d::Scene& Scene() { return scene_; }
    const view3d::Scene& Scene() const { return scene_; }
    const std::optional<QImage>& Bitmap() const { return DisplayBitmap; }
    OpenDialog& FileOpenDialog() { return openDialog_; }
    SaveViewDialog& ViewSaveDialog() { return saveViewDialog_; }
    // A file is being opened: chosen in the dialog, not yet shown or refused.
    bool OpenInProgress() const { return openInProgress_; }
    // An open or a save at file resolution is running: no other may start, and no file is
    // opened, since the save may read the level buffer.
    bool Busy() const { return openInProgress_ || SavingView(); }
    // An image has been shown since start-up.
    bool ImageEverShown() const { return imageEverShown_; }
    bool TextureShown() const;
    // The status bar's text: the exact readout under the pointer, or the file's summary.
    const QString& StatusText() const { return statusText_; }
    const ExactReadoutState& ExactReadout() const { return readout_; }
    const MeasuringLine& Measuring() const { return measuring_; }
    // A measuring line or a measured rectangle is shown.
    bool SomethingMeasured() const { return measuring_.shown || areaDrag_.shown; }
    // A sample lookup, a profile, a measurement or a colour range is being computed off this
    // thread.
    bool ExactWorkPending() const {
        return lookupsInFlight_ > 0 || profilesInFlight_ > 0 || surfaceJobsInFlight_ > 0 ||
               colourJobsInFlight_ > 0 || sharpJobsInFlight_ > 0;
    }
    // The 2D view paints the file's own pixels: always for a file that is not thinned; for a
    // thinned one zoomed in past its kept pixels, once they have been read (FrameSharpView.cpp).
    bool FullResolutionShown() const;
    // "full resolution" or "thinned 1:k", for the status bar; empty without an image.
    QString ResolutionText() const;
    // An image is on the views and no file is being read: it can be saved, zoomed, panned.
    bool ImageShown() const;
    // The 3D view is the one shown.
    bool ReliefShown() const;
    // The file of the image shown; empty when none is.
    const QString& ShownFile() const { return shownFile_; }
    panels::Palette Palette() const { return palette_; }
    const OpenTimings& LastOpenTimings() const { return openTimings_; }

    // ---- opening ----
    void ChooseAndOpenFile();
    // What File > Open does once a file is chosen; the command line, drops and Open Recent
    // open through here too. The read runs beside the event loop: OpenEnded follows once
    // the open has ended, OpenInProgress() is true until then.
    void OpenChosenFile(const QString& path);
    void ShowProgress(int percentage);

    // ---- drops ----
    // Files can be dropped: no file is being opened.
    bool AcceptsDrops() const;
    // A file dropped at `at` (frame coordinates): a picture dropped onto the 3D view in 3D mode
    // becomes the texture; any other file is opened.
    void DropFile(const QString& path, QPoint at);

    // ---- 2D view ----
    void PlaceImage();
    void ResetZoom();
    void LayOutViews();
    void ZoomIn();
    void ZoomOut();
    // Ctrl+wheel: `notches` (positive: in) of 1.25 each, keeping the file pixel under the box
    // pixel where it is.
    void ZoomAboutBoxPoint(int notches, QPoint boxPoint);
    // View > Actual Pixels: one screen pixel per file pixel about the view's centre.
    void ShowActualPixels();
    // View > Scale Bar, drawn at the bottom left of the 2D view and into its saved pictures.
    void ShowScaleBar(bool shown);
    // The bar the 2D view shows; none while hidden or in 3D.
    std::optional<view2d::ScaleBar> ShownScaleBar() const;
    void RepaintImageBox();
    void ImageBoxPressed(Qt::MouseButton button, int x, int y);
    void ImageBoxMoved(int x, int y);
    void ImageBoxReleased(Qt::MouseButton button);
    void ImageBoxEntered();

    // ---- 3D view ----
    void Show2DView();
    void Show3DView();
    void ViewerPressed(int x, int y);
    void ViewerMoved(Qt::MouseButtons held, int x, int y);
    void ViewerReleased();
    void ViewerEntered();
    void ViewerWheelUp();
    void ViewerWheelDown();
    void ReliefHeight(float x, float y, float& z);
    void ResolutionBarChanged();
    void ZDepthBarChanged();
    // Moves the Resolution or Z depth bar, as a user's drag would (an unchanged position
    // changes nothing).
    void SetResolutionPosition(int position);
    void SetZDepthPosition(int position);
    void Settings3DLeft();
    void ChooseTexture();
    // Load Texture's steps once a picture is chosen; false (after its message) when the
    // picture cannot be read, leaving the texture as it was.
    bool LoadTextureFile(const QString& pictureName);
    void RemoveTexture();

    // ---- keys ----
    // An arrow key (a Qt::Key): pans the 2D view by a tenth of its window, or orbits the 3D
    // camera; false for any other key.
    bool ArrowKey(int qtKey);
    // The 2D or 3D view, as its button does, when the button is enabled.
    void ChooseView(bool relief);

    // ---- palette, colour range and colour bar (FrameColourRange.cpp) ----
    // View > Colour Range: kept for every file opened while the program runs. Outside Full the
    // levels come from the file's exact samples off the window's thread.
    void SetColourRange(const measure::ColourRange& range);
    const measure::ColourRange& ColourRangeChoice() const { return colourRange_; }
    // The range the picture's colours span, in the unit heights are shown in (ColourRangeUnit):
    // Full's is the heights' range as the levels show it; Full also while another is measured
    // or could not be.
    struct ShownColourRange {
        measure::ColourRangeKind kind = measure::ColourRangeKind::Full;
        double low = 0, high = 0;
    };
    std::optional<ShownColourRange> ColourRangeShown() const;
    // "mm", the file's height unit, or "value" for heights without one.
    QString ColourRangeUnit() const;
    void SetPalette(panels::Palette palette);
    void ShowColourBar(bool shown);
    void PlaceColourBarPanel();

    // ---- saving and copying what the view shows ----
    // The 2D box (its size in device pixels, the palette's colours) or the 3D view, as shown.
    QImage ShownPicture();
    // Writes the view (or its file-resolution picture); a failure is a message, a cancelled
    // save leaves none. SaveEnded follows, at once or when a save at file resolution ends.
    void SaveView(const QString& fileName, bool fileResolution);
    // A save at file resolution is running.
    bool SavingView() const { return fileResolutionSave_ != nullptr; }
    void ChooseAndSaveView();
    void CopyView();

    // ---- measuring the surface (FrameMeasure.cpp) ----
    // Measure > Level: None, Plane, Poly2 and Poly3 fit over every pixel off the window's thread;
    // ThreePoints waits for three clicks in 2D (LevelThroughPixels).
    void SetLevelling(measure::FormKind kind);
    void LevelThroughPixels(const std::array<image::FilePixel, 3>& pixels);
    // The areal parameters of the rectangle between two file pixels (both included), or of the
    // whole image.
    void MeasureAreaBetween(const image::FilePixel& a, const image::FilePixel& b);
    void MeasureWholeArea();
    // Measure > Profile Width: each point the mean of `pixels` samples across the line (1 to
    // kMaxProfileWidthPx).
    static constexpr int kMaxProfileWidthPx = 999;
    void SetProfileWidth(int pixels);
    int ProfileWidth() const { return profileWidth_; }
    // The profile's cut-off: 0 for ISO 4288's automatic choice.
    void SetCutoffMm(double lambdaCMm);
    double CutoffMm() const { return cutoffMm_; }
    measure::FormKind LevellingKind() const { return levelKind_; }
    // The levelling in force: its form and residual; none with Level None or while it is fitted.
    const std::optional<measure::Levelling>& Levelled() const { return levelling_; }
    const std::optional<measure::ArealOutcome>& Areal() const { return areal_; }
    // The profile's roughness as the panel shows it.
    const std::optional<measure::RoughnessOutcome>& ProfileRoughness() const { return roughness_; }
    // The height under the pointer less the levelling's form; none without a levelling or value.
    std::optional<double> LevelledReadout() const;
    ResultsPanel* Results() const { return resultsPanel_; }
    // The 2D box pixel's file pixel, as the measuring line maps its ends.
    image::FilePixel FilePixelAtBox(QPoint boxPixel) const;
    // Three clicks for the levelling plane are awaited.
    bool PickingLevelPoints() const { return pickingLevelPoints_; }
    void CancelSurfaceWork();
    // Measure > Clear Measurement (Esc): the measuring line, the area and the levelling's picks
    // go, and a measurement running stops; false when there was none.
    bool ClearMeasurement();

    // ---- panels ----
    void PlaceHistogramPanel();
    void FillHistogram();
    void ShowLevelMarker(std::uint8_t level);
    void ShowTiffInfo();
    void HideTiffInfo();

signals:
    // The menus' state changed: an open started or ended, a texture came or went.
    void MenuStateChanged();
    // An open has ended, accepted or not (the window may close now).
    void OpenEnded();
    // The progress display now shows `percent` (the open's own 0 included).
    void ProgressShown(int percent);
    void StatusTextChanged(const QString& text);
    // What the 2D view paints changed between the file's pixels and the kept ones.
    void ResolutionShownChanged(const QString& text);
    // Work beside the window (a colour range) is at `percent`; -1 when it has ended.
    void BackgroundProgress(const QString& what, int percent);
    // A measurement of the surface started or ended, or the levelling changed.
    void MeasureStateChanged();
    // An open of `path` has ended: `shown` when its image is now on the views.
    void OpenFinished(const QString& path, bool shown);
    // The save dialog was answered with a file in `folder`.
    void SaveFolderChosen(const QString& folder);
    // A save of the view has ended, written or not.
    void SaveEnded();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The open's window steps, in the order the open routine calls them.
    void ShowMessage(image::MessageKind kind, const QString& text) override;
    void Prepare(const QString& path) override;
    void ShowBigTiffMarker(bool shown) override;
    void ShowFileLabels(const QString& fileName, const QString& resolutionText,
                        const QString& sizeText) override;
    void BeginRead() override;
    void EndRead() override;
    bool Display() override;
    void PrepareRelief() override;
    void Finish() override;
    void ImageLost() override;

    // Starts the open of `path`; OpenEnded follows once it has ended (the read runs beside
    // the event loop).
    void OpenImage(const QString& path);
    // The open's end, shown or not: the exact reader, the menus, the signals.
    void EndOpen(const QString& path, const image::TiffSource& source,
                 const image::OpenResult& result);
    void ConnectComponents();
    // The exact readout and the measuring line (FrameExact.cpp).
    void OpenExactReader(const image::TiffSource& source);
    void DropExactReader();
    void UpdateExactReadout(int x, int y);
    // The view window moved or zoomed under a pointer that stayed: the readout follows.
    void ViewWindowChanged();
    void LookUpExactSample(const image::FilePixel& pixel);
    // The status bar's readout of `pixel` with the sample known so far.
    void ShowPointerStatus(const image::FilePixel& pixel, bool minIsWhite);
    void PointerLeftTheImage();
    void SetStatusText(const QString& text);
    void MeasuringLineDown(Qt::MouseButton button, int x, int y);
    bool MeasuringLineMove(int x, int y);
    void MeasuringLineUp(Qt::MouseButton button, int x, int y);
    // A left press on an end of the line shown moves that end; true when it took the event.
    bool LineEndPress(Qt::MouseButton button, int x, int y);
    bool LineEndMove(int x, int y);
    bool LineEndRelease(Qt::MouseButton button, int x, int y);
    void RemoveMeasuringLine();
    void MeasureProfile();
    void PaintMeasuringLine(QPainter& painter);
    // Shift and the left button draw an area; clicks pick the levelling's points. True when the
    // press was taken (FrameMeasure.cpp).
    bool SurfacePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    bool SurfaceMove(int x, int y);
    bool SurfaceRelease(Qt::MouseButton button, int x, int y);
    void PaintSurfaceMarks(QPainter& painter);
    // Runs `work` on a worker thread with progress in the Results panel; the closure it returns
    // runs on this thread when it ends, unless it was cancelled or the file changed.
    using SurfaceWork = std::function<std::function<void()>(const image::ProgressFunction&,
                                                            const std::atomic<bool>*)>;
    void StartSurfaceJob(const QString& what, SurfaceWork work);
    void LevellingChanged();
    // A levelling job's result: the fit, and the picture of the levelled surface.
    struct LevelledOutcome {
        measure::LevellingOutcome levelling;
        image::LevelBuffer levels;
        bool levelsRead = false;
        QString whyNoPicture;
    };
    void TakeLevelledPicture(LevelledOutcome& outcome, const image::TiffSource& source,
                             const image::ImageModel& model,
                             const image::ProgressFunction& progress,
                             const std::atomic<bool>* cancel);
    void ShowLevelling(LevelledOutcome& outcome);
    // Puts `levels` (with the heights they span) on the views in place of the file's own
    // picture, which is kept aside; a null buffer puts the file's own back.
    void ShowLevelledPicture(image::LevelBuffer levels,
                             std::optional<image::ImageModel::HeightSpan> span);
    // A row for the profile shown, measured along `line` with the form of `levelling`.
    void AddProfileResult(const view2d::ProfileLine& line, measure::FormKind levelling);
    void ResetSurfaceMeasures();
    void ShowResultsPanel();
    // Shows the 2D box or the 3D viewer with its settings.
    void ShowViewMode(bool relief);
    // The 3D viewer covers the whole image area.
    void FitSceneViewer();
    // Tells the viewer whether the camera is moving, and arms the end of a wheel's motion.
    void UpdateSceneMotion();
    // Writes the 2D view window at file resolution (at most 16384 pixels a side) in the
    // palette's colours, read from the file where it was thinned, off the window's thread
    // behind a modal progress dialog.
    void SaveFileResolutionView(const QString& fileName);
    void LoadCustomCursor();
    void SetOpenInProgress(bool inProgress);
    void SetProgressDisplay(int percentage);
    int AreaTop() const;
    view2d::ImageArea Area() const;
    view2d::BoxRect Box() const;
    void PlaceBox(const view2d::BoxRect& box);
    void PaintInto(QPainter& painter);
    // Stretches the view window into the bitmap; false when there is nothing to paint from.
    bool RefreshBitmap();
    // The pixels of the box without a value, in the no-data colour over transparency; a null
    // image when the view shows none.
    QImage NoDataOverlay() const;
    // The file's own pixels for the view when a thinned file is zoomed in past its kept ones:
    // which are wanted, the picture when it is in, and the read that makes it.
    struct SharpKey {
        view2d::FileRect rect;
        QSize size; // device pixels
        panels::Palette palette;
        const image::SampleReader* reader;
        bool operator==(const SharpKey& o) const {
            return rect.Column == o.rect.Column && rect.Row == o.rect.Row &&
                   rect.Width == o.rect.Width && rect.Height == o.rect.Height && size == o.size &&
                   palette == o.palette && reader == o.reader;
        }
    };
    struct SharpPicture {
        SharpKey key;
        QImage picture;
    };
    std::optional<SharpKey> WantedSharpPicture() const;
    // The picture of the file's pixels for the view as it is now; null while there is none.
    const QImage* SharpPictureShown() const;
    // Starts reading the file's pixels the view wants (if not read or being read), and tells
    // the status bar what is painted.
    void RequestSharpPicture();
    void DropSharpPicture();
    // The colours by height of the relief for the palette, the image and the colour range.
    void UpdateHeightColours();
    // Measures the colour range chosen for the image shown, or puts the full one back.
    void ApplyColourRange();
    void CancelColourWork();
    // Puts the colour range's levels on the views; a null buffer puts the heights' own back.
    void ShowColourLevels(image::LevelBuffer levels, std::optional<ShownColourRange> shown,
                          image::ImageModel::LevelFractions fractions = {});
    void ShowRangeEnds();
    void FillColourBar();
    void WheelStep(view2d::ZoomDirection direction);
    // The 2D view is shown with an image that can be zoomed.
    bool Zoomable2D() const;
    // Places the box after a zoom's step, or shows the whole image.
    void ShowZoom(view2d::WheelResult result, const view2d::BoxRect& box);
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
    view3d::Scene scene_;
    OpenDialog openDialog_;
    SaveViewDialog saveViewDialog_;
    panels::Palette palette_ = panels::Palette::Grey;
    QString shownFile_;

    bool openInProgress_ = false;
    bool imageEverShown_ = false;
    std::unique_ptr<FileResolutionSave> fileResolutionSave_; // the save at file resolution running
    std::shared_ptr<image::SampleReader> exact_; // the shown file's samples; null without one
    ExactReadoutState readout_;
    // Where the pointer last moved over the 2D box, in frame pixels (the box moves as it zooms).
    std::optional<QPoint> pointerAt_;
    MeasuringLine measuring_;
    std::optional<image::FilePixel> hoveredProfilePixel_; // the chart's point under the pointer
    QString statusText_;
    int lookupsInFlight_ = 0;
    int profilesInFlight_ = 0;
    std::shared_ptr<std::atomic<bool>> profileCancel_;
    image::TiffSource exactSource_;  // the shown file, for the measurements that read all of it
    image::HeightBasis heightBasis_; // how the shown file's samples become measured heights
    measure::FormKind levelKind_ = measure::FormKind::None;
    std::optional<measure::Levelling> levelling_;
    image::LevelBuffer storedLevels_; // the file's own levels while a levelled picture is shown
    // A picture that came while a save at file resolution was reading the levels: shown once
    // the save has ended.
    struct PendingPicture {
        image::LevelBuffer levels;
        std::optional<image::ImageModel::HeightSpan> span;
    };
    std::optional<PendingPicture> pendingPicture_;
    bool pickingLevelPoints_ = false;
    std::vector<image::FilePixel> levelPicks_;
    AreaDrag areaDrag_;
    std::optional<measure::ArealOutcome> areal_;
    double cutoffMm_ = 0;
    int profileWidth_ = 1;
    std::optional<measure::RoughnessOutcome> roughness_;
    int surfaceJobsInFlight_ = 0;
    measure::ColourRange colourRange_;
    std::optional<SharpPicture> sharp_;
    std::optional<SharpKey> sharpWanted_; // being read
    std::optional<SharpKey> sharpFailed_; // could not be read
    std::shared_ptr<std::atomic<bool>> sharpCancel_;
    int sharpJobsInFlight_ = 0;
    QString resolutionText_;
    std::optional<ShownColourRange> colourShown_; // outside Full, once its levels are shown
    // The Data and Auto ranges of the heights shown, once measured (in the measuring read's unit);
    // they go with the file and the levelling.
    struct MeasuredRanges {
        std::optional<std::pair<double, double>> data, automatic;
    };
    MeasuredRanges measuredRanges_;
    QString colourMessage_;
    int colourJobsInFlight_ = 0;
    std::shared_ptr<std::atomic<bool>> colourCancel_;
    std::shared_ptr<std::atomic<bool>> surfaceCancel_;
    ResultsPanel* resultsPanel_ = nullptr;
    bool profilePanelPlaced_ = false; // the profile panel has had its first place
    bool scaleBarShown_ = false;
    WheelNotches frameWheel_;       // notches over the 2D view
    WheelNotches sceneWheel_;       // notches over the 3D viewer
    bool sceneMoveAttached_ = true; // the 3D viewer's pointer moves are handled
    view3d::CameraMotion sceneMotion_;
    QElapsedTimer motionClock_; // the clock of sceneMotion_
    QTimer sceneMotionSettle_;  // fires when the last wheel notch's motion ends
    QElapsedTimer openClock_;   // runs from the start of an open
    OpenTimings openTimings_;
    bool dragCursorShown_ = false;
    QFrame* draggedPanel_ = nullptr; // the floating panel being dragged
    QPoint dragGrabOffset_;          // pointer position within it at the press
    // The open's read while it runs; destroyed (waiting for it) before the model it fills.
    std::unique_ptr<image::OpenImageThread> reading_;
    // Sample lookups and profiles off the window's thread. Last, so that it is
    // destroyed first: its destructor waits for the work still running.
    QThreadPool workers_;
};

} // namespace orvane::app
