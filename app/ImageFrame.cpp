#include "app/ImageFrame.h"

#include "app/HistogramChart.h"
#include "app/PaintBox.h"
#include "view3d/SceneViewer.h"
#include "image/Memory.h"

#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QButtonGroup>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QWheelEvent>
#include <stdexcept>

namespace {

// Font heights are character heights in pixels, as the layout gives them.
QFont LayoutFont(int pixelHeight, bool bold = false) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

// An orange-red cross of 14 x 14 pixels on a transparent background.
QIcon CloseGlyph() {
    QPixmap glyph(14, 14);
    glyph.fill(Qt::transparent);
    QPainter p(&glyph);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 69, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(3, 3, 11, 11);
    p.drawLine(11, 3, 3, 11);
    return QIcon(glyph);
}

QLabel* MakeLabel(QWidget* parent, int x, int y, const QString& text, const QFont& font) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QGroupBox* MakeGroupBox(QWidget* parent, const QRect& place, const QString& title) {
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(place);
    box->setFont(LayoutFont(9));
    return box;
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

QFrame* MakeFloatingPanel(QWidget* parent, const QRect& place) {
    auto* panel = new QFrame(parent);
    panel->setGeometry(place);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->hide();
    return panel;
}

} // namespace

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
    BuildComponents();

    // The model starts empty; numbers use "." whatever the user's locale.
    ViewWidth = ViewHeight = 8.0;
    ColumnStep = RowStep = 1;
    ZMin = 0.0;
    ZMax = 1.0;
    QLocale::setDefault(QLocale::c());
    PaintBox1->setAttribute(Qt::WA_OpaquePaintEvent);
    SampleBuffer = nullptr;
    SB3D->setEnabled(false);
    SceneViewer1->setGeometry(0, FramePanel->height(), width(), height() - FramePanel->height());
    SceneMouseX = SceneMouseY = 0;
    using orvane::view3d::TGLSceneViewer;
    connect(SceneViewer1, &TGLSceneViewer::mouseDown, this,
            [this](Qt::MouseButton, Qt::MouseButtons, int x, int y) { SceneViewer1MouseDown(x, y); });
    connect(SceneViewer1, &TGLSceneViewer::mouseMove, this,
            [this](Qt::MouseButtons held, int x, int y) { SceneViewer1MouseMove(held, x, y); });
    connect(SceneViewer1, &TGLSceneViewer::mouseEnter, this, [this] { SceneViewer1MouseEnter(); });
    connect(SceneViewer1, &TGLSceneViewer::mouseUp, this,
            [this](Qt::MouseButton, Qt::MouseButtons, int, int) { SceneViewer1MouseUp(); });
    connect(SceneViewer1, &TGLSceneViewer::wheelUp, this, [this] { SceneViewer1MouseWheelUp(); });
    connect(SceneViewer1, &TGLSceneViewer::wheelDown, this, [this] { SceneViewer1MouseWheelDown(); });
    Loading = false;
    try {
        LoadCustomCursor();
    } catch (...) {
        // No destructor runs for a frame whose construction failed: the viewer
        // must still go before the scene it listens to.
        delete SceneViewer1;
        throw;
    }
}

TTarsunFrame::~TTarsunFrame() {
    // The viewer draws Scene1 and listens to it: it goes before the scene does
    // (children would otherwise outlive the frame's members).
    delete SceneViewer1;
    SceneViewer1 = nullptr;
    DisplayInfo.reset();
    FreeBuffer(SampleBuffer);
    SampleBuffer = nullptr;
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
    PaintBox1->setCursor(QCursor(QPixmap::fromImage(cursorImage), 12, 12));
}

void TTarsunFrame::BuildComponents() {
    setAttribute(Qt::WA_OpaquePaintEvent); // the frame fills only the strips itself
    setFocusPolicy(Qt::StrongFocus);
    resize(1135, 816);

    PaintBox1 = new TPaintBox(this);
    PaintBox1->setGeometry(320, 135, 158, 137);
    PaintBox1->setCursor(Qt::CrossCursor);
    PaintBox1->OnPaint = [this](QPainter& p) { PaintInto(p); };
    PaintBox1->OnMouseDown = [this](Qt::MouseButton b, int x, int y) { PaintBox1MouseDown(b, x, y); };
    PaintBox1->OnMouseMove = [this](int x, int y) { PaintBox1MouseMove(x, y); };
    PaintBox1->OnMouseUp = [this](Qt::MouseButton b, int, int) { PaintBox1MouseUp(b); };
    PaintBox1->OnMouseEnter = [this] { PaintBox1MouseEnter(); };

    FramePanel = new QFrame(this);
    FramePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    FramePanel->setAutoFillBackground(true);
    FramePanel->setGeometry(0, 0, width(), 97);

    ViewGroupBox = MakeGroupBox(FramePanel, {458, 4, 154, 85}, QStringLiteral("View Mode"));
    SB2D = new QToolButton(ViewGroupBox);
    SB2D->setText(QStringLiteral("2D"));
    SB2D->setGeometry(16, 26, 57, 39);
    SB3D = new QToolButton(ViewGroupBox);
    SB3D->setText(QStringLiteral("3D"));
    SB3D->setGeometry(79, 26, 58, 39);
    for (QToolButton* b : {SB2D, SB3D}) {
        b->setCheckable(true);
        b->setFont(LayoutFont(11));
    }
    ViewModeGroup = new QButtonGroup(this);
    ViewModeGroup->setExclusive(true);
    ViewModeGroup->addButton(SB2D, 1);
    ViewModeGroup->addButton(SB3D, 2);
    SB2D->setChecked(true);
    connect(SB2D, &QToolButton::clicked, this, [this] { SB2DClick(); });
    connect(SB3D, &QToolButton::clicked, this, [this] { SB3DClick(); });

    InfoButton = new QPushButton(QStringLiteral("Info TIF"), FramePanel);
    InfoButton->setGeometry(965, 31, 75, 25);
    connect(InfoButton, &QPushButton::clicked, this, [this] { InfoButtonClick(); });
    LoadButton = new QPushButton(QStringLiteral("Load"), FramePanel);
    LoadButton->setGeometry(965, 0, 75, 25);
    connect(LoadButton, &QPushButton::clicked, this, [this] { LoadButtonClick(); });

    InfoGroupBox = MakeGroupBox(FramePanel, {7, 4, 445, 85}, QStringLiteral("Information"));
    const QFont caption = LayoutFont(12, true), value = LayoutFont(11);
    LabelF = MakeLabel(InfoGroupBox, 9, 20, QStringLiteral("File: "), caption);
    FileLabel = MakeLabel(InfoGroupBox, 40, 21, QStringLiteral("..."), value);
    LabelR = MakeLabel(InfoGroupBox, 9, 39, QStringLiteral("Resolution: "), caption);
    ResLabel = MakeLabel(InfoGroupBox, 83, 40, QStringLiteral("..."), value);
    LabelS = MakeLabel(InfoGroupBox, 9, 58, QStringLiteral("Size:"), caption);
    SizeLabel = MakeLabel(InfoGroupBox, 41, 59, QStringLiteral("..."), value);
    LabelX = MakeLabel(InfoGroupBox, 257, 20, QStringLiteral("X: "), caption);
    XLabel = MakeLabel(InfoGroupBox, 276, 21, QStringLiteral("..."), value);
    LabelY = MakeLabel(InfoGroupBox, 257, 39, QStringLiteral("Y:"), caption);
    YLabel = MakeLabel(InfoGroupBox, 276, 40, QStringLiteral("..."), value);
    LabelZ = MakeLabel(InfoGroupBox, 257, 58, QStringLiteral("Z:"), caption);
    ZLabel = MakeLabel(InfoGroupBox, 276, 59, QStringLiteral("..."), value);
    BigtiffLabel = MakeLabel(InfoGroupBox, 389, 20, QStringLiteral("BIGTIFF"), value);
    BigtiffLabel->hide();

    GroupBox3D = MakeGroupBox(FramePanel, {618, 4, 295, 85}, QStringLiteral("3D Settings"));
    GroupBox3D->hide();
    RLabel = MakeLabel(GroupBox3D, 13, 28, QStringLiteral("Resolution"), value);
    ZdepthLabel = MakeLabel(GroupBox3D, 24, 55, QStringLiteral("Z depth"), value);
    TrackBarRes = MakeTrackBar(GroupBox3D, {67, 20, 214, 33}, 0, 100, 50);
    TrackBarZ = MakeTrackBar(GroupBox3D, {67, 47, 214, 28}, 5, 100, 5);
    connect(TrackBarRes, &QSlider::valueChanged, this, [this] { TrackBarResChange(); });
    connect(TrackBarZ, &QSlider::valueChanged, this, [this] { TrackBarZChange(); });

    LoadTextureButton = new QPushButton(QStringLiteral("texture"), FramePanel);
    LoadTextureButton->setGeometry(922, 23, 50, 25);
    LoadTextureButton->hide();
    connect(LoadTextureButton, &QPushButton::clicked, this, [this] { LoadTextureButtonClick(); });
    RemoveTextureButton = new QPushButton(QStringLiteral("remove"), FramePanel);
    RemoveTextureButton->setGeometry(922, 54, 50, 25);
    RemoveTextureButton->hide();
    connect(RemoveTextureButton, &QPushButton::clicked, this,
            [this] { RemoveTextureButtonClick(); });

    SceneViewer1 = new orvane::view3d::TGLSceneViewer(this);
    SceneViewer1->setGeometry(320, 278, 158, 137);
    SceneViewer1->SetScene(&Scene1);
    SceneViewer1->hide();
    Scene1.HeightField1.SetOnGetHeight(
        [this](float x, float y, float& z, orvane::view3d::TVector4f&, orvane::view3d::TTexPoint&) {
            HeightField1GetHeight(x, y, z);
        });

    RefreshingPanel = new QLabel(QStringLiteral("Refreshing..."), this);
    RefreshingPanel->setGeometry(368, 320, 163, 41);
    RefreshingPanel->setAlignment(Qt::AlignCenter);
    RefreshingPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    RefreshingPanel->setAutoFillBackground(true);
    RefreshingPanel->setFont(LayoutFont(13));
    RefreshingPanel->hide();

    InfoPanel = MakeFloatingPanel(this, {0, 97, 406, 185});
    CloseInfoButton = new QToolButton(InfoPanel);
    CloseInfoButton->setGeometry(381, 5, 20, 22);
    CloseInfoButton->setAutoRaise(true);
    CloseInfoButton->setIcon(CloseGlyph());
    connect(CloseInfoButton, &QToolButton::clicked, this, [this] { CloseInfoButtonClick(); });
    InfoTiffLabel = MakeLabel(InfoPanel, 164, 6, QStringLiteral("TIFF File Info"), LayoutFont(13, true));
    InfoMemo = new QPlainTextEdit(InfoPanel);
    InfoMemo->setGeometry(8, 28, 390, 149);
    InfoMemo->setFont(LayoutFont(11));
    InfoMemo->setReadOnly(true);
    InfoMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    InfoMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    InfoMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    HistogramPanel = MakeFloatingPanel(this, {844, 103, 288, 186});
    IstoLabel = MakeLabel(HistogramPanel, 104, 6, QStringLiteral("Histogram"), LayoutFont(13, true));
    Isto = new THistogramChart(HistogramPanel);
    Isto->setGeometry(2, 30, 282, 149);

    ProgressPanel = new QFrame(this);
    ProgressPanel->setGeometry(730, 415, 218, 68);
    ProgressPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    ProgressPanel->setAutoFillBackground(true);
    ProgressPanel->setFont(LayoutFont(13));
    ProgressPanel->hide();
    ProgressLabel = new QLabel(QStringLiteral("Processing 100%"), ProgressPanel);
    ProgressLabel->setGeometry(50, 8, 112, 18);
    ProgressLabel->setFont(LayoutFont(15));
    FProgressBar = new QProgressBar(ProgressPanel);
    FProgressBar->setGeometry(11, 40, 197, 17);
    FProgressBar->setRange(0, 100);
    FProgressBar->setTextVisible(false);

    OpenDialog1.Filter = QStringLiteral("Tif File (*.tif *.tiff)");

    for (QWidget* w : {static_cast<QWidget*>(InfoPanel), static_cast<QWidget*>(InfoTiffLabel),
                       static_cast<QWidget*>(HistogramPanel), static_cast<QWidget*>(IstoLabel)})
        w->installEventFilter(this);
    GroupBox3D->installEventFilter(this);

    // Stacking, bottom to top: 2D box, 3D viewer, info panel, histogram panel,
    // progress panel; the top strip stays above the views.
    SceneViewer1->raise();
    FramePanel->raise();
    InfoPanel->raise();
    HistogramPanel->raise();
    RefreshingPanel->raise();
    ProgressPanel->raise();
}

int TTarsunFrame::AreaTop() const { return FramePanel->height(); }

void TTarsunFrame::SetMenuEnabled(QAction* item, bool enabled) {
    if (item)
        item->setEnabled(enabled);
}

void TTarsunFrame::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FramePanel->setGeometry(0, 0, width(), FramePanel->height());
    SceneViewer1->setGeometry(0, AreaTop(), width(), std::max(0, height() - AreaTop()));
    FrameResize();
}

bool TTarsunFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == GroupBox3D && event->type() == QEvent::Leave)
        GroupBox3DMouseLeave(); // the wheel zooms the view again, not a track bar
    else if (PanelDragEvent(watched, event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void TTarsunFrame::wheelEvent(QWheelEvent* e) {
    // High-resolution wheels and touchpads send fractions of a notch; one
    // step is taken per whole notch (120 eighths of a degree).
    wheelRemainder_ += e->angleDelta().y();
    while (wheelRemainder_ >= 120) {
        wheelRemainder_ -= 120;
        FrameMouseWheelUp();
    }
    while (wheelRemainder_ <= -120) {
        wheelRemainder_ += 120;
        FrameMouseWheelDown();
    }
    e->accept();
}
