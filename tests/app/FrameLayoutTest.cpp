// The frame's fixed positions hold with the fonts the set-up installs: no
// caption or value reaches the control that follows it on its line.
#include "tests/support/FrameHarness.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;

class FrameLayoutTest : public QObject {
    Q_OBJECT

    // Right edge of the label's text, in its parent's coordinates.
    static int TextRight(const QLabel* label) {
        return label->x() + QFontMetrics(label->font()).horizontalAdvance(label->text());
    }

private slots:
    void textsEndBeforeTheNextControl() {
        FrameHarness h;
        const FrameComponents& c = h.Ui();
        // The longest texts the labels get: a 30000 x 20000 scan at 1000 dpi,
        // readouts in the millions of pixels.
        const QList<std::pair<QLabel*, QString>> longest = {
            {c.resolutionLabel, QStringLiteral("25400.00 dpi  -  16 bit")},
            {c.sizeLabel, QStringLiteral("30000x20000 pixels [762.0x508.0 mm]")},
            {c.xLabel, QStringLiteral("29999 [761.97 mm]")},
            {c.zLabel, QStringLiteral("65.53 mm (0.00\u00F765.53)")},
        };
        for (const auto& [label, text] : longest) {
            label->setText(text);
            label->adjustSize();
        }
        struct Pair {
            const char* name;
            QLabel* label;
            int nextLeft; // the left edge of what follows on the line
        };
        const Pair pairs[] = {
            {"File:", c.fileCaption, c.fileLabel->x()},
            {"Resolution:", c.resolutionCaption, c.resolutionLabel->x()},
            {"Size:", c.sizeCaption, c.sizeLabel->x()},
            {"X:", c.xCaption, c.xLabel->x()},
            {"Y:", c.yCaption, c.yLabel->x()},
            {"Z:", c.zCaption, c.zLabel->x()},
            {"resolution value", c.resolutionLabel, c.yCaption->x()},
            {"size value", c.sizeLabel, c.zCaption->x()},
            {"X value", c.xLabel, c.bigTiffLabel->x()},
            {"Z value", c.zLabel, c.infoGroup->width()},
            {"Resolution (3D)", c.resolutionBarCaption, c.resolutionBar->x()},
            {"Z depth", c.zDepthBarCaption, c.zDepthBar->x()},
        };
        for (const Pair& p : pairs)
            QVERIFY2(TextRight(p.label) < p.nextLeft,
                     qPrintable(QStringLiteral("%1 ends at %2, the next control starts at %3")
                                    .arg(QLatin1String(p.name))
                                    .arg(TextRight(p.label))
                                    .arg(p.nextLeft)));
        // The longest progress text the read shows (it never reports 100) fits
        // its fixed-size label.
        QLabel* progress = c.progressLabel;
        progress->setText(QStringLiteral("Processing 99%"));
        QVERIFY(QFontMetrics(progress->font()).horizontalAdvance(progress->text()) <=
                progress->width());
    }
};

QTEST_MAIN(FrameLayoutTest)
#include "FrameLayoutTest.moc"
