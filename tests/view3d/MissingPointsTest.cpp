// Holes in the relief where the height callback gives NaN: the normals beside them, the
// strips cut around them, and the same triangles from every way the mesh is built.
#include "view3d/BandedMeshBuild.h"
#include "view3d/HeightFieldNormals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using namespace orvane::view3d;

namespace orvane::view3d {
void PrintTo(const StripRun& r, std::ostream* os) {
    *os << "{" << r.Strip << "," << r.FirstColumn << "," << r.Columns << "}";
}
} // namespace orvane::view3d

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

std::uint32_t Bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

struct RecordedVertex {
    float N[3];
    float X, Y, Z;
};

// Everything a sink receives; the strips' values also as bit patterns.
struct RecordingSink : HeightFieldSink {
    int MeshBegins = 0;
    std::vector<std::vector<RecordedVertex>> Strips;
    std::vector<std::uint32_t> Bits;

    void BeginMesh(bool) override { ++MeshBegins; }
    void BeginStrip() override { Strips.emplace_back(); }
    void Vertex(const float n[3], float x, float y, float z) override {
        Strips.back().push_back({{n[0], n[1], n[2]}, x, y, z});
        for (float v : {n[0], n[1], n[2], x, y, z}) {
            Bits.push_back(::Bits(v));
        }
    }
    void EndStrip() override {}

    long long Triangles() const {
        long long t = 0;
        for (const auto& s : Strips) {
            t += s.size() > 2 ? static_cast<long long>(s.size()) - 2 : 0;
        }
        return t;
    }
};

// A grid of Columns x Rows points at whole-number x and y (inverse spacings 1) whose
// heights vary from point to point, with the points `missing` says left out.
constexpr int Columns = 6;
constexpr int Rows = 5;
using HolePattern = std::function<bool(int row, int column)>;

void SetupGrid(HeightField& field, HolePattern missing, int columns = Columns, int rows = Rows) {
    field.xSamplingScale.SetMax(static_cast<float>(columns - 1) + 0.25f);
    field.xSamplingScale.SetMin(0);
    field.xSamplingScale.SetStep(1);
    field.ySamplingScale.SetMax(static_cast<float>(rows - 1) + 0.25f);
    field.ySamplingScale.SetMin(0);
    field.ySamplingScale.SetStep(1);
    field.SetOnGetHeight([missing](float x, float y, float& z, Vector4f&, TexPoint&) {
        const int column = static_cast<int>(x);
        const int row = static_cast<int>(y);
        z = missing(row, column) ? NaN : 0.1f * static_cast<float>((row * 7 + column * 3) % 5);
    });
}

// Triangles of the cells whose four corners are all present.
long long FullCellTriangles(const HolePattern& missing, int columns, int rows) {
    long long t = 0;
    for (int r = 0; r + 1 < rows; ++r) {
        for (int c = 0; c + 1 < columns; ++c) {
            if (!missing(r, c) && !missing(r, c + 1) && !missing(r + 1, c) &&
                !missing(r + 1, c + 1)) {
                t += 2;
            }
        }
    }
    return t;
}

struct PatternCase {
    const char* Name;
    HolePattern Missing;
    long long Triangles; // of the 6 x 5 grid's 40
};

const PatternCase Patterns[] = {
    {"none missing", [](int, int) { return false; }, 40},
    {"single hole", [](int r, int c) { return r == 2 && c == 2; }, 32},
    {"first corner", [](int r, int c) { return r == 0 && c == 0; }, 38},
    {"last corner", [](int r, int c) { return r == Rows - 1 && c == Columns - 1; }, 38},
    {"edge", [](int r, int c) { return r == 2 && c == Columns - 1; }, 36},
    {"whole row", [](int r, int) { return r == 2; }, 20},
    {"whole first row", [](int r, int) { return r == 0; }, 30},
    {"whole column", [](int, int c) { return c == 3; }, 24},
    {"two holes one column apart", [](int r, int c) { return r == 1 && (c == 1 || c == 3); }, 24},
    {"every second point", [](int r, int c) { return (r + c) % 2 == 0; }, 0},
    {"every second column", [](int, int c) { return c % 2 == 1; }, 0},
    {"all missing", [](int, int) { return true; }, 0},
};

} // namespace

TEST(MissingPoints, NormalsLeaveOutTheDifferencesToMissingNeighbours) {
    // Normals of the middle row's column 1 (or 0) with inverse spacings 2 along x, 4 along y:
    // a missing neighbour counts as the grid's border.
    struct Case {
        const char* Name;
        std::vector<float> Prev, Row, Next; // empty Prev/Next: the grid's first/last row
        int Column;
        float Dx, Dy; // expected differences; NaN: the point itself is missing
    } const cases[] = {
        {"all present",
         {1, 2, 3},
         {4, 5, 7},
         {2, 1, 0},
         1,
         (4 - 5) * 2.f + (5 - 7) * 2.f,
         (2 - 5) * 4.f + (5 - 1) * 4.f},
        {"left missing",
         {1, 2, 3},
         {NaN, 5, 7},
         {2, 1, 0},
         1,
         (5 - 7) * 2.f,
         (2 - 5) * 4.f + (5 - 1) * 4.f},
        {"right missing",
         {1, 2, 3},
         {4, 5, NaN},
         {2, 1, 0},
         1,
         (4 - 5) * 2.f,
         (2 - 5) * 4.f + (5 - 1) * 4.f},
        {"both along x", {1, 2, 3}, {NaN, 5, NaN}, {2, 1, 0}, 1, 0, (2 - 5) * 4.f + (5 - 1) * 4.f},
        {"row before missing",
         {1, NaN, 3},
         {4, 5, 7},
         {2, 1, 0},
         1,
         (4 - 5) * 2.f + (5 - 7) * 2.f,
         (5 - 1) * 4.f},
        {"row after missing",
         {1, 2, 3},
         {4, 5, 7},
         {2, NaN, 0},
         1,
         (4 - 5) * 2.f + (5 - 7) * 2.f,
         (2 - 5) * 4.f},
        {"first row, next missing",
         {},
         {4, 5, 7},
         {2, NaN, 0},
         1,
         (4 - 5) * 2.f + (5 - 7) * 2.f,
         0},
        {"left border, right missing",
         {1, 2, 3},
         {4, NaN, 7},
         {2, 1, 0},
         0,
         0,
         (1 - 4) * 4.f + (4 - 2) * 4.f},
        {"all neighbours missing", {1, NaN, 3}, {NaN, 5, NaN}, {2, NaN, 0}, 1, 0, 0},
        {"the point itself", {1, 2, 3}, {4, NaN, 7}, {2, 1, 0}, 1, NaN, NaN},
    };
    for (const Case& c : cases) {
        std::vector<float> normals(9);
        ComputeRowNormals(c.Row.data(), c.Prev.empty() ? nullptr : c.Prev.data(),
                          c.Next.empty() ? nullptr : c.Next.data(), 3, 2, 4, normals.data());
        const float* n = &normals[3 * c.Column];
        if (std::isnan(c.Dx)) {
            EXPECT_TRUE(std::isnan(n[0]) && std::isnan(n[1]) && std::isnan(n[2])) << c.Name;
            continue;
        }
        // The same operations as the rule itself: exact equality.
        const float inv = 1.0f / std::sqrt(c.Dx * c.Dx + c.Dy * c.Dy + 1.0f);
        EXPECT_EQ(n[0], c.Dx * inv) << c.Name;
        EXPECT_EQ(n[1], c.Dy * inv) << c.Name;
        EXPECT_EQ(n[2], inv) << c.Name;
    }
}

TEST(MissingPoints, StripsAreCutIntoRunsWhereBothRowsArePresent) {
    struct Case {
        const char* Name;
        int Columns;
        std::vector<int> MissingA, MissingB;
        std::vector<StripRun> Runs;
    } const cases[] = {
        {"none", 6, {}, {}, {{3, 0, 6}}},
        {"one in the row before", 6, {2}, {}, {{3, 0, 2}, {3, 3, 3}}},
        {"one in the row after", 6, {}, {2}, {{3, 0, 2}, {3, 3, 3}}},
        {"the same column in both", 6, {2}, {2}, {{3, 0, 2}, {3, 3, 3}}},
        {"first column", 6, {0}, {}, {{3, 1, 5}}},
        {"last column", 6, {}, {5}, {{3, 0, 5}}},
        {"one column left between", 6, {1}, {3}, {{3, 4, 2}}},
        {"interleaved", 8, {1, 5}, {3}, {{3, 6, 2}}},
        {"every second", 6, {0, 2, 4}, {1, 3, 5}, {}},
        {"all", 3, {0, 1, 2}, {0, 1, 2}, {}},
        {"one column without holes", 1, {}, {}, {{3, 0, 1}}}, // kept whole, as before
        {"one column with a hole", 1, {0}, {}, {}},
        {"no column", 0, {}, {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<StripRun> runs;
        AppendStripRuns(3, c.Columns, c.MissingA, c.MissingB, runs);
        EXPECT_EQ(runs, c.Runs) << c.Name;
    }
    // The grid's runs, strip after strip, and their triangles.
    const MissingColumns missing = {{}, {4}, {}, {0, 1, 2, 3, 4, 5}};
    const std::vector<StripRun> runs = GridStripRuns(6, 4, missing);
    EXPECT_EQ(runs, (std::vector<StripRun>{{0, 0, 4}, {1, 0, 4}})); // column 5 alone: no cell
    EXPECT_EQ(RunTriangles(runs), 12);
    EXPECT_EQ(GridStripRuns(6, 4, {}), (std::vector<StripRun>{{0, 0, 6}, {1, 0, 6}, {2, 0, 6}}));
}

TEST(MissingPoints, EveryBuildGivesTheSameTrianglesAndNoneUsesAMissingPoint) {
    for (const PatternCase& p : Patterns) {
        HeightField field;
        SetupGrid(field, p.Missing);
        RecordingSink onePass;
        field.BuildList(onePass);
        EXPECT_EQ(onePass.MeshBegins, 1) << p.Name;
        EXPECT_EQ(onePass.Triangles(), p.Triangles) << p.Name;
        EXPECT_EQ(onePass.Triangles(), FullCellTriangles(p.Missing, Columns, Rows)) << p.Name;
        for (const auto& strip : onePass.Strips) {
            // Runs of at least one cell, each starting B0 A0 (row after, row before) as a
            // whole strip does, so the first triangle still turns counter-clockwise.
            ASSERT_GE(strip.size(), 4u) << p.Name;
            EXPECT_GT(strip[0].Y, strip[1].Y) << p.Name;
            for (const RecordedVertex& v : strip) {
                EXPECT_FALSE(p.Missing(static_cast<int>(v.Y), static_cast<int>(v.X))) << p.Name;
                for (float f : {v.N[0], v.N[1], v.N[2], v.X, v.Y, v.Z}) {
                    ASSERT_TRUE(std::isfinite(f)) << p.Name;
                }
            }
        }
        for (int threads : {1, 2, 3}) {
            const GridMesh mesh = BuildGridMesh(field, 1, threads);
            RecordingSink banded;
            mesh.Replay(banded);
            EXPECT_EQ(banded.MeshBegins, 1) << p.Name;
            EXPECT_EQ(banded.Bits, onePass.Bits) << p.Name << " on " << threads << " threads";
            EXPECT_EQ(mesh.TriangleCount(), p.Triangles) << p.Name;
        }
    }
}

TEST(MissingPoints, TheBufferKeepsMissingPointsAsNaNAndTheRunsIndexOnlyPresentOnes) {
    for (const PatternCase& p : Patterns) {
        HeightField field;
        SetupGrid(field, p.Missing);
        const GridMesh mesh = BuildGridMesh(field, 1, 2);
        ASSERT_EQ(mesh.Missing.size(), static_cast<std::size_t>(Rows)) << p.Name;
        for (int r = 0; r < Rows; ++r) {
            std::vector<int> expected;
            for (int c = 0; c < Columns; ++c) {
                const float* v = mesh.Vertex(r, c);
                EXPECT_EQ(v[3], static_cast<float>(c)) << p.Name; // the position stays
                EXPECT_EQ(v[4], static_cast<float>(r)) << p.Name;
                if (p.Missing(r, c)) {
                    expected.push_back(c);
                    EXPECT_TRUE(std::isnan(v[5]) && std::isnan(v[0]) && std::isnan(v[1]) &&
                                std::isnan(v[2]))
                        << p.Name;
                } else {
                    EXPECT_TRUE(std::isfinite(v[5]) && std::isfinite(v[2])) << p.Name;
                }
            }
            EXPECT_EQ(mesh.Missing[static_cast<std::size_t>(r)], expected) << p.Name;
        }
        // A run's indices are a stretch of the whole strips' ones, from 2 (s m + c): the
        // vertices they name are the ones replayed.
        std::vector<std::uint32_t> indices(static_cast<std::size_t>(mesh.StripCount()) *
                                           static_cast<std::size_t>(mesh.VerticesPerStrip()));
        FillStripIndices(mesh.Columns, mesh.Rows, indices.data());
        std::vector<std::uint32_t> indexed;
        for (const StripRun& run : mesh.StripRuns()) {
            const std::size_t first =
                2 * (static_cast<std::size_t>(run.Strip) * Columns + run.FirstColumn);
            for (std::size_t i = first; i < first + 2 * run.Columns; ++i) {
                const float* v = mesh.Vertices.data() + 6 * std::size_t{indices[i]};
                for (int k = 0; k < 6; ++k) {
                    indexed.push_back(Bits(v[k]));
                }
            }
        }
        RecordingSink replayed;
        mesh.Replay(replayed);
        EXPECT_EQ(indexed, replayed.Bits) << p.Name;
    }
}

TEST(MissingPoints, TheCoarseMeshHasHolesAtItsOwnMissingSamples) {
    // A 9 x 9 grid taken every second sample: (4, 4) is coarse sample (2, 2); (1, 1) lies
    // between coarse samples and leaves no hole.
    HeightField field;
    const HolePattern missing = [](int r, int c) {
        return (r == 4 && c == 4) || (r == 1 && c == 1);
    };
    SetupGrid(field, missing, 9, 9);
    const GridMesh coarse = BuildGridMesh(field, 2, 2);
    ASSERT_EQ(coarse.Columns, 5);
    ASSERT_EQ(coarse.Rows, 5);
    EXPECT_EQ(coarse.Missing, (MissingColumns{{}, {}, {2}, {}, {}}));
    EXPECT_EQ(coarse.TriangleCount(), 32 - 8);
    // Beside the hole the coarse normal takes the one-sided difference over the coarse
    // spacing (2 samples): left of the hole only its own left neighbour counts along x.
    auto z = [](int r, int c) { return 0.1f * static_cast<float>((r * 7 + c * 3) % 5); };
    const float* left = coarse.Vertex(2, 1); // full point (4, 2)
    const float dx = (z(4, 0) - z(4, 2)) * 0.5f;
    const float dy = (z(2, 2) - z(4, 2)) * 0.5f + (z(4, 2) - z(6, 2)) * 0.5f;
    const float inv = 1.0f / std::sqrt(dx * dx + dy * dy + 1.0f);
    EXPECT_EQ(left[0], dx * inv);
    EXPECT_EQ(left[1], dy * inv);
    EXPECT_EQ(left[2], inv);

    // The coarse mesh replays like a one-pass build of the coarse grid itself.
    HeightField coarseField;
    SetupGrid(
        coarseField, [&missing](int r, int c) { return missing(2 * r, 2 * c); }, 5, 5);
    RecordingSink coarseOnePass;
    coarseField.BuildList(coarseOnePass);
    RecordingSink replayed;
    coarse.Replay(replayed);
    ASSERT_EQ(replayed.Strips.size(), coarseOnePass.Strips.size());
    for (std::size_t s = 0; s < replayed.Strips.size(); ++s) {
        ASSERT_EQ(replayed.Strips[s].size(), coarseOnePass.Strips[s].size()) << s;
    }
}

TEST(MissingPoints, BandsAgreeWithOnePassAcrossTheirEdges) {
    // 200 rows: several bands, whose edges (rows 50, 66, 100, 133, 150) fall on and beside
    // holes; holes scattered elsewhere.
    const HolePattern missing = [](int r, int c) {
        return r == 50 || r == 100 || (r >= 65 && r <= 67 && c == 10) || (r == 133 && c % 3 == 0) ||
               (r * 31 + c * 17) % 13 == 0;
    };
    HeightField field;
    SetupGrid(field, missing, 40, 200);
    RecordingSink onePass;
    field.BuildList(onePass);
    EXPECT_EQ(onePass.Triangles(), FullCellTriangles(missing, 40, 200));
    for (int threads : {1, 2, 3, 4, 8}) {
        RecordingSink banded;
        BuildGridMesh(field, 1, threads).Replay(banded);
        EXPECT_EQ(banded.Bits, onePass.Bits) << threads << " threads";
    }
}
