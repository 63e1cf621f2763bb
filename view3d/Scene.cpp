#include "view3d/Scene.h"

namespace orvane::view3d {

namespace {

// Single-precision cosine of 90 degrees: the height field is the default grid turned by
// 90 degrees about x, so its local z (heights) points up along world +y.
constexpr float Cos90 = -4.371139e-8f;

void SetupLight(LightSource& light, float x, float y, float z) {
    light.position.SetVector({x, y, z, 1});
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

Scene::Scene() {
    objects_ = {&heightField, &obliqueLight, &cameraTarget, &overheadLight};
    cameraTarget.AddChild(camera);

    heightField.direction.SetVector({0, 1, Cos90, 0});
    heightField.up.SetVector({0, Cos90, -1, 0});
    heightField.scale.SetVector({1, 1, 1, 0});
    heightField.position.SetVector({0, 0, 0, 1});
    heightField.SetVisible(false);
    heightField.SetOptions(kTwoSidedOption);
    heightField.SetColorMode(HeightFieldColorMode::None);
    FaceProperties face;
    face.Ambient = {0.2f, 0.2f, 0.2f, 1};
    face.Diffuse = {0.8f, 0.8f, 0.8f, 1};
    face.Specular = {0, 0, 0, 1};
    face.Emission = {0, 0, 0, 1};
    face.Shininess = 0;
    heightField.material.SetFrontProperties(face);
    heightField.material.SetBackProperties(face);

    SetupLight(obliqueLight, 30, 50, 100);
    SetupLight(overheadLight, 0, 50, 0);

    cameraTarget.SetVisible(false);
    cameraTarget.position.SetVector({0, 0, 0, 1});

    camera.SetTargetObject(&cameraTarget);
    camera.position.SetVector({10, 10, 10, 1});
    camera.up.SetVector({-0.0f, 1, 0, 0});
    camera.direction.SetVector({0, 0, -1, 0});
    camera.SetFocalLength(100);
    camera.SetDepthOfView(100);
    camera.SetSceneScale(2.5f);
    camera.SetNearPlaneBias(0.01f);
}

} // namespace orvane::view3d
