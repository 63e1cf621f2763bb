#include "view3d/HeightField.h"

#include <cmath>
#include <utility>
#include <vector>

namespace orvane::view3d {

namespace {

struct TRowRecord {
    TVector4f Color;
    float Z;
    TTexPoint TexPoint;
    float Normal[3];
};

using TRow = std::vector<TRowRecord>;

// Normals from the neighbours' heights: central differences inside the grid (twice the
// slope, which the relief's look depends on), one-sided ones at the borders.
void ComputeNormals(TRow& row, const TRow* prev, const TRow* next, int m, float invX, float invY) {
    for (int i = 0; i < m; ++i) {
        const float z = row[i].Z;
        float dx = 0;
        if (i > 0) {
            dx = (row[i - 1].Z - z) * invX;
        }
        if (i < m - 1) {
            dx = dx + (z - row[i + 1].Z) * invX;
        }
        float dy = 0;
        if (prev) {
            dy = ((*prev)[i].Z - z) * invY;
        }
        if (next) {
            dy = dy + (z - (*next)[i].Z) * invY;
        }
        const float len = std::sqrt(dx * dx + dy * dy + 1.0f);
        const float inv = 1.0f / len;
        row[i].Normal[0] = dx * inv;
        row[i].Normal[1] = dy * inv;
        row[i].Normal[2] = inv;
    }
}

// Strip between row a at ya and the next row b at yb: B0, A0, B1, A1, ... so that the
// first triangle turns counter-clockwise seen from +z.
void EmitStrip(THeightFieldSink& sink, const TRow& a, float ya, const TRow& b, float yb, int m,
               float xBase, float xStep) {
    sink.BeginStrip();
    float x = xBase;
    sink.Vertex(b[0].Normal, x, yb, b[0].Z);
    for (int j = 0; j < m - 1; ++j) {
        const float x1 = x + xStep;
        sink.Vertex(a[j].Normal, x, ya, a[j].Z);
        sink.Vertex(b[j + 1].Normal, x1, yb, b[j + 1].Z);
        x = x1;
    }
    sink.Vertex(a[m - 1].Normal, x, ya, a[m - 1].Z);
    sink.EndStrip();
}

} // namespace

TGLHeightField::TGLHeightField(TGLChangeNotifier* notifier) : TGLBaseSceneObject(notifier) {}

void TGLHeightField::SetOptions(THeightFieldOptions v) {
    if (v == FOptions) {
        return;
    }
    FOptions = v;
    StructureChanged();
}

void TGLHeightField::SetColorMode(THeightFieldColorMode v) {
    if (v == FColorMode) {
        return;
    }
    FColorMode = v;
    StructureChanged();
}

void TGLHeightField::SetOnGetHeight(THeightFieldGetHeightEvent handler) {
    FOnGetHeight = std::move(handler);
    StructureChanged();
}

void TGLHeightField::StructureChanged() {
    ++FStructureRevision;
    NotifyChange();
}

void TGLHeightField::BuildList(THeightFieldSink& sink) const {
    const TGLSamplingScale& xs = XSamplingScale;
    const TGLSamplingScale& ys = YSamplingScale;
    if (!xs.IsValid() || !ys.IsValid()) {
        return;
    }
    const THeightFieldGetHeightEvent& getHeight = FOnGetHeight;

    // Single-precision accumulation of x can yield one sample more than the count
    // (Max - Min) / Step suggests; the x loop therefore also stops when a row is full, so
    // a row never holds more than MaxStepCount + 1 samples.
    const int capacity = xs.MaxStepCount() + 1;
    TRow rows[3] = {TRow(capacity), TRow(capacity), TRow(capacity)};

    const float xBase = xs.StepBase();
    const float xStep = xs.Step();
    const float invX = 1.0f / xStep;
    const float yStep = ys.Step();
    const float invY = 1.0f / yStep;
    const float xMax = xs.Max();
    const float yMax = ys.Max();

    sink.BeginMesh((FOptions & hfoTwoSided) != 0);

    TRow* top = nullptr;
    TRow* mid = nullptr;
    TRow* cur = nullptr;
    int k = 0;
    int m = 0;
    float y = ys.StepBase();
    float yMid = y;
    float yTop = y;
    while (y <= yMax) {
        top = mid;
        mid = cur;
        cur = &rows[k % 3];

        TRow& row = *cur;
        float x = xBase;
        int i = 0;
        while (x <= xMax && i < capacity) {
            TRowRecord& rec = row[i];
            rec.TexPoint.S = x;
            rec.TexPoint.T = y;
            if (getHeight) {
                getHeight(x, y, rec.Z, rec.Color, rec.TexPoint);
            }
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
