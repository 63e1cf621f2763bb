#include "view3d/HeightField.h"

#include "view3d/HeightFieldNormals.h"

#include <utility>
#include <vector>

namespace orvane::view3d {

namespace {

// One grid row: heights, then the normals that need the rows on both sides.
struct RowCase {
    std::vector<float> Z;
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
// first triangle turns counter-clockwise seen from +z.
void EmitStrip(HeightFieldSink& sink, const RowCase& a, float ya, const RowCase& b, float yb, int m,
               float xBase, float xStep) {
    sink.BeginStrip();
    float x = xBase;
    sink.Vertex(&b.Normals[0], x, yb, b.Z[0]);
    for (int j = 0; j < m - 1; ++j) {
        const float x1 = x + xStep;
        sink.Vertex(&a.Normals[3 * j], x, ya, a.Z[j]);
        sink.Vertex(&b.Normals[3 * (j + 1)], x1, yb, b.Z[j + 1]);
        x = x1;
    }
    sink.Vertex(&a.Normals[3 * (m - 1)], x, ya, a.Z[m - 1]);
    sink.EndStrip();
}

} // namespace

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
    const SamplingScale& xs = xSamplingScale;
    const SamplingScale& ys = ySamplingScale;
    if (!xs.IsValid() || !ys.IsValid()) {
        return;
    }
    const HeightFieldGetHeightEvent& getHeight = onGetHeight_;

    // Single-precision accumulation of x can yield one sample more than the count
    // (Max - Min) / Step suggests; the x loop therefore also stops when a row is full, so
    // a row never holds more than MaxStepCount + 1 samples.
    const int capacity = xs.MaxStepCount() + 1;
    RowCase rows[3] = {RowCase(capacity), RowCase(capacity), RowCase(capacity)};

    const float xBase = xs.StepBase();
    const float xStep = xs.Step();
    const float invX = 1.0f / xStep;
    const float yStep = ys.Step();
    const float invY = 1.0f / yStep;
    const float xMax = xs.Max();
    const float yMax = ys.Max();

    sink.BeginMesh((options_ & hfoTwoSided) != 0);

    RowCase* top = nullptr;
    RowCase* mid = nullptr;
    RowCase* cur = nullptr;
    int k = 0;
    int m = 0;
    float y = ys.StepBase();
    float yMid = y;
    float yTop = y;
    while (y <= yMax) {
        top = mid;
        mid = cur;
        cur = &rows[k % 3];

        RowCase& row = *cur;
        float x = xBase;
        int i = 0;
        while (x <= xMax && i < capacity) {
            float z = 0;
            if (getHeight) {
                Vector4f colour;
                TexPoint texPoint{x, y};
                getHeight(x, y, z, colour, texPoint);
            }
            row.Z[i] = z;
            ++i;
            x = x + xStep;
        }
        m = i;
        if (m == 0) {
            return; // no column fits the range: nothing to draw
        }

        if (mid) {
            ComputeNormals(*mid, top, cur, m, invX, invY);
        }
        if (k > 1) {
            EmitStrip(sink, *top, yTop, *mid, yMid, m, xBase, xStep);
        }
        ++k;
        yTop = yMid;
        yMid = y;
        const float next = y + yStep;
        if (next == y) {
            break; // step lost in the rounding of y: the loop would never end
        }
        y = next;
    }
    if (cur) {
        ComputeNormals(*cur, mid, nullptr, m, invX, invY);
        if (mid) {
            EmitStrip(sink, *mid, yTop, *cur, yMid, m, xBase, xStep);
        }
    }
}

} // namespace orvane::view3d
