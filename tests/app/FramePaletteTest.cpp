// View > Palette and View > Colour Bar: the 2D picture's colour table, the relief coloured by
// height, the choice remembered, and the colour bar's scale.
#include "tests/support/FrameHarness.h"

#include "app/ColourBar.h"
#include "app/ImageBox.h"
#include "app/Settings.h"
#include "panels/ColourBarScale.h"
#include "panels/PanelPlacement.h"
#include "view3d/HeightSource.h"
#include "view3d/gl/SceneViewer.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::panels::Palette;
using orvane::tools::TiffLayout;

namespace {

QRgb TableColour(Palette palette, int level) {
    return panels::PaletteTable(palette)[std::size_t(level)];
}

} // namespace

class FramePaletteTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FrameHarness> h_;

    ImageFrame& Frame() { return h_->Frame(); }
    MainWindow& Form() { return *h_->form; }

    void Choose(Palette palette) {
        for (std::size_t i = 0; i < panels::kAllPalettes.size(); ++i)
            if (panels::kAllPalettes[i] == palette)
                Form().PaletteCommand(panels::kAllPalettes[i])->trigger();
    }
    QString Flat(const QString& name, std::uint32_t level) {
        TiffLayout layout;
        layout.width = 64;
        layout.height = 64;
        layout.bitsPerSample = 8;
        return h_->Write(name, layout, level);
    }
    QRgb ReliefCentre() {
        const QImage frame = Frame().Components().sceneViewer->grabFramebuffer();
        return frame.pixel(frame.width() / 2, frame.height() / 2);
    }

private slots:
    void init() { h_ = std::make_unique<FrameHarness>(QSize(400, 297)); }
    void cleanup() { h_.reset(); }

    void levelsShowInThePalettesColours() {
        TiffLayout layout;
        layout.width = 4;
        layout.height = 1;
        layout.bitsPerSample = 8;
        const int levels[4] = {0, 128, 255, 128};
        h_->Open(h_->Write("levels.tif", layout, [&](auto x, auto) { return levels[x]; }));
        QCOMPARE(Frame().Components().imageBox->width(), 400);
        for (Palette palette : panels::kAllPalettes) {
            Choose(palette);
            QVERIFY(Frame().Palette() == palette);
            QCOMPARE(Frame().Bitmap()->colorTable(), panels::PaletteColourTable(palette));
            const QImage shown = Frame().Components().imageBox->grab().toImage();
            for (int x = 0; x < 4; ++x)
                QCOMPARE(shown.pixel(x * 100 + 50, shown.height() / 2),
                         TableColour(palette, levels[x]));
        }
        // Grey is still the ramp.
        Choose(Palette::Grey);
        const QVector<QRgb> grey = Frame().Bitmap()->colorTable();
        for (int v = 0; v < 256; ++v)
            QCOMPARE(grey[v], qRgb(v, v, v));
    }

    void theChoiceIsRememberedAcrossFilesAndStarts() {
        QVERIFY(Frame().Palette() == Palette::Grey);
        QVERIFY(Form().PaletteCommand(panels::kAllPalettes[0])->isChecked());
        h_->Open(Flat("one.tif", 10));
        Choose(Palette::Cividis);
        QVERIFY(Form().PaletteCommand(panels::kAllPalettes[2])->isChecked());
        QVERIFY(!Form().PaletteCommand(panels::kAllPalettes[0])->isChecked());
        h_->Open(Flat("two.tif", 20));
        QVERIFY(Frame().Palette() == Palette::Cividis);
        QCOMPARE(Frame().Bitmap()->colorTable(), panels::PaletteColourTable(Palette::Cividis));

        MainWindow next; // the next start
        QVERIFY(next.Frame().Palette() == Palette::Cividis);
        QVERIFY(next.PaletteCommand(panels::kAllPalettes[2])->isChecked());
        QCOMPARE(ReadSetting("view/palette").toString(), QStringLiteral("cividis"));

        UseSettingsFile(QString()); // nothing remembered: grey
        MainWindow without;
        QVERIFY(without.Frame().Palette() == Palette::Grey);
        UseSettingsFile(h_->SettingsFile());
        WriteSetting("view/palette", "no such palette");
        QVERIFY(MainWindow().Frame().Palette() == Palette::Grey);
    }

    void theReliefIsColouredByHeightWithTheLightingKept() {
        h_->SetClientSize(QSize(800, 597));
        h_->Open(Flat("high.tif", 255));
        Frame().Components().view3dButton->click();
        view3d::SceneViewer* viewer = Frame().Components().sceneViewer;
        const QImage grey = viewer->grabFramebuffer();
        const QRgb greyCentre = ReliefCentre();
        QCOMPARE(qRed(greyCentre), qBlue(greyCentre));
        QCOMPARE(viewer->Renderer().HeightColoursTexture(), 0u);

        struct Case {
            QString File;
            int Level;
        };
        for (const Case& c : {Case{"high.tif", 255}, Case{"low.tif", 0}, Case{"mid.tif", 128}}) {
            h_->Open(Flat(c.File, std::uint32_t(c.Level)));
            Frame().Components().view3dButton->click();
            for (Palette palette : {Palette::Viridis, Palette::Terrain}) {
                Choose(palette);
                const view3d::HeightColours& colours =
                    Frame().Scene().heightField.material.heightColours;
                QVERIFY(colours.Plane() ==
                        view3d::LevelPlane(Frame().Image(), Frame().Scene().heightField));
                // Lit, the colour keeps the table's proportions between its channels.
                const QRgb shown = ReliefCentre();
                const QRgb table = TableColour(palette, c.Level);
                const double scale = double(qRed(shown) + qGreen(shown) + qBlue(shown)) /
                                     (qRed(table) + qGreen(table) + qBlue(table));
                QVERIFY(scale > 0.3);
                for (int shift : {16, 8, 0}) {
                    const int got = int(shown >> shift) & 0xFF;
                    const int want = int(table >> shift) & 0xFF;
                    QVERIFY2(std::abs(got - scale * want) < 6,
                             qPrintable(QStringLiteral("%1 level %2: shown %3, table %4")
                                            .arg(panels::PaletteName(palette))
                                            .arg(c.Level)
                                            .arg(shown, 0, 16)
                                            .arg(table, 0, 16)));
                }
            }
        }
        // A loaded picture wins over the colours.
        QImage red(40, 30, QImage::Format_RGB32);
        red.fill(qRgb(255, 0, 0));
        QVERIFY(red.save(h_->Path("red.png")));
        QVERIFY(Frame().LoadTextureFile(h_->Path("red.png")));
        const QRgb textured = ReliefCentre();
        QVERIFY2(qRed(textured) > 120 && qGreen(textured) < 40 && qBlue(textured) < 40,
                 qPrintable(QString::number(textured, 16)));
        Form().Command("removeTextureAction")->trigger();

        // Grey again: the relief as it always was, and no texture at all.
        h_->Open(Flat("high.tif", 255));
        Frame().Components().view3dButton->click();
        Choose(Palette::Grey);
        QCOMPARE(viewer->grabFramebuffer(), grey);
        QCOMPARE(viewer->Renderer().HeightColoursTexture(), 0u);
    }

    void theColourBarShowsTheHeightsOfTheFile() {
        h_->SetClientSize(QSize(1200, 797));
        struct Case {
            const char* Name;
            std::optional<std::uint16_t> MinSample, MaxSample; // micrometres
            QString Unit;
            QStringList Texts;
        };
        const Case cases[] = {
            {"1 to 3 mm", 1000, 3000, "mm", {"1.0", "1.5", "2.0", "2.5", "3.0"}},
            {"no height range",
             std::nullopt,
             std::nullopt,
             "level",
             {"0", "50", "100", "150", "200", "250"}},
            {"the whole 16-bit range", 0, 65535, "mm", {"0", "20", "40", "60"}},
            {"a fine range", 1, 65, "mm", {"0.01", "0.02", "0.03", "0.04", "0.05", "0.06"}},
        };
        QVERIFY(
            !Form().Command("colourBarAction")->isEnabled()); // nothing to scale before an image
        for (const Case& c : cases) {
            TiffLayout layout;
            layout.width = 64;
            layout.height = 64;
            layout.minSampleValue = c.MinSample;
            layout.maxSampleValue = c.MaxSample;
            h_->Open(h_->Write(QStringLiteral("%1.tif").arg(c.Name), layout));
            QVERIFY(Frame().Image().HasImage());
            if (!Form().Command("colourBarAction")->isChecked())
                Form().Command("colourBarAction")->trigger();
            const FrameComponents& ui = Frame().Components();
            QVERIFY(ui.colourBarPanel->isVisible());
            ColourBar* bar = ui.colourBar;
            QCOMPARE(bar->Scale().Unit, c.Unit);
            QStringList texts;
            for (const panels::ColourBarTick& tick : bar->Scale().Ticks)
                texts << tick.Text;
            QCOMPARE(texts, c.Texts);

            // Drawn: the palette from level 0 at the bottom to 255 at the top, a tick mark at
            // each value's place.
            Choose(Palette::Terrain);
            const QImage shown = bar->grab().toImage();
            const QRect colours = bar->BarRect();
            const int middle = colours.center().x();
            QCOMPARE(shown.pixel(middle, colours.bottom()), TableColour(Palette::Terrain, 0));
            QCOMPARE(shown.pixel(middle, colours.top()), TableColour(Palette::Terrain, 255));
            for (const panels::ColourBarTick& tick : bar->Scale().Ticks)
                QCOMPARE(shown.pixel(colours.right() + 3, bar->TickRow(tick.Fraction)),
                         qRgb(0, 0, 0));
            Choose(Palette::Grey);
        }
        // On the right edge, just below the histogram panel.
        const FrameComponents& ui = Frame().Components();
        QCOMPARE(ui.colourBarPanel->geometry().right(), Frame().width() - 1);
        QCOMPARE(ui.colourBarPanel->y(), ui.histogramPanel->geometry().bottom() + 1);

        // Dragged by its title like the histogram, and pushed back into the working area.
        QLabel* title = ui.colourBarTitle;
        const QPoint start = ui.colourBarPanel->pos();
        const QPoint grab(5, 5), move(-500, -250); // left, and up over the top strip
        SendMouse(title, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        SendMouse(title, QEvent::MouseMove, grab + move, Qt::NoButton, Qt::LeftButton);
        // The title has followed the pointer: the release comes at the same point of it.
        SendMouse(title, QEvent::MouseButtonRelease, grab, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(ui.colourBarPanel->pos(),
                 panels::PushBackIntoArea(start + move, ui.colourBarPanel->size(), Frame().size(),
                                          ui.topPanel->height()));
        QCOMPARE(ui.colourBarPanel->y(), ui.topPanel->height());
        QVERIFY(ui.colourBarPanel->x() < 700);

        Form().Command("colourBarAction")->trigger();
        QVERIFY(!ui.colourBarPanel->isVisible());
    }
};

QTEST_MAIN(FramePaletteTest)
#include "FramePaletteTest.moc"
