// The frame's construction, destruction and the events of the frame itself.
#include "app/ImageFrame.h"

#include "app/ColourBar.h"
#include "app/FileResolutionSave.h"
#include "app/LayoutFonts.h"
#include "app/PaintBox.h"
#include "app/ProfilePanel.h"
#include "view3d/gl/SceneViewer.h"

#include <QAbstractButton>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QResizeEvent>
#include <QSlider>
#include <QToolButton>
#include <QWheelEvent>
#include <stdexcept>

namespace orvane::app {

QVector<QRgb> BuildGreyPalette(int bitsPerPixel) {
    QVector<QRgb> table;
    auto grey = [](int v) { return qRgb(v, v, v); };
    if (bitsPerPixel == 1) {
        table = {grey(0), grey(255)};
    } else if (bitsPerPixel == 4) {
        for (int v = 15; v <= 255; v += 16)
            table.append(grey(v));
    } else {
        for (int v = 0; v < 256; ++v)
            table.append(grey(v));
    }
    return table;
}

TTarsunFrame::TTarsunFrame(QWidget* parent) : QWidget(parent) {
    RegisterLayoutFonts();
    setAttribute(Qt::WA_OpaquePaintEvent); // the frame fills only the strips itself
    setFocusPolicy(Qt::StrongFocus);
    ui_ = BuildFrameLayout(this);
    ui_.SceneViewer1->SetScene(&Scene1);
    OpenDialog1.Filter = QStringLiteral("Tif File (*.tif *.tiff)");

    // The model starts empty (ImageModel's own defaults); numbers use "."
    // whatever the user's locale.
    QLocale::setDefault(QLocale::c());
    ui_.PaintBox1->setAttribute(Qt::WA_OpaquePaintEvent);
    ui_.SB3D->setEnabled(false);
    FitSceneViewer();
    motionClock_.start();
    sceneMotionSettle_.setSingleShot(true);
    sceneMotionSettle_.setTimerType(Qt::PreciseTimer);
    connect(&sceneMotionSettle_, &QTimer::timeout, this, [this] { UpdateSceneMotion(); });
    ConnectComponents();
    try {
        LoadCustomCursor();
    } catch (...) {
        // No destructor runs for a frame whose construction failed: the viewer
        // must still go before the scene it listens to.
        delete ui_.SceneViewer1;
        throw;
    }
}

TTarsunFrame::~TTarsunFrame() {
    // The viewer draws Scene1 and listens to it: it goes before the scene does
    // (children would otherwise outlive the frame's members).
    delete ui_.SceneViewer1;
    ui_.SceneViewer1 = nullptr;
    DisplayInfo.reset();
}

void TTarsunFrame::ConnectComponents() {
    TPaintBox* box = ui_.PaintBox1;
    box->OnPaint = [this](QPainter& p) { PaintInto(p); };
    box->OnMouseDown = [this](Qt::MouseButton b, int x, int y) {
        PaintBox1MouseDown(b, x, y);
        MeasuringLineDown(b, x, y);
    };
    box->OnMouseMove = [this](int x, int y) {
        pointerAt_ = ui_.PaintBox1->pos() + QPoint(x, y);
        PaintBox1MouseMove(x, y);
        if (!MeasuringLineMove(x, y))
            UpdateExactReadout(x, y);
    };
    box->OnMouseUp = [this](Qt::MouseButton b, int x, int y) {
        PaintBox1MouseUp(b);
        MeasuringLineUp(b, x, y);
    };
    box->OnMouseEnter = [this] { PaintBox1MouseEnter(); };
    box->OnMouseLeave = [this] {
        pointerAt_.reset();
        PointerLeftTheImage();
    };
    connect(ui_.ProfilePanel, &TProfilePanel::CloseClicked, ui_.ProfilePanel, &QWidget::hide);

    connect(ui_.SB2D, &QAbstractButton::clicked, this, [this] { SB2DClick(); });
    connect(ui_.SB3D, &QAbstractButton::clicked, this, [this] { SB3DClick(); });
    connect(ui_.InfoButton, &QAbstractButton::clicked, this, [this] { InfoButtonClick(); });
    connect(ui_.LoadButton, &QAbstractButton::clicked, this, [this] { LoadButtonClick(); });
    connect(ui_.TrackBarRes, &QSlider::valueChanged, this, [this] { TrackBarResChange(); });
    connect(ui_.TrackBarZ, &QSlider::valueChanged, this, [this] { TrackBarZChange(); });
    connect(ui_.LoadTextureButton, &QAbstractButton::clicked, this,
            [this] { LoadTextureButtonClick(); });
    connect(ui_.RemoveTextureButton, &QAbstractButton::clicked, this,
            [this] { RemoveTextureButtonClick(); });
    connect(ui_.CloseInfoButton, &QAbstractButton::clicked, this,
            [this] { CloseInfoButtonClick(); });

    using view3d::TGLSceneViewer;
    TGLSceneViewer* viewer = ui_.SceneViewer1;
    connect(
        viewer, &TGLSceneViewer::mouseDown, this,
        [this](Qt::MouseButton, Qt::MouseButtons, int x, int y) { SceneViewer1MouseDown(x, y); });
    connect(viewer, &TGLSceneViewer::mouseMove, this,
            [this](Qt::MouseButtons held, int x, int y) { SceneViewer1MouseMove(held, x, y); });
    connect(viewer, &TGLSceneViewer::mouseEnter, this, [this] { SceneViewer1MouseEnter(); });
    connect(viewer, &TGLSceneViewer::mouseUp, this,
            [this](Qt::MouseButton, Qt::MouseButtons, int, int) { SceneViewer1MouseUp(); });
    connect(viewer, &TGLSceneViewer::wheelTurned, this, [this](int angleDelta) {
        sceneWheel_.Turn(
            angleDelta, [this] { SceneViewer1MouseWheelUp(); },
            [this] { SceneViewer1MouseWheelDown(); });
    });
    Scene1.HeightField1.SetOnGetHeight(
        [this](float x, float y, float& z, view3d::TVector4f&, view3d::TTexPoint&) {
            HeightField1GetHeight(x, y, z);
        });

    for (QWidget* w :
         {static_cast<QWidget*>(ui_.ProfilePanel),
          static_cast<QWidget*>(ui_.ProfilePanel->TitleLabel), static_cast<QWidget*>(ui_.InfoPanel),
          static_cast<QWidget*>(ui_.InfoTiffLabel), static_cast<QWidget*>(ui_.HistogramPanel),
          static_cast<QWidget*>(ui_.IstoLabel), static_cast<QWidget*>(ui_.ColourBarPanel),
          static_cast<QWidget*>(ui_.ColourBarLabel), static_cast<QWidget*>(ui_.ColourBar),
          static_cast<QWidget*>(ui_.GroupBox3D)})
        w->installEventFilter(this);
}

void TTarsunFrame::LoadCustomCursor() {
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
    ui_.PaintBox1->setCursor(QCursor(QPixmap::fromImage(cursorImage), 12, 12));
}

bool TTarsunFrame::TextureShown() const {
    return !Scene1.HeightField1.Material.Texture.Disabled();
}

bool TTarsunFrame::ImageShown() const {
    return image_.HasImage() && DisplayBitmap && !view_.Loading && !openInProgress_;
}

bool TTarsunFrame::ReliefShown() const {
    return ui_.SB3D->isChecked() && ui_.SceneViewer1->isVisible();
}

void TTarsunFrame::SetOpenInProgress(bool inProgress) {
    openInProgress_ = inProgress;
    emit MenuStateChanged();
}

int TTarsunFrame::AreaTop() const {
    return ui_.FramePanel->height();
}

void TTarsunFrame::FitSceneViewer() {
    ui_.SceneViewer1->setGeometry(0, AreaTop(), width(), std::max(0, height() - AreaTop()));
}

void TTarsunFrame::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    ui_.FramePanel->setGeometry(0, 0, width(), ui_.FramePanel->height());
    // A hidden viewer keeps its size until it is shown again: a GL widget
    // resized while hidden and shown back at the size of its last frame shows
    // black (its framebuffer is neither kept nor drawn again).
    if (ui_.SceneViewer1->isVisible())
        FitSceneViewer();
    FrameResize();
}

bool TTarsunFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.GroupBox3D && event->type() == QEvent::Leave)
        GroupBox3DMouseLeave(); // the wheel zooms the view again, not a track bar
    else if (PanelDragEvent(watched, event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void TTarsunFrame::wheelEvent(QWheelEvent* e) {
    frameWheel_.Turn(
        e->angleDelta().y(), [this] { FrameMouseWheelUp(); }, [this] { FrameMouseWheelDown(); });
    e->accept();
}

} // namespace orvane::app
