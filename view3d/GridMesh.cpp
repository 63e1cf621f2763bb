#include "view3d/GridMesh.h"

namespace orvane::view3d {

void GridMesh::Replay(HeightFieldSink& sink) const {
    if (!HasMesh) {
        return;
    }
    sink.BeginMesh(TwoSided);
    for (int s = 0; s < StripCount(); ++s) {
        sink.BeginStrip();
        for (int j = 0; j < Columns; ++j) {
            for (const float* v : {Vertex(s + 1, j), Vertex(s, j)}) {
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
