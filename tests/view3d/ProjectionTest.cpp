#include "view3d/Projection.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orvane::view3d;

TEST(Perspective, ViewerOf1000By700) {
    Frustum f;
    ASSERT_TRUE(PerspectiveFrustum(1000, 700, PerspectiveSettings{}, f));
    EXPECT_NEAR(f.Near, 0.007559055, 1e-8);
    EXPECT_NEAR(f.Far, 100.007559055, 1e-6);
    EXPECT_NEAR(f.Right, 0.002, 1e-9);
    EXPECT_NEAR(f.Left, -0.002, 1e-9);
    EXPECT_NEAR(f.Top, 0.0014, 1e-9);
    EXPECT_NEAR(f.Bottom, -0.0014, 1e-9);
    EXPECT_NEAR(HorizontalFieldDeg(f), 29.6, 0.05);
}

TEST(Perspective, FieldGrowsWithTheViewerSizeAtTheSameScale) {
    struct Case {
        int W, H;
    };
    const Case cases[] = {{1000, 700}, {500, 700}, {137, 137}, {1000, 1}, {1, 1}, {1, 800}};
    for (const Case& c : cases) {
        Frustum f;
        ASSERT_TRUE(PerspectiveFrustum(c.W, c.H, PerspectiveSettings{}, f)) << c.W << "x" << c.H;
        // tan(half horizontal angle) = 25.4 W / (4 S F D) whatever the height.
        const double perPixel = 25.4 / (4 * 2.5 * 100 * 96); // 0.000264583
        EXPECT_NEAR(f.Right / f.Near, c.W * perPixel, 1e-9) << c.W << "x" << c.H;
        EXPECT_NEAR(f.Top / f.Near, c.H * perPixel, 1e-9) << c.W << "x" << c.H;
        EXPECT_TRUE(std::isfinite(f.Near) && f.Near > 0);
        EXPECT_NEAR(f.Far - f.Near, 100.0, 1e-9);
    }
}

TEST(Perspective, EmptyViewerLeavesTheFrustumAlone) {
    Frustum f;
    f.Near = 42;
    EXPECT_FALSE(PerspectiveFrustum(0, 700, PerspectiveSettings{}, f));
    EXPECT_FALSE(PerspectiveFrustum(700, 0, PerspectiveSettings{}, f));
    EXPECT_EQ(f.Near, 42);
}

TEST(Perspective, FrustumMatrixMapsNearAndFarToClipDepthLimits) {
    Frustum f;
    ASSERT_TRUE(PerspectiveFrustum(1000, 700, PerspectiveSettings{}, f));
    const Matrix4f m = FrustumMatrix(f);
    struct Case {
        Vector4f Eye;
        float NdcX, NdcY, NdcZ;
    };
    const Case cases[] = {
        {{0, 0, static_cast<float>(-f.Near), 1}, 0, 0, -1},
        {{0, 0, static_cast<float>(-f.Far), 1}, 0, 0, 1},
        {{static_cast<float>(f.Right), static_cast<float>(f.Top), static_cast<float>(-f.Near), 1},
         1,
         1,
         -1},
    };
    for (const Case& c : cases) {
        const Vector4f clip = Transform(c.Eye, m);
        EXPECT_NEAR(clip[0] / clip[3], c.NdcX, 1e-4);
        EXPECT_NEAR(clip[1] / clip[3], c.NdcY, 1e-4);
        EXPECT_NEAR(clip[2] / clip[3], c.NdcZ, 1e-3);
    }
}

TEST(LookAt, EyeToOriginTargetStraightAheadUpStaysUp) {
    const Vector4f eye{-1.5f, 1.5f, 1.5f, 1};
    const Vector4f centre{0, 0, 0, 1};
    const Matrix4f v = LookAtMatrix(eye, centre, {0, 1, 0, 0});
    const Vector4f e = Transform(eye, v);
    EXPECT_NEAR(Length3(e), 0, 1e-6);
    const Vector4f c = Transform(centre, v);
    EXPECT_NEAR(c[0], 0, 1e-6);
    EXPECT_NEAR(c[1], 0, 1e-6);
    EXPECT_NEAR(c[2], -2.598076, 1e-5);
    // A point above the target appears above the centre of the view.
    const Vector4f above = Transform({0, 1, 0, 1}, v);
    EXPECT_GT(above[1], 0.5f);
    // World +x (right of a viewer at -x,+z looking at the origin) goes to the right.
    const Vector4f right = Transform({1, 0, 1, 1}, v);
    EXPECT_GT(right[0], 1.0f);
}
