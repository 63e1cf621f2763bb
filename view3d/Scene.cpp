#include "view3d/Scene.h"

namespace orvane::view3d {

namespace {

// Single-precision cosine of 90 degrees: the height field is the default grid turned by
// 90 degrees about x, so its local z (heights) points up along world +y.
constexpr float Cos90 = -4.371139e-8f;

void SetupLight(TGLLightSource& light, float x, float y, float z) {
    light.Position.SetVector({x, y, z, 1});
    light.SetDiffuse({0.75f, 0.75f, 0.75f, 1});
    light.SetAmbient({0, 0, 0, 1});
    light.SetSpecular({0, 0, 0, 1});
    light.SetConstAttenuation(1.0f);
    light.SetLinearAttenuation(0);
    light.SetQuadraticAttenuation(0);
    light.SetSpotCutOff(180);
    light.SetSpotExponent(0);
    light.SetShining(true);
}

} // namespace

TGLScene::TGLScene() {
    FObjects = {&HeightField1, &GLLightSource1, &GLDummyCube1, &GLLightSource2};
    GLDummyCube1.AddChild(GLCamera1);

    HeightField1.Direction.SetVector({0, 1, Cos90, 0});
    HeightField1.Up.SetVector({0, Cos90, -1, 0});
    HeightField1.Scale.SetVector({1, 1, 1, 0});
    HeightField1.Position.SetVector({0, 0, 0, 1});
    HeightField1.SetVisible(false);
    HeightField1.SetOptions(hfoTwoSided);
    HeightField1.SetColorMode(THeightFieldColorMode::hfcmNone);
    TGLFaceProperties face;
    face.Ambient = {0.2f, 0.2f, 0.2f, 1};
    face.Diffuse = {0.8f, 0.8f, 0.8f, 1};
    face.Specular = {0, 0, 0, 1};
    face.Emission = {0, 0, 0, 1};
    face.Shininess = 0;
    HeightField1.Material.SetFrontProperties(face);
    HeightField1.Material.SetBackProperties(face);

    SetupLight(GLLightSource1, 30, 50, 100);
    SetupLight(GLLightSource2, 0, 50, 0);

    GLDummyCube1.SetVisible(false);
    GLDummyCube1.Position.SetVector({0, 0, 0, 1});

    GLCamera1.SetTargetObject(&GLDummyCube1);
    GLCamera1.Position.SetVector({10, 10, 10, 1});
    GLCamera1.Up.SetVector({-0.0f, 1, 0, 0});
    GLCamera1.Direction.SetVector({0, 0, -1, 0});
    GLCamera1.SetFocalLength(100);
    GLCamera1.SetDepthOfView(100);
    GLCamera1.SetSceneScale(2.5f);
    GLCamera1.SetNearPlaneBias(0.01f);
}

} // namespace orvane::view3d
