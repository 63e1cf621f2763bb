#pragma once

#include "view3d/HeightField.h"

#include <cstdint>
#include <vector>

namespace orvane::view3d {

// The strips of a grid of columns x rows points, as the one-pass build draws it: one between
// each row and the next (none without a column), 2 * columns vertices each.
struct StripCounts {
    int Strips = 0;
    int VerticesPerStrip = 0;
    long long Triangles = 0;
};
constexpr StripCounts GridStrips(int columns, int rows) {
    StripCounts counts;
    counts.Strips = rows > 1 && columns > 0 ? rows - 1 : 0;
    counts.VerticesPerStrip = 2 * columns;
    counts.Triangles = counts.Strips * (columns > 1 ? 2LL * columns - 2 : 0);
    return counts;
}

// The missing points of a grid (height NaN), row by row: each row's missing columns in
// increasing order. One list per row, or none at all when no point is missing.
using MissingColumns = std::vector<std::vector<int>>;

// A piece of the strip between row Strip and the next: Columns columns from FirstColumn,
// drawn in the strip's own order, so its indices are a stretch of the strip's.
struct StripRun {
    int Strip = 0;
    int FirstColumn = 0;
    int Columns = 0;

    friend bool operator==(const StripRun& a, const StripRun& b) {
        return a.Strip == b.Strip && a.FirstColumn == b.FirstColumn && a.Columns == b.Columns;
    }
};

// Cuts the strip between a row (missing columns missingA) and the next (missingB) into runs of
// the columns where both rows have their point, appended to `runs`: no triangle uses a
// missing point. A run of one column has no triangle and is left out; a strip without a
// missing point stays whole, as on a grid without holes.
void AppendStripRuns(int strip, int columns, const std::vector<int>& missingA,
                     const std::vector<int>& missingB, std::vector<StripRun>& runs);
// The runs of every strip of a grid, strip after strip.
std::vector<StripRun> GridStripRuns(int columns, int rows, const MissingColumns& missing);
long long RunTriangles(const std::vector<StripRun>& runs);

// A height-field mesh held in memory: the vertices of its grid row by row, six floats each
// (normal x, y, z, then position x, y, z: GL's interleaved N3F_V3F layout), drawn as one
// triangle strip between each row and the next, B0, A0, B1, A1, ... with A the row before B:
// the strips of the one-pass build, each grid point stored once. Where points are missing
// their vertices keep the NaN height (and a NaN normal) and the strips are drawn in runs
// around them.
struct GridMesh {
    static constexpr int FloatsPerVertex = 6;

    bool HasMesh = false; // the sampling scales were valid: a sink would get BeginMesh
    bool TwoSided = false;
    int Columns = 0;
    int Rows = 0; // 0 when there is no strip to draw
    std::vector<float> Vertices;
    MissingColumns Missing; // as the build found them

    // The strips of the whole grid, before any are cut around missing points.
    int StripCount() const { return GridStrips(Columns, Rows).Strips; }
    int VerticesPerStrip() const { return GridStrips(Columns, Rows).VerticesPerStrip; }
    std::vector<StripRun> StripRuns() const { return GridStripRuns(Columns, Rows, Missing); }
    // The triangles drawn: those of the strips' runs.
    long long TriangleCount() const { return RunTriangles(StripRuns()); }
    const float* Vertex(int row, int column) const {
        return Vertices.data() +
               (static_cast<std::size_t>(row) * static_cast<std::size_t>(Columns) +
                static_cast<std::size_t>(column)) *
                   FloatsPerVertex;
    }
    // Sends the mesh's runs to a sink exactly as the one-pass build would have.
    void Replay(HeightFieldSink& sink) const;
};

// The vertex indices of a grid's strips, one strip after another: 2 * columns per strip,
// (rows - 1) strips. A run of strip s from column c starts at index 2 * (s * columns + c).
void FillStripIndices(int columns, int rows, std::uint32_t* out);

} // namespace orvane::view3d
