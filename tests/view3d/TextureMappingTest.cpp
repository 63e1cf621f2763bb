// The S and T planes that stretch a texture over the whole relief.
#include "view3d/TextureMapping.h"
#include "view3d/Scene.h"

#include <gtest/gtest.h>

using namespace orvane::view3d;

namespace {

void ExpectPlane(const Vector4f& v, float a, float b, float c, float d, const char* what) {
    EXPECT_FLOAT_EQ(v[0], a) << what;
    EXPECT_FLOAT_EQ(v[1], b) << what;
    EXPECT_FLOAT_EQ(v[2], c) << what;
    EXPECT_FLOAT_EQ(v[3], d) << what;
}

// s and t that the planes give at a point of the mesh's local frame.
float Gen(const Vector4f& plane, float x, float y, float z) {
    return plane[0] * x + plane[1] * y + plane[2] * z + plane[3];
}

} // namespace

TEST(TexturePlanes, StretchThePictureOverTheRelief) {
    struct Case {
        const char* Name;
        std::int64_t P, Q; // file extent: ImageWidth x ColumnStep, ImageHeight x RowStep
        float XMax, YMax;
        Vector4f S, T;
    };
    const Case cases[] = {
        {"portrait 600 x 1000", 600, 1000, 0.3f, 0.5f, {1.6666666f, 0, 0, 0.5f}, {0, 1, 0, 0.5f}},
        {"landscape 1000 x 500", 1000, 500, 0.5f, 0.25f, {1, 0, 0, 0.5f}, {0, 2, 0, 0.5f}},
        {"square takes the landscape branch", 64, 64, 0.5f, 0.5f, {1, 0, 0, 0.5f}, {0, 1, 0, 0.5f}},
        // The steps count: 300 columns kept of 600, 1000 rows of 1000 is still portrait.
        {"thinned portrait",
         300 * 2,
         500 * 2,
         0.3f,
         0.5f,
         {1.6666666f, 0, 0, 0.5f},
         {0, 1, 0, 0.5f}},
    };
    for (const Case& c : cases) {
        Scene scene;
        Texture& tex = scene.heightField.material.texture;
        SetTexturePlanes(tex, c.P, c.Q, c.XMax, c.YMax);
        ExpectPlane(tex.MappingSCoordinates(), c.S[0], c.S[1], c.S[2], c.S[3], c.Name);
        ExpectPlane(tex.MappingTCoordinates(), c.T[0], c.T[1], c.T[2], c.T[3], c.Name);
        // s runs 0..1 across the columns, t 0..1 from the bottom row to the top row, and the
        // heights play no part.
        for (float z : {-3.0f, 0.0f, 5.0f}) {
            EXPECT_NEAR(Gen(tex.MappingSCoordinates(), -c.XMax, 0, z), 0, 1e-6) << c.Name;
            EXPECT_NEAR(Gen(tex.MappingSCoordinates(), c.XMax, 0, z), 1, 1e-6) << c.Name;
            EXPECT_NEAR(Gen(tex.MappingTCoordinates(), 0, -c.YMax, z), 0, 1e-6) << c.Name;
            EXPECT_NEAR(Gen(tex.MappingTCoordinates(), 0, c.YMax, z), 1, 1e-6) << c.Name;
        }
    }
}

TEST(TexturePlanes, OnlyComponentsZeroOneAndThreeAreWritten) {
    // Planes left from a previous landscape load keep their other components: a portrait
    // load after it writes S[0] and T[1] (and T[3], S[3]) but not S[1] or T[0].
    Scene scene;
    Texture& tex = scene.heightField.material.texture;
    tex.SetMappingSCoordinate(1, 7);
    tex.SetMappingSCoordinate(2, 8);
    tex.SetMappingTCoordinate(0, 9);
    tex.SetMappingTCoordinate(2, 6);
    SetTexturePlanes(tex, 600, 1000, 0.3f, 0.5f);
    ExpectPlane(tex.MappingSCoordinates(), 1.6666666f, 7, 8, 0.5f, "S");
    ExpectPlane(tex.MappingTCoordinates(), 9, 1, 6, 0.5f, "T");
}

TEST(TextureState, PictureAndBrightnessMoveTheUploadRevisionOthersDoNot) {
    Scene scene;
    Texture& tex = scene.heightField.material.texture;
    const long long requests = scene.notifier.RequestCount();
    std::uint64_t rev = tex.ImageRevision();

    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    tex.SetImage(picture, "a.png");
    EXPECT_GT(tex.ImageRevision(), rev);
    EXPECT_EQ(tex.ImageFileName(), "a.png");
    rev = tex.ImageRevision();
    tex.SetImageBrightness(1.5f);
    EXPECT_GT(tex.ImageRevision(), rev);
    rev = tex.ImageRevision();
    tex.SetTextureMode(TextureMode::Modulate);
    tex.SetDisabled(false);
    tex.SetMappingSCoordinate(0, 2);
    tex.SetImageBrightness(1.5f);
    EXPECT_EQ(tex.ImageRevision(), rev);
    tex.ClearImage();
    EXPECT_GT(tex.ImageRevision(), rev);
    EXPECT_TRUE(tex.Image().isNull());
    EXPECT_TRUE(tex.ImageFileName().isEmpty());
    // Every change asks for one redraw; the brightness set again is no change.
    EXPECT_EQ(scene.notifier.RequestCount() - requests, 6);
}
