#include "view3d/TrackBarRules.h"
#include "view3d/Scene.h"

#include <gtest/gtest.h>

using namespace orvane::view3d;

TEST(ZDepth, ScaleAndAttenuationTable) {
    struct TCase {
        int P;
        float Scale;
        double Kc;
    };
    const TCase cases[] = {{5, 0.5f, 1.0}, {52, 5.2f, 0.6042106}, {100, 10.0f, 0.2}};
    for (const TCase& c : cases) {
        EXPECT_FLOAT_EQ(ZDepthScale(c.P), c.Scale) << c.P;
        EXPECT_NEAR(ConstAttenuationForZDepth(c.P), c.Kc, 6e-8) << c.P;
    }
    EXPECT_EQ(ConstAttenuationForZDepth(5), 1.0f);
    EXPECT_EQ(ConstAttenuationForZDepth(100), 0.2f);
}

TEST(ZDepth, LightsChangeOnlyWhileTheTextureIsShown) {
    TGLScene scene;
    ApplyZDepthPosition(scene, 100);
    EXPECT_EQ(scene.HeightField1.Scale.Z(), 10.0f);
    EXPECT_EQ(scene.GLLightSource1.ConstAttenuation(), 1.0f);
    EXPECT_EQ(scene.GLLightSource2.ConstAttenuation(), 1.0f);

    scene.HeightField1.Material.Texture.SetDisabled(false);
    ApplyZDepthPosition(scene, 100);
    EXPECT_EQ(scene.GLLightSource1.ConstAttenuation(), 0.2f);
    EXPECT_EQ(scene.GLLightSource2.ConstAttenuation(), 0.2f);

    // Taking the texture away keeps the lights as they are.
    scene.HeightField1.Material.Texture.SetDisabled(true);
    ApplyZDepthPosition(scene, 5);
    EXPECT_EQ(scene.HeightField1.Scale.Z(), 0.5f);
    EXPECT_EQ(scene.GLLightSource1.ConstAttenuation(), 0.2f);
}

TEST(ZDepth, ScaleChangeDoesNotRebuildTheMesh) {
    TGLScene scene;
    const auto rev = scene.HeightField1.StructureRevision();
    ApplyZDepthPosition(scene, 60);
    EXPECT_EQ(scene.HeightField1.StructureRevision(), rev);
}
