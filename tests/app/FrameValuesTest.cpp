// A floating-point GeoTIFF with holes, as the window shows it: the picture over the valid
// values with the holes in the no-data colour, the histogram without them, the status bar,
// the measuring line and the colour bar in the file's own unit (metres).
#include "tests/support/FrameHarness.h"

#include "app/ColourBar.h"
#include "app/HistogramChart.h"
#include "app/ImageBox.h"
#include "app/ProfilePanel.h"
#include "image/ValueMapping.h"
#include "panels/ColourBarScale.h"
#include "panels/Histogram.h"
#include "view2d/NoDataColour.h"

#include <QAction>
#include <QLabel>
#include <cmath>
#include <tiffio.h>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

namespace {

constexpr std::uint32_t kWidth = 64, kHeight = 48;

// Columns 20 to 23 were not measured.
bool Hole(std::uint32_t x) {
    return x >= 20 && x <= 23;
}

double Height(std::uint32_t x, std::uint32_t y) {
    return Hole(x) ? std::nan("") : 100 + 0.25 * x + 0.5 * y;
}

constexpr double kLow = 100, kHigh = 100 + 0.25 * 63 + 0.5 * 47; // 139.25

} // namespace

class FrameValuesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FrameHarness> h_;

    ImageFrame& Frame() { return h_->Frame(); }

    // A 2 m grid in a projected system in metres, heights in metres (the GeoTIFF default).
    QString WriteDem() {
        TiffLayout layout;
        layout.width = kWidth;
        layout.height = kHeight;
        layout.bitsPerSample = 32;
        layout.sampleFormat = SAMPLEFORMAT_IEEEFP;
        layout.compression = COMPRESSION_ADOBE_DEFLATE;
        layout.predictor = PREDICTOR_FLOATINGPOINT;
        layout.modelPixelScale = {2.0, 2.0, 0.0};
        layout.geoKeys = {1, 1, 0, 3, 1024, 0, 1, 1, 1025, 0, 1, 1, 3076, 0, 1, 9001};
        const QString path = h_->Path(QStringLiteral("dem.tif"));
        if (!tools::WriteTiffValues(path, layout, Height))
            return {};
        return path;
    }

    // The centre of file pixel (x, y) in the box: the image area is 640 x 480, ten box pixels
    // per file pixel.
    static QPoint BoxPoint(int x, int y) { return {10 * x + 5, 10 * y + 5}; }

    void Move(QPoint at) {
        SendMouse(h_->Ui().imageBox, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        WaitForExactWork(Frame());
    }

private slots:
    void init() { h_ = std::make_unique<FrameHarness>(QSize(640, 577)); }
    void cleanup() { h_.reset(); }

    void holesAreMagentaAndLeftOutOfTheHistogram() {
        h_->Open(WriteDem());
        const image::ImageModel& m = h_->Image();
        QVERIFY(m.HasImage());
        QVERIFY(m.LevelsFromValues);
        QCOMPARE(m.NoDataPixels, std::int64_t(4 * kHeight));
        QCOMPARE(*m.DataMin, kLow);
        QCOMPARE(*m.DataMax, kHigh);

        const QImage shown = h_->Ui().imageBox->grab().toImage();
        QCOMPARE(shown.width(), 640);
        for (std::uint32_t y : {0u, 17u, 47u})
            for (std::uint32_t x : {0u, 19u, 20u, 23u, 24u, 63u}) {
                const QRgb pixel = shown.pixel(BoxPoint(int(x), int(y)));
                if (Hole(x)) {
                    QCOMPARE(pixel, view2d::kNoDataColour);
                } else {
                    const int level = image::LevelOfValue(Height(x, y), kLow, kHigh);
                    QCOMPARE(pixel, qRgb(level, level, level));
                }
            }

        // The histogram of the valid pixels only: the holes' level 0 is not counted.
        std::vector<std::uint8_t> valid;
        for (std::uint32_t y = 0; y < kHeight; ++y)
            for (std::uint32_t x = 0; x < kWidth; ++x)
                if (!Hole(x))
                    valid.push_back(image::LevelOfValue(Height(x, y), kLow, kHigh));
        const panels::HistogramBars expected =
            panels::FillHistogram(valid.data(), std::int64_t(valid.size()), 1);
        const QList<double> bars = h_->Ui().histogramChart->BarHeights();
        QCOMPARE(bars.size(), int(expected.size()));
        for (int i = 0; i < bars.size(); ++i)
            QCOMPARE(bars[i], expected[std::size_t(i)]);
    }

    void statusBarAndColourBarSpeakMetres() {
        h_->Open(WriteDem());
        QCOMPARE(Frame().StatusText(),
                 QStringLiteral("64 x 48 pixels, 32-bit float, pixels 2 x 2 m, values 100 to "
                                "139.25 m, 192 pixels without a value"));
        // Lengths in the pixel size's unit, metres.
        QCOMPARE(h_->Ui().sizeLabel->text(), QStringLiteral("64x48 pixels [128.0x96.0 m]"));
        Move(BoxPoint(6, 8)); // 100 + 1.5 + 4
        QVERIFY2(Frame().StatusText().startsWith(
                     "column 6, row 8   x 12.0000 m   y 16.0000 m   z 105.5 m"),
                 qPrintable(Frame().StatusText()));
        QCOMPARE(h_->Ui().xLabel->text(), QStringLiteral("6 [12.00 m]"));
        Move(BoxPoint(21, 8));
        QVERIFY2(
            Frame().StatusText().contains("z no data (the file marks this pixel as having none)"),
            qPrintable(Frame().StatusText()));

        h_->form->Command("colourBarAction")->trigger();
        const panels::ColourBarScale& scale = h_->Ui().colourBar->Scale();
        QCOMPARE(scale.Unit, QStringLiteral("m"));
        QCOMPARE(scale.Low, kLow);
        QCOMPARE(scale.High, kHigh);
    }
};

QTEST_MAIN(FrameValuesTest)
#include "FrameValuesTest.moc"
