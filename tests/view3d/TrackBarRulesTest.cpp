#include "view3d/TrackBarRules.h"
#include "view3d/Scene.h"

#include <gtest/gtest.h>

using namespace orvane::view3d;

TEST(ZDepth, ScaleAndAttenuationTable) {
    struct Case {
        int P;
        float Scale;
        double Kc;
    };
    const Case cases[] = {{5, 0.5f, 1.0}, {52, 5.2f, 0.6042106}, {100, 10.0f, 0.2}};
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(ZDepthScale(c.P), c.Scale) << c.P;
        EXPECT_NEAR(ConstAttenuationForZDepth(c.P), c.Kc, 6e-8) << c.P;
    }
    EXPECT_EQ(ConstAttenuationForZDepth(5), 1.0f);
    EXPECT_EQ(ConstAttenuationForZDepth(100), 0.2f);
}

TEST(ZDepth, LightsChangeOnlyWhileTheTextureIsShown) {
    Scene scene;
    ApplyZDepthPosition(scene, 100);
    EXPECT_EQ(scene.heightField.scale.Z(), 10.0f);
    EXPECT_EQ(scene.obliqueLight.ConstAttenuation(), 1.0f);
    EXPECT_EQ(scene.overheadLight.ConstAttenuation(), 1.0f);

    scene.heightField.material.texture.SetDisabled(false);
    ApplyZDepthPosition(scene, 100);
    EXPECT_EQ(scene.obliqueLight.ConstAttenuation(), 0.2f);
    EXPECT_EQ(scene.overheadLight.ConstAttenuation(), 0.2f);

    // Taking the texture away keeps the lights as they are.
    scene.heightField.material.texture.SetDisabled(true);
    ApplyZDepthPosition(scene, 5);
    EXPECT_EQ(scene.heightField.scale.Z(), 0.5f);
    EXPECT_EQ(scene.obliqueLight.ConstAttenuation(), 0.2f);
}

TEST(ZDepth, ScaleChangeDoesNotRebuildTheMesh) {
    Scene scene;
    const auto rev = scene.heightField.StructureRevision();
    ApplyZDepthPosition(scene, 60);
    EXPECT_EQ(scene.heightField.StructureRevision(), rev);
}
