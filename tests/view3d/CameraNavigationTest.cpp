#include "view3d/Navigation.h"
#include "view3d/Scene.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orvane::view3d;

namespace {

constexpr double RadToDeg = 180.0 / M_PI;

// The state after an open: node at the origin, camera at (-1.5, 1.5, 1.5) from it.
struct CameraNavigation : ::testing::Test {
    Scene scene;
    Camera& Cam = scene.camera;
    TargetNode& Node = scene.cameraTarget;
    SceneMouseState Mouse;

    CameraNavigation() {
        Node.position.SetPoint(0, 0, 0);
        Cam.position.SetPoint(-1.5f, 1.5f, 1.5f);
    }
    Vector4f Offset() const { return Sub3(Cam.AbsolutePosition(), Node.AbsolutePosition()); }
    double PolarDeg() const {
        const Vector4f v = Offset();
        return std::acos(v[1] / Length3(v)) * RadToDeg;
    }
    double AzimuthDeg() const {
        const Vector4f v = Offset();
        return std::atan2(v[2], v[0]) * RadToDeg;
    }
    void Drag(Qt::MouseButtons held, int dx, int dy) {
        SceneMouseDownRule(Mouse, 100, 100);
        SceneMouseMoveRule(Mouse, held, 100 + dx, 100 + dy, Cam, Node);
    }
};

} // namespace

TEST_F(CameraNavigation, LeftDragUpLowersTheCameraByOneDegreePerPixel) {
    ASSERT_NEAR(Cam.DistanceToTarget(), 2.598076, 1e-5);
    ASSERT_NEAR(PolarDeg(), 54.7356, 1e-3);
    const double azimuth = AzimuthDeg();
    Drag(Qt::LeftButton, 0, -10);
    EXPECT_NEAR(PolarDeg(), 64.7356, 1e-3);
    EXPECT_NEAR(Cam.DistanceToTarget(), 2.598076, 1e-5);
    EXPECT_NEAR(AzimuthDeg(), azimuth, 1e-3);
}

TEST_F(CameraNavigation, LeftDragRightTurnsClockwiseSeenFromAbove) {
    Drag(Qt::LeftButton, 90, 0);
    const Vector4f v = Offset();
    EXPECT_NEAR(v[0], -1.5, 1e-4);
    EXPECT_NEAR(v[1], 1.5, 1e-4);
    EXPECT_NEAR(v[2], -1.5, 1e-4);
}

TEST_F(CameraNavigation, RightDragSlidesNodeAndCameraTogether) {
    Drag(Qt::RightButton, 10, 0);
    const Vector4f n = Node.AbsolutePosition();
    EXPECT_NEAR(n[0], -0.022046, 1e-6);
    EXPECT_NEAR(n[1], 0.0, 1e-9);
    EXPECT_NEAR(n[2], -0.022046, 1e-6);
    const Vector4f v = Offset();
    EXPECT_NEAR(v[0], -1.5, 1e-6);
    EXPECT_NEAR(v[1], 1.5, 1e-6);
    EXPECT_NEAR(v[2], 1.5, 1e-6);
    EXPECT_EQ(Cam.position.AsVector(), (Vector4f{-1.5f, 1.5f, 1.5f, 1}));
}

TEST_F(CameraNavigation, RightDragDownMovesTheTargetForward) {
    Drag(Qt::RightButton, 0, 10);
    // Forward = horizontal viewing direction (1, 0, -1) / sqrt 2.
    const Vector4f n = Node.AbsolutePosition();
    EXPECT_NEAR(n[0], 0.022046, 1e-6);
    EXPECT_NEAR(n[2], -0.022046, 1e-6);
}

TEST_F(CameraNavigation, PolarAngleStopsShortOfThePoles) {
    struct Case {
        int Dy;
        double PolarRad;
    };
    const Case cases[] = {{1000, 0.025}, {-1000, 3.1165926}, {100000, 0.025}};
    for (const Case& c : cases) {
        Cam.position.SetPoint(-1.5f, 1.5f, 1.5f);
        Drag(Qt::LeftButton, 0, c.Dy);
        EXPECT_NEAR(PolarDeg() / RadToDeg, c.PolarRad, 1e-5) << c.Dy;
        EXPECT_NEAR(Cam.DistanceToTarget(), 2.598076, 1e-5);
    }
}

TEST_F(CameraNavigation, OrbitFromStraightAboveUsesTheFallbackSideAxis) {
    Cam.position.SetPoint(0, 2, 0);
    Cam.MoveAroundTarget(10, 0);
    const Vector4f v = Offset();
    const double a = 10 * M_PI / 180;
    EXPECT_NEAR(v[0], 0, 1e-5);
    EXPECT_NEAR(v[1], 2 * std::cos(a), 1e-5);
    EXPECT_NEAR(v[2], 2 * std::sin(a), 1e-5);
}

TEST_F(CameraNavigation, WheelZoomsByFivePercentWithANearGuard) {
    struct Case {
        float Start;
        bool Up;
        float Expected;
    };
    const Case cases[] = {
        {2.0f, false, 2.1f},      // down: x 1.05
        {2.0f, true, 1.9f},       // up: x 0.95
        {0.0199f, true, 0.0199f}, // closer than twice the near bias: stays
        {0.02f, true, 0.019f},    // exactly twice the bias: one more step
    };
    for (const Case& c : cases) {
        Cam.position.SetPoint(c.Start, 0, 0);
        if (c.Up) {
            SceneWheelUpRule(Cam);
        } else {
            SceneWheelDownRule(Cam);
        }
        EXPECT_NEAR(Cam.DistanceToTarget(), c.Expected, 1e-6) << c.Start << " " << c.Up;
        EXPECT_EQ(Cam.AbsolutePosition()[3], 1.0f);
    }
}

TEST_F(CameraNavigation, MoveWithoutPressOnlyStoresThePosition) {
    int redraws = 0;
    scene.notifier.AddListener([&] { ++redraws; });
    const Vector4f before = Cam.AbsolutePosition();
    SceneMouseMoveRule(Mouse, Qt::LeftButton | Qt::RightButton, 40, 50, Cam, Node);
    EXPECT_EQ(Mouse.SceneMouseX, 40);
    EXPECT_EQ(Mouse.SceneMouseY, 50);
    EXPECT_EQ(Cam.AbsolutePosition(), before);
    EXPECT_EQ(redraws, 0);
}

TEST_F(CameraNavigation, ButtonCombinations) {
    struct Case {
        Qt::MouseButtons Held;
        bool Orbits;
        bool Slides;
    };
    const Case cases[] = {
        {Qt::LeftButton | Qt::RightButton, true, false},
        {Qt::RightButton | Qt::MiddleButton, false, true},
        {Qt::MiddleButton, false, false},
        {Qt::NoButton, false, false},
    };
    for (const Case& c : cases) {
        Node.position.SetPoint(0, 0, 0);
        Cam.position.SetPoint(-1.5f, 1.5f, 1.5f);
        const double polar = PolarDeg();
        Drag(c.Held, 7, -7);
        EXPECT_EQ(std::fabs(PolarDeg() - polar) > 1, c.Orbits) << int(c.Held);
        EXPECT_EQ(Length3(Node.AbsolutePosition()) > 1e-4f, c.Slides) << int(c.Held);
    }
}

TEST_F(CameraNavigation, ReleaseEndsTheDragAndEachDragStartsAtItsPress) {
    SceneMouseDownRule(Mouse, 10, 10);
    SceneMouseUpRule(Mouse);
    EXPECT_FALSE(Mouse.SceneMouseDown);
    const Vector4f before = Cam.AbsolutePosition();
    SceneMouseMoveRule(Mouse, Qt::LeftButton, 50, 50, Cam, Node);
    EXPECT_EQ(Cam.AbsolutePosition(), before);

    // Two moves of 5 px equal one of 10 px.
    SceneMouseDownRule(Mouse, 0, 0);
    SceneMouseMoveRule(Mouse, Qt::LeftButton, 0, -5, Cam, Node);
    SceneMouseMoveRule(Mouse, Qt::LeftButton, 0, -10, Cam, Node);
    EXPECT_NEAR(PolarDeg(), 64.7356, 1e-3);
}

TEST(CameraWithoutTarget, OperationsDoNothingAndDistanceIsOne) {
    Camera cam;
    cam.position.SetPoint(1, 2, 3);
    cam.MoveAroundTarget(10, 10);
    cam.AdjustDistanceToTarget(2);
    EXPECT_EQ(cam.position.AsVector(), (Vector4f{1, 2, 3, 1}));
    EXPECT_EQ(cam.DistanceToTarget(), 1.0f);
}

TEST(OrbitKeyDrag, EachArrowIsADragTowardsIt) {
    EXPECT_EQ(OrbitKeyDrag(Qt::Key_Left), std::make_pair(-OrbitKeyPixels, 0));
    EXPECT_EQ(OrbitKeyDrag(Qt::Key_Right), std::make_pair(OrbitKeyPixels, 0));
    EXPECT_EQ(OrbitKeyDrag(Qt::Key_Up), std::make_pair(0, -OrbitKeyPixels));
    EXPECT_EQ(OrbitKeyDrag(Qt::Key_Down), std::make_pair(0, OrbitKeyPixels));
    EXPECT_FALSE(OrbitKeyDrag(Qt::Key_Home));
}

TEST_F(CameraNavigation, ArrowKeysOrbitAsALeftDragOfTheirPixels) {
    struct Case {
        int Dx, Dy;
    };
    for (const Case& c : {Case{-OrbitKeyPixels, 0}, Case{OrbitKeyPixels, 0},
                          Case{0, -OrbitKeyPixels}, Case{0, OrbitKeyPixels}}) {
        Scene dragged;
        dragged.cameraTarget.position.SetPoint(0, 0, 0);
        dragged.camera.position.SetPoint(-1.5f, 1.5f, 1.5f);
        SceneMouseState mouse;
        SceneMouseDownRule(mouse, 100, 100);
        SceneMouseMoveRule(mouse, Qt::LeftButton, 100 + c.Dx, 100 + c.Dy, dragged.camera,
                           dragged.cameraTarget);

        Scene keyed;
        keyed.cameraTarget.position.SetPoint(0, 0, 0);
        keyed.camera.position.SetPoint(-1.5f, 1.5f, 1.5f);
        SceneOrbitKeyRule(keyed.camera, c.Dx, c.Dy);

        const Vector4f a = dragged.camera.AbsolutePosition();
        const Vector4f b = keyed.camera.AbsolutePosition();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(a[i], b[i]) << c.Dx << "," << c.Dy << " axis " << i;
        // And the camera did move.
        EXPECT_FALSE(b == Vector4f(-1.5f, 1.5f, 1.5f, 1)) << c.Dx << "," << c.Dy;
    }
}
