// The 2D view, histogram and 3D mode as the frame wires them: events in,
// pixels, labels and scene values out.
#include "tests/support/FrameHarness.h"

#include "app/HistogramChart.h"
#include "app/ImageBox.h"
#include "view2d/Stretch.h"
#include "view2d/ViewExport.h"
#include "view3d/ReliefSetup.h"
#include "view3d/gl/SceneViewer.h"

#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QThread>
#include <QToolButton>
#include <cmath>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

namespace {

float Distance(const orvane::view3d::Scene& scene) {
    const auto c = scene.camera.AbsolutePosition();
    const auto t = scene.cameraTarget.AbsolutePosition();
    return std::sqrt((c[0] - t[0]) * (c[0] - t[0]) + (c[1] - t[1]) * (c[1] - t[1]) +
                     (c[2] - t[2]) * (c[2] - t[2]));
}

} // namespace

class FrameViewsTest : public QObject {
    Q_OBJECT

private slots:
    void paintsLevelsAsExactGreys() {
        FrameHarness h(QSize(400, 297)); // image area 400 x 200
        TiffLayout layout;
        layout.width = 4;
        layout.height = 2;
        layout.bitsPerSample = 8;
        const std::uint32_t levels[2][4] = {{0, 128, 255, 0}, {255, 128, 0, 255}};
        h.Open(h.Write("levels.tif", layout, [&](auto x, auto y) { return levels[y][x]; }));
        QCOMPARE(h.Frame().Components().imageBox->geometry(), QRect(0, 97, 400, 200));
        const QImage shown = h.Frame().Components().imageBox->grab().toImage();
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const int v = int(levels[y][x]);
                for (QPoint p :
                     {QPoint(x * 100 + 1, y * 100 + 1), QPoint(x * 100 + 98, y * 100 + 98)})
                    QCOMPARE(shown.pixel(p), qRgb(v, v, v));
            }
    }

    void stripsBesideTheBoxAreWhite() {
        FrameHarness h(QSize(400, 297));
        TiffLayout layout;
        layout.width = 4;
        layout.height = 4;
        layout.bitsPerSample = 8;
        h.Open(h.Write("square.tif", layout, 128));
        QCOMPARE(h.Frame().Components().imageBox->geometry(), QRect(100, 97, 200, 200));
        const QImage frame = h.Frame().grab().toImage();
        QCOMPARE(frame.pixel(50, 200), qRgb(255, 255, 255));
        QCOMPARE(frame.pixel(350, 200), qRgb(255, 255, 255));
        QCOMPARE(frame.pixel(105, 200), qRgb(128, 128, 128)); // left of the histogram panel
    }

    void wheelNotchesZoomAboutTheCentre() {
        FrameHarness h;
        TiffLayout layout;
        layout.width = 1000;
        layout.height = 800;
        h.Open(h.Write("wide.tif", layout));
        ImageFrame& f = h.Frame();
        QCOMPARE(f.Components().imageBox->geometry(), QRect(162, 97, 875, 700));
        // Qt defers a repaint that comes within a frame of the window's last
        // composition (it holds a GL widget); a frame's wait without handling
        // events makes each step below paint at once, as it does for a user.
        auto frameWithoutEvents = [] { QThread::msleep(40); };
        frameWithoutEvents();
        SendWheel(&f, 60); // half a notch: nothing yet
        QCOMPARE(f.View().Window.ViewHeight, 800.0);
        SendWheel(&f, 60);
        QCOMPARE(f.View().Window.ViewWidth, 1000.0);
        QVERIFY(std::abs(f.View().Window.ViewHeight - 761.90) < 0.005);
        QVERIFY(std::abs(f.View().Window.ViewOffsetY - 19.05) < 0.005);
        QCOMPARE(f.Components().imageBox->geometry(), QRect(140, 97, 919, 700));
        QCOMPARE(PaintedPixels(&f).pixel(150, 400), qRgb(128, 128, 128)); // the larger box
        frameWithoutEvents();
        SendWheel(&f, -120);
        QCOMPARE(f.Components().imageBox->geometry(), QRect(162, 97, 875, 700));
        // The strip is cleared at once, before any event is handled.
        QCOMPARE(PaintedPixels(&f).pixel(150, 400), qRgb(255, 255, 255));
    }

    void ctrlWheelZoomsAboutThePointerAndActualPixels() {
        FrameHarness h;
        TiffLayout layout;
        layout.width = 1000;
        layout.height = 800;
        layout.xResolution = 254.0f;
        h.Open(h.Write("pointer.tif", layout));
        ImageFrame& f = h.Frame();
        ImageBox* box = f.Components().imageBox;
        const QPoint frameAt(300, 250);
        SendMouse(box, QEvent::MouseMove, frameAt - box->pos(), Qt::NoButton, Qt::NoButton);
        const QString x = f.Components().xLabel->text(), y = f.Components().yLabel->text();
        // Three notches in, with the pointer still: the same file pixel stays under it and the
        // readout says so at once. (A wheel event from the box reaches the frame as one sent to
        // the frame: Qt passes only the window system's own on to the parent.)
        for (int notch = 0; notch < 3; ++notch)
            SendWheel(&f, 120, frameAt, Qt::ControlModifier);
        const double filePixelsPerBoxPixel = f.View().Window.ViewWidth / box->width();
        QVERIFY(std::abs(filePixelsPerBoxPixel - 1000.0 / 875 / std::pow(1.25, 3)) < 1e-9);
        QCOMPARE(f.Components().xLabel->text(), x);
        QCOMPARE(f.Components().yLabel->text(), y);
        QVERIFY(f.StatusText().contains(QStringLiteral("zoom 170.9 %")));
        // The plain wheel keeps its rule: 5 % about the view's centre.
        const double before = f.View().Window.ViewWidth;
        SendWheel(&f, 120);
        QVERIFY(std::abs(f.View().Window.ViewWidth - before / 1.05) < 1e-6);
        // Actual Pixels: one box pixel a file pixel, about the view's centre; the file's 1000
        // columns are narrower than the area.
        f.ShowActualPixels();
        QCOMPARE(box->geometry(), QRect(100, 97, 1000, 700));
        QCOMPARE(f.View().Window.ViewWidth, 1000.0);
        QCOMPARE(f.View().Window.ViewHeight, 700.0);
        QVERIFY(f.StatusText().contains(QStringLiteral("zoom 100.0 %")));
    }

    // Zoomed in past the kept pixels of a thinned file, the view paints the file's own pixels,
    // as the same view of every pixel would.
    void aThinnedFileZoomedInShowsItsOwnPixels() {
        FrameHarness h;
        TiffLayout layout;
        layout.width = 33000; // wider than the viewer keeps: every second column and row
        layout.height = 400;
        layout.bitsPerSample = 8;
        layout.rowsPerStrip = 16;
        layout.compression = 8;
        const auto sample = [](std::uint32_t x, std::uint32_t y) { return (x * 7 + y * 3) & 0xFF; };
        h.Open(h.Write("wide.tif", layout, sample));
        ImageFrame& f = h.Frame();
        QCOMPARE(f.Image().ColumnStep, 2);
        QCOMPARE(f.ResolutionText(), QStringLiteral("thinned 1:2"));
        QVERIFY(!f.FullResolutionShown());
        f.ZoomAboutBoxPoint(14, {600, 100});
        WaitForExactWork(f);
        QVERIFY(f.FullResolutionShown());
        QCOMPARE(f.ResolutionText(), QStringLiteral("full resolution"));
        const QImage shown = f.Components().imageBox->grab().toImage();
        const view2d::FileRect rect = view2d::ShownFileRect(f.View().Window, f.Image());
        const QSize size = f.Bitmap()->size();
        QCOMPARE(shown.size(), size);
        for (int y = 0; y < size.height(); y += 7)
            for (int x = 0; x < size.width(); x += 3) {
                const auto column =
                    view2d::StretchSourceIndex(x, size.width(), rect.Column, rect.Width);
                const auto row =
                    view2d::StretchSourceIndex(y, size.height(), rect.Row, rect.Height);
                const int level = int(sample(std::uint32_t(column), std::uint32_t(row)));
                QCOMPARE(shown.pixel(x, y), qRgb(level, level, level));
            }
        // Back out to the whole image: the kept pixels again.
        f.ResetZoom();
        QVERIFY(!f.FullResolutionShown());
        QCOMPARE(f.ResolutionText(), QStringLiteral("thinned 1:2"));
    }

    void readoutPressAndDrag() {
        FrameHarness h;
        TiffLayout layout;
        layout.width = 1000;
        layout.height = 800;
        layout.xResolution = 254.0f;
        layout.minSampleValue = 1000;
        layout.maxSampleValue = 3000;
        h.Open(h.Write("readout.tif", layout,
                       [](auto x, auto) { return x < 500 ? 0x8000u : 0xFF00u; }));
        ImageFrame& f = h.Frame();
        ImageBox* box = f.Components().imageBox;
        SendMouse(box, QEvent::MouseMove, {874, 699}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(f.Components().xLabel->text(), QStringLiteral("998 [99.80 mm]"));
        QCOMPARE(f.Components().yLabel->text(), QStringLiteral("798 [79.80 mm]"));
        QCOMPARE(f.Components().zLabel->text(),
                 QStringLiteral("3.00 mm (1.00") + QChar(0x00F7) + "3.00)");

        QVERIFY(f.Components().histogramChart->MarkerPoints().isEmpty());
        SendMouse(box, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, Qt::RightButton);
        SendMouse(box, QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton, Qt::NoButton);
        QVERIFY(f.Components().histogramChart->MarkerPoints().isEmpty()); // the right button does
                                                                          // nothing
        QVERIFY(!f.View().Drag.Panning);

        SendMouse(box, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(f.View().Drag.Panning);
        QCOMPARE(f.Components().histogramChart->MarkerPoints().size(), 3);
        QCOMPARE(f.Components().histogramChart->MarkerPoints()[1], QPointF(128, 1));
        // Dragging the whole image changes nothing; the labels rest during a drag.
        SendMouse(box, QEvent::MouseMove, {300, 200}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(f.View().Window.ViewOffsetX, 0.0);
        QCOMPARE(f.View().Window.ViewOffsetY, 0.0);
        QCOMPARE(f.Components().xLabel->text(), QStringLiteral("998 [99.80 mm]"));
        SendMouse(box, QEvent::MouseButtonRelease, {300, 200}, Qt::LeftButton, Qt::NoButton);
        QVERIFY(!f.View().Drag.Panning);
        QVERIFY(!QApplication::overrideCursor());
    }

    void customCursorFromTheCurrentDirectory() {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        {
            FrameHarness plain;
            QCOMPARE(plain.Frame().Components().imageBox->cursor().shape(), Qt::CrossCursor);
        }
        QImage mask(32, 32, QImage::Format_Mono);
        mask.fill(1);
        QImage colour(32, 32, QImage::Format_RGB32);
        colour.fill(Qt::red);
        QVERIFY(mask.save("pellix.bmp") && colour.save("pellixcol.bmp"));
        {
            FrameHarness custom;
            const QCursor cursor = custom.Frame().Components().imageBox->cursor();
            QCOMPARE(cursor.shape(), Qt::BitmapCursor);
            QCOMPARE(cursor.hotSpot(), QPoint(12, 12));
        }
        QFile::remove("pellixcol.bmp"); // the mask alone decides; a missing colour image fails
        bool failed = false;
        try {
            ImageFrame frame;
        } catch (const std::exception&) {
            failed = true;
        }
        QVERIFY(failed);
        QDir::setCurrent(previous);
    }

    void histogramIsFilledOnOpen() {
        FrameHarness h;
        TiffLayout layout;
        layout.bitsPerSample = 8;
        h.Open(h.Write("flat.tif", layout, 77));
        const QList<double> bars = h.Frame().Components().histogramChart->BarHeights();
        QCOMPARE(bars.size(), 256);
        QCOMPARE(bars[77], 1.0);
        QCOMPARE(bars[76], 0.0);
        QVERIFY(h.Frame().Components().histogramPanel->isVisible());
        QCOMPARE(h.Frame().Components().histogramPanel->pos(), QPoint(1200 - 288, 97));
    }

    void threeDModeWithoutImageIsMixedAndWheelReachesCamera() {
        FrameHarness h;
        ImageFrame& f = h.Frame();
        TiffLayout oneBit;
        oneBit.bitsPerSample = 1;
        h.Open(h.Write("one.tif", oneBit, 1));
        QVERIFY(f.Components().view3dButton->isEnabled());
        f.Components().view3dButton->click();
        QVERIFY(f.Components().view3dButton->isChecked());
        QVERIFY(!f.Components().view2dButton->isChecked());
        QVERIFY(f.Components().imageBox->isVisible());
        QVERIFY(!f.Components().settings3dGroup->isVisible());

        TiffLayout layout;
        layout.width = 1000;
        layout.height = 800;
        h.Open(h.Write("relief.tif", layout));
        QVERIFY(f.Components().imageBox->isVisible()); // the mixed state stays
        const double viewWidth = f.View().Window.ViewWidth;
        const float before = Distance(f.Scene());
        QVERIFY(std::abs(before - 2.598f) < 0.001f);
        SendWheel(&f, 120);
        QCOMPARE(f.View().Window.ViewWidth, viewWidth);
        QVERIFY(std::abs(Distance(f.Scene()) - before * 0.95f) < 1e-4f);

        f.Components().view3dButton->click();
        QVERIFY(f.Components().sceneViewer->isVisible());
        QVERIFY(f.Components().settings3dGroup->isVisible());
        QVERIFY(!f.Components().imageBox->isVisible());
        // Leaving the 3D settings gives the focus back to the frame, where notches zoom.
        f.Components().resolutionBar->setFocus();
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(f.Components().settings3dGroup, &leave);
        QCOMPARE(f.window()->focusWidget(), static_cast<QWidget*>(&f));
        SendWheel(&f, -120);
        // A second open in 3D mode puts the camera back at its start.
        h.Open(h.Write("relief2.tif", layout));
        QVERIFY(f.Components().sceneViewer->isVisible());
        QVERIFY(std::abs(Distance(f.Scene()) - 2.598f) < 0.001f);
        f.Components().view2dButton->click();
        QVERIFY(f.Components().imageBox->isVisible());
        QVERIFY(!f.Components().sceneViewer->isVisible());
    }

    void dragOnTheViewerOrbitsAndSlidesTheCamera() {
        FrameHarness h;
        TiffLayout layout;
        layout.width = 64;
        layout.height = 64;
        h.Open(h.Write("relief.tif", layout));
        ImageFrame& f = h.Frame();
        f.Components().view3dButton->click();
        QWidget* viewer = f.Components().sceneViewer;
        const view3d::Scene& scene = f.Scene();
        auto camera = [&scene] { return scene.camera.AbsolutePosition(); };
        const view3d::Vector4f start = camera();

        // Moves without a press only track the pointer.
        SendMouse(viewer, QEvent::MouseMove, {100, 100}, Qt::NoButton, Qt::NoButton);
        SendMouse(viewer, QEvent::MouseMove, {100, 80}, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(camera() == start);

        // A left drag orbits by the pixels moved: the same as orbiting a fresh
        // scene by 10 degrees of pitch.
        view3d::Scene expected;
        view3d::ResetView(expected);
        expected.camera.MoveAroundTarget(10, 0);
        SendMouse(viewer, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
        SendMouse(viewer, QEvent::MouseMove, {100, 90}, Qt::LeftButton, Qt::LeftButton);
        for (int i = 0; i < 3; ++i)
            QVERIFY(std::abs(camera()[i] - expected.camera.AbsolutePosition()[i]) < 1e-5f);

        // After the release the same move does nothing; a right drag slides the target.
        SendMouse(viewer, QEvent::MouseButtonRelease, {100, 90}, Qt::LeftButton, Qt::NoButton);
        const view3d::Vector4f orbited = camera();
        SendMouse(viewer, QEvent::MouseMove, {100, 70}, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(camera() == orbited);
        SendMouse(viewer, QEvent::MouseButtonPress, {100, 70}, Qt::RightButton, Qt::RightButton);
        SendMouse(viewer, QEvent::MouseMove, {130, 70}, Qt::RightButton, Qt::RightButton);
        QVERIFY(!(scene.cameraTarget.AbsolutePosition() == view3d::Vector4f(0, 0, 0, 1)));
    }
};

QTEST_MAIN(FrameViewsTest)
#include "FrameViewsTest.moc"
