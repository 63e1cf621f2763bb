// Renders reliefs through the real viewer widget (needs an X server: run under xvfb-run -a).
#include "OpenedRelief.h"
#include "view3d/HeightSource.h"
#include "view3d/Scene.h"
#include "view3d/TrackBarRules.h"
#include "view3d/gl/SceneViewer.h"
#include "view3d/gl/SurfaceFormat.h"

#include <QApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSignalSpy>
#include <QSurfaceFormat>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

#include "tests/support/GuiEvents.h"

#include <cmath>
#include <limits>
#include <vector>

using namespace orvane::view3d;
using orvane::test::ShowExposed;

namespace {

enum class Ramp { RisingTowardBottom, RisingTowardTop };

// A 64 x 64 image whose levels ramp along the rows, opened as the viewer opens it.
std::vector<std::uint8_t> RampLevels(Ramp ramp) {
    std::vector<std::uint8_t> levels(64 * 64);
    for (int r = 0; r < 64; ++r) {
        const int level = ramp == Ramp::RisingTowardBottom ? r * 255 / 63 : (63 - r) * 255 / 63;
        for (int c = 0; c < 64; ++c)
            levels[r * 64 + c] = static_cast<std::uint8_t>(level);
    }
    return levels;
}

struct ReliefScene : OpenedRelief {
    explicit ReliefScene(Ramp ramp) : OpenedRelief(64, RampLevels(ramp)) {}
};

int Luma(QRgb c) {
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

double MeanLuma(const QImage& img, const QRect& r) {
    double sum = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            sum += Luma(img.pixel(x, y));
        }
    }
    return sum / (r.width() * r.height());
}

// A current context without a window, drawing into a 640 x 480 framebuffer with depth, for
// renderers driven directly; released when it goes out of scope.
struct OffscreenTarget {
    QOpenGLContext context;
    QOffscreenSurface surface;
    std::unique_ptr<QOpenGLFramebufferObject> fbo;

    OffscreenTarget() {
        context.setFormat(QSurfaceFormat::defaultFormat());
        if (!context.create())
            return;
        surface.setFormat(context.format());
        surface.create();
        if (!context.makeCurrent(&surface))
            return;
        fbo = std::make_unique<QOpenGLFramebufferObject>(640, 480, QOpenGLFramebufferObject::Depth);
        fbo->bind();
    }
    ~OffscreenTarget() {
        if (fbo) {
            fbo->release();
            fbo.reset(); // while its context is current
        }
        context.doneCurrent();
    }
    bool Bound() const { return fbo && fbo->isBound(); }
};

QImage Render(SceneViewer& viewer) {
    QImage img = viewer.grabFramebuffer();
    // Device pixels may differ from logical ones on HiDPI; compare in logical pixels.
    return img.scaled(viewer.size());
}

} // namespace

class ViewerTest : public QObject {
    Q_OBJECT
private slots:
    void reliefIsLitOnBlackBackground();
    void planeFacingTheLightIsBrighter();
    void meshIsCompiledOnceAndRebuiltOnStructureChange();
    void sceneChangeSchedulesARepaint();
    void wheelDeltasAndHint();
    void vertexBuffersDrawTheDisplayListPicture();
    void holesAreDrawnAlikeByBothPaths();
};

void ViewerTest::reliefIsLitOnBlackBackground() {
    ReliefScene relief(Ramp::RisingTowardTop);
    SceneViewer viewer;
    viewer.SetScene(&relief.Scene);
    QVERIFY(ShowExposed(viewer, QSize(1000, 700)));
    const QImage img = Render(viewer);
    QCOMPARE(img.size(), QSize(1000, 700));
    for (const QPoint& p : {QPoint(2, 2), QPoint(997, 2), QPoint(2, 697), QPoint(997, 697)}) {
        QCOMPARE(qRed(img.pixel(p)) + qGreen(img.pixel(p)) + qBlue(img.pixel(p)), 0);
    }
    QVERIFY2(MeanLuma(img, QRect(450, 300, 100, 100)) > 40, "relief not lit at the centre");
    QCOMPARE(viewer.Renderer().MeshBuildCount(), 1);
}

void ViewerTest::planeFacingTheLightIsBrighter() {
    // Light 1 stands at world z = +100, towards the image's bottom rows: a ramp rising
    // towards the top rows tilts the plane towards it.
    double facing = 0;
    double away = 0;
    for (Ramp ramp : {Ramp::RisingTowardTop, Ramp::RisingTowardBottom}) {
        ReliefScene relief(ramp);
        SceneViewer viewer;
        viewer.SetScene(&relief.Scene);
        QVERIFY(ShowExposed(viewer, QSize(1000, 700)));
        const double mean = MeanLuma(Render(viewer), QRect(450, 300, 100, 100));
        (ramp == Ramp::RisingTowardTop ? facing : away) = mean;
    }
    qInfo("centre brightness facing %.1f, away %.1f", facing, away);
    QVERIFY2(facing > away + 30, "tilt towards the light should be clearly brighter");
}

void ViewerTest::meshIsCompiledOnceAndRebuiltOnStructureChange() {
    ReliefScene relief(Ramp::RisingTowardTop);
    SceneViewer viewer;
    viewer.SetScene(&relief.Scene);
    QVERIFY(ShowExposed(viewer, QSize(400, 300)));
    viewer.grabFramebuffer();
    relief.Scene.camera.AdjustDistanceToTarget(1.05f); // camera move: no rebuild
    ApplyZDepthPosition(relief.Scene, 50);             // z scale: no rebuild
    viewer.grabFramebuffer();
    QCOMPARE(viewer.Renderer().MeshBuildCount(), 1);
    ApplyResolutionPosition(relief.Scene.heightField, 100); // two step changes, one rebuild
    viewer.grabFramebuffer();
    QCOMPARE(viewer.Renderer().MeshBuildCount(), 2);
    QVERIFY(viewer.Renderer().HasMesh());
}

void ViewerTest::sceneChangeSchedulesARepaint() {
    ReliefScene relief(Ramp::RisingTowardTop);
    SceneViewer viewer;
    viewer.SetScene(&relief.Scene);
    QVERIFY(ShowExposed(viewer, QSize(300, 200)));
    const long long frames = viewer.Renderer().FrameCount();
    relief.Scene.camera.MoveAroundTarget(5, 5);
    QTRY_VERIFY(viewer.Renderer().FrameCount() > frames);
}

void ViewerTest::wheelDeltasAndHint() {
    SceneViewer viewer;
    QCOMPARE(viewer.toolTip(),
             QString("Use left mouse button to rotate, right button to move, wheel to zoom."));
    QCOMPARE(viewer.cursor().shape(), Qt::PointingHandCursor);
    QSignalSpy turned(&viewer, &SceneViewer::wheelTurned);
    for (int delta : {60, -240}) {
        QWheelEvent ev(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&viewer, &ev);
    }
    // The viewer passes the angle on; the frame counts whole notches.
    QCOMPARE(turned.count(), 2);
    QCOMPARE(turned[0][0].toInt(), 60);
    QCOMPARE(turned[1][0].toInt(), -240);
}

// The relief from vertex buffers built in bands is the very picture of the one-pass
// display list the viewer drew before, pixel for pixel.
void ViewerTest::vertexBuffersDrawTheDisplayListPicture() {
    std::vector<std::uint8_t> levels(128 * 128);
    for (size_t i = 0; i < levels.size(); ++i) {
        levels[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    }
    OffscreenTarget target;
    QVERIFY(target.Bound());
    for (int position : {0, 50, 100}) {
        QImage pictures[2];
        for (ReliefPath path : {ReliefPath::OnePassDisplayList, ReliefPath::BandedVertexBuffers}) {
            OpenedRelief relief(128, levels);
            ApplyResolutionPosition(relief.Scene.heightField, position);
            ApplyZDepthPosition(relief.Scene, 60);
            relief.Scene.camera.MoveAroundTarget(-20, 30); // some faces seen from below
            SceneRenderer renderer(path);
            renderer.Render(relief.Scene, 640, 480, 640, 480);
            pictures[path == ReliefPath::BandedVertexBuffers] = target.fbo->toImage();
            QCOMPARE(renderer.FullMeshDrawCount(), 1);
            QCOMPARE(renderer.CoarseMeshDrawCount(), 0);
            renderer.ReleaseGL();
        }
        QVERIFY2(MeanLuma(pictures[0], QRect(270, 190, 100, 100)) > 10, "nothing drawn");
        QVERIFY2(pictures[1] == pictures[0], qPrintable(QString("position %1").arg(position)));
    }
}

// Missing heights (NaN) leave holes: a disc round the centre, a row and scattered points.
// Both paths draw the same picture, and the background shows through the disc, in the
// coarse mesh too.
void ViewerTest::holesAreDrawnAlikeByBothPaths() {
    std::vector<std::uint8_t> levels(128 * 128);
    for (size_t i = 0; i < levels.size(); ++i) {
        levels[i] = static_cast<std::uint8_t>(i / 128 + i % 128); // a slope
    }
    OffscreenTarget target;
    QVERIFY(target.Bound());
    const QRect centre(310, 230, 20, 20);
    for (int position : {0, 100}) {
        QImage pictures[2];
        long long triangles[2] = {0, 0};
        for (ReliefPath path : {ReliefPath::OnePassDisplayList, ReliefPath::BandedVertexBuffers}) {
            OpenedRelief relief(128, levels);
            HeightField& field = relief.Scene.heightField;
            ApplyResolutionPosition(field, position);
            field.SetOnGetHeight([&relief](float x, float y, float& z, Vector4f&, TexPoint&) {
                ReliefHeight(relief.Src, relief.Scene.heightField, x, y, z);
                const bool disc = x * x + y * y < 0.04f;
                const bool row = y > 0.3f && y < 0.31f;
                const bool scattered = std::fmod(std::fabs(x * 37 + y * 91), 1.0f) < 0.03f;
                if (disc || row || scattered) {
                    z = std::numeric_limits<float>::quiet_NaN();
                }
            });
            SceneRenderer renderer(path);
            renderer.Render(relief.Scene, 640, 480, 640, 480);
            const bool vb = path == ReliefPath::BandedVertexBuffers;
            pictures[vb] = target.fbo->toImage();
            triangles[vb] = renderer.FullMeshTriangles();
            if (vb && position == 100) {
                QVERIFY(renderer.CoarseMeshTriangles() > 0);
                renderer.SetInMotion(true);
                renderer.Render(relief.Scene, 640, 480, 640, 480);
                QVERIFY(renderer.LastDrawCoarse());
                const QImage coarse = target.fbo->toImage();
                QVERIFY2(MeanLuma(coarse, centre) < 1, "the coarse mesh fills the hole");
                QVERIFY2(MeanLuma(coarse, QRect(270, 330, 100, 60)) > 10, "coarse: nothing drawn");
            }
            renderer.ReleaseGL();
        }
        const QString where = QString("position %1").arg(position);
        QVERIFY2(MeanLuma(pictures[0], centre) < 1, qPrintable(where + ": hole filled"));
        QVERIFY2(MeanLuma(pictures[0], QRect(270, 330, 100, 60)) > 10,
                 qPrintable(where + ": nothing drawn"));
        QVERIFY2(triangles[0] > 0, qPrintable(where));
        QCOMPARE(triangles[1], triangles[0]);
        QVERIFY2(pictures[1] == pictures[0], qPrintable(where));
    }
}

int main(int argc, char** argv) {
    UseCompatibilitySurfaceFormat();
    QApplication app(argc, argv);
    ViewerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SceneViewerGlTest.moc"
