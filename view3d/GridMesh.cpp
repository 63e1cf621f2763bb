#include "view3d/GridMesh.h"

#include <algorithm>

namespace orvane::view3d {

void AppendStripRuns(int strip, int columns, const std::vector<int>& missingA,
                     const std::vector<int>& missingB, std::vector<StripRun>& runs) {
    if (missingA.empty() && missingB.empty()) {
        if (columns > 0) {
            runs.push_back({strip, 0, columns});
        }
        return;
    }
    auto closeRun = [&runs, strip](int first, int end) {
        if (end - first >= 2) {
            runs.push_back({strip, first, end - first});
        }
    };
    // The two rows' missing columns merged in order; a column missing in both comes twice.
    int first = 0;
    auto a = missingA.begin();
    auto b = missingB.begin();
    while (a != missingA.end() || b != missingB.end()) {
        const bool takeA = b == missingB.end() || (a != missingA.end() && *a < *b);
        const int hole = takeA ? *a++ : *b++;
        closeRun(first, hole);
        first = std::max(first, hole + 1);
    }
    closeRun(first, columns);
}

std::vector<StripRun> GridStripRuns(int columns, int rows, const MissingColumns& missing) {
    std::vector<StripRun> runs;
    const int strips = GridStrips(columns, rows).Strips;
    runs.reserve(static_cast<std::size_t>(strips));
    const std::vector<int> none;
    for (int s = 0; s < strips; ++s) {
        const bool any = !missing.empty();
        AppendStripRuns(s, columns, any ? missing[static_cast<std::size_t>(s)] : none,
                        any ? missing[static_cast<std::size_t>(s) + 1] : none, runs);
    }
    return runs;
}

long long RunTriangles(const std::vector<StripRun>& runs) {
    long long triangles = 0;
    for (const StripRun& run : runs) {
        triangles += run.Columns > 1 ? 2LL * run.Columns - 2 : 0;
    }
    return triangles;
}

void GridMesh::Replay(HeightFieldSink& sink) const {
    if (!HasMesh) {
        return;
    }
    sink.BeginMesh(TwoSided);
    for (const StripRun& run : StripRuns()) {
        sink.BeginStrip();
        for (int j = run.FirstColumn; j < run.FirstColumn + run.Columns; ++j) {
            for (const float* v : {Vertex(run.Strip + 1, j), Vertex(run.Strip, j)}) {
                sink.Vertex(v, v[3], v[4], v[5]);
            }
        }
        sink.EndStrip();
    }
}

void FillStripIndices(int columns, int rows, std::uint32_t* out) {
    const std::uint32_t m = static_cast<std::uint32_t>(columns);
    for (std::uint32_t s = 0; s + 1 < static_cast<std::uint32_t>(rows); ++s) {
        for (std::uint32_t j = 0; j < m; ++j) {
            *out++ = (s + 1) * m + j;
            *out++ = s * m + j;
        }
    }
}

} // namespace orvane::view3d
