#include "view3d/HeightField.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace orvane::view3d;

namespace {

struct RecordedVertex {
    float N[3];
    float X, Y, Z;
};

struct RecordingSink : HeightFieldSink {
    int MeshBegins = 0;
    bool TwoSided = false;
    std::vector<std::vector<RecordedVertex>> Strips;
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

void SetupTinyGrid(HeightField& hf) {
    hf.xSamplingScale.SetMax(1.0f);
    hf.xSamplingScale.SetMin(0.0f);
    hf.xSamplingScale.SetStep(0.5f);
    hf.ySamplingScale.SetMax(0.5f);
    hf.ySamplingScale.SetMin(0.0f);
    hf.ySamplingScale.SetStep(0.25f);
    hf.SetOnGetHeight([](float x, float y, float& z, Vector4f&, TexPoint&) {
        z = Heights[static_cast<int>(std::lround(y * 4))][static_cast<int>(std::lround(x * 2))];
    });
}

void ExpectNormal(const RecordedVertex& v, float dx, float dy) {
    const float len = std::sqrt(dx * dx + dy * dy + 1);
    EXPECT_NEAR(v.N[0], dx / len, 1e-6) << "at " << v.X << "," << v.Y;
    EXPECT_NEAR(v.N[1], dy / len, 1e-6) << "at " << v.X << "," << v.Y;
    EXPECT_NEAR(v.N[2], 1 / len, 1e-6) << "at " << v.X << "," << v.Y;
}

const RecordedVertex* Find(const RecordingSink& sink, float x, float y) {
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
    HeightField hf;
    SetupTinyGrid(hf);
    RecordingSink sink;
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
            const RecordedVertex& b = strip[2 * j];
            const RecordedVertex& a = strip[2 * j + 1];
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
    HeightField hf;
    SetupTinyGrid(hf);
    RecordingSink sink;
    hf.BuildList(sink);
    struct Case {
        float X, Y, Dx, Dy;
    };
    // Hand-computed from the height table: inner points take both neighbours, borders one.
    const Case cases[] = {
        {0.5f, 0.25f, ((2 - 2) + (2 - 5)) * 2.0f, ((1 - 2) + (2 - 4)) * 4.0f}, // centre
        {0.0f, 0.0f, (0 - 1) * 2.0f, (0 - 2) * 4.0f},                          // first corner
        {1.0f, 0.5f, (4 - 0) * 2.0f, (5 - 0) * 4.0f},                          // last corner
        {0.5f, 0.0f, ((0 - 1) + (1 - 3)) * 2.0f, (1 - 2) * 4.0f},              // bottom edge
        {1.0f, 0.25f, (2 - 5) * 2.0f, ((3 - 5) + (5 - 0)) * 4.0f},             // right edge
    };
    for (const Case& c : cases) {
        const RecordedVertex* v = Find(sink, c.X, c.Y);
        ASSERT_NE(v, nullptr) << c.X << "," << c.Y;
        ExpectNormal(*v, c.Dx, c.Dy);
    }
    // Every occurrence of a grid point (shared by two strips) carries the same normal.
    const RecordedVertex* a = &sink.Strips[0][0];
    const RecordedVertex* b = &sink.Strips[1][1];
    ASSERT_EQ(a->Y, b->Y);
    EXPECT_EQ(a->N[0], b->N[0]);
    EXPECT_EQ(a->N[1], b->N[1]);
}

TEST(MeshBuild, FirstTriangleOfEveryStripIsCounterClockwiseFromPlusZ) {
    HeightField hf;
    SetupTinyGrid(hf);
    RecordingSink sink;
    hf.BuildList(sink);
    for (const auto& strip : sink.Strips) {
        const auto& p0 = strip[0];
        const auto& p1 = strip[1];
        const auto& p2 = strip[2];
        const float crossZ = (p1.X - p0.X) * (p2.Y - p0.Y) - (p1.Y - p0.Y) * (p2.X - p0.X);
        EXPECT_GT(crossZ, 0);
    }
}

struct GridCase {
    int Rows;
    int Columns;
};

class MeshShape : public ::testing::TestWithParam<GridCase> {};

TEST_P(MeshShape, KRowsOfMSamplesGiveKMinus1StripsOf2MVertices) {
    const GridCase c = GetParam();
    HeightField hf;
    // Whole-number steps from 0 sample exactly Columns x Rows points.
    hf.xSamplingScale.SetMax(static_cast<float>(c.Columns - 1) + 0.25f);
    hf.xSamplingScale.SetMin(0);
    hf.xSamplingScale.SetStep(1);
    hf.ySamplingScale.SetMax(static_cast<float>(c.Rows - 1) + 0.25f);
    hf.ySamplingScale.SetMin(0);
    hf.ySamplingScale.SetStep(1);
    int calls = 0;
    hf.SetOnGetHeight([&](float x, float y, float& z, Vector4f&, TexPoint& t) {
        EXPECT_EQ(t.S, x); // the texture point arrives preset to (x, y)
        EXPECT_EQ(t.T, y);
        z = x * y;
        ++calls;
    });
    RecordingSink sink;
    hf.BuildList(sink);
    EXPECT_EQ(calls, c.Rows * c.Columns);
    ASSERT_EQ(static_cast<int>(sink.Strips.size()), c.Rows - 1);
    for (const auto& strip : sink.Strips) {
        EXPECT_EQ(static_cast<int>(strip.size()), 2 * c.Columns);
    }
}

INSTANTIATE_TEST_SUITE_P(Grids, MeshShape,
                         ::testing::Values(GridCase{1, 4}, GridCase{2, 4}, GridCase{5, 3},
                                           GridCase{4, 1}, GridCase{7, 9}));

TEST(MeshBuild, InvalidScaleDrawsNothing) {
    HeightField hf;
    hf.xSamplingScale.SetMax(1);
    hf.xSamplingScale.SetMin(0);
    // y range left empty (Min = max = 0)
    int calls = 0;
    hf.SetOnGetHeight([&](float, float, float&, Vector4f&, TexPoint&) { ++calls; });
    RecordingSink sink;
    hf.BuildList(sink);
    EXPECT_EQ(sink.MeshBegins, 0);
    EXPECT_TRUE(sink.Strips.empty());
    EXPECT_EQ(calls, 0);
}

TEST(MeshBuild, WithoutCallbackTheMeshIsFlat) {
    HeightField hf;
    hf.xSamplingScale.SetMax(1);
    hf.xSamplingScale.SetMin(-1);
    hf.xSamplingScale.SetStep(0.5f);
    hf.ySamplingScale.SetMax(1);
    hf.ySamplingScale.SetMin(-1);
    hf.ySamplingScale.SetStep(0.5f);
    RecordingSink sink;
    hf.BuildList(sink);
    ASSERT_EQ(sink.Strips.size(), 4u);
    for (const auto& strip : sink.Strips) {
        for (const auto& v : strip) {
            EXPECT_EQ(v.Z, 0.0f);
            EXPECT_EQ(v.N[2], 1.0f);
        }
    }
}
