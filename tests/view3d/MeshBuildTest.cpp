#include "view3d/HeightField.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace orvane::view3d;

namespace {

struct TRecordedVertex {
    float N[3];
    float X, Y, Z;
};

struct TRecordingSink : THeightFieldSink {
    int MeshBegins = 0;
    bool TwoSided = false;
    std::vector<std::vector<TRecordedVertex>> Strips;
    bool Open = false;

    void BeginMesh(bool twoSided) override {
        ++MeshBegins;
        TwoSided = twoSided;
    }
    void BeginStrip() override {
        EXPECT_FALSE(Open);
        Open = true;
        Strips.emplace_back();
    }
    void Vertex(const float n[3], float x, float y, float z) override {
        EXPECT_TRUE(Open);
        Strips.back().push_back({{n[0], n[1], n[2]}, x, y, z});
    }
    void EndStrip() override {
        EXPECT_TRUE(Open);
        Open = false;
    }
};

// Grid x in {0, 0.5, 1} (inverse step 2), y in {0, 0.25, 0.5} (inverse step 4); heights by
// (row, column) from the table below. Different steps per axis catch swapped factors.
const float Heights[3][3] = {
    {0, 1, 3}, // y = 0
    {2, 2, 5}, // y = 0.25
    {1, 4, 0}, // y = 0.5
};

void SetupTinyGrid(TGLHeightField& hf) {
    hf.XSamplingScale.SetMax(1.0f);
    hf.XSamplingScale.SetMin(0.0f);
    hf.XSamplingScale.SetStep(0.5f);
    hf.YSamplingScale.SetMax(0.5f);
    hf.YSamplingScale.SetMin(0.0f);
    hf.YSamplingScale.SetStep(0.25f);
    hf.SetOnGetHeight([](float x, float y, float& z, TVector4f&, TTexPoint&) {
        z = Heights[static_cast<int>(std::lround(y * 4))][static_cast<int>(std::lround(x * 2))];
    });
}

void ExpectNormal(const TRecordedVertex& v, float dx, float dy) {
    const float len = std::sqrt(dx * dx + dy * dy + 1);
    EXPECT_NEAR(v.N[0], dx / len, 1e-6) << "at " << v.X << "," << v.Y;
    EXPECT_NEAR(v.N[1], dy / len, 1e-6) << "at " << v.X << "," << v.Y;
    EXPECT_NEAR(v.N[2], 1 / len, 1e-6) << "at " << v.X << "," << v.Y;
}

const TRecordedVertex* Find(const TRecordingSink& sink, float x, float y) {
    for (const auto& strip : sink.Strips) {
        for (const auto& v : strip) {
            if (v.X == x && v.Y == y) {
                return &v;
            }
        }
    }
    return nullptr;
}

} // namespace

TEST(MeshBuild, TinyGridStripsFollowB0A0B1A1Order) {
    TGLHeightField hf;
    SetupTinyGrid(hf);
    TRecordingSink sink;
    hf.BuildList(sink);
    EXPECT_EQ(sink.MeshBegins, 1);
    EXPECT_TRUE(sink.TwoSided);
    ASSERT_EQ(sink.Strips.size(), 2u);
    for (int s = 0; s < 2; ++s) {
        const auto& strip = sink.Strips[s];
        ASSERT_EQ(strip.size(), 6u);
        const float ya = 0.25f * s;
        const float yb = 0.25f * (s + 1);
        for (int j = 0; j < 3; ++j) {
            const TRecordedVertex& b = strip[2 * j];
            const TRecordedVertex& a = strip[2 * j + 1];
            EXPECT_EQ(b.X, 0.5f * j);
            EXPECT_EQ(b.Y, yb);
            EXPECT_EQ(b.Z, Heights[s + 1][j]);
            EXPECT_EQ(a.X, 0.5f * j);
            EXPECT_EQ(a.Y, ya);
            EXPECT_EQ(a.Z, Heights[s][j]);
        }
    }
}

TEST(MeshBuild, NormalsUseNeighbourDifferencesScaledByInverseSteps) {
    TGLHeightField hf;
    SetupTinyGrid(hf);
    TRecordingSink sink;
    hf.BuildList(sink);
    struct TCase {
        float X, Y, Dx, Dy;
    };
    // Hand-computed from the height table: inner points take both neighbours, borders one.
    const TCase cases[] = {
        {0.5f, 0.25f, ((2 - 2) + (2 - 5)) * 2.0f, ((1 - 2) + (2 - 4)) * 4.0f}, // centre
        {0.0f, 0.0f, (0 - 1) * 2.0f, (0 - 2) * 4.0f},                          // first corner
        {1.0f, 0.5f, (4 - 0) * 2.0f, (5 - 0) * 4.0f},                          // last corner
        {0.5f, 0.0f, ((0 - 1) + (1 - 3)) * 2.0f, (1 - 2) * 4.0f},              // bottom edge
        {1.0f, 0.25f, (2 - 5) * 2.0f, ((3 - 5) + (5 - 0)) * 4.0f},             // right edge
    };
    for (const TCase& c : cases) {
        const TRecordedVertex* v = Find(sink, c.X, c.Y);
        ASSERT_NE(v, nullptr) << c.X << "," << c.Y;
        ExpectNormal(*v, c.Dx, c.Dy);
    }
    // Every occurrence of a grid point (shared by two strips) carries the same normal.
    const TRecordedVertex* a = &sink.Strips[0][0];
    const TRecordedVertex* b = &sink.Strips[1][1];
    ASSERT_EQ(a->Y, b->Y);
    EXPECT_EQ(a->N[0], b->N[0]);
    EXPECT_EQ(a->N[1], b->N[1]);
}

TEST(MeshBuild, FirstTriangleOfEveryStripIsCounterClockwiseFromPlusZ) {
    TGLHeightField hf;
    SetupTinyGrid(hf);
    TRecordingSink sink;
    hf.BuildList(sink);
    for (const auto& strip : sink.Strips) {
        const auto& p0 = strip[0];
        const auto& p1 = strip[1];
        const auto& p2 = strip[2];
        const float crossZ = (p1.X - p0.X) * (p2.Y - p0.Y) - (p1.Y - p0.Y) * (p2.X - p0.X);
        EXPECT_GT(crossZ, 0);
    }
}

struct TGridCase {
    int Rows;
    int Columns;
};

class MeshShape : public ::testing::TestWithParam<TGridCase> {};

TEST_P(MeshShape, KRowsOfMSamplesGiveKMinus1StripsOf2MVertices) {
    const TGridCase c = GetParam();
    TGLHeightField hf;
    // Whole-number steps from 0 sample exactly Columns x Rows points.
    hf.XSamplingScale.SetMax(static_cast<float>(c.Columns - 1) + 0.25f);
    hf.XSamplingScale.SetMin(0);
    hf.XSamplingScale.SetStep(1);
    hf.YSamplingScale.SetMax(static_cast<float>(c.Rows - 1) + 0.25f);
    hf.YSamplingScale.SetMin(0);
    hf.YSamplingScale.SetStep(1);
    int calls = 0;
    hf.SetOnGetHeight([&](float x, float y, float& z, TVector4f&, TTexPoint& t) {
        EXPECT_EQ(t.S, x); // the texture point arrives preset to (x, y)
        EXPECT_EQ(t.T, y);
        z = x * y;
        ++calls;
    });
    TRecordingSink sink;
    hf.BuildList(sink);
    EXPECT_EQ(calls, c.Rows * c.Columns);
    ASSERT_EQ(static_cast<int>(sink.Strips.size()), c.Rows - 1);
    for (const auto& strip : sink.Strips) {
        EXPECT_EQ(static_cast<int>(strip.size()), 2 * c.Columns);
    }
}

INSTANTIATE_TEST_SUITE_P(Grids, MeshShape,
                         ::testing::Values(TGridCase{1, 4}, TGridCase{2, 4}, TGridCase{5, 3},
                                           TGridCase{4, 1}, TGridCase{7, 9}));

TEST(MeshBuild, InvalidScaleDrawsNothing) {
    TGLHeightField hf;
    hf.XSamplingScale.SetMax(1);
    hf.XSamplingScale.SetMin(0);
    // y range left empty (Min = max = 0)
    int calls = 0;
    hf.SetOnGetHeight([&](float, float, float&, TVector4f&, TTexPoint&) { ++calls; });
    TRecordingSink sink;
    hf.BuildList(sink);
    EXPECT_EQ(sink.MeshBegins, 0);
    EXPECT_TRUE(sink.Strips.empty());
    EXPECT_EQ(calls, 0);
}

TEST(MeshBuild, WithoutCallbackTheMeshIsFlat) {
    TGLHeightField hf;
    hf.XSamplingScale.SetMax(1);
    hf.XSamplingScale.SetMin(-1);
    hf.XSamplingScale.SetStep(0.5f);
    hf.YSamplingScale.SetMax(1);
    hf.YSamplingScale.SetMin(-1);
    hf.YSamplingScale.SetStep(0.5f);
    TRecordingSink sink;
    hf.BuildList(sink);
    ASSERT_EQ(sink.Strips.size(), 4u);
    for (const auto& strip : sink.Strips) {
        for (const auto& v : strip) {
            EXPECT_EQ(v.Z, 0.0f);
            EXPECT_EQ(v.N[2], 1.0f);
        }
    }
}
