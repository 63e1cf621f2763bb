#include "app/Messages.h"
#include "tests/support/FrameHarness.h"
#include "view3d/gl/SceneViewer.h"

#include <QAction>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

using namespace orvane::view3d;
Q_DECLARE_METATYPE(Vector4f)

// Drives "Load Texture" and "Remove Texture" through the main window's menu, with the file
// dialog answered and message boxes recorded.
class TextureTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FrameHarness> h_;

    ImageFrame& Frame() { return h_->Frame(); }
    Texture& ReliefTexture() { return Frame().Scene().heightField.material.texture; }
    QString Path(const QString& name) const { return h_->Path(name); }

    QString WriteTiff(const QString& name, std::uint32_t w, std::uint32_t h) {
        TiffLayout layout;
        layout.width = w;
        layout.height = h;
        layout.bitsPerSample = 8;
        return h_->Write(name, layout, 128u);
    }

    QString WritePicture(const QString& name, QRgb colour) {
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(colour);
        if (!img.save(Path(name)))
            qFatal("cannot write picture");
        return Path(name);
    }

    void Open(const QString& path) {
        h_->Open(path);
        QVERIFY(Frame().Image().HasImage());
        h_->messages.clear();
        h_->messageKinds.clear();
    }

    void LoadTexture(const std::optional<QString>& answer) {
        h_->answer = answer.value_or(QString());
        h_->askedFilter.clear();
        h_->askedStart.clear();
        h_->form->Command("loadTextureAction")->trigger();
        h_->answer.clear();
    }

    // Everything a texture load sets or a failed load must keep.
    struct StateCase {
        bool Disabled;
        float Brightness;
        TextureMode Mode;
        Vector4f S, T;
        QImage Image;
        bool RemoveEnabled;
    };
    StateCase State() {
        const Texture& t = ReliefTexture();
        return {t.Disabled(),
                t.ImageBrightness(),
                t.Mode(),
                t.MappingSCoordinates(),
                t.MappingTCoordinates(),
                t.Image(),
                h_->form->Command("removeTextureAction")->isEnabled()};
    }
    static void Same(const StateCase& a, const StateCase& b) {
        QCOMPARE(a.Disabled, b.Disabled);
        QCOMPARE(a.Brightness, b.Brightness);
        QVERIFY(a.Mode == b.Mode);
        QVERIFY(a.S == b.S);
        QVERIFY(a.T == b.T);
        QCOMPARE(a.Image, b.Image);
        QCOMPARE(a.RemoveEnabled, b.RemoveEnabled);
    }

private slots:
    void init() { h_ = std::make_unique<FrameHarness>(QSize(1010, 640)); }
    void cleanup() {
        // A picture that cannot be loaded is an error, not a piece of information.
        for (MessageKind kind : h_->messageKinds)
            QVERIFY(kind == MessageKind::Error);
        h_.reset();
    }

    void loadStretchesThePictureOverTheRelief_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<Vector4f>("s");
        QTest::addColumn<Vector4f>("t");
        QTest::newRow("portrait 600 x 1000")
            << 600 << 1000 << Vector4f{1.6666666f, 0, 0, 0.5f} << Vector4f{0, 1, 0, 0.5f};
        QTest::newRow("square") << 64 << 64 << Vector4f{1, 0, 0, 0.5f} << Vector4f{0, 1, 0, 0.5f};
        QTest::newRow("landscape 1000 x 500")
            << 1000 << 500 << Vector4f{1, 0, 0, 0.5f} << Vector4f{0, 2, 0, 0.5f};
    }

    void loadStretchesThePictureOverTheRelief() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(Vector4f, s);
        QFETCH(Vector4f, t);
        const QString tiff = WriteTiff("relief.tif", std::uint32_t(width), std::uint32_t(height));
        Open(tiff);
        QVERIFY(!h_->form->Command("removeTextureAction")->isEnabled());
        const QString picture = WritePicture("picture.png", qRgb(255, 0, 0));
        LoadTexture(picture);

        QVERIFY2(h_->messages.isEmpty(), qPrintable(h_->messages.join('|')));
        // The dialog, titled after its command, offered pictures, started from
        // the TIFF, and is back to TIFFs only.
        QCOMPARE(h_->askedTitle, QStringLiteral("Load Texture"));
        QCOMPARE(h_->askedFilter, QStringLiteral("Tif File (*.tif *.tiff);;Pictures (*.png *.jpg "
                                                 "*.jpeg *.bmp)"));
        QCOMPARE(h_->askedStart, tiff);
        QCOMPARE(Frame().FileOpenDialog().Filter, QStringLiteral("Tif File (*.tif *.tiff)"));
        QCOMPARE(Frame().FileOpenDialog().FileName, tiff);
        QVERIFY(Frame().FileOpenDialog().Title.isEmpty());

        const Texture& tex = ReliefTexture();
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(tex.MappingSCoordinates()[i], s[i]);
            QCOMPARE(tex.MappingTCoordinates()[i], t[i]);
        }
        QVERIFY(!tex.Disabled());
        QCOMPARE(tex.ImageBrightness(), 1.5f);
        QVERIFY(tex.Mode() == TextureMode::Modulate);
        QCOMPARE(tex.Image().size(), QSize(40, 30));
        QCOMPARE(tex.ImageFileName(), picture);
        QVERIFY(h_->form->Command("removeTextureAction")->isEnabled());
    }

    void cancelledDialogChangesNothing() {
        const QString tiff = WriteTiff("relief.tif", 64, 64);
        Open(tiff);
        const StateCase before = State();
        LoadTexture(std::nullopt);
        Same(State(), before);
        QVERIFY(h_->messages.isEmpty());
        QCOMPARE(Frame().FileOpenDialog().FileName, tiff);
        QCOMPARE(Frame().FileOpenDialog().Filter, QStringLiteral("Tif File (*.tif *.tiff)"));
    }

    void failedLoadKeepsTheTextureAsItWas() {
        const QString tiff = WriteTiff("relief.tif", 600, 1000);
        Open(tiff);
        QFile garbage(Path("garbage.png"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("not a picture");
        garbage.close();
        const QString missing = Path("missing.png");
        struct Case {
            QString File;
            QString Message; // empty: the decoder's own text after the file's name
        };
        const Case cases[] = {{missing, "Could not open file: " + missing},
                              {Path("garbage.png"), {}}};
        // Once with no texture shown, once with one.
        for (bool shown : {false, true}) {
            if (shown) {
                LoadTexture(WritePicture("shown.png", qRgb(0, 0, 255)));
                QVERIFY(!ReliefTexture().Disabled());
            }
            for (const Case& c : cases) {
                h_->messages.clear();
                Frame().FileOpenDialog().FileName = tiff;
                const StateCase before = State();
                LoadTexture(c.File);
                QCOMPARE(h_->messages.size(), 1);
                if (c.Message.isEmpty())
                    QVERIFY2(h_->messages[0].startsWith("Could not read texture \"garbage.png\": "),
                             qPrintable(h_->messages[0]));
                else
                    QCOMPARE(h_->messages[0], c.Message);
                Same(State(), before);
                QCOMPARE(ReliefTexture().Disabled(), !shown);
                // The name is not put back: the dialog shows the picture that failed.
                QCOMPARE(Frame().FileOpenDialog().FileName, c.File);
                QCOMPARE(Frame().FileOpenDialog().Filter,
                         QStringLiteral("Tif File (*.tif *.tiff)"));
            }
        }
    }

    void removeResetsTheTextureButKeepsPlanesAndLights() {
        Open(WriteTiff("relief.tif", 600, 1000));
        LoadTexture(WritePicture("picture.png", qRgb(255, 0, 0)));
        Frame().Components().zDepthBar->setValue(100); // lights five times brighter while textured
        QCOMPARE(Frame().Scene().obliqueLight.ConstAttenuation(), 0.2f);
        const Vector4f s = ReliefTexture().MappingSCoordinates();
        const Vector4f t = ReliefTexture().MappingTCoordinates();

        h_->form->Command("removeTextureAction")->setEnabled(true);
        h_->form->Command("removeTextureAction")->trigger();
        QVERIFY(ReliefTexture().Disabled());
        QCOMPARE(ReliefTexture().ImageBrightness(), 1.0f);
        QVERIFY(ReliefTexture().Mode() == TextureMode::Replace);
        QVERIFY(ReliefTexture().Image().isNull());
        QVERIFY(!h_->form->Command("removeTextureAction")->isEnabled());
        QVERIFY(ReliefTexture().MappingSCoordinates() == s);
        QVERIFY(ReliefTexture().MappingTCoordinates() == t);
        QCOMPARE(Frame().Scene().obliqueLight.ConstAttenuation(), 0.2f);
        QCOMPARE(Frame().Scene().overheadLight.ConstAttenuation(), 0.2f);
    }

    void openingAnotherImageRemovesTheTexture() {
        Open(WriteTiff("relief.tif", 64, 64));
        LoadTexture(WritePicture("picture.png", qRgb(255, 0, 0)));
        QVERIFY(!ReliefTexture().Disabled());
        Open(WriteTiff("next.tif", 64, 64));
        QVERIFY(ReliefTexture().Disabled());
        QVERIFY(ReliefTexture().Image().isNull());
        QVERIFY(!h_->form->Command("removeTextureAction")->isEnabled());
    }

    void texturedReliefShowsThePicture() {
        Open(WriteTiff("relief.tif", 600, 1000));
        Frame().Components().view3dButton->click();
        QVERIFY(Frame().Components().sceneViewer->isVisible());
        auto centre = [this] {
            QImage img = Frame().Components().sceneViewer->grabFramebuffer();
            return img.pixel(img.width() / 2, img.height() / 2);
        };
        const QRgb bare = centre();
        QVERIFY(qAbs(qRed(bare) - qBlue(bare)) < 8);
        LoadTexture(WritePicture("picture.png", qRgb(255, 0, 0)));
        const QRgb red = centre();
        QVERIFY2(qRed(red) > 120 && qGreen(red) < 40 && qBlue(red) < 40,
                 qPrintable(QString::number(red, 16)));
        QCOMPARE(Frame().Components().sceneViewer->Renderer().UploadedTexture().UploadCount(), 1);
    }
};

QTEST_MAIN(TextureTest)
#include "FrameTextureTest.moc"
