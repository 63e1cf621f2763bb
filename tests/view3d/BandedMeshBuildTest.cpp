// The mesh built in bands on several threads against the one-pass build, bit for bit, and
// the coarse mesh drawn while the camera moves.
#include "view3d/BandedMeshBuild.h"
#include "view3d/ReliefSetup.h"
#include "view3d/TrackBarRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

using namespace orvane::view3d;

namespace {

std::uint32_t Bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Everything a sink receives, floats as their bit patterns.
struct BitRecordingSink : HeightFieldSink {
    int MeshBegins = 0;
    bool TwoSided = false;
    std::vector<int> StripLengths;
    std::vector<std::uint32_t> Values; // nx ny nz x y z per vertex

    void BeginMesh(bool twoSided) override {
        ++MeshBegins;
        TwoSided = twoSided;
    }
    void BeginStrip() override { StripLengths.push_back(0); }
    void Vertex(const float n[3], float x, float y, float z) override {
        ++StripLengths.back();
        for (float v : {n[0], n[1], n[2], x, y, z}) {
            Values.push_back(Bits(v));
        }
    }
    void EndStrip() override {}
};

// Heights that change from sample to sample in no regular way: every normal differs. Only
// reads its arguments, as a callback of the parallel build must.
void RoughHeight(float x, float y, float& z, Vector4f&, TexPoint&) {
    std::uint32_t h = Bits(x) * 2654435761u ^ (Bits(y) + 0x9E3779B9u) * 40503u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    z = static_cast<float>(h % 100000u) * 1e-6f + 0.05f * std::sin(7 * x + 3 * y);
}

void ExpectSameMesh(const BitRecordingSink& onePass, const BitRecordingSink& banded,
                    const std::string& what) {
    EXPECT_EQ(banded.MeshBegins, onePass.MeshBegins) << what;
    EXPECT_EQ(banded.TwoSided, onePass.TwoSided) << what;
    ASSERT_EQ(banded.StripLengths, onePass.StripLengths) << what;
    ASSERT_EQ(banded.Values.size(), onePass.Values.size()) << what;
    for (std::size_t i = 0; i < onePass.Values.size(); ++i) {
        if (banded.Values[i] != onePass.Values[i]) {
            const std::size_t vertex = i / 6;
            ADD_FAILURE() << what << ": vertex " << vertex << " value " << i % 6 << " differs";
            return;
        }
    }
}

struct ReliefCase {
    std::int64_t Width;
    std::int64_t Height;
    int ResolutionPosition;
};

} // namespace

TEST(BandedMeshBuild, EqualsTheOnePassMeshBitForBit) {
    const ReliefCase cases[] = {
        {2400, 1800, 100}, // the finest relief of a landscape scan: 1001 x 751 samples
        {600, 1000, 37},   // portrait
        {1000, 1000, 0},   // the coarsest position
        {1000, 500, 50},   {3000, 40, 100}, // a narrow strip: fewer strips than a band's minimum
    };
    for (const ReliefCase& c : cases) {
        HeightField field;
        SetReliefRanges(field, c.Width, c.Height);
        ApplyResolutionPosition(field, c.ResolutionPosition);
        field.SetOnGetHeight(RoughHeight);
        BitRecordingSink onePass;
        field.BuildList(onePass);
        ASSERT_GT(onePass.StripLengths.size(), 0u);
        for (int threads : {1, 2, 3, 8}) {
            BitRecordingSink banded;
            BuildGridMesh(field, 1, threads).Replay(banded);
            ExpectSameMesh(onePass, banded,
                           std::to_string(c.Width) + "x" + std::to_string(c.Height) + " p" +
                               std::to_string(c.ResolutionPosition) + " on " +
                               std::to_string(threads) + " threads");
        }
    }
}

TEST(BandedMeshBuild, EdgeGridsMatchTheOnePassBuild) {
    struct Axis {
        float Min, Max, Step;
    };
    struct Case {
        const char* Name;
        Axis X, Y;
        HeightFieldOptions Options;
    } const cases[] = {
        {"one row", {0, 3.25f, 1}, {0, 0.5f, 1}, kTwoSidedOption},
        {"one column", {0, 0.5f, 1}, {0, 70.25f, 1}, kTwoSidedOption},
        {"one-sided", {-1, 1, 0.01f}, {-1, 1, 0.01f}, 0},
        {"y step lost in rounding", {0, 2, 1}, {1e8f, 1e8f + 64, 1}, kTwoSidedOption},
        {"empty y range", {0, 1, 0.5f}, {0, 0, 0.5f}, kTwoSidedOption},
    };
    for (const Case& c : cases) {
        HeightField field;
        field.SetOptions(c.Options);
        field.xSamplingScale.SetMax(c.X.Max);
        field.xSamplingScale.SetMin(c.X.Min);
        field.xSamplingScale.SetStep(c.X.Step);
        field.ySamplingScale.SetMax(c.Y.Max);
        field.ySamplingScale.SetMin(c.Y.Min);
        field.ySamplingScale.SetStep(c.Y.Step);
        field.SetOnGetHeight(RoughHeight);
        BitRecordingSink onePass;
        field.BuildList(onePass);
        BitRecordingSink banded;
        BuildGridMesh(field, 1, 4).Replay(banded);
        ExpectSameMesh(onePass, banded, c.Name);
    }
}

TEST(BandedMeshBuild, CallbackErrorsReachTheCaller) {
    HeightField field;
    SetReliefRanges(field, 1000, 1000);
    ApplyResolutionPosition(field, 100);
    field.SetOnGetHeight([](float, float y, float& z, Vector4f&, TexPoint&) {
        if (y > 0.4f) {
            throw std::runtime_error("no height");
        }
        z = 0;
    });
    EXPECT_THROW(BuildGridMesh(field, 1, 4), std::runtime_error);
}

TEST(CoarseMesh, StrideKeepsTheMeshWithinTheBudget) {
    struct Case {
        GridSize Full;
        int Stride;
    } const cases[] = {
        {{1001, 1001}, 4}, // the finest square relief: 2,000,000 triangles
        {{1001, 751}, 4},  // the finest landscape relief
        {{251, 251}, 1},   // light enough to be drawn while moving
        {{274, 274}, 1},   // 149,058 triangles: just within
        {{275, 275}, 2},   // 150,152: just over
        {{0, 0}, 1},       // no grid
        {{5000, 1}, 1},    // one row: no triangle at all
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CoarseMeshStride(c.Full), c.Stride) << c.Full.Columns << "x" << c.Full.Rows;
    }
}

TEST(CoarseMesh, SamplesEveryKthPointOfTheFullGridAndItsLastRowAndColumn) {
    HeightField field;
    SetReliefRanges(field, 2400, 1800);
    ApplyResolutionPosition(field, 100);
    field.SetOnGetHeight(RoughHeight);
    const GridSize grid = HeightFieldGridSize(field);
    const int stride = CoarseMeshStride(grid);
    ASSERT_EQ(stride, 4);

    const GridMesh full = BuildGridMesh(field);
    ASSERT_EQ(full.Columns, grid.Columns);
    ASSERT_EQ(full.Rows, grid.Rows);
    const GridMesh coarse = BuildGridMesh(field, stride, 2);
    // Every fourth column and row, and the last of each when not already in.
    auto strided = [stride](int n) { return (n - 1) / stride + 1 + ((n - 1) % stride ? 1 : 0); };
    ASSERT_EQ(coarse.Columns, strided(grid.Columns));
    ASSERT_EQ(coarse.Rows, strided(grid.Rows));
    EXPECT_LE(coarse.TriangleCount(), CoarseTriangleBudget);
    EXPECT_LE(coarse.TriangleCount() * 5, full.TriangleCount());

    // Coarse point (r, c) is full point (k r, k c), or the last row or column, with the same
    // position and height.
    for (int r = 0; r < coarse.Rows; ++r) {
        const int fullRow = std::min(r * stride, full.Rows - 1);
        for (int c = 0; c < coarse.Columns; ++c) {
            const int fullColumn = std::min(c * stride, full.Columns - 1);
            const float* v = coarse.Vertex(r, c);
            const float* w = full.Vertex(fullRow, fullColumn);
            ASSERT_EQ(Bits(v[3]), Bits(w[3])) << r << "," << c;
            ASSERT_EQ(Bits(v[4]), Bits(w[4])) << r << "," << c;
            ASSERT_EQ(Bits(v[5]), Bits(w[5])) << r << "," << c;
        }
    }
}

TEST(CoarseMesh, NormalsFollowTheRuleOnTheCoarseSpacing) {
    HeightField field;
    SetReliefRanges(field, 1000, 1000);
    ApplyResolutionPosition(field, 100);
    // A plane z = a x + b y: every inner normal is (-2a, -2b, 1) normalised (central
    // differences are twice the slope), whatever the spacing; a stride left out of the
    // inverse spacing would scale the slope by it.
    const float a = 0.3f;
    const float b = -0.2f;
    field.SetOnGetHeight(
        [a, b](float x, float y, float& z, Vector4f&, TexPoint&) { z = a * x + b * y; });
    const GridMesh coarse = BuildGridMesh(field, 3);
    const double len = std::sqrt(4.0 * a * a + 4.0 * b * b + 1);
    const float* v = coarse.Vertex(coarse.Rows / 2, 10);
    EXPECT_NEAR(v[0], -2 * a / len, 2e-3);
    EXPECT_NEAR(v[1], -2 * b / len, 2e-3);
    EXPECT_NEAR(v[2], 1 / len, 2e-3);
}

TEST(GridMesh, StripIndicesFollowTheOnePassOrder) {
    // A 3-column, 3-row grid: strips B0 A0 B1 A1 B2 A2 between rows 0-1 and 1-2.
    std::vector<std::uint32_t> indices(2 * 2 * 3);
    FillStripIndices(3, 3, indices.data());
    EXPECT_EQ(indices, (std::vector<std::uint32_t>{3, 0, 4, 1, 5, 2, 6, 3, 7, 4, 8, 5}));

    // The same order as the mesh replayed to a sink, on a real grid.
    HeightField field;
    SetReliefRanges(field, 600, 400);
    ApplyResolutionPosition(field, 20);
    field.SetOnGetHeight(RoughHeight);
    const GridMesh mesh = BuildGridMesh(field);
    BitRecordingSink replayed;
    mesh.Replay(replayed);
    std::vector<std::uint32_t> all(static_cast<std::size_t>(mesh.StripCount()) *
                                   mesh.VerticesPerStrip());
    FillStripIndices(mesh.Columns, mesh.Rows, all.data());
    ASSERT_EQ(replayed.Values.size(), all.size() * 6);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const float* v = mesh.Vertices.data() + 6 * static_cast<std::size_t>(all[i]);
        for (int k = 0; k < 6; ++k) {
            ASSERT_EQ(Bits(v[k]), replayed.Values[6 * i + k]) << "index " << i;
        }
    }
}

TEST(GridMesh, StripsBetweenRowsAndTwoTrianglesPerCell) {
    struct Case {
        int Columns, Rows, Strips, VerticesPerStrip;
        long long Triangles;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0},
        {3, 1, 0, 6, 0}, // one row: no strip
        {0, 5, 0, 0, 0}, // no column: no strip
        {1, 4, 3, 2, 0}, // one column: strips without area
        {2, 2, 1, 4, 2},
        {5, 3, 2, 10, 16},
        {100000, 100000, 99999, 200000, 99999LL * 199998}, // past the range of int
    };
    for (const Case& c : cases) {
        const StripCounts counts = GridStrips(c.Columns, c.Rows);
        EXPECT_EQ(counts.Strips, c.Strips) << c.Columns << "x" << c.Rows;
        EXPECT_EQ(counts.VerticesPerStrip, c.VerticesPerStrip) << c.Columns << "x" << c.Rows;
        EXPECT_EQ(counts.Triangles, c.Triangles) << c.Columns << "x" << c.Rows;
    }
}
