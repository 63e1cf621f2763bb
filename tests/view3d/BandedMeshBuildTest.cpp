// The mesh built in bands on several threads against the one-pass build, bit for bit, and
// the coarse mesh drawn while the camera moves.
#include "view3d/BandedMeshBuild.h"
#include "view3d/ReliefSetup.h"
#include "view3d/TrackBarRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

using namespace orvane::view3d;

namespace {

std::uint32_t Bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Everything a sink receives, floats as their bit patterns.
struct TBitRecordingSink : THeightFieldSink {
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
void RoughHeight(float x, float y, float& z, TVector4f&, TTexPoint&) {
    std::uint32_t h = Bits(x) * 2654435761u ^ (Bits(y) + 0x9E3779B9u) * 40503u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    z = static_cast<float>(h % 100000u) * 1e-6f + 0.05f * std::sin(7 * x + 3 * y);
}

void ExpectSameMesh(const TBitRecordingSink& onePass, const TBitRecordingSink& banded,
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

struct TReliefCase {
    std::int64_t Width;
    std::int64_t Height;
    int ResolutionPosition;
};

} // namespace

TEST(BandedMeshBuild, EqualsTheOnePassMeshBitForBit) {
    const TReliefCase cases[] = {
        {2400, 1800, 100}, // the finest relief of a landscape scan: 1001 x 751 samples
        {600, 1000, 37},   // portrait
        {1000, 1000, 0},   // the coarsest position
        {1000, 500, 50},   {3000, 40, 100}, // a narrow strip: fewer strips than a band's minimum
    };
    for (const TReliefCase& c : cases) {
        TGLHeightField field;
        SetReliefRanges(field, c.Width, c.Height);
        ApplyResolutionPosition(field, c.ResolutionPosition);
        field.SetOnGetHeight(RoughHeight);
        TBitRecordingSink onePass;
        field.BuildList(onePass);
        ASSERT_GT(onePass.StripLengths.size(), 0u);
        for (int threads : {1, 2, 3, 8}) {
            TBitRecordingSink banded;
            BuildMeshStrips(field, 1, threads).Replay(banded);
            ExpectSameMesh(onePass, banded,
                           std::to_string(c.Width) + "x" + std::to_string(c.Height) + " p" +
                               std::to_string(c.ResolutionPosition) + " on " +
                               std::to_string(threads) + " threads");
        }
    }
}

TEST(BandedMeshBuild, EdgeGridsMatchTheOnePassBuild) {
    struct TAxis {
        float Min, Max, Step;
    };
    struct TCase {
        const char* Name;
        TAxis X, Y;
        THeightFieldOptions Options;
    } const cases[] = {
        {"one row", {0, 3.25f, 1}, {0, 0.5f, 1}, hfoTwoSided},
        {"one column", {0, 0.5f, 1}, {0, 70.25f, 1}, hfoTwoSided},
        {"one-sided", {-1, 1, 0.01f}, {-1, 1, 0.01f}, 0},
        {"y step lost in rounding", {0, 2, 1}, {1e8f, 1e8f + 64, 1}, hfoTwoSided},
        {"empty y range", {0, 1, 0.5f}, {0, 0, 0.5f}, hfoTwoSided},
    };
    for (const TCase& c : cases) {
        TGLHeightField field;
        field.SetOptions(c.Options);
        field.XSamplingScale.SetMax(c.X.Max);
        field.XSamplingScale.SetMin(c.X.Min);
        field.XSamplingScale.SetStep(c.X.Step);
        field.YSamplingScale.SetMax(c.Y.Max);
        field.YSamplingScale.SetMin(c.Y.Min);
        field.YSamplingScale.SetStep(c.Y.Step);
        field.SetOnGetHeight(RoughHeight);
        TBitRecordingSink onePass;
        field.BuildList(onePass);
        TBitRecordingSink banded;
        BuildMeshStrips(field, 1, 4).Replay(banded);
        ExpectSameMesh(onePass, banded, c.Name);
    }
}

TEST(BandedMeshBuild, CallbackErrorsReachTheCaller) {
    TGLHeightField field;
    SetReliefRanges(field, 1000, 1000);
    ApplyResolutionPosition(field, 100);
    field.SetOnGetHeight([](float, float y, float& z, TVector4f&, TTexPoint&) {
        if (y > 0.4f) {
            throw std::runtime_error("no height");
        }
        z = 0;
    });
    EXPECT_THROW(BuildMeshStrips(field, 1, 4), std::runtime_error);
}

TEST(CoarseMesh, StrideKeepsTheMeshWithinTheBudget) {
    struct TCase {
        TGridSize Full;
        int Stride;
    } const cases[] = {
        {{1001, 1001}, 3},                  // the finest square relief: 2,000,000 triangles
        {{1001, 751}, 3},  {{251, 251}, 1}, // light enough to be drawn while moving
        {{354, 354}, 1},                    // 249,218 triangles: just within
        {{355, 355}, 2},                    // 250,632: just over
        {{0, 0}, 1},       {{5000, 1}, 1},  // one row: no triangle at all
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(CoarseMeshStride(c.Full), c.Stride) << c.Full.Columns << "x" << c.Full.Rows;
    }
}

TEST(CoarseMesh, SamplesEveryKthPointOfTheFullGridAndItsLastRowAndColumn) {
    TGLHeightField field;
    SetReliefRanges(field, 2400, 1800);
    ApplyResolutionPosition(field, 100);
    field.SetOnGetHeight(RoughHeight);
    const TGridSize grid = HeightFieldGridSize(field);
    const int stride = CoarseMeshStride(grid);
    ASSERT_EQ(stride, 3);

    const TMeshStrips full = BuildMeshStrips(field);
    ASSERT_EQ(full.VerticesPerStrip, 2 * grid.Columns);
    ASSERT_EQ(full.StripCount, grid.Rows - 1);
    const TMeshStrips coarse = BuildMeshStrips(field, stride, 2);
    // Every third column and row, and the last of each when not already in.
    auto strided = [stride](int n) { return (n - 1) / stride + 1 + ((n - 1) % stride ? 1 : 0); };
    EXPECT_EQ(coarse.VerticesPerStrip, 2 * strided(grid.Columns));
    EXPECT_EQ(coarse.StripCount, strided(grid.Rows) - 1);
    EXPECT_LE(coarse.TriangleCount(), CoarseTriangleBudget);
    EXPECT_LE(coarse.TriangleCount() * 5, full.TriangleCount());

    // Every coarse point is a full-grid point with the same height.
    std::map<std::pair<std::uint32_t, std::uint32_t>, float> heights;
    for (int s = 0; s < full.StripCount; ++s) {
        const float* v = full.Strip(s);
        for (int i = 0; i < full.VerticesPerStrip; ++i, v += 6) {
            heights[{Bits(v[3]), Bits(v[4])}] = v[5];
        }
    }
    for (int s = 0; s < coarse.StripCount; ++s) {
        const float* v = coarse.Strip(s);
        for (int i = 0; i < coarse.VerticesPerStrip; ++i, v += 6) {
            const auto found = heights.find({Bits(v[3]), Bits(v[4])});
            ASSERT_NE(found, heights.end()) << "strip " << s << " vertex " << i;
            ASSERT_EQ(found->second, v[5]);
        }
    }
    // The same corners: A0 of the first strip, B(m-1) of the last.
    EXPECT_EQ(coarse.Strip(0)[1 * 6 + 3], full.Strip(0)[1 * 6 + 3]);
    EXPECT_EQ(coarse.Strip(0)[1 * 6 + 4], full.Strip(0)[1 * 6 + 4]);
    const float* lastCoarse =
        coarse.Strip(coarse.StripCount - 1) + (coarse.VerticesPerStrip - 2) * 6;
    const float* lastFull = full.Strip(full.StripCount - 1) + (full.VerticesPerStrip - 2) * 6;
    EXPECT_EQ(lastCoarse[3], lastFull[3]);
    EXPECT_EQ(lastCoarse[4], lastFull[4]);
}

TEST(CoarseMesh, NormalsFollowTheRuleOnTheCoarseSpacing) {
    TGLHeightField field;
    SetReliefRanges(field, 1000, 1000);
    ApplyResolutionPosition(field, 100);
    // A plane z = a x + b y: every inner normal is (-2a, -2b, 1) normalised (central
    // differences are twice the slope), whatever the spacing; a stride left out of the
    // inverse spacing would scale the slope by it.
    const float a = 0.3f;
    const float b = -0.2f;
    field.SetOnGetHeight(
        [a, b](float x, float y, float& z, TVector4f&, TTexPoint&) { z = a * x + b * y; });
    const TMeshStrips coarse = BuildMeshStrips(field, 3);
    const double len = std::sqrt(4.0 * a * a + 4.0 * b * b + 1);
    const float* v = coarse.Strip(coarse.StripCount / 2) + 2 * 10 * 6; // an inner B vertex
    EXPECT_NEAR(v[0], -2 * a / len, 2e-3);
    EXPECT_NEAR(v[1], -2 * b / len, 2e-3);
    EXPECT_NEAR(v[2], 1 / len, 2e-3);
}
