// The frame's construction, destruction and the events of the frame itself.
#include "app/ImageFrame.h"

#include "app/ColourBar.h"
#include "app/FileResolutionSave.h"
#include "app/ImageBox.h"
#include "app/LayoutFonts.h"
#include "app/ProfilePanel.h"
#include "app/ResultsPanel.h"
#include "image/OpenImageThread.h"
#include "view3d/gl/SceneViewer.h"

#include <QAbstractButton>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QSlider>
#include <QToolButton>
#include <QWheelEvent>
#include <stdexcept>

namespace orvane::app {

ImageFrame::ImageFrame(QWidget* parent) : QWidget(parent) {
    RegisterLayoutFonts();
    setAttribute(Qt::WA_OpaquePaintEvent); // the frame fills only the strips itself
    setFocusPolicy(Qt::StrongFocus);
    ui_ = BuildFrameLayout(this);
    ui_.sceneViewer->SetScene(&scene_);
    openDialog_.Filter = QStringLiteral("Tif File (*.tif *.tiff)");

    // The model starts empty (ImageModel's own defaults).
    ui_.imageBox->setAttribute(Qt::WA_OpaquePaintEvent);
    ui_.view3dButton->setEnabled(false);
    FitSceneViewer();
    motionClock_.start();
    sceneMotionSettle_.setSingleShot(true);
    sceneMotionSettle_.setTimerType(Qt::PreciseTimer);
    connect(&sceneMotionSettle_, &QTimer::timeout, this, [this] { UpdateSceneMotion(); });
    resultsPanel_ = new ResultsPanel(this);
    resultsPanel_->hide();
    connect(resultsPanel_, &ResultsPanel::CancelClicked, this, [this] { CancelSurfaceWork(); });
    connect(this, &ImageFrame::SaveEnded, this, [this] {
        if (pendingPicture_ && !SavingView()) {
            PendingPicture pending = std::move(*pendingPicture_);
            ShowLevelledPicture(std::move(pending.levels), pending.span);
        }
    });
    ConnectComponents();
    try {
        LoadCustomCursor();
    } catch (...) {
        // No destructor runs for a frame whose construction failed: the viewer
        // must still go before the scene it listens to.
        delete ui_.sceneViewer;
        throw;
    }
}

ImageFrame::~ImageFrame() {
    // The work still running stops at its next strip rather than reading on: workers_ waits
    // for it.
    for (const auto& cancel : {surfaceCancel_, profileCancel_})
        if (cancel)
            *cancel = true;
    // The viewer draws scene_ and listens to it: it goes before the scene does
    // (children would otherwise outlive the frame's members).
    delete ui_.sceneViewer;
    ui_.sceneViewer = nullptr;
    DisplayInfo.reset();
}

void ImageFrame::ConnectComponents() {
    ImageBox* box = ui_.imageBox;
    box->OnPaint = [this](QPainter& p) { PaintInto(p); };
    box->OnMouseDown = [this](Qt::MouseButton b, int x, int y) {
        if (SurfacePress(b, ui_.imageBox->PressModifiers(), x, y) || LineEndPress(b, x, y))
            return;
        ImageBoxPressed(b, x, y);
        MeasuringLineDown(b, x, y);
    };
    box->OnMouseMove = [this](int x, int y) {
        pointerAt_ = ui_.imageBox->pos() + QPoint(x, y);
        ImageBoxMoved(x, y);
        if (!MeasuringLineMove(x, y) && !LineEndMove(x, y) && !SurfaceMove(x, y))
            UpdateExactReadout(x, y);
    };
    box->OnMouseUp = [this](Qt::MouseButton b, int x, int y) {
        if (SurfaceRelease(b, x, y) || LineEndRelease(b, x, y))
            return;
        ImageBoxReleased(b);
        MeasuringLineUp(b, x, y);
    };
    box->OnMouseEnter = [this] { ImageBoxEntered(); };
    box->OnMouseLeave = [this] {
        pointerAt_.reset();
        PointerLeftTheImage();
    };
    connect(ui_.profilePanel, &ProfilePanel::CloseClicked, ui_.profilePanel, &QWidget::hide);
    // The chart's point under the pointer is marked on the line in 2D.
    connect(ui_.profilePanel, &ProfilePanel::PointHovered, this, [this](qint64 index) {
        const auto& profile = ui_.profilePanel->Shown();
        hoveredProfilePixel_.reset();
        if (profile && index >= 0 && std::size_t(index) < profile->Points.size())
            hoveredProfilePixel_ = image::FilePixel{profile->Points[std::size_t(index)].Column,
                                                    profile->Points[std::size_t(index)].Row};
        ui_.imageBox->update();
    });

    connect(ui_.view2dButton, &QAbstractButton::clicked, this, [this] { Show2DView(); });
    connect(ui_.view3dButton, &QAbstractButton::clicked, this, [this] { Show3DView(); });
    connect(ui_.resolutionBar, &QSlider::valueChanged, this, [this] { ResolutionBarChanged(); });
    connect(ui_.zDepthBar, &QSlider::valueChanged, this, [this] { ZDepthBarChanged(); });
    connect(ui_.loadTextureButton, &QAbstractButton::clicked, this, [this] { ChooseTexture(); });
    connect(ui_.removeTextureButton, &QAbstractButton::clicked, this, [this] { RemoveTexture(); });
    connect(ui_.closeInfoButton, &QAbstractButton::clicked, this, [this] { HideTiffInfo(); });

    using view3d::SceneViewer;
    SceneViewer* viewer = ui_.sceneViewer;
    connect(viewer, &SceneViewer::mouseDown, this,
            [this](Qt::MouseButton, Qt::MouseButtons, int x, int y) { ViewerPressed(x, y); });
    connect(viewer, &SceneViewer::mouseMove, this,
            [this](Qt::MouseButtons held, int x, int y) { ViewerMoved(held, x, y); });
    connect(viewer, &SceneViewer::mouseEnter, this, [this] { ViewerEntered(); });
    connect(viewer, &SceneViewer::mouseUp, this,
            [this](Qt::MouseButton, Qt::MouseButtons, int, int) { ViewerReleased(); });
    connect(viewer, &SceneViewer::wheelTurned, this, [this](int angleDelta) {
        sceneWheel_.Turn(
            angleDelta, [this] { ViewerWheelUp(); }, [this] { ViewerWheelDown(); });
    });
    scene_.heightField.SetOnGetHeight([this](float x, float y, float& z, view3d::Vector4f&,
                                             view3d::TexPoint&) { ReliefHeight(x, y, z); });

    for (QWidget* w :
         {static_cast<QWidget*>(ui_.profilePanel),
          static_cast<QWidget*>(ui_.profilePanel->titleLabel), static_cast<QWidget*>(ui_.infoPanel),
          static_cast<QWidget*>(ui_.infoTitle), static_cast<QWidget*>(ui_.histogramPanel),
          static_cast<QWidget*>(ui_.histogramTitle), static_cast<QWidget*>(ui_.colourBarPanel),
          static_cast<QWidget*>(ui_.colourBarTitle), static_cast<QWidget*>(ui_.colourBar),
          static_cast<QWidget*>(ui_.settings3dGroup)})
        w->installEventFilter(this);
}

void ImageFrame::LoadCustomCursor() {
    // "pellix.bmp" is the AND mask (1 = screen shows through), "pellixcol.bmp"
    // the colour image; only the mask's presence decides.
    if (!QFile::exists(QStringLiteral("pellix.bmp")))
        return;
    QImage mask(QStringLiteral("pellix.bmp"));
    QImage colour(QStringLiteral("pellixcol.bmp"));
    if (mask.isNull())
        throw std::runtime_error("Cannot load the cursor bitmap pellix.bmp");
    if (colour.isNull())
        throw std::runtime_error("Cannot load the cursor bitmap pellixcol.bmp");
    QImage cursorImage = colour.convertToFormat(QImage::Format_ARGB32);
    const QImage andMask = mask.convertToFormat(QImage::Format_Mono);
    for (int y = 0; y < cursorImage.height(); ++y)
        for (int x = 0; x < cursorImage.width(); ++x) {
            const bool transparent =
                x < andMask.width() && y < andMask.height() && qGray(andMask.pixel(x, y)) > 127;
            if (transparent)
                cursorImage.setPixel(x, y, 0);
        }
    ui_.imageBox->setCursor(QCursor(QPixmap::fromImage(cursorImage), 12, 12));
}

bool ImageFrame::TextureShown() const {
    return !scene_.heightField.material.texture.Disabled();
}

bool ImageFrame::ImageShown() const {
    return image_.HasImage() && DisplayBitmap && !view_.Loading && !openInProgress_;
}

bool ImageFrame::ReliefShown() const {
    return ui_.view3dButton->isChecked() && ui_.sceneViewer->isVisible();
}

void ImageFrame::SetOpenInProgress(bool inProgress) {
    openInProgress_ = inProgress;
    emit MenuStateChanged();
}

int ImageFrame::AreaTop() const {
    return ui_.topPanel->height();
}

void ImageFrame::FitSceneViewer() {
    ui_.sceneViewer->setGeometry(0, AreaTop(), width(), std::max(0, height() - AreaTop()));
}

void ImageFrame::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    ui_.topPanel->setGeometry(0, 0, width(), ui_.topPanel->height());
    // A hidden viewer keeps its size until it is shown again: a GL widget
    // resized while hidden and shown back at the size of its last frame shows
    // black (its framebuffer is neither kept nor drawn again).
    if (ui_.sceneViewer->isVisible())
        FitSceneViewer();
    LayOutViews();
}

bool ImageFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.settings3dGroup && event->type() == QEvent::Leave)
        Settings3DLeft(); // the wheel zooms the view again, not a track bar
    else if (PanelDragEvent(watched, event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void ImageFrame::wheelEvent(QWheelEvent* e) {
    // Ctrl and the wheel zoom the 2D view about the pointer; in 3D the wheel keeps its rule.
    if ((e->modifiers() & Qt::ControlModifier) && Zoomable2D()) {
        const int notches = frameWheel_.Add(e->angleDelta().y());
        ZoomAboutBoxPoint(notches, e->position().toPoint() - ui_.imageBox->pos());
        e->accept();
        return;
    }
    frameWheel_.Turn(
        e->angleDelta().y(), [this] { ZoomIn(); }, [this] { ZoomOut(); });
    e->accept();
}

} // namespace orvane::app
