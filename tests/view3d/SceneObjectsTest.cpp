#include "view3d/Scene.h"
#include "view3d/TrackBarRules.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace orvane::view3d;

namespace {

void ExpectVec(const TVector4f& v, float x, float y, float z, double tol = 1e-6) {
    EXPECT_NEAR(v[0], x, tol);
    EXPECT_NEAR(v[1], y, tol);
    EXPECT_NEAR(v[2], z, tol);
}

// Counts what reaches a listener, as the viewer would see it.
struct TCountingScene : TGLScene {
    int Redraws = 0;
    TCountingScene() {
        Notifier.AddListener([this] { ++Redraws; });
    }
};

} // namespace

TEST(SceneObject, HeightFieldLaysTheGridInTheGroundPlaneWithHeightsUp) {
    TGLScene scene;
    TGLHeightField& hf = scene.HeightField1;
    for (float s : {0.5f, 1.0f, 10.0f}) {
        hf.Scale.SetCoordinate(2, s);
        const TVector4f pts[] = {{0.3f, 0.2f, 0.1f, 1}, {-0.5f, 0.4f, -0.05f, 1}, {0, 0, 1, 1}};
        for (const TVector4f& p : pts) {
            const TVector4f w = Transform(p, hf.AbsoluteMatrix());
            ExpectVec(w, p[0], s * p[2], -p[1], 1e-6 * (1 + s));
            EXPECT_FLOAT_EQ(w[3], 1.0f);
        }
    }
}

TEST(SceneObject, LocalMatrixRowsAreSideUpDirectionPosition) {
    TGLBaseSceneObject o;
    o.Up.SetVector({0, 0, 1, 0});
    o.Direction.SetVector({1, 0, 0, 0});
    o.Scale.SetVector({2, 3, 4, 0});
    o.Position.SetVector({5, 6, 7, 1});
    const TMatrix4f m = o.LocalMatrix();
    // Up x Direction = (0,0,1) x (1,0,0) = (0,1,0)
    const float expected[4][4] = {{0, 2, 0, 0}, {0, 0, 3, 0}, {4, 0, 0, 0}, {5, 6, 7, 1}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(m.M[r][c], expected[r][c]) << r << "," << c;
        }
    }
}

TEST(SceneObject, AbsoluteIsLocalTimesParentAndFollowsParentChanges) {
    TGLBaseSceneObject parent;
    TGLBaseSceneObject child;
    parent.AddChild(child);
    parent.Scale.SetVector({2, 2, 2, 0});
    parent.Position.SetVector({1, 0, 0, 1});
    child.Position.SetVector({0, 1, 0, 1});
    ExpectVec(child.AbsolutePosition(), 1, 2, 0);
    parent.Position.Translate({0, 0, 3, 0});
    ExpectVec(child.AbsolutePosition(), 1, 2, 3);

    // Placing the child at a world point stores it in the parent's frame.
    child.SetAbsolutePosition({3, 3, 3, 1});
    ExpectVec(child.Position.AsVector(), 1, 1.5f, 0);
    ExpectVec(child.AbsolutePosition(), 3, 3, 3);
}

TEST(SceneSetup, TreeAndStartingValues) {
    TGLScene scene;
    ASSERT_EQ(scene.Objects().size(), 4u);
    EXPECT_EQ(scene.Objects()[0], &scene.HeightField1);
    EXPECT_EQ(scene.Objects()[1], &scene.GLLightSource1);
    EXPECT_EQ(scene.Objects()[2], &scene.GLDummyCube1);
    EXPECT_EQ(scene.Objects()[3], &scene.GLLightSource2);
    EXPECT_EQ(scene.GLCamera1.Parent(), &scene.GLDummyCube1);
    EXPECT_EQ(scene.GLCamera1.TargetObject(), &scene.GLDummyCube1);

    EXPECT_FALSE(scene.HeightField1.Visible());
    EXPECT_EQ(scene.HeightField1.Options(), static_cast<unsigned>(hfoTwoSided));
    ExpectVec(scene.HeightField1.Direction.AsVector(), 0, 1, -4.371139e-8f, 0);
    const TGLFaceProperties& front = scene.HeightField1.Material.FrontProperties();
    EXPECT_EQ(front.Diffuse, (TVector4f{0.8f, 0.8f, 0.8f, 1}));
    EXPECT_EQ(front.Ambient, (TVector4f{0.2f, 0.2f, 0.2f, 1}));
    const TGLTexture& tex = scene.HeightField1.Material.Texture;
    EXPECT_TRUE(tex.Disabled());
    EXPECT_EQ(tex.TextureMode(), TGLTextureMode::Replace);
    EXPECT_EQ(tex.ImageBrightness(), 1.0f);
    EXPECT_EQ(tex.MappingSCoordinates(), (TVector4f{1, 0, 0, 0}));
    EXPECT_EQ(tex.MappingTCoordinates(), (TVector4f{0, 1, 0, 0}));

    ExpectVec(scene.GLLightSource1.AbsolutePosition(), 30, 50, 100);
    ExpectVec(scene.GLLightSource2.AbsolutePosition(), 0, 50, 0);
    for (TGLLightSource* l : scene.Lights()) {
        EXPECT_EQ(l->Diffuse(), (TVector4f{0.75f, 0.75f, 0.75f, 1}));
        EXPECT_EQ(l->ConstAttenuation(), 1.0f);
        EXPECT_EQ(l->SpotCutOff(), 180.0f);
        EXPECT_TRUE(l->Shining());
    }

    const TGLCamera& cam = scene.GLCamera1;
    ExpectVec(cam.AbsolutePosition(), 10, 10, 10);
    EXPECT_EQ(cam.FocalLength(), 100.0f);
    EXPECT_EQ(cam.DepthOfView(), 100.0f);
    EXPECT_EQ(cam.SceneScale(), 2.5f);
    EXPECT_EQ(cam.NearPlaneBias(), 0.01f);
}

TEST(SceneNotification, EachPropertyChangeRequestsExactlyOneRedraw) {
    struct TCase {
        std::string Name;
        std::function<void(TGLScene&)> Change;
        int Redraws;
    };
    const TCase cases[] = {
        {"camera coordinate", [](TGLScene& s) { s.GLCamera1.Position.SetCoordinate(0, 3); }, 1},
        {"node translate",
         [](TGLScene& s) {
             s.GLDummyCube1.Position.Translate({1, 0, 0, 0});
         },
         1},
        {"z scale", [](TGLScene& s) { s.HeightField1.Scale.SetCoordinate(2, 2); }, 1},
        {"visible", [](TGLScene& s) { s.HeightField1.SetVisible(true); }, 1},
        {"step", [](TGLScene& s) { s.HeightField1.XSamplingScale.SetStep(0.01f); }, 1},
        {"min above max", [](TGLScene& s) { s.HeightField1.YSamplingScale.SetMin(4); }, 1},
        {"attenuation", [](TGLScene& s) { s.GLLightSource1.SetConstAttenuation(0.5f); }, 1},
        {"same attenuation", [](TGLScene& s) { s.GLLightSource2.SetConstAttenuation(1.0f); }, 0},
        {"texture on", [](TGLScene& s) { s.HeightField1.Material.Texture.SetDisabled(false); }, 1},
        {"orbit", [](TGLScene& s) { s.GLCamera1.MoveAroundTarget(5, 5); }, 1},
        {"zoom", [](TGLScene& s) { s.GLCamera1.AdjustDistanceToTarget(1.05f); }, 1},
    };
    for (const TCase& c : cases) {
        TCountingScene scene;
        const long long before = scene.Notifier.RequestCount();
        c.Change(scene);
        EXPECT_EQ(scene.Redraws, c.Redraws) << c.Name;
        EXPECT_EQ(scene.Notifier.RequestCount() - before, c.Redraws) << c.Name;
    }
}

TEST(SceneNotification, StructureChangesMarkOneRebuildOthersNone) {
    struct TCase {
        std::string Name;
        std::function<void(TGLHeightField&)> Change;
        int Rebuilds;
    };
    const TCase cases[] = {
        {"step", [](TGLHeightField& h) { h.XSamplingScale.SetStep(0.01f); }, 1},
        {"same step", [](TGLHeightField& h) { h.YSamplingScale.SetStep(0.1f); }, 1},
        {"range", [](TGLHeightField& h) { h.XSamplingScale.SetMax(1); }, 1},
        {"options", [](TGLHeightField& h) { h.SetOptions(0); }, 1},
        {"same options", [](TGLHeightField& h) { h.SetOptions(hfoTwoSided); }, 0},
        {"colour mode",
         [](TGLHeightField& h) { h.SetColorMode(THeightFieldColorMode::hfcmDiffuse); }, 1},
        {"callback",
         [](TGLHeightField& h) {
             h.SetOnGetHeight([](float, float, float&, TVector4f&, TTexPoint&) {});
         },
         1},
        {"z scale", [](TGLHeightField& h) { h.Scale.SetCoordinate(2, 3); }, 0},
        {"texture", [](TGLHeightField& h) { h.Material.Texture.SetDisabled(false); }, 0},
    };
    for (const TCase& c : cases) {
        TCountingScene scene;
        const auto before = scene.HeightField1.StructureRevision();
        c.Change(scene.HeightField1);
        EXPECT_EQ(scene.HeightField1.StructureRevision() - before,
                  static_cast<std::uint64_t>(c.Rebuilds))
            << c.Name;
        EXPECT_EQ(scene.Redraws,
                  c.Rebuilds > 0 || c.Name == "z scale" || c.Name == "texture" ? 1 : 0)
            << c.Name;
    }
}

TEST(SceneNotification, RequestsDuringAFrameAreDropped) {
    TCountingScene scene;
    scene.Notifier.SetRendering(true);
    scene.GLCamera1.Position.SetCoordinate(1, 2);
    scene.Notifier.SetRendering(false);
    EXPECT_EQ(scene.Redraws, 0);
    scene.GLCamera1.Position.SetCoordinate(1, 3);
    EXPECT_EQ(scene.Redraws, 1);
}
