#include "view3d/HeightField.h"

#include "view3d/GridMesh.h"
#include "view3d/HeightFieldNormals.h"

#include <cmath>
#include <utility>
#include <vector>

namespace orvane::view3d {

namespace {

// One grid row: heights and the columns where they are missing, then the normals that need
// the rows on both sides.
struct RowCase {
    std::vector<float> Z;
    std::vector<int> Missing;
    std::vector<float> Normals; // 3 floats per sample
    explicit RowCase(int capacity)
        : Z(static_cast<size_t>(capacity)), Normals(3 * static_cast<size_t>(capacity)) {}
};

void ComputeNormals(RowCase& row, const RowCase* prev, const RowCase* next, int m, float invX,
                    float invY) {
    ComputeRowNormals(row.Z.data(), prev ? prev->Z.data() : nullptr,
                      next ? next->Z.data() : nullptr, m, invX, invY, row.Normals.data());
}

// Strip between row a at ya and the next row b at yb: B0, A0, B1, A1, ... so that the
// first triangle turns counter-clockwise seen from +z; cut into runs around missing points.
void EmitStrip(HeightFieldSink& sink, const RowCase& a, float ya, const RowCase& b, float yb,
               const std::vector<float>& xs, std::vector<StripRun>& runs) {
    runs.clear();
    AppendStripRuns(0, static_cast<int>(xs.size()), a.Missing, b.Missing, runs);
    for (const StripRun& run : runs) {
        sink.BeginStrip();
        for (int j = run.FirstColumn; j < run.FirstColumn + run.Columns; ++j) {
            sink.Vertex(&b.Normals[3 * j], xs[j], yb, b.Z[j]);
            sink.Vertex(&a.Normals[3 * j], xs[j], ya, a.Z[j]);
        }
        sink.EndStrip();
    }
}

} // namespace

float SampleHeight(const HeightFieldGetHeightEvent& getHeight, float x, float y) {
    float z = 0;
    if (getHeight) {
        Vector4f colour;
        TexPoint texPoint{x, y};
        getHeight(x, y, z, colour, texPoint);
    }
    return z;
}

GridPositions SamplePositions(const SamplingScale& xScale, const SamplingScale& yScale) {
    GridPositions grid;
    // Single-precision accumulation of x can yield one sample more than the count
    // (Max - Min) / Step suggests; the x walk therefore also stops when a row is full, so a
    // row never holds more than MaxStepCount + 1 samples.
    const std::size_t capacity = static_cast<std::size_t>(xScale.MaxStepCount()) + 1;
    const float xStep = xScale.Step();
    const float xMax = xScale.Max();
    for (float x = xScale.StepBase(); x <= xMax && grid.X.size() < capacity; x = x + xStep) {
        grid.X.push_back(x);
    }
    const float yStep = yScale.Step();
    const float yMax = yScale.Max();
    float y = yScale.StepBase();
    while (y <= yMax) {
        grid.Y.push_back(y);
        const float next = y + yStep;
        if (next == y) {
            break; // step lost in the rounding of y: the walk would never end
        }
        y = next;
    }
    return grid;
}

HeightField::HeightField(ChangeNotifier* notifier) : SceneObject(notifier) {}

void HeightField::SetOptions(HeightFieldOptions v) {
    if (v == options_) {
        return;
    }
    options_ = v;
    StructureChanged();
}

void HeightField::SetColorMode(HeightFieldColorMode v) {
    if (v == colorMode_) {
        return;
    }
    colorMode_ = v;
    StructureChanged();
}

void HeightField::SetOnGetHeight(HeightFieldGetHeightEvent handler) {
    onGetHeight_ = std::move(handler);
    StructureChanged();
}

void HeightField::StructureChanged() {
    ++structureRevision_;
    NotifyChange();
}

void HeightField::BuildList(HeightFieldSink& sink) const {
    if (!xSamplingScale.IsValid() || !ySamplingScale.IsValid()) {
        return;
    }
    const GridPositions grid = SamplePositions(xSamplingScale, ySamplingScale);
    const int m = static_cast<int>(grid.X.size());
    const float invX = 1.0f / xSamplingScale.Step();
    const float invY = 1.0f / ySamplingScale.Step();

    sink.BeginMesh((options_ & kTwoSidedOption) != 0);
    if (m == 0) {
        return; // no column fits the range: nothing to draw
    }

    RowCase rows[3] = {RowCase(m), RowCase(m), RowCase(m)};
    std::vector<StripRun> runs;
    RowCase* top = nullptr;
    RowCase* mid = nullptr;
    RowCase* cur = nullptr;
    float yMid = 0;
    float yTop = 0;
    const int rowCount = static_cast<int>(grid.Y.size());
    for (int k = 0; k < rowCount; ++k) {
        const float y = grid.Y[static_cast<size_t>(k)];
        top = mid;
        mid = cur;
        cur = &rows[k % 3];
        cur->Missing.clear();
        for (int i = 0; i < m; ++i) {
            const float z = SampleHeight(onGetHeight_, grid.X[static_cast<size_t>(i)], y);
            cur->Z[static_cast<size_t>(i)] = z;
            if (std::isnan(z)) {
                cur->Missing.push_back(i);
            }
        }
        if (mid) {
            ComputeNormals(*mid, top, cur, m, invX, invY);
        }
        if (k > 1) {
            EmitStrip(sink, *top, yTop, *mid, yMid, grid.X, runs);
        }
        yTop = yMid;
        yMid = y;
    }
    if (cur) {
        ComputeNormals(*cur, mid, nullptr, m, invX, invY);
        if (mid) {
            EmitStrip(sink, *mid, yTop, *cur, yMid, grid.X, runs);
        }
    }
}

} // namespace orvane::view3d
