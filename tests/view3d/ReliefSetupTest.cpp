// The relief's ranges and start view for a newly opened image.
#include "view3d/ReliefSetup.h"

#include <gtest/gtest.h>

using namespace orvane::view3d;

namespace {

TEST(ReliefSetup, LongerSideSpansOne) {
    struct Case {
        std::int64_t width, height;
        float xMax, yMax;
    } const cases[] = {
        {1000, 800, 0.5f, 0.4f},    {600, 1000, 0.3f, 0.5f},  // portrait
        {1000, 500, 0.5f, 0.25f},   {1000, 1000, 0.5f, 0.5f}, // square: the landscape branch
        {2400, 1800, 0.5f, 0.375f},
    };
    for (const auto& c : cases) {
        Scene scene;
        SetReliefRanges(scene.heightField, c.width, c.height);
        const auto& hf = scene.heightField;
        EXPECT_FLOAT_EQ(hf.xSamplingScale.Max(), c.xMax) << c.width << "x" << c.height;
        EXPECT_FLOAT_EQ(hf.xSamplingScale.Min(), -c.xMax);
        EXPECT_FLOAT_EQ(hf.ySamplingScale.Max(), c.yMax);
        EXPECT_FLOAT_EQ(hf.ySamplingScale.Min(), -c.yMax);
    }
}

TEST(ReliefSetup, StartViewLooksAtTheOriginFromAbove) {
    Scene scene;
    scene.cameraTarget.position.SetPoint(3, 0, 1);
    ResetView(scene);
    const Vector4f camera = scene.camera.AbsolutePosition();
    EXPECT_FLOAT_EQ(camera[0], -1.5f);
    EXPECT_FLOAT_EQ(camera[1], 1.5f);
    EXPECT_FLOAT_EQ(camera[2], 1.5f);
    EXPECT_NEAR(scene.camera.DistanceToTarget(), 2.598f, 0.001f);
}

} // namespace
