#include "app/ImageFrame.h"
#include "app/MainForm.h"
#include "app/Messages.h"
#include "tools/TiffWriter.h"
#include "view3d/SceneViewer.h"

#include <QAction>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace orvane::view3d;

Q_DECLARE_METATYPE(TVector4f)

// Drives "Load Texture" and "Remove Texture" through the main window's menu, with the file
// dialog answered and message boxes recorded.
class TextureTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<TForm1> form_;
    QStringList messages_;
    std::optional<QString> answer_;
    QString askedFilter_, askedStart_;

    TTarsunFrame& Frame() { return *form_->FrameTarsun; }
    TGLTexture& Texture() { return Frame().Scene1.HeightField1.Material.Texture; }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    QString WriteTiff(const QString& name, std::uint32_t w, std::uint32_t h) {
        TiffSpec spec;
        spec.width = w;
        spec.height = h;
        spec.bitsPerSample = 8;
        if (!::WriteTiff(Path(name), spec, [](auto, auto, int) { return 128u; }))
            qFatal("cannot write fixture");
        return Path(name);
    }

    QString WritePicture(const QString& name, QRgb colour) {
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(colour);
        if (!img.save(Path(name)))
            qFatal("cannot write picture");
        return Path(name);
    }

    void Open(const QString& path) {
        answer_ = path;
        form_->Open1->trigger();
        QVERIFY(Frame().SampleBuffer);
        messages_.clear();
    }

    void LoadTexture(const std::optional<QString>& answer) {
        answer_ = answer;
        askedFilter_.clear();
        askedStart_.clear();
        form_->LoadTexture1->trigger();
    }

    // Everything a texture load sets or a failed load must keep.
    struct TState {
        bool Disabled;
        float Brightness;
        TGLTextureMode Mode;
        TVector4f S, T;
        QImage Image;
        bool RemoveEnabled;
    };
    TState State() {
        const TGLTexture& t = Texture();
        return {t.Disabled(),
                t.ImageBrightness(),
                t.TextureMode(),
                t.MappingSCoordinates(),
                t.MappingTCoordinates(),
                t.Image(),
                form_->RemoveTexture1->isEnabled()};
    }
    static void Same(const TState& a, const TState& b) {
        QCOMPARE(a.Disabled, b.Disabled);
        QCOMPARE(a.Brightness, b.Brightness);
        QVERIFY(a.Mode == b.Mode);
        QVERIFY(a.S == b.S);
        QVERIFY(a.T == b.T);
        QCOMPARE(a.Image, b.Image);
        QCOMPARE(a.RemoveEnabled, b.RemoveEnabled);
    }

private slots:
    void init() {
        messages_.clear();
        SetMessageRecorder([this](MessageKind kind, const QString& text) {
            QVERIFY(kind == MessageKind::Plain);
            messages_ << text;
        });
        TOpenDialog::SetAnswer([this](const QString& filter, const QString& start) {
            askedFilter_ = filter;
            askedStart_ = start;
            return answer_;
        });
        form_ = std::make_unique<TForm1>();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    void cleanup() {
        form_.reset();
        SetMessageRecorder({});
        TOpenDialog::SetAnswer({});
    }

    void loadStretchesThePictureOverTheRelief_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<TVector4f>("s");
        QTest::addColumn<TVector4f>("t");
        QTest::newRow("portrait 600 x 1000")
            << 600 << 1000 << TVector4f{1.6666666f, 0, 0, 0.5f} << TVector4f{0, 1, 0, 0.5f};
        QTest::newRow("square") << 64 << 64 << TVector4f{1, 0, 0, 0.5f} << TVector4f{0, 1, 0, 0.5f};
        QTest::newRow("landscape 1000 x 500")
            << 1000 << 500 << TVector4f{1, 0, 0, 0.5f} << TVector4f{0, 2, 0, 0.5f};
    }

    void loadStretchesThePictureOverTheRelief() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(TVector4f, s);
        QFETCH(TVector4f, t);
        const QString tiff = WriteTiff("relief.tif", std::uint32_t(width), std::uint32_t(height));
        Open(tiff);
        QVERIFY(!form_->RemoveTexture1->isEnabled());
        const QString picture = WritePicture("picture.png", qRgb(255, 0, 0));
        LoadTexture(picture);

        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('|')));
        // The dialog offered pictures, started from the TIFF, and is back to TIFFs only.
        QCOMPARE(askedFilter_, QStringLiteral("Tif File (*.tif *.tiff);;Pictures (*.png *.jpg "
                                              "*.jpeg *.bmp)"));
        QCOMPARE(askedStart_, tiff);
        QCOMPARE(Frame().OpenDialog1.Filter, QStringLiteral("Tif File (*.tif *.tiff)"));
        QCOMPARE(Frame().OpenDialog1.FileName, tiff);

        const TGLTexture& tex = Texture();
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(tex.MappingSCoordinates()[i], s[i]);
            QCOMPARE(tex.MappingTCoordinates()[i], t[i]);
        }
        QVERIFY(!tex.Disabled());
        QCOMPARE(tex.ImageBrightness(), 1.5f);
        QVERIFY(tex.TextureMode() == TGLTextureMode::Modulate);
        QCOMPARE(tex.Image().size(), QSize(40, 30));
        QCOMPARE(tex.ImageFileName(), picture);
        QVERIFY(form_->RemoveTexture1->isEnabled());
    }

    void cancelledDialogChangesNothing() {
        const QString tiff = WriteTiff("relief.tif", 64, 64);
        Open(tiff);
        const TState before = State();
        LoadTexture(std::nullopt);
        Same(State(), before);
        QVERIFY(messages_.isEmpty());
        QCOMPARE(Frame().OpenDialog1.FileName, tiff);
        QCOMPARE(Frame().OpenDialog1.Filter, QStringLiteral("Tif File (*.tif *.tiff)"));
    }

    void failedLoadKeepsTheTextureAsItWas() {
        const QString tiff = WriteTiff("relief.tif", 600, 1000);
        Open(tiff);
        QFile garbage(Path("garbage.png"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("not a picture");
        garbage.close();
        const QString missing = Path("missing.png");
        struct TCase {
            QString File;
            QString Message; // empty: the decoder's own text
        };
        const TCase cases[] = {{missing, "Could not open file: " + missing},
                               {Path("garbage.png"), {}}};
        // Once with no texture shown, once with one.
        for (bool shown : {false, true}) {
            if (shown) {
                LoadTexture(WritePicture("shown.png", qRgb(0, 0, 255)));
                QVERIFY(!Texture().Disabled());
            }
            for (const TCase& c : cases) {
                messages_.clear();
                Frame().OpenDialog1.FileName = tiff;
                const TState before = State();
                LoadTexture(c.File);
                QCOMPARE(messages_.size(), 1);
                if (c.Message.isEmpty())
                    QVERIFY2(!messages_[0].isEmpty() && !messages_[0].startsWith("Could not"),
                             qPrintable(messages_[0]));
                else
                    QCOMPARE(messages_[0], c.Message);
                Same(State(), before);
                QCOMPARE(Texture().Disabled(), !shown);
                // The name is not put back: the dialog shows the picture that failed.
                QCOMPARE(Frame().OpenDialog1.FileName, c.File);
                QCOMPARE(Frame().OpenDialog1.Filter, QStringLiteral("Tif File (*.tif *.tiff)"));
            }
        }
    }

    void removeResetsTheTextureButKeepsPlanesAndLights() {
        Open(WriteTiff("relief.tif", 600, 1000));
        LoadTexture(WritePicture("picture.png", qRgb(255, 0, 0)));
        Frame().TrackBarZ->setValue(100); // lights five times brighter while textured
        QCOMPARE(Frame().Scene1.GLLightSource1.ConstAttenuation(), 0.2f);
        const TVector4f s = Texture().MappingSCoordinates();
        const TVector4f t = Texture().MappingTCoordinates();

        form_->RemoveTexture1->setEnabled(true);
        form_->RemoveTexture1->trigger();
        QVERIFY(Texture().Disabled());
        QCOMPARE(Texture().ImageBrightness(), 1.0f);
        QVERIFY(Texture().TextureMode() == TGLTextureMode::Replace);
        QVERIFY(Texture().Image().isNull());
        QVERIFY(!form_->RemoveTexture1->isEnabled());
        QVERIFY(Texture().MappingSCoordinates() == s);
        QVERIFY(Texture().MappingTCoordinates() == t);
        QCOMPARE(Frame().Scene1.GLLightSource1.ConstAttenuation(), 0.2f);
        QCOMPARE(Frame().Scene1.GLLightSource2.ConstAttenuation(), 0.2f);
    }

    void openingAnotherImageRemovesTheTexture() {
        Open(WriteTiff("relief.tif", 64, 64));
        LoadTexture(WritePicture("picture.png", qRgb(255, 0, 0)));
        QVERIFY(!Texture().Disabled());
        Open(WriteTiff("next.tif", 64, 64));
        QVERIFY(Texture().Disabled());
        QVERIFY(Texture().Image().isNull());
        QVERIFY(!form_->RemoveTexture1->isEnabled());
    }

    void texturedReliefShowsThePicture() {
        Open(WriteTiff("relief.tif", 600, 1000));
        Frame().SB3D->click();
        QVERIFY(Frame().SceneViewer1->isVisible());
        auto centre = [this] {
            QImage img = Frame().SceneViewer1->grabFramebuffer();
            return img.pixel(img.width() / 2, img.height() / 2);
        };
        const QRgb bare = centre();
        QVERIFY(qAbs(qRed(bare) - qBlue(bare)) < 8);
        LoadTexture(WritePicture("picture.png", qRgb(255, 0, 0)));
        const QRgb red = centre();
        QVERIFY2(qRed(red) > 120 && qGreen(red) < 40 && qBlue(red) < 40,
                 qPrintable(QString::number(red, 16)));
        QCOMPARE(Frame().SceneViewer1->Renderer().TextureObject().UploadCount(), 1);
    }
};

QTEST_MAIN(TextureTest)
#include "TextureTest.moc"
