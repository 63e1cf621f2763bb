// View > Colour Range as a user chooses it: the 2D picture's levels spread over the range from the
// exact samples, the colour bar and the histogram's marks following, Full putting the file's own
// levels back, and the choice kept for the next file and the levelled surface.
#include "tests/support/FrameHarness.h"

#include "app/ColourBar.h"
#include "app/ColourRangeDialog.h"
#include "app/HistogramChart.h"
#include "image/HeightRead.h"

#include <QAction>
#include <algorithm>
#include <cmath>
#include <set>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::measure::ColourRangeKind;
using orvane::tools::TiffLayout;

namespace {

// A narrow band of 16-bit values, 30000 to 30999, over heights 1 to 3 mm.
std::uint32_t Band(std::uint32_t x, std::uint32_t y) {
    return 30000 + (x * 7 + y * 13 + x * y) % 1000;
}

} // namespace

class FrameColourRangeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FrameHarness> h_;
    ImageFrame& Frame() { return h_->Frame(); }

    QString WriteBand(const QString& name, std::uint32_t offset = 0) {
        TiffLayout layout;
        layout.width = 160;
        layout.height = 120;
        layout.minSampleValue = 1000;
        layout.maxSampleValue = 3000;
        return h_->Write(name, layout, [offset](std::uint32_t x, std::uint32_t y) {
            return Band(x, y) + offset;
        });
    }
    void Choose(const char* command) {
        h_->form->Command(command)->trigger();
        WaitForExactWork(Frame());
    }
    // The picture's level of every kept pixel against the rule, over `low`..`high` in mm.
    void ExpectLevelsOver(double low, double high) {
        const image::ImageModel& m = Frame().Image();
        const image::HeightBasis basis = image::HeightBasisOf(m);
        const std::vector<double>& heightOf = *basis.Conversion.table;
        std::set<int> used;
        for (std::int64_t y = 0; y < m.ImageHeight; ++y)
            for (std::int64_t x = 0; x < m.ImageWidth; ++x) {
                const double h = heightOf[Band(std::uint32_t(x), std::uint32_t(y))];
                const int expected =
                    int(std::clamp(std::floor(256 * (h - low) / (high - low)), 0.0, 255.0));
                const int level = m.PictureLevels()[y * m.ImageWidth + x];
                QCOMPARE(level, expected);
                used.insert(level);
            }
        QVERIFY(used.size() > 200);
        // The picture on screen paints them: the middle of each pixel of one row.
        const QImage& bitmap = *Frame().Bitmap();
        const double across = double(bitmap.width()) / double(m.ImageWidth);
        const double down = double(bitmap.height()) / double(m.ImageHeight);
        const std::int64_t row = m.ImageHeight / 2;
        for (std::int64_t x = 0; x < m.ImageWidth; ++x)
            QCOMPARE(
                bitmap.pixelIndex(int((double(x) + 0.5) * across), int((double(row) + 0.5) * down)),
                int(m.PictureLevels()[row * m.ImageWidth + x]));
    }

private slots:
    void init() { h_ = std::make_unique<FrameHarness>(); }
    void cleanup() {
        ColourRangeDialog::SetAnswer({});
        h_.reset();
    }

    void aNarrowBandSpreadsOverEveryLevel() {
        h_->Open(WriteBand("band.tif"));
        const image::ImageModel& m = Frame().Image();
        QCOMPARE(Frame().ColourRangeShown()->kind, ColourRangeKind::Full);
        QVERIFY(h_->form->Command("colourRangeFullAction")->isChecked());
        // Full: the open's levels, a narrow band of them.
        QCOMPARE(m.PictureLevels(), m.Levels());
        const image::HeightBasis basis = image::HeightBasisOf(m);
        const std::vector<double>& heightOf = *basis.Conversion.table;
        const double least = heightOf[30000], greatest = heightOf[30999];

        Choose("colourRangeDataAction");
        auto shown = Frame().ColourRangeShown();
        QCOMPARE(shown->kind, ColourRangeKind::Data);
        QCOMPARE(shown->low, least);
        QCOMPARE(shown->high, greatest);
        QVERIFY(m.PictureLevels() != m.Levels());
        ExpectLevelsOver(least, greatest);
        // The colour bar spans the range; the histogram of the heights' levels marks its ends.
        QCOMPARE(Frame().Components().colourBar->Scale().Low, least);
        QCOMPARE(Frame().Components().colourBar->Scale().High, greatest);
        const QList<double> ends = Frame().Components().histogramChart->RangeEnds();
        QCOMPARE(ends.size(), 2);
        QVERIFY(std::abs(ends[0] - 255 * (least - 1) / 2) < 1e-9);
        QVERIFY(std::abs(ends[1] - 255 * (greatest - 1) / 2) < 1e-9);

        // Manual, typed in mm.
        ColourRangeDialog::SetAnswer([] {
            return measure::ColourRange{ColourRangeKind::Manual, 1.93, 1.94};
        });
        Choose("colourRangeManualAction");
        shown = Frame().ColourRangeShown();
        QCOMPARE(shown->kind, ColourRangeKind::Manual);
        QCOMPARE(shown->low, 1.93);
        ExpectLevelsOver(1.93, 1.94);
        // A cancelled dialog leaves the range in force.
        ColourRangeDialog::SetAnswer([] { return std::optional<measure::ColourRange>(); });
        Choose("colourRangeManualAction");
        QCOMPARE(Frame().ColourRangeShown()->kind, ColourRangeKind::Manual);
        QVERIFY(h_->form->Command("colourRangeManualAction")->isChecked());

        Choose("colourRangeFullAction");
        QCOMPARE(m.PictureLevels(), m.Levels());
        QVERIFY(Frame().Components().histogramChart->RangeEnds().isEmpty());
        QCOMPARE(Frame().Components().colourBar->Scale().Low, 1.0);
    }

    void theRangeIsKeptForTheNextFileAndFollowsTheLevelling() {
        h_->Open(WriteBand("first.tif"));
        Choose("colourRangeAutoAction");
        QCOMPARE(Frame().ColourRangeShown()->kind, ColourRangeKind::Auto);
        // The next file is measured for its own heights.
        h_->Open(WriteBand("second.tif", 20000));
        WaitForExactWork(Frame());
        const auto shown = Frame().ColourRangeShown();
        QCOMPARE(shown->kind, ColourRangeKind::Auto);
        const image::HeightBasis basis = image::HeightBasisOf(Frame().Image());
        const std::vector<double>& heightOf = *basis.Conversion.table;
        QVERIFY(shown->low >= heightOf[50000] && shown->high <= heightOf[50999]);
        QVERIFY(shown->high > shown->low);
        // Levelled, Data is the residual's own range.
        Choose("colourRangeDataAction");
        Frame().SetLevelling(measure::FormKind::Plane);
        WaitForExactWork(Frame());
        QVERIFY(Frame().Levelled());
        const auto levelled = Frame().ColourRangeShown();
        QCOMPARE(levelled->kind, ColourRangeKind::Data);
        QCOMPARE(levelled->low, Frame().Levelled()->ResidualMin);
        QCOMPARE(levelled->high, Frame().Levelled()->ResidualMax);
        // Auto measured before the levelling is not the levelled heights' Auto: measured anew,
        // inside the residual's range; and kept for the next change on the same heights.
        Choose("colourRangeAutoAction");
        const auto levelledAuto = Frame().ColourRangeShown();
        QCOMPARE(levelledAuto->kind, ColourRangeKind::Auto);
        QVERIFY(levelledAuto->low != shown->low);
        QVERIFY(levelledAuto->low >= levelled->low && levelledAuto->high <= levelled->high);
        Choose("colourRangeFullAction");
        Choose("colourRangeAutoAction");
        QCOMPARE(Frame().ColourRangeShown()->low, levelledAuto->low);
        QCOMPARE(Frame().ColourRangeShown()->high, levelledAuto->high);
    }
};

QTEST_MAIN(FrameColourRangeTest)
#include "FrameColourRangeTest.moc"
