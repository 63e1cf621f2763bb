// What the window paints (its backing store) and shows (the screen) after the
// things a user does: the empty window, a read under way, switching views
// around a resize. Nothing is repainted for the test.
#include "tests/support/FrameHarness.h"
#include "view3d/gl/SceneViewer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QRegularExpression>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

namespace {

// Fraction of the pixels of `image` that are pure black.
double BlackShare(const QImage& image) {
    qint64 black = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            black += (image.pixel(x, y) & 0xFFFFFF) == 0;
    return double(black) / (double(image.width()) * image.height());
}

// Fraction of the pixels that two pictures of the same size share; 0 for different sizes.
double SameShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 0;
    qint64 same = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            same += (a.pixel(x, y) & 0xFFFFFF) == (b.pixel(x, y) & 0xFFFFFF);
    return double(same) / (double(a.width()) * a.height());
}

// With ORVANE_SCREEN_SHOTS=FOLDER, the window as the screen shows it goes to FOLDER/NAME.png:
// the pictures a reviewer looks at beside the test's verdict.
void SaveScreenShot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("ORVANE_SCREEN_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QString file = name;
    file.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
    ScreenPixels(window).save(QDir(folder).filePath(file + QStringLiteral(".png")));
}

// Pixels of the frame's image area (below the top strip) that are neither
// white nor one of `allowed`, outside the visible floating panels.
int StrayPixels(ImageFrame& frame, const QList<QRgb>& allowed) {
    const QImage shown = PaintedPixels(&frame);
    const FrameComponents& c = frame.Components();
    QRegion panels;
    for (QWidget* panel :
         {static_cast<QWidget*>(c.histogramPanel), static_cast<QWidget*>(c.progressPanel),
          static_cast<QWidget*>(c.infoPanel)})
        if (panel->isVisible())
            panels += panel->geometry();
    int stray = 0;
    for (int y = c.topPanel->height(); y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb pixel = shown.pixel(x, y) | 0xFF000000;
            if (pixel != qRgb(255, 255, 255) && !allowed.contains(pixel) &&
                !panels.contains(QPoint(x, y)))
                ++stray;
        }
    return stray;
}

} // namespace

class FrameScreenTest : public QObject {
    Q_OBJECT

private slots:
    void emptyImageAreaIsWhite() {
        FrameHarness h;
        QTest::qWait(100);
        QCOMPARE(StrayPixels(h.Frame(), {}), 0);
        // Where the 2D box sits by design before any image: white too.
        QCOMPARE(PaintedPixels(&h.Frame()).pixel(330, 150) | 0xFF000000, qRgb(255, 255, 255));
    }

    // While a file is read the old picture is gone (the labels already name the new file) and
    // the image area is white, also where a resize uncovers it: never uninitialised pixels, a
    // ghost panel or the old picture.
    void readUnderWayShowsWhite() {
        FrameHarness h;
        TiffLayout small;
        small.width = 300;
        small.height = 200;
        h.Open(h.Write("small.tif", small, 0x8000)); // level 128 everywhere
        TiffLayout big;
        big.width = 6000;
        big.height = 6000;
        big.compression = 8; // deflate: a read long enough to act during it
        big.rowsPerStrip = 16;
        const QString path = h.Write("big.tif", big, [](auto x, auto y) { return (x ^ y) << 4; });
        int stray = -1;
        QRgb centre = 0;
        bool duringRead = false;
        // From the read's progress reports, which all come while it runs: the resize at the
        // first, the look at the last.
        const QMetaObject::Connection acting =
            connect(&h.Frame(), &ImageFrame::ProgressShown, this, [&](int percent) {
                if (percent == 1)
                    h.SetClientSize(QSize(1000, 650)); // uncovers and moves the histogram panel
                if (percent != 99)
                    return;
                stray = StrayPixels(h.Frame(), {});
                centre = PaintedPixels(&h.Frame()).pixel(300, 300) | 0xFF000000;
                duringRead = h.Frame().View().Loading;
            });
        h.Open(path);
        disconnect(acting);
        QVERIFY(duringRead);
        QCOMPARE(stray, 0);
        QCOMPARE(centre, qRgb(255, 255, 255)); // not the old picture
    }

    // Whatever the user does while a file is read, the window goes on: no
    // action may start the relief's mesh work, and an event-loop watchdog
    // reports the longest stall (the figure is printed, not asserted: speed
    // is the benchmarks' business).
    void actionsDuringAReadDoNoMeshWork() {
        FrameHarness h;
        TiffLayout first;
        first.width = 2000;
        first.height = 2000;
        h.Open(h.Write("first.tif", first, [](auto x, auto y) { return (x * y) & 0xFFFF; }));
        const FrameComponents& c = h.Ui();
        c.resolutionBar->setValue(100); // the finest mesh: seconds per frame on a CPU renderer
        TiffLayout big;
        big.width = 8000;
        big.height = 8000;
        big.compression = 8;
        big.rowsPerStrip = 16;
        const QString path = h.Write("big.tif", big, [](auto x, auto y) { return (x ^ y) << 4; });

        const auto& renderer = c.sceneViewer->Renderer();
        QElapsedTimer clock;
        qint64 last = 0, worstGapMs = 0;
        QTimer watchdog;
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            worstGapMs = std::max(worstGapMs, now - last);
            last = now;
        });
        long long reliefDrawsDuringRead = -1;
        int meshBuildsDuringRead = -1;
        long long drawsBefore = 0;
        int buildsBefore = 0;
        bool measured = false;
        // The counts are taken when the read's last percentage is shown, or when the actions
        // are over if the read still runs: the open goes on beside the actions, and what it
        // draws once the read has ended is not the read's.
        auto measure = [&] {
            if (measured)
                return;
            measured = true;
            reliefDrawsDuringRead = renderer.ReliefDrawCount() - drawsBefore;
            meshBuildsDuringRead = renderer.MeshBuildCount() - buildsBefore;
        };
        QMetaObject::Connection acting;
        acting = connect(&h.Frame(), &ImageFrame::ProgressShown, this, [&](int percent) {
            if (percent == 99)
                measure();
            if (percent != 1)
                return;
            QVERIFY(h.Frame().View().Loading);
            drawsBefore = renderer.ReliefDrawCount();
            buildsBefore = renderer.MeshBuildCount();
            clock.start();
            watchdog.start(5);
            c.view3dButton->click();
            QTest::qWait(100);
            c.resolutionBar->setValue(90);
            QTest::qWait(100);
            SendWheel(&h.Frame(), 120);
            h.SetClientSize(QSize(1100, 760));
            QTest::qWait(100);
            c.view2dButton->click();
            QTest::qWait(50);
            c.view3dButton->click();
            QTest::qWait(100);
            if (h.Frame().View().Loading)
                measure();
            watchdog.stop();
        });
        h.Open(path);
        disconnect(acting);
        QVERIFY(measured);
        QCOMPARE(reliefDrawsDuringRead, 0LL);
        QCOMPARE(meshBuildsDuringRead, 0);
        qInfo("longest stall of the event loop during the read: %lld ms", worstGapMs);
    }

    // The relief must appear whenever 3D is shown, whatever happened to the
    // window while 2D was shown (a hidden GL widget resized and resized back).
    void reliefAppearsAfterResizesIn2D_data() {
        QTest::addColumn<QList<QSize>>("sizesIn2D");
        QTest::newRow("there and back") << QList<QSize>{{900, 600}, {1010, 658}};
        QTest::newRow("two sizes and back") << QList<QSize>{{1100, 700}, {1200, 760}, {1010, 658}};
        QTest::newRow("one resize") << QList<QSize>{{900, 600}};
        QTest::newRow("none") << QList<QSize>{};
    }

    void reliefAppearsAfterResizesIn2D() {
        QFETCH(QList<QSize>, sizesIn2D);
        FrameHarness h(QSize(1010, 658));
        TiffLayout layout;
        layout.width = 200;
        layout.height = 160;
        layout.bitsPerSample = 8;
        h.Open(h.Write("relief.tif", layout, [](auto x, auto y) { return (x + y) % 256; }));
        const FrameComponents& c = h.Ui();
        QWidget* viewer = c.sceneViewer;
        // The screen follows a change of view some frames later: until it does, it still
        // shows the view before. The relief is there once the viewer's place is neither
        // black nor what it showed before the click.
        const auto reliefShown = [viewer](const QImage& before) {
            const QImage shown = ScreenPixels(viewer);
            return BlackShare(shown) < 0.9 && SameShare(shown, before) < 0.5;
        };
        const QImage firstIn2D = ScreenPixels(viewer);
        c.view3dButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(reliefShown(firstIn2D), 5000);
        c.view2dButton->click();
        for (QSize size : sizesIn2D) {
            h.SetClientSize(size);
            QTest::qWait(100);
        }
        QTest::qWait(200);
        const QImage in2D = ScreenPixels(viewer);
        c.view3dButton->click();
        // Black for good was the fault: waiting cannot hide it.
        const bool shown = QTest::qWaitFor([&] { return reliefShown(in2D); }, 5000);
        SaveScreenShot(h.Frame().window(), QTest::currentDataTag());
        QVERIFY2(shown, "the 3D view is black");
    }
};

QTEST_MAIN(FrameScreenTest)
#include "FrameScreenTest.moc"
