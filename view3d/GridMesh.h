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

// A height-field mesh held in memory: the vertices of its grid row by row, six floats each
// (normal x, y, z, then position x, y, z: GL's interleaved N3F_V3F layout), drawn as one
// triangle strip between each row and the next, B0, A0, B1, A1, ... with A the row before B:
// the strips of the one-pass build, each grid point stored once.
struct GridMesh {
    static constexpr int FloatsPerVertex = 6;

    bool HasMesh = false; // the sampling scales were valid: a sink would get BeginMesh
    bool TwoSided = false;
    int Columns = 0;
    int Rows = 0; // 0 when there is no strip to draw
    std::vector<float> Vertices;

    int StripCount() const { return GridStrips(Columns, Rows).Strips; }
    int VerticesPerStrip() const { return GridStrips(Columns, Rows).VerticesPerStrip; }
    long long TriangleCount() const { return GridStrips(Columns, Rows).Triangles; }
    const float* Vertex(int row, int column) const {
        return Vertices.data() +
               (static_cast<std::size_t>(row) * static_cast<std::size_t>(Columns) +
                static_cast<std::size_t>(column)) *
                   FloatsPerVertex;
    }
    // Sends the mesh to a sink exactly as the one-pass build would have.
    void Replay(HeightFieldSink& sink) const;
};

// The vertex indices of a grid's strips, one strip after another: 2 * columns per strip,
// (rows - 1) strips.
void FillStripIndices(int columns, int rows, std::uint32_t* out);

} // namespace orvane::view3d
