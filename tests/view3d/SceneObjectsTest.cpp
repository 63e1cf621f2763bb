#include "view3d/Scene.h"
#include "view3d/TrackBarRules.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace orvane::view3d;

namespace {

void ExpectVec(const Vector4f& v, float x, float y, float z, double tol = 1e-6) {
    EXPECT_NEAR(v[0], x, tol);
    EXPECT_NEAR(v[1], y, tol);
    EXPECT_NEAR(v[2], z, tol);
}

// Counts what reaches a listener, as the viewer would see it.
struct CountingScene : Scene {
    int Redraws = 0;
    CountingScene() {
        notifier.AddListener([this] { ++Redraws; });
    }
};

} // namespace

TEST(SceneObject, HeightFieldLaysTheGridInTheGroundPlaneWithHeightsUp) {
    Scene scene;
    HeightField& hf = scene.heightField;
    for (float s : {0.5f, 1.0f, 10.0f}) {
        hf.scale.SetCoordinate(2, s);
        const Vector4f pts[] = {{0.3f, 0.2f, 0.1f, 1}, {-0.5f, 0.4f, -0.05f, 1}, {0, 0, 1, 1}};
        for (const Vector4f& p : pts) {
            const Vector4f w = Transform(p, hf.AbsoluteMatrix());
            ExpectVec(w, p[0], s * p[2], -p[1], 1e-6 * (1 + s));
            EXPECT_FLOAT_EQ(w[3], 1.0f);
        }
    }
}

TEST(SceneObject, LocalMatrixRowsAreSideUpDirectionPosition) {
    SceneObject o;
    o.up.SetVector({0, 0, 1, 0});
    o.direction.SetVector({1, 0, 0, 0});
    o.scale.SetVector({2, 3, 4, 0});
    o.position.SetVector({5, 6, 7, 1});
    const Matrix4f m = o.LocalMatrix();
    // Up x Direction = (0,0,1) x (1,0,0) = (0,1,0)
    const float expected[4][4] = {{0, 2, 0, 0}, {0, 0, 3, 0}, {4, 0, 0, 0}, {5, 6, 7, 1}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(m.M[r][c], expected[r][c]) << r << "," << c;
        }
    }
}

TEST(SceneObject, AbsoluteIsLocalTimesParentAndFollowsParentChanges) {
    SceneObject parent;
    SceneObject child;
    parent.AddChild(child);
    parent.scale.SetVector({2, 2, 2, 0});
    parent.position.SetVector({1, 0, 0, 1});
    child.position.SetVector({0, 1, 0, 1});
    ExpectVec(child.AbsolutePosition(), 1, 2, 0);
    parent.position.Translate({0, 0, 3, 0});
    ExpectVec(child.AbsolutePosition(), 1, 2, 3);

    // Placing the child at a world point stores it in the parent's frame.
    child.SetAbsolutePosition({3, 3, 3, 1});
    ExpectVec(child.position.AsVector(), 1, 1.5f, 0);
    ExpectVec(child.AbsolutePosition(), 3, 3, 3);
}

TEST(SceneSetup, TreeAndStartingValues) {
    Scene scene;
    ASSERT_EQ(scene.Objects().size(), 4u);
    EXPECT_EQ(scene.Objects()[0], &scene.heightField);
    EXPECT_EQ(scene.Objects()[1], &scene.obliqueLight);
    EXPECT_EQ(scene.Objects()[2], &scene.cameraTarget);
    EXPECT_EQ(scene.Objects()[3], &scene.overheadLight);
    EXPECT_EQ(scene.camera.Parent(), &scene.cameraTarget);
    EXPECT_EQ(scene.camera.TargetObject(), &scene.cameraTarget);

    EXPECT_FALSE(scene.heightField.Visible());
    EXPECT_EQ(scene.heightField.Options(), static_cast<unsigned>(kTwoSidedOption));
    ExpectVec(scene.heightField.direction.AsVector(), 0, 1, -4.371139e-8f, 0);
    const FaceProperties& front = scene.heightField.material.FrontProperties();
    EXPECT_EQ(front.Diffuse, (Vector4f{0.8f, 0.8f, 0.8f, 1}));
    EXPECT_EQ(front.Ambient, (Vector4f{0.2f, 0.2f, 0.2f, 1}));
    const Texture& tex = scene.heightField.material.texture;
    EXPECT_TRUE(tex.Disabled());
    EXPECT_EQ(tex.Mode(), TextureMode::Replace);
    EXPECT_EQ(tex.ImageBrightness(), 1.0f);
    EXPECT_EQ(tex.MappingSCoordinates(), (Vector4f{1, 0, 0, 0}));
    EXPECT_EQ(tex.MappingTCoordinates(), (Vector4f{0, 1, 0, 0}));

    ExpectVec(scene.obliqueLight.AbsolutePosition(), 30, 50, 100);
    ExpectVec(scene.overheadLight.AbsolutePosition(), 0, 50, 0);
    for (LightSource* l : scene.Lights()) {
        EXPECT_EQ(l->Diffuse(), (Vector4f{0.75f, 0.75f, 0.75f, 1}));
        EXPECT_EQ(l->ConstAttenuation(), 1.0f);
        EXPECT_EQ(l->SpotCutOff(), 180.0f);
        EXPECT_TRUE(l->Shining());
    }

    const Camera& cam = scene.camera;
    ExpectVec(cam.AbsolutePosition(), 10, 10, 10);
    EXPECT_EQ(cam.FocalLength(), 100.0f);
    EXPECT_EQ(cam.DepthOfView(), 100.0f);
    EXPECT_EQ(cam.SceneScale(), 2.5f);
    EXPECT_EQ(cam.NearPlaneBias(), 0.01f);
}

TEST(SceneNotification, EachPropertyChangeRequestsExactlyOneRedraw) {
    struct Case {
        std::string Name;
        std::function<void(Scene&)> Change;
        int Redraws;
    };
    const Case cases[] = {
        {"camera coordinate", [](Scene& s) { s.camera.position.SetCoordinate(0, 3); }, 1},
        {"node translate",
         [](Scene& s) {
             s.cameraTarget.position.Translate({1, 0, 0, 0});
         },
         1},
        {"z scale", [](Scene& s) { s.heightField.scale.SetCoordinate(2, 2); }, 1},
        {"visible", [](Scene& s) { s.heightField.SetVisible(true); }, 1},
        {"step", [](Scene& s) { s.heightField.xSamplingScale.SetStep(0.01f); }, 1},
        {"min above max", [](Scene& s) { s.heightField.ySamplingScale.SetMin(4); }, 1},
        {"attenuation", [](Scene& s) { s.obliqueLight.SetConstAttenuation(0.5f); }, 1},
        {"same attenuation", [](Scene& s) { s.overheadLight.SetConstAttenuation(1.0f); }, 0},
        // A value set again is no change: no redraw.
        {"same camera coordinate",
         [](Scene& s) { s.camera.position.SetCoordinate(0, s.camera.position.X()); }, 0},
        {"same camera point",
         [](Scene& s) {
             const Coordinates& p = s.camera.position;
             s.camera.position.SetPoint(p.X(), p.Y(), p.Z());
         },
         0},
        {"same focal length", [](Scene& s) { s.camera.SetFocalLength(100); }, 0},
        {"same diffuse", [](Scene& s) { s.obliqueLight.SetDiffuse(s.obliqueLight.Diffuse()); }, 0},
        {"texture still off", [](Scene& s) { s.heightField.material.texture.SetDisabled(true); },
         0},
        {"texture on", [](Scene& s) { s.heightField.material.texture.SetDisabled(false); }, 1},
        {"orbit", [](Scene& s) { s.camera.MoveAroundTarget(5, 5); }, 1},
        {"zoom", [](Scene& s) { s.camera.AdjustDistanceToTarget(1.05f); }, 1},
    };
    for (const Case& c : cases) {
        CountingScene scene;
        const long long before = scene.notifier.RequestCount();
        c.Change(scene);
        EXPECT_EQ(scene.Redraws, c.Redraws) << c.Name;
        EXPECT_EQ(scene.notifier.RequestCount() - before, c.Redraws) << c.Name;
    }
}

TEST(SceneNotification, StructureChangesMarkOneRebuildOthersNone) {
    struct Case {
        std::string Name;
        std::function<void(HeightField&)> Change;
        int Rebuilds;
    };
    const Case cases[] = {
        {"step", [](HeightField& h) { h.xSamplingScale.SetStep(0.01f); }, 1},
        {"same step", [](HeightField& h) { h.ySamplingScale.SetStep(0.1f); }, 1},
        {"range", [](HeightField& h) { h.xSamplingScale.SetMax(1); }, 1},
        {"options", [](HeightField& h) { h.SetOptions(0); }, 1},
        {"same options", [](HeightField& h) { h.SetOptions(kTwoSidedOption); }, 0},
        {"colour mode", [](HeightField& h) { h.SetColorMode(HeightFieldColorMode::Diffuse); }, 1},
        {"callback",
         [](HeightField& h) {
             h.SetOnGetHeight([](float, float, float&, Vector4f&, TexPoint&) {});
         },
         1},
        {"z scale", [](HeightField& h) { h.scale.SetCoordinate(2, 3); }, 0},
        {"texture", [](HeightField& h) { h.material.texture.SetDisabled(false); }, 0},
    };
    for (const Case& c : cases) {
        CountingScene scene;
        const auto before = scene.heightField.StructureRevision();
        c.Change(scene.heightField);
        EXPECT_EQ(scene.heightField.StructureRevision() - before,
                  static_cast<std::uint64_t>(c.Rebuilds))
            << c.Name;
        EXPECT_EQ(scene.Redraws,
                  c.Rebuilds > 0 || c.Name == "z scale" || c.Name == "texture" ? 1 : 0)
            << c.Name;
    }
}

TEST(SceneNotification, RequestsDuringAFrameAreDropped) {
    CountingScene scene;
    scene.notifier.SetRendering(true);
    scene.camera.position.SetCoordinate(1, 2);
    scene.notifier.SetRendering(false);
    EXPECT_EQ(scene.Redraws, 0);
    scene.camera.position.SetCoordinate(1, 3);
    EXPECT_EQ(scene.Redraws, 1);
}
