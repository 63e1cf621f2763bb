// What the window shows on the screen (read back from the X server, not
// repainted for the test) after the things a user does: switching views
// around a resize, the empty window, a read under way.
#include "tests/support/FrameHarness.h"
#include "view3d/gl/SceneViewer.h"

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

} // namespace

class FrameScreenTest : public QObject {
    Q_OBJECT

private slots:
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
        QWidget* viewer = c.SceneViewer1;
        c.SB3D->click();
        QTest::qWait(300);
        QVERIFY(BlackShare(ScreenPixels(viewer)) < 0.9);
        c.SB2D->click();
        for (QSize size : sizesIn2D) {
            h.SetClientSize(size);
            QTest::qWait(100);
        }
        c.SB3D->click();
        QTest::qWait(300);
        const QImage shown = ScreenPixels(viewer);
        QVERIFY2(BlackShare(shown) < 0.9, "the 3D view is black");
    }
};

QTEST_MAIN(FrameScreenTest)
#include "FrameScreenTest.moc"
