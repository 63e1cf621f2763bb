// Measuring the surface as a user does: Measure > Level, a Shift drag for an area, three clicks
// for a plane, Esc, Cancel, and the Results panel's rows and CSV.
#include "app/ImageBox.h"
#include "app/ProfilePanel.h"
#include "app/ResultsPanel.h"
#include "tests/support/FrameHarness.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QValueAxis>
#include <QtTest>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

namespace {

// A tilted plane of 16-bit samples: 1000 + 40 x + 25 y, heights 0 to 65.535 mm (1 µm a step),
// with a bump the plane leaves behind.
std::uint32_t Tilted(std::uint32_t x, std::uint32_t y) {
    const bool bump = x >= 200 && x < 220 && y >= 100 && y < 120;
    return 1000 + 40 * x + 25 * y + (bump ? 500 : 0);
}

} // namespace

class FrameSurfaceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FrameHarness> h_;

    QString WriteTilted() {
        TiffLayout layout;
        layout.width = 600;
        layout.height = 350; // shown at twice its size in the 1200 x 700 area
        layout.xResolution = 254.0f;
        layout.minSampleValue = 0;
        layout.maxSampleValue = 65535;
        layout.rowsPerStrip = 10;
        return h_->Write(QStringLiteral("tilted.tif"), layout, Tilted);
    }

    QAction* Command(const char* name) { return h_->form->Command(QLatin1String(name)); }
    ResultsPanel* Results() { return h_->Frame().Results(); }

    void ShiftDrag(QPoint from, QPoint to) {
        QWidget* box = h_->Ui().imageBox;
        SendMouse(box, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton,
                  Qt::ShiftModifier);
        SendMouse(box, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
        SendMouse(box, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton,
                  Qt::ShiftModifier);
    }

    void Click(QPoint at) {
        QWidget* box = h_->Ui().imageBox;
        SendMouse(box, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        SendMouse(box, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }

private slots:
    void init() { h_ = std::make_unique<FrameHarness>(); }
    void cleanup() {
        ResultsPanel::SetSaveAnswer({});
        h_.reset();
    }

    // Level > Plane fits every pixel: the form is the file's tilt in mm, the status bar gives
    // the levelled height beside the stored sample, and the panel says it all.
    void levelPlaneTakesTheTiltAway() {
        h_->Open(WriteTilted());
        ImageFrame& f = h_->Frame();
        const std::vector<std::uint8_t> stored(h_->Image().Levels(),
                                               h_->Image().Levels() + h_->Image().LevelCount());
        QVERIFY(Command("levelPlaneAction")->isEnabled());
        Command("levelPlaneAction")->trigger();
        WaitForExactWork(f);
        QCOMPARE(f.LevellingKind(), measure::FormKind::Plane);
        QVERIFY(f.Levelled());
        QVERIFY(Command("levelPlaneAction")->isChecked());
        const std::vector<double> c = f.Levelled()->Form.PixelCoefficients();
        // 0.040 and 0.025 mm a pixel, less what the bump (400 of 210000 pixels) tilts.
        QVERIFY(std::fabs(c[1] - 0.040) < 2e-4);
        QVERIFY(std::fabs(c[2] - 0.025) < 2e-4);
        QVERIFY(f.Levelled()->Millimetres);
        QVERIFY(Results()->levellingLabel->text().startsWith(QStringLiteral("Levelling: plane")));
        QVERIFY(Results()->levellingLabel->text().contains(QStringLiteral("residual rms")));
        auto* dock = qobject_cast<QDockWidget*>(Results()->parentWidget());
        QVERIFY(dock && dock->isVisible());

        // The picture is the levelled surface's: each kept pixel's level over the residual's
        // range, which the colour bar now spans.
        const image::ImageModel& m = h_->Image();
        QVERIFY(m.LevelledSpan);
        QCOMPARE(m.LevelledSpan->Low, f.Levelled()->ResidualMin);
        QCOMPARE(m.LevelledSpan->High, f.Levelled()->ResidualMax);
        for (const auto& [x, y] : {std::pair{0, 0}, {599, 349}, {210, 110}, {300, 10}}) {
            const double residual = Tilted(x, y) * 0.001 - f.Levelled()->Form.At(x, y);
            QCOMPARE(int(m.Levels()[y * m.ImageWidth + x]),
                     int(image::LevelOfValue(residual, m.LevelledSpan->Low, m.LevelledSpan->High)));
        }
        QCOMPARE(int(m.Levels()[110 * m.ImageWidth + 210]), 255); // the bump is the highest

        SendMouse(h_->Ui().imageBox, QEvent::MouseMove, {201, 101}, Qt::NoButton, Qt::NoButton);
        WaitForExactWork(f);
        QVERIFY(f.LevelledReadout());
        // The docked panel took some of the window's height: the pixel under the pointer is
        // wherever the view now puts it.
        const image::FilePixel p = f.ExactReadout().pixel;
        const auto [column, row] = std::pair{std::uint32_t(p.Column), std::uint32_t(p.Row)};
        const double expected = Tilted(column, row) * 0.001 - f.Levelled()->Form.At(column, row);
        QVERIFY(std::fabs(*f.LevelledReadout() - expected) < 1e-12);
        QVERIFY(f.StatusText().contains(
            QStringLiteral("(sample %1 of 65535)").arg(Tilted(column, row))));
        QVERIFY(f.StatusText().contains(QStringLiteral("levelled ")));

        // A profile across the bump is levelled: flat away from it, the stored samples kept.
        const QPoint a(101, 221), b(1001, 221); // file row 110
        SendMouse(h_->Ui().imageBox, QEvent::MouseButtonPress, a, Qt::RightButton, Qt::RightButton);
        SendMouse(h_->Ui().imageBox, QEvent::MouseMove, b, Qt::NoButton, Qt::RightButton);
        SendMouse(h_->Ui().imageBox, QEvent::MouseButtonRelease, b, Qt::RightButton, Qt::NoButton);
        WaitForExactWork(f);
        const auto& profile = h_->Ui().profilePanel->Shown();
        QVERIFY(profile);
        QCOMPARE(profile->Levelling, QStringLiteral("plane"));
        const view2d::ProfilePoint& first = profile->Points.front();
        QCOMPARE(first.Sample.value,
                 double(Tilted(std::uint32_t(first.Column), std::uint32_t(first.Row))));
        QVERIFY(std::fabs(*first.Value) < 0.01);
        // The chart's ticks are round: a step of 1, 2, 2.5 or 5 times a power of ten, from a
        // multiple of it.
        for (QAbstractAxis* axis : h_->Ui().profilePanel->chartView->chart()->axes()) {
            auto* values = qobject_cast<QValueAxis*>(axis);
            QVERIFY(values && values->tickType() == QValueAxis::TicksDynamic);
            const double step = values->tickInterval();
            const double power = std::pow(10.0, std::floor(std::log10(step)));
            const double mantissa = step / power;
            QVERIFY2(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                         std::fabs(mantissa - 2.5) < 1e-9 || std::fabs(mantissa - 5) < 1e-9,
                     qPrintable(QString::number(step)));
            const double multiples = values->tickAnchor() / step;
            QVERIFY(std::fabs(multiples - std::round(multiples)) < 1e-6);
        }
        QCOMPARE(Results()->Rows().size(), std::size_t(1));
        QCOMPARE(Results()->Rows()[0].Kind, QStringLiteral("profile"));
        QCOMPARE(Results()->Rows()[0].Levelling, QStringLiteral("plane"));

        // Back to None: the file's own picture, and the profile measured again as stored.
        Command("levelNoneAction")->trigger();
        WaitForExactWork(f);
        QVERIFY(!f.Levelled());
        QVERIFY(!h_->Image().LevelledSpan);
        QVERIFY(std::equal(stored.begin(), stored.end(), h_->Image().Levels()));
        QVERIFY(h_->Ui().profilePanel->Shown()->Levelling.isEmpty());
        QVERIFY(f.StatusText().indexOf(QStringLiteral("levelled")) < 0);
    }

    // A Shift drag measures the rectangle between the file pixels under its ends; Esc takes the
    // rectangle away, the table keeps its row; Export CSV writes the table.
    void shiftDragMeasuresAnArea() {
        h_->Open(WriteTilted());
        ImageFrame& f = h_->Frame();
        ShiftDrag({401, 201}, {441, 241}); // file pixels (200, 100) to (220, 120)
        WaitForExactWork(f);
        QVERIFY(f.Areal());
        const measure::PixelRect r = f.Areal()->Rect;
        QCOMPARE(r.Column1, std::int64_t(200));
        QCOMPARE(r.Row1, std::int64_t(100));
        QCOMPARE(r.Column2, std::int64_t(220));
        QCOMPARE(r.Row2, std::int64_t(120));
        QVERIFY(f.Areal()->Figures);
        QCOMPARE(f.Areal()->Figures->Valid, std::int64_t(21 * 21));
        QVERIFY(f.Areal()->AreaMm2 && std::fabs(*f.Areal()->AreaMm2 - 21 * 21 * 0.01) < 1e-12);
        QCOMPARE(Results()->Rows().size(), std::size_t(1));
        QVERIFY(Results()->arealLabel->text().contains(QStringLiteral("Sa ")));
        // The drag did not pan the view.
        QCOMPARE(f.View().Window.ViewOffsetX, 0);

        QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(!f.Areal());
        QCOMPARE(Results()->Rows().size(), std::size_t(1));

        const QString csvPath = h_->Path(QStringLiteral("results.csv"));
        ResultsPanel::SetSaveAnswer([csvPath](const QString&) { return csvPath; });
        Results()->exportButton->click();
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(csv.readAll()), measure::ResultsCsv(Results()->Rows()));

        Results()->table->selectRow(0);
        Results()->deleteButton->click();
        QVERIFY(Results()->Rows().empty());
    }

    // Three clicks give the plane through them; a click in between does not pan.
    void threeClicksLevelThroughTheirPixels() {
        h_->Open(WriteTilted());
        ImageFrame& f = h_->Frame();
        Command("levelThreePointsAction")->trigger();
        QVERIFY(f.PickingLevelPoints());
        Click({21, 21});
        Click({1001, 41});
        QVERIFY(f.PickingLevelPoints());
        Click({61, 601});
        WaitForExactWork(f);
        QVERIFY(!f.PickingLevelPoints());
        QCOMPARE(f.LevellingKind(), measure::FormKind::ThreePoints);
        QVERIFY(f.Levelled());
        const std::vector<double> c = f.Levelled()->Form.PixelCoefficients();
        QVERIFY(std::fabs(c[0] - 1.000) < 1e-9);
        QVERIFY(std::fabs(c[1] - 0.040) < 1e-9);
        QVERIFY(std::fabs(c[2] - 0.025) < 1e-9);
    }

    // Cancel ends the measurement running: no figures, no row; Esc ends the picking.
    void cancelAndEscapeLeaveNothingBehind() {
        h_->Open(WriteTilted());
        ImageFrame& f = h_->Frame();
        Command("arealAction")->trigger();
        QVERIFY(Results()->cancelButton->isVisibleTo(Results()));
        Results()->cancelButton->click();
        WaitForExactWork(f);
        QVERIFY(!f.Areal());
        QVERIFY(Results()->Rows().empty());

        Command("levelThreePointsAction")->trigger();
        Click({21, 21});
        QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(!f.PickingLevelPoints());
        QCOMPARE(f.LevellingKind(), measure::FormKind::None);
        QVERIFY(Command("levelNoneAction")->isChecked());
    }
};

QTEST_MAIN(FrameSurfaceTest)
#include "FrameSurfaceTest.moc"
