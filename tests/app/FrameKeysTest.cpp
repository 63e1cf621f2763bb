// The keyboard over the frame: each key against the state change of the wheel notch, drag or
// button it stands for.
#include "tests/support/FrameHarness.h"

#include "app/ImageBox.h"
#include "view2d/KeyPan.h"
#include "view3d/Navigation.h"
#include "view3d/gl/SceneViewer.h"

#include <QAction>
#include <QMenu>
#include <QThread>
#include <QToolButton>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

namespace {

struct ViewState {
    view2d::ViewWindow Window;
    QRect Box;
    bool operator==(const ViewState& o) const {
        return Window.ViewWidth == o.Window.ViewWidth && Window.ViewHeight == o.Window.ViewHeight &&
               Window.ViewOffsetX == o.Window.ViewOffsetX &&
               Window.ViewOffsetY == o.Window.ViewOffsetY && Box == o.Box;
    }
};

char* DescribeState(const ViewState& s) {
    return qstrdup(qPrintable(QStringLiteral("window %1 x %2 at %3, %4, box %5,%6 %7x%8")
                                  .arg(s.Window.ViewWidth)
                                  .arg(s.Window.ViewHeight)
                                  .arg(s.Window.ViewOffsetX)
                                  .arg(s.Window.ViewOffsetY)
                                  .arg(s.Box.x())
                                  .arg(s.Box.y())
                                  .arg(s.Box.width())
                                  .arg(s.Box.height())));
}

} // namespace

namespace QTest {
template <> inline char* toString(const ViewState& s) {
    return DescribeState(s);
}
} // namespace QTest

class FrameKeysTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FrameHarness> h_;

    ImageFrame& Frame() { return h_->Frame(); }
    ViewState State() { return {Frame().View().Window, Frame().Components().imageBox->geometry()}; }

    // A 1000 x 800 relief, the frame focused in an active window, as after a click on it.
    void OpenFocused() {
        TiffLayout layout;
        layout.width = 1000;
        layout.height = 800;
        h_->Open(h_->Write("relief.tif", layout, [](std::uint32_t x, std::uint32_t y) {
            return (x * 60 + y * 20) & 0xFFFF;
        }));
        QVERIFY(Frame().Image().HasImage());
        h_->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h_->form.get()));
        Frame().setFocus();
        QTRY_VERIFY(Frame().hasFocus());
    }
    void Key(int key) { QTest::keyClick(&Frame(), Qt::Key(key)); }

private slots:
    void init() { h_ = std::make_unique<FrameHarness>(); }
    void cleanup() { h_.reset(); }

    void zoomKeysAreWheelNotches() {
        OpenFocused();
        const ViewState whole = State();
        for (int zoomKey : {int(Qt::Key_Plus), int(Qt::Key_Equal)}) {
            Key(zoomKey);
            const ViewState keyed = State();
            QVERIFY(!(keyed == whole));
            Key(Qt::Key_0); // the whole image again, as ResetZoom gives it
            QCOMPARE(State(), whole);
            SendWheel(&Frame(), 120);
            QCOMPARE(State(), keyed);
            Key(Qt::Key_Home);
            QCOMPARE(State(), whole);
        }
        // Zoomed in by three notches, then out by one key and one notch from the same state.
        for (int i = 0; i < 3; ++i)
            SendWheel(&Frame(), 120);
        const ViewState in = State();
        Key(Qt::Key_Minus);
        const ViewState keyedOut = State();
        Key(Qt::Key_0);
        for (int i = 0; i < 3; ++i)
            SendWheel(&Frame(), 120);
        QCOMPARE(State(), in);
        SendWheel(&Frame(), -120);
        QCOMPARE(State(), keyedOut);
    }

    void arrowKeysPanByATenthWithTheDragClamp() {
        OpenFocused();
        for (int i = 0; i < 10; ++i)
            SendWheel(&Frame(), 120);
        struct Case {
            int Key;
            view2d::PanDirection Direction;
        };
        for (const Case& c : {Case{Qt::Key_Right, view2d::PanDirection::Right},
                              Case{Qt::Key_Up, view2d::PanDirection::Up},
                              Case{Qt::Key_Left, view2d::PanDirection::Left},
                              Case{Qt::Key_Down, view2d::PanDirection::Down}}) {
            view2d::ViewWindow expected = Frame().View().Window;
            view2d::PanByKey(c.Direction, Frame().Image(), expected);
            const QRect box = Frame().Components().imageBox->geometry();
            Key(c.Key);
            QCOMPARE(State(), (ViewState{expected, box}));
        }
        // Held against an edge, the keys stop where a long drag stops.
        for (int i = 0; i < 40; ++i)
            Key(Qt::Key_Left);
        const double keyedX = Frame().View().Window.ViewOffsetX;
        for (int i = 0; i < 40; ++i)
            Key(Qt::Key_Right);
        ImageBox* box = Frame().Components().imageBox;
        SendMouse(box, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        SendMouse(box, QEvent::MouseMove, {5000, 10}, Qt::NoButton, Qt::LeftButton);
        SendMouse(box, QEvent::MouseButtonRelease, {5000, 10}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(Frame().View().Window.ViewOffsetX, keyedX);
        QCOMPARE(keyedX, 0.0);
    }

    void arrowKeysRepaintTheBox() {
        OpenFocused();
        for (int i = 0; i < 20; ++i)
            SendWheel(&Frame(), 120);
        QThread::msleep(40); // past the composition's frame: the repaint comes at once
        const QImage before = PaintedPixels(Frame().Components().imageBox);
        Key(Qt::Key_Right);
        QVERIFY(PaintedPixels(Frame().Components().imageBox) != before);
    }

    void viewKeysChooseTheViewsAndFullScreen() {
        OpenFocused();
        const FrameComponents& c = Frame().Components();
        Key(Qt::Key_3);
        QVERIFY(c.view3dButton->isChecked());
        QVERIFY(c.sceneViewer->isVisible());
        Key(Qt::Key_2);
        QVERIFY(c.view2dButton->isChecked());
        QVERIFY(!c.sceneViewer->isVisible());

        for (int key : {int(Qt::Key_F), int(Qt::Key_F11)}) {
            Key(key);
            QVERIFY(h_->form->windowState() & Qt::WindowFullScreen);
            QVERIFY(h_->form->Command("fullScreenAction")->isChecked());
            Key(key);
            QVERIFY(!(h_->form->windowState() & Qt::WindowFullScreen));
            QVERIFY(!h_->form->Command("fullScreenAction")->isChecked());
        }
    }

    void arrowAndZoomKeysMoveTheCameraAsTheMouseDoes() {
        OpenFocused();
        Frame().Components().view3dButton->click();
        view3d::SceneViewer* viewer = Frame().Components().sceneViewer;
        view3d::Camera& camera = Frame().Scene().camera;
        const view3d::Vector4f start = camera.position.AsVector();
        struct Case {
            int Key;
            QPoint Drag; // the left drag the key stands for
        };
        const int d = view3d::OrbitKeyPixels;
        for (const Case& c : {Case{Qt::Key_Left, {-d, 0}}, Case{Qt::Key_Right, {d, 0}},
                              Case{Qt::Key_Up, {0, -d}}, Case{Qt::Key_Down, {0, d}}}) {
            camera.position.SetVector(start);
            Frame().setFocus();
            Key(c.Key);
            const view3d::Vector4f keyed = camera.position.AsVector();
            QVERIFY(!(keyed == start));
            camera.position.SetVector(start);
            const QPoint from(200, 200);
            SendMouse(viewer, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
            SendMouse(viewer, QEvent::MouseMove, from + c.Drag, Qt::NoButton, Qt::LeftButton);
            SendMouse(viewer, QEvent::MouseButtonRelease, from + c.Drag, Qt::LeftButton,
                      Qt::NoButton);
            QVERIFY(camera.position.AsVector() == keyed);
        }
        for (auto [key, delta] : {std::pair{int(Qt::Key_Plus), 120}, {int(Qt::Key_Minus), -120}}) {
            camera.position.SetVector(start);
            Frame().setFocus();
            Key(key);
            const view3d::Vector4f keyed = camera.position.AsVector();
            QVERIFY(!(keyed == start));
            camera.position.SetVector(start);
            SendWheel(viewer, delta);
            QVERIFY(camera.position.AsVector() == keyed);
        }
    }

    void keysDoNothingWithoutAnImage() {
        h_->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h_->form.get()));
        Frame().setFocus();
        const ViewState before = State();
        for (int key : {int(Qt::Key_Plus), int(Qt::Key_Minus), int(Qt::Key_0), int(Qt::Key_Right),
                        int(Qt::Key_3)})
            Key(key);
        QCOMPARE(State(), before);
        QVERIFY(Frame().Components().view2dButton->isChecked());
    }

    void theMenusShowTheKeys() {
        MainWindow& f = *h_->form;
        struct Case {
            QAction* Action;
            QList<QKeySequence> Keys;
        };
        const Case cases[] = {
            {f.Command("zoomInAction"), {Qt::Key_Plus, Qt::Key_Equal}},
            {f.Command("zoomOutAction"), {Qt::Key_Minus}},
            {f.Command("wholeImageAction"), {Qt::Key_0, Qt::Key_Home}},
            {f.Command("view2dAction"), {Qt::Key_2}},
            {f.Command("view3dAction"), {Qt::Key_3}},
            {f.Command("fullScreenAction"), {Qt::Key_F, Qt::Key_F11}},
            {f.Command("saveViewAction"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}},
            {f.Command("copyViewAction"), {QKeySequence(Qt::CTRL | Qt::Key_C)}},
        };
        for (const Case& c : cases) {
            QCOMPARE(c.Action->shortcuts(), c.Keys);
            QVERIFY(c.Action->associatedObjects().size() >= 1);
        }
        for (QAction* a :
             {f.Command("zoomInAction"), f.Command("zoomOutAction"), f.Command("wholeImageAction"),
              f.Command("view2dAction"), f.Command("view3dAction"), f.Command("fullScreenAction")})
            QVERIFY(f.Command("viewMenu")->menu()->actions().contains(a));
    }
};

QTEST_MAIN(FrameKeysTest)
#include "FrameKeysTest.moc"
