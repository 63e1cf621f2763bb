// The exact readout and the measuring line, driven as a user drives them:
// the status bar under the pointer, a right-button drag and its profile panel.
#include "app/ImageBox.h"
#include "app/ProfilePanel.h"
#include "image/NumberText.h"
#include "tests/support/FrameHarness.h"
#include "tests/support/TiffSurgery.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QtTest>
#include <tiffio.h>
#include <vector>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

namespace {

// Sample of file pixel (x, y): distinct everywhere, all 16 bits in use.
std::uint32_t Sample(std::uint32_t x, std::uint32_t y) {
    return (x * 131 + y * 977) & 0xFFFF;
}

} // namespace

class FrameMeasuringTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FrameHarness> h_;

    QString WriteRelief(const QString& name, bool deflate = false) {
        TiffLayout layout;
        layout.width = 600;
        layout.height = 350;         // a 1200 x 700 area shows it at twice its size
        layout.xResolution = 254.0f; // 0.1 mm pixels
        layout.minSampleValue = 1000;
        layout.maxSampleValue = 3000;
        layout.rowsPerStrip = 10;
        if (deflate)
            layout.compression = 8;
        return h_->Write(name, layout, Sample);
    }

    void Move(QPoint at, Qt::MouseButtons held = Qt::NoButton) {
        SendMouse(h_->Ui().imageBox, QEvent::MouseMove, at, Qt::NoButton, held);
    }

private slots:
    void init() { h_ = std::make_unique<FrameHarness>(); }
    void cleanup() {
        ProfilePanel::SetSaveAnswer({});
        h_.reset();
    }

    void statusBarReadsTheStoredSample() {
        h_->Open(WriteRelief("relief.tif"));
        ImageFrame& f = h_->Frame();
        QCOMPARE(f.StatusText(), QStringLiteral("600 x 350 pixels, 16 bit, 254.00 dpi (0.1000 mm "
                                                "per pixel), heights 1.0000 to 3.0000 mm"));
        QCOMPARE(h_->form->StatusBarText(), f.StatusText());
        // Box pixel (201, 101) at twice the file's size is file pixel (100, 50).
        Move({201, 101});
        WaitForExactWork(f);
        const std::uint32_t s = Sample(100, 50);
        const QString z = image::FormatFixed(1.0 + 2.0 * s / 65535, 15, 4);
        QCOMPARE(f.StatusText(),
                 QStringLiteral("column 100, row 50   x 10.0000 mm   y 5.0000 mm   z %1 mm  "
                                "(sample %2 of 65535)   zoom 200.0 %")
                     .arg(z)
                     .arg(s));
        // The X, Y and Z labels are as before: the level's height, to two decimals.
        QCOMPARE(h_->Ui().xLabel->text(), QStringLiteral("100 [10.00 mm]"));
        // Leaving the view puts the summary back.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(h_->Ui().imageBox, &leave);
        QVERIFY(f.StatusText().startsWith("600 x 350 pixels"));
    }

    // A file cut short on disk while it is shown gives "no value" where its
    // strips are gone, never a crash (the reader does not map the file).
    void fileTruncatedWhileShownGivesNoValue() {
        const QString path = WriteRelief("cut.tif");
        h_->Open(path);
        ImageFrame& f = h_->Frame();
        Move({10, 10});
        WaitForExactWork(f);
        QVERIFY(f.StatusText().contains("sample"));
        QFile file(path);
        QVERIFY(file.resize(file.size() / 3));
        Move({1000, 650}); // near the last rows: a strip not decoded yet
        WaitForExactWork(f);
        QVERIFY2(f.StatusText().contains("z no value"), qPrintable(f.StatusText()));
        QVERIFY(f.ExactReadout().sample.state == view2d::ExactSample::State::NoValue);
    }

    void rightDragMeasuresAProfile() {
        h_->Open(WriteRelief("relief.tif", true));
        ImageFrame& f = h_->Frame();
        QWidget* box = h_->Ui().imageBox;
        SendMouse(box, QEvent::MouseButtonPress, {21, 41}, Qt::RightButton, Qt::RightButton);
        Move({621, 201}, Qt::RightButton);
        // Released away from the last move: the release point ends the line.
        SendMouse(box, QEvent::MouseButtonRelease, {821, 241}, Qt::RightButton, Qt::NoButton);
        WaitForExactWork(f);
        // The ends are the pixels the X and Y labels show: (10, 20) to (410, 120).
        const view2d::ProfileLine& line = f.Measuring().line;
        QCOMPARE(QList<qint64>({line.Column1, line.Row1, line.Column2, line.Row2}),
                 QList<qint64>({10, 20, 410, 120}));
        ProfilePanel* panel = h_->Ui().profilePanel;
        QVERIFY(panel->isVisible());
        QVERIFY(panel->Shown());
        const view2d::Profile& profile = *panel->Shown();
        QCOMPARE(qint64(profile.Points.size()), qint64(401));
        QCOMPARE(profile.Points[200].Column, qint64(210));
        QCOMPARE(profile.Points[200].Row, qint64(70));
        QCOMPARE(*profile.Points[200].Sample, Sample(210, 70));
        QVERIFY(std::abs(*profile.LengthMm - std::hypot(400.0, 100.0) * 0.1) < 1e-9);
        // Docked along the bottom of the window, below the frame: it covers none of the image.
        const auto* dock = qobject_cast<QDockWidget*>(panel->parentWidget());
        QVERIFY(dock && dock->isVisible());
        QCOMPARE(h_->form->dockWidgetArea(const_cast<QDockWidget*>(dock)),
                 Qt::BottomDockWidgetArea);
        QVERIFY(dock->geometry().top() > f.geometry().bottom());
        h_->SetClientSize(QSize(1200, 797)); // the frame as it was, for the box pixels below
        // The line is drawn on the picture: yellow somewhere along it.
        QTest::qWait(50);
        const QImage painted = PaintedPixels(box);
        QCOMPARE(painted.pixel(421, 141) | 0xFF000000, qRgb(255, 220, 0));

        // Export and Ctrl+C give the CSV text of the profile.
        const QString csvPath = h_->Path("profile.csv");
        ProfilePanel::SetSaveAnswer([&](const QString&) { return std::optional(csvPath); });
        panel->exportButton->click();
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QString expected = view2d::ProfileCsv(profile);
        QCOMPARE(QString::fromUtf8(csv.readAll()), expected);
        QTest::keyClick(panel, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), expected);

        // Escape removes the line; the zoom keeps the line in file pixels meanwhile.
        SendWheel(&f, 120);
        QVERIFY(f.Measuring().shown);
        QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(!f.Measuring().shown);
    }

    void aLineEndMovesAndTheProfileAveragesAcrossItsWidth() {
        h_->Open(WriteRelief("relief.tif"));
        ImageFrame& f = h_->Frame();
        QWidget* box = h_->Ui().imageBox;
        SendMouse(box, QEvent::MouseButtonPress, {21, 41}, Qt::RightButton, Qt::RightButton);
        SendMouse(box, QEvent::MouseButtonRelease, {821, 241}, Qt::RightButton, Qt::NoButton);
        WaitForExactWork(f);
        h_->SetClientSize(QSize(1200, 797)); // the profile's dock took the frame's height
        // A left drag begun a few pixels from the second end takes it to the release's pixel,
        // and the profile follows once the drag ends; the view does not pan.
        const view2d::ViewWindow before = f.View().Window;
        SendMouse(box, QEvent::MouseButtonPress, {825, 238}, Qt::LeftButton, Qt::LeftButton);
        Move({700, 500}, Qt::LeftButton);
        QCOMPARE(f.Measuring().line.Column2, qint64(350)); // drawn following the pointer
        SendMouse(box, QEvent::MouseButtonRelease, {1001, 601}, Qt::LeftButton, Qt::NoButton);
        WaitForExactWork(f);
        const view2d::ProfileLine& line = f.Measuring().line;
        QCOMPARE(QList<qint64>({line.Column1, line.Row1, line.Column2, line.Row2}),
                 QList<qint64>({10, 20, 500, 300}));
        QCOMPARE(f.View().Window.ViewOffsetX, before.ViewOffsetX);
        const view2d::Profile* profile = &*h_->Ui().profilePanel->Shown();
        QCOMPARE(qint64(profile->Points.size()), qint64(491));
        QCOMPARE(profile->Points.back().Column, qint64(500));
        // A press away from the ends pans as before.
        SendMouse(box, QEvent::MouseButtonPress, {400, 400}, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(f.View().Drag.Panning);
        SendMouse(box, QEvent::MouseButtonRelease, {400, 400}, Qt::LeftButton, Qt::NoButton);

        // A hover on the chart names the point and rings it on the line in 2D.
        ProfilePanel* panel = h_->Ui().profilePanel;
        QChart* chart = panel->chartView->chart();
        const QPointF middle =
            chart->mapToPosition(QPointF(view2d::ChartDistance(*profile, profile->Points[245]), 0),
                                 chart->series().first());
        const QPoint at = panel->chartView->mapFromScene(
            chart->mapToScene(QPointF(middle.x(), chart->plotArea().center().y())));
        SendMouse(panel->chartView->viewport(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        QVERIFY(panel->Hovered());
        QVERIFY(std::llabs(qint64(*panel->Hovered()) - 245) <= 1);
        const view2d::ProfilePoint& hovered = profile->Points[*panel->Hovered()];
        QVERIFY(panel->hoverLabel->text().contains(
            QStringLiteral("(column %1, row %2)").arg(hovered.Column).arg(hovered.Row)));
        QTest::qWait(50);
        const QImage ringed = PaintedPixels(box);
        // The ring's red, six box pixels left of the point (twice the file's size).
        QCOMPARE(ringed.pixel(int(2 * hovered.Column) - 6 + 1, int(2 * hovered.Row) + 1) |
                     0xFF000000,
                 qRgb(230, 30, 30));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(panel->chartView->viewport(), &leave);
        QVERIFY(!panel->Hovered());

        // Three pixels wide: every point the mean height of the three across it.
        f.SetProfileWidth(3);
        WaitForExactWork(f);
        profile = &*h_->Ui().profilePanel->Shown();
        QCOMPARE(profile->Width, 3);
        const view2d::ProfilePoint& p = profile->Points[100];
        double sum = 0;
        for (const image::FilePixel& at : view2d::AcrossPixels(line, {p.Column, p.Row}, 3))
            sum += 1.0 + 2.0 * Sample(std::uint32_t(at.Column), std::uint32_t(at.Row)) / 65535;
        QVERIFY(std::abs(*p.HeightMm - sum / 3) < 1e-12);
        QVERIFY(h_->Ui().profilePanel->figuresLabel->text().contains(QStringLiteral("width 3 px")));
    }

    void rightClickOrAnotherOpenRemovesTheLine() {
        const QString path = WriteRelief("relief.tif");
        h_->Open(path);
        ImageFrame& f = h_->Frame();
        QWidget* box = h_->Ui().imageBox;
        auto drag = [&] {
            SendMouse(box, QEvent::MouseButtonPress, {100, 100}, Qt::RightButton, Qt::RightButton);
            Move({300, 200}, Qt::RightButton);
            SendMouse(box, QEvent::MouseButtonRelease, {300, 200}, Qt::RightButton, Qt::NoButton);
            WaitForExactWork(f);
        };
        drag();
        QVERIFY(f.Measuring().shown);
        SendMouse(box, QEvent::MouseButtonPress, {50, 50}, Qt::RightButton, Qt::RightButton);
        SendMouse(box, QEvent::MouseButtonRelease, {50, 50}, Qt::RightButton, Qt::NoButton);
        QVERIFY(!f.Measuring().shown);
        drag();
        QVERIFY(f.Measuring().shown);
        h_->Open(path);
        QVERIFY(!f.Measuring().shown);
        QVERIFY(!f.ExactReadout().overImage);
    }

    // The status bar follows a zoom, a pan or a key at once: it reads as a pointer move to the
    // same place on the screen would, without waiting for the pointer to move.
    void statusBarFollowsTheViewUnderAStillPointer_data() {
        QTest::addColumn<QString>("action");
        for (const char* action :
             {"wheel in", "wheel out", "key +", "key -", "key Right", "key Home"})
            QTest::newRow(action) << QString::fromLatin1(action);
    }
    void statusBarFollowsTheViewUnderAStillPointer() {
        QFETCH(QString, action);
        h_->Open(WriteRelief("relief.tif"));
        ImageFrame& f = h_->Frame();
        ImageBox* box = h_->Ui().imageBox;
        SendWheel(&f, 120); // zoomed in, so that every action changes what is under the pointer
        QCoreApplication::processEvents();
        const QPoint onScreen = box->pos() + QPoint(box->width() / 3, box->height() / 3);
        Move(onScreen - box->pos());
        WaitForExactWork(f);
        const QString before = f.StatusText();
        if (action == "wheel in" || action == "wheel out") {
            SendWheel(&f, action == "wheel in" ? 120 : -120);
        } else {
            // A key with a command runs the command, as its shortcut does; the arrows go to
            // the frame.
            const QKeySequence key(action.mid(4));
            bool command = false;
            for (QAction* a : f.actions())
                if (a->shortcuts().contains(key)) {
                    a->trigger();
                    command = true;
                }
            if (!command)
                QTest::keyClick(&f, key[0].key(), key[0].keyboardModifiers());
        }
        QCoreApplication::processEvents();
        WaitForExactWork(f);
        const QString after = f.StatusText();
        QVERIFY2(after != before, qPrintable(after));
        Move(onScreen - box->pos());
        WaitForExactWork(f);
        QCOMPARE(after, f.StatusText());
    }

    // A line longer than a profile can hold says so in the panel instead of measuring.
    void lineTooLongForAProfileSaysWhy() {
        // 4300000 x 140 pixels in strips of one row that all hold the same few compressed
        // bytes: thinned 1:132 on screen, its kept columns span more points than a profile
        // holds.
        const QString path = h_->Path("wide.tif");
        {
            TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
            QVERIFY(tif);
            const std::uint32_t width = 4300000;
            TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 140);
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
            TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1);
            std::vector<std::uint8_t> row(width, 100);
            QVERIFY(TIFFWriteEncodedStrip(tif, 0, row.data(), tmsize_t(row.size())) > 0);
            TIFFClose(tif);
        }
        // Every further strip points at the first one's bytes.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        const std::uint32_t offset = *surgery::TagValue(bytes, TIFFTAG_STRIPOFFSETS, 0);
        const std::uint32_t count = *surgery::TagValue(bytes, TIFFTAG_STRIPBYTECOUNTS, 0);
        QVERIFY(surgery::SetTagValues(bytes, TIFFTAG_STRIPOFFSETS, offset));
        QVERIFY(surgery::SetTagValues(bytes, TIFFTAG_STRIPBYTECOUNTS, count));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        h_->Open(path);
        QVERIFY2(h_->messages.isEmpty(), qPrintable(h_->messages.join('|')));
        ImageFrame& f = h_->Frame();
        QCOMPARE(f.Image().ColumnStep, 132);
        ImageBox* box = h_->Ui().imageBox;
        const int y = box->height() / 2;
        SendMouse(box, QEvent::MouseButtonPress, {0, y}, Qt::RightButton, Qt::RightButton);
        Move({box->width() - 1, y}, Qt::RightButton);
        SendMouse(box, QEvent::MouseButtonRelease, {box->width() - 1, y}, Qt::RightButton,
                  Qt::NoButton);
        WaitForExactWork(f);
        const ProfilePanel* panel = h_->Ui().profilePanel;
        QVERIFY(panel->isVisible());
        QVERIFY(!panel->Shown());
        QVERIFY2(panel->figuresLabel->text().contains("a profile holds at most 4194304 points"),
                 qPrintable(panel->figuresLabel->text()));
    }
};

QTEST_MAIN(FrameMeasuringTest)
#include "FrameMeasuringTest.moc"
