// The relief while the camera moves, through the frame as a user drives it: the coarse mesh
// during a drag and for a moment after each wheel notch or orbit key, the full mesh at rest with
// the very picture it had before the motion.
#include "tests/support/FrameHarness.h"
#include "view3d/BandedMeshBuild.h"
#include "view3d/ReliefSetup.h"
#include "view3d/gl/SceneViewer.h"

#include <QLabel>
#include <QSlider>
#include <QToolButton>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

namespace {

// Which mesh every frame that reached the screen drew: true for the coarse one.
class ShownMeshes {
public:
    explicit ShownMeshes(view3d::SceneViewer& viewer) {
        QObject::connect(&viewer, &QOpenGLWidget::frameSwapped, &viewer,
                         [this, &viewer] { Coarse << viewer.Renderer().LastDrawCoarse(); });
    }
    QList<bool> Coarse;
    // Coarse frames first, then full ones only (the window may draw a frame more at rest).
    bool CoarseThenFull() const {
        const qsizetype firstFull = Coarse.indexOf(false);
        return !Coarse.isEmpty() && Coarse.first() && firstFull > 0 &&
               !Coarse.mid(firstFull).contains(true);
    }
};

} // namespace

class FrameMotionTest : public QObject {
    Q_OBJECT

private slots:
    void coarseMeshOnlyWhileTheCameraMoves() {
        FrameHarness h;
        TiffLayout layout;
        layout.width = 400;
        layout.height = 300;
        h.Open(h.Write("relief.tif", layout, [](std::uint32_t x, std::uint32_t y) {
            return ((x / 25 + y / 25) % 2) * 20000 + x * 60 + (x * y) % 997;
        }));
        const FrameComponents& c = h.Ui();
        view3d::SceneViewer& viewer = *c.sceneViewer;
        const view3d::SceneRenderer& renderer = viewer.Renderer();
        c.view3dButton->click();
        QTRY_VERIFY(renderer.FullMeshDrawCount() > 0);

        // The finest relief: its meshes are built while "Refreshing..." shows, not by the
        // next frame.
        const int builds = renderer.MeshBuildCount();
        c.resolutionBar->setValue(100);
        QCOMPARE(renderer.MeshBuildCount(), builds + 1);
        QVERIFY(!c.refreshingLabel->isVisible());
        QVERIFY(renderer.CoarseMeshTriangles() > 0);
        QVERIFY(renderer.CoarseMeshTriangles() <= view3d::CoarseTriangleBudget);
        QVERIFY(renderer.CoarseMeshTriangles() * 5 <= renderer.FullMeshTriangles());
        QTRY_VERIFY(!renderer.LastDrawCoarse() && renderer.FullMeshDrawCount() > 1);
        QCOMPARE(renderer.CoarseMeshDrawCount(), 0);
        const QImage before = viewer.grabFramebuffer();

        // A drag: every frame from the first move to the release is coarse, the one after
        // the release full.
        ShownMeshes shown(viewer);
        const QPoint centre = viewer.rect().center();
        SendMouse(&viewer, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= 3; ++i) {
            const long long coarse = renderer.CoarseMeshDrawCount();
            SendMouse(&viewer, QEvent::MouseMove, centre + QPoint(8 * i, 0), Qt::NoButton,
                      Qt::LeftButton);
            QTRY_VERIFY(renderer.CoarseMeshDrawCount() > coarse);
        }
        QTRY_VERIFY(!shown.Coarse.isEmpty());
        QVERIFY(!shown.Coarse.contains(false));
        const long long coarseDuringDrag = renderer.CoarseMeshDrawCount();
        SendMouse(&viewer, QEvent::MouseButtonRelease, centre + QPoint(24, 0), Qt::LeftButton,
                  Qt::NoButton);
        QTRY_VERIFY(!shown.Coarse.isEmpty() && !shown.Coarse.last());
        QCOMPARE(renderer.CoarseMeshDrawCount(), coarseDuringDrag);

        // A wheel notch: coarse frames until a moment after it, then the full mesh.
        shown.Coarse.clear();
        SendWheel(&viewer, 120);
        QTRY_VERIFY(!shown.Coarse.isEmpty() && !shown.Coarse.last());
        QVERIFY(shown.CoarseThenFull());
        QVERIFY(!renderer.InMotion());

        // An orbit key (it repeats while held, as notches do): the same.
        shown.Coarse.clear();
        QTest::keyClick(&h.Frame(), Qt::Key_Left);
        QTRY_VERIFY(!shown.Coarse.isEmpty() && !shown.Coarse.last());
        QVERIFY(shown.CoarseThenFull());
        QVERIFY(!renderer.InMotion());

        // Back at the start view, at rest: the same picture as before the motion.
        view3d::ResetView(h.Frame().Scene());
        QCOMPARE(viewer.grabFramebuffer(), before);
        QVERIFY(!renderer.LastDrawCoarse());
    }
};

QTEST_MAIN(FrameMotionTest)
#include "FrameMotionTest.moc"
