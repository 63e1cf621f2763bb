// Renders a textured flat relief through the real viewer widget (needs an X server: run
// under xvfb-run -a) and checks where the picture lands.
#include "OpenedRelief.h"
#include "view3d/HeightSource.h"
#include "view3d/Projection.h"
#include "view3d/Scene.h"
#include "view3d/TextureMapping.h"
#include "view3d/TrackBarRules.h"
#include "view3d/gl/SceneViewer.h"
#include "view3d/gl/SurfaceFormat.h"

#include <QApplication>
#include <QImage>
#include <QSurfaceFormat>
#include <QtTest>

#include "tests/support/GuiEvents.h"

#include <vector>

using namespace orvane::view3d;
using orvane::test::ShowExposed;

namespace {

constexpr int Side = 64;

// A flat 64 x 64 image (all levels equal) set up as the open routine does: unit ranges,
// camera at (-1.5, 1.5, 1.5) from the target at the origin, resolution 50, Z depth 5.
struct FlatScene : OpenedRelief {
    FlatScene() : OpenedRelief(Side, std::vector<std::uint8_t>(Side * Side, 128)) {}

    // "Load Texture" for a square image.
    void LoadTexture(const QImage& picture) {
        ApplyTexturePicture(Scene.heightField, picture, QStringLiteral("picture.png"), Side, Side);
    }

    // The viewer pixel showing the mesh point (x, y) of the relief's local frame.
    QPoint PixelOf(float x, float y, int width, int height) {
        float z = 0;
        ReliefHeight(Src, Scene.heightField, x, y, z);
        const Camera& cam = Scene.camera;
        const Matrix4f view = LookAtMatrix(
            cam.AbsolutePosition(), Scene.cameraTarget.AbsolutePosition(), cam.up.AsVector());
        Frustum f;
        PerspectiveFrustum(
            width, height,
            {cam.FocalLength(), cam.SceneScale(), cam.NearPlaneBias(), cam.DepthOfView()}, f);
        const Matrix4f toClip =
            Multiply(Multiply(Scene.heightField.AbsoluteMatrix(), view), FrustumMatrix(f));
        const Vector4f clip = Transform({x, y, z, 1}, toClip);
        const double nx = clip[0] / clip[3];
        const double ny = clip[1] / clip[3];
        return QPoint(int((nx + 1) / 2 * width), int((1 - ny) / 2 * height));
    }
};

// A picture split in two: `first` on the top (or left) half, `second` on the other.
QImage Split(bool topBottom, QRgb first, QRgb second) {
    QImage img(100, 60, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const bool inFirst = topBottom ? y < img.height() / 2 : x < img.width() / 2;
            img.setPixel(x, y, inFirst ? first : second);
        }
    }
    return img;
}

enum class ColourCase { Red, Blue, Grey };

ColourCase Classify(QRgb c) {
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    if (r > 120 && g < 40 && b < 40) {
        return ColourCase::Red;
    }
    if (b > 120 && r < 40 && g < 40) {
        return ColourCase::Blue;
    }
    if (r > 60 && std::abs(r - g) < 8 && std::abs(r - b) < 8) {
        return ColourCase::Grey;
    }
    return ColourCase(-1);
}

QImage Grab(SceneViewer& viewer) {
    return viewer.grabFramebuffer().scaled(viewer.size());
}

} // namespace

class TextureGLTest : public QObject {
    Q_OBJECT
private slots:
    void pictureLiesTheRightWayRound_data();
    void pictureLiesTheRightWayRound();
    void uploadOnceRemoveShowsTheBareRelief();
};

void TextureGLTest::pictureLiesTheRightWayRound_data() {
    // Sample points in the relief's local frame: local y = +max is the image's first row
    // (world z = -max, the far side, towards the top of the frame), local x = -max its
    // first column.
    QTest::addColumn<bool>("topBottom");
    QTest::newRow("top red, bottom blue") << true;
    QTest::newRow("left red, right blue") << false;
}

void TextureGLTest::pictureLiesTheRightWayRound() {
    QFETCH(bool, topBottom);
    FlatScene flat;
    flat.LoadTexture(Split(topBottom, qRgb(255, 0, 0), qRgb(0, 0, 255)));
    SceneViewer viewer;
    viewer.SetScene(&flat.Scene);
    QVERIFY(ShowExposed(viewer, QSize(800, 600)));
    const QImage img = Grab(viewer);

    // Quadrant centres of the relief and the colour each must show.
    struct SampleCase {
        float X, Y;
        ColourCase Expected;
    };
    const ColourCase red = ColourCase::Red, blue = ColourCase::Blue;
    const std::vector<SampleCase> samples =
        topBottom ? std::vector<SampleCase>{{-0.25f, 0.25f, red},   {0.25f, 0.25f, red},
                                            {-0.25f, -0.25f, blue}, {0.25f, -0.25f, blue},
                                            {0, 0.45f, red},        {0, -0.45f, blue}}
                  : std::vector<SampleCase>{{-0.25f, 0.25f, red}, {-0.25f, -0.25f, red},
                                            {0.25f, 0.25f, blue}, {0.25f, -0.25f, blue},
                                            {-0.45f, 0, red},     {0.45f, 0, blue}};
    for (const SampleCase& s : samples) {
        const QPoint p = flat.PixelOf(s.X, s.Y, viewer.width(), viewer.height());
        QVERIFY(img.rect().contains(p));
        const QRgb c = img.pixel(p);
        QVERIFY2(Classify(c) == s.Expected,
                 qPrintable(QStringLiteral("local (%1, %2) at pixel (%3, %4) shows rgb(%5, %6, %7)")
                                .arg(s.X)
                                .arg(s.Y)
                                .arg(p.x())
                                .arg(p.y())
                                .arg(qRed(c))
                                .arg(qGreen(c))
                                .arg(qBlue(c))));
    }
    if (topBottom) {
        // The far side (image's first row) is towards the top of the frame.
        QVERIFY(flat.PixelOf(0, 0.25f, 800, 600).y() < flat.PixelOf(0, -0.25f, 800, 600).y());
    }
}

void TextureGLTest::uploadOnceRemoveShowsTheBareRelief() {
    FlatScene flat;
    flat.LoadTexture(Split(true, qRgb(255, 0, 0), qRgb(0, 0, 255)));
    SceneViewer viewer;
    viewer.SetScene(&flat.Scene);
    QVERIFY(ShowExposed(viewer, QSize(400, 300)));
    Grab(viewer);
    flat.Scene.camera.AdjustDistanceToTarget(1.05f);
    ApplyZDepthPosition(flat.Scene, 50);
    const QImage moved = Grab(viewer);
    QCOMPARE(viewer.Renderer().UploadedTexture().UploadCount(), 1);
    // 100 columns are widened to 100 (already a multiple of 4); the driver takes any size.
    QCOMPARE(viewer.Renderer().UploadedTexture().UploadedSize().Width, 100);
    QCOMPARE(viewer.Renderer().UploadedTexture().UploadedSize().Height, 60);
    const QPoint far = flat.PixelOf(0, 0.25f, 400, 300);
    QCOMPARE(Classify(moved.pixel(far)), ColourCase::Red);

    // A brightness change prepares the texels again.
    flat.Scene.heightField.material.texture.SetImageBrightness(1.0f);
    Grab(viewer);
    QCOMPARE(viewer.Renderer().UploadedTexture().UploadCount(), 2);

    // Removed: the lit grey material again, nothing uploaded.
    ClearTexturePicture(flat.Scene.heightField.material.texture);
    const QImage bare = Grab(viewer);
    QCOMPARE(Classify(bare.pixel(far)), ColourCase::Grey);
    QCOMPARE(Classify(bare.pixel(flat.PixelOf(0, -0.25f, 400, 300))), ColourCase::Grey);
    QCOMPARE(viewer.Renderer().UploadedTexture().UploadCount(), 2);
    QCOMPARE(viewer.Renderer().UploadedTexture().Name(), 0u); // texels freed

    // Shown again: a fresh upload.
    flat.LoadTexture(Split(true, qRgb(255, 0, 0), qRgb(0, 0, 255)));
    QCOMPARE(Classify(Grab(viewer).pixel(far)), ColourCase::Red);
    QCOMPARE(viewer.Renderer().UploadedTexture().UploadCount(), 3);
}

int main(int argc, char** argv) {
    UseCompatibilitySurfaceFormat();
    QApplication app(argc, argv);
    TextureGLTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TextureGlTest.moc"
