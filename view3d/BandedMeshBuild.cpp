#include "view3d/BandedMeshBuild.h"

#include "view3d/HeightFieldNormals.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>
#include <thread>

namespace orvane::view3d {

namespace {

// Every stride-th position, and the last one.
std::vector<float> EveryNth(const std::vector<float>& all, int stride) {
    if (stride <= 1) {
        return all;
    }
    std::vector<float> picked;
    const std::size_t n = all.size();
    const std::size_t step = static_cast<std::size_t>(stride);
    for (std::size_t i = 0; i < n; i += step) {
        picked.push_back(all[i]);
    }
    if (n > 0 && (n - 1) % step != 0) {
        picked.push_back(all[n - 1]);
    }
    return picked;
}

int StridedCount(int n, int stride) {
    if (n <= 0) {
        return 0;
    }
    return (n - 1) / stride + 1 + ((n - 1) % stride != 0 ? 1 : 0);
}

// Bands small enough to share the work, large enough that the rows sampled twice at the
// band edges stay a small part of it.
constexpr int MinRowsPerBand = 32;

// Builds the grid rows [firstRow, endRow) of a layout.
class BandBuilder {
public:
    BandBuilder(const std::vector<float>& xs, const std::vector<float>& ys, float invX, float invY,
                const HeightFieldGetHeightEvent& getHeight, float* out)
        : xs_(xs), ys_(ys), invX_(invX), invY_(invY), getHeight_(getHeight), out_(out),
          columns_(static_cast<int>(xs.size())), rows_(static_cast<int>(ys.size())) {}

    // Heights are sampled from the row before the band to the row after it: the normals of
    // its edge rows need them. Three rows of heights are kept, as in one pass. The band's
    // rows' missing columns go to their own entries of `missing`.
    void Build(int firstRow, int endRow, MissingColumns& missing) const {
        const std::size_t m = static_cast<std::size_t>(columns_);
        std::vector<float> z[3] = {std::vector<float>(m), std::vector<float>(m),
                                   std::vector<float>(m)};
        std::vector<float> normals(3 * m);
        auto zRow = [&z](int r) -> std::vector<float>& { return z[r % 3]; };

        const int lastRow = rows_ - 1;
        for (int r = std::max(0, firstRow - 1); r <= firstRow; ++r) {
            SampleRow(r, zRow(r));
        }
        for (int r = firstRow; r < endRow; ++r) {
            if (r < lastRow) {
                SampleRow(r + 1, zRow(r + 1));
            }
            ComputeRowNormals(zRow(r).data(), r > 0 ? zRow(r - 1).data() : nullptr,
                              r < lastRow ? zRow(r + 1).data() : nullptr, columns_, invX_, invY_,
                              normals.data());
            EmitRow(r, zRow(r), normals, missing[static_cast<std::size_t>(r)]);
        }
    }

private:
    void SampleRow(int r, std::vector<float>& z) const {
        const float y = ys_[static_cast<std::size_t>(r)];
        for (int i = 0; i < columns_; ++i) {
            z[static_cast<std::size_t>(i)] =
                SampleHeight(getHeight_, xs_[static_cast<std::size_t>(i)], y);
        }
    }

    void EmitRow(int r, const std::vector<float>& z, const std::vector<float>& normals,
                 std::vector<int>& missing) const {
        const std::size_t m = static_cast<std::size_t>(columns_);
        float* v = out_ + static_cast<std::size_t>(r) * m * GridMesh::FloatsPerVertex;
        const float y = ys_[static_cast<std::size_t>(r)];
        for (std::size_t i = 0; i < m; ++i, v += GridMesh::FloatsPerVertex) {
            v[0] = normals[3 * i];
            v[1] = normals[3 * i + 1];
            v[2] = normals[3 * i + 2];
            v[3] = xs_[i];
            v[4] = y;
            v[5] = z[i];
            if (std::isnan(z[i])) {
                missing.push_back(static_cast<int>(i));
            }
        }
    }

    const std::vector<float>& xs_;
    const std::vector<float>& ys_;
    float invX_;
    float invY_;
    const HeightFieldGetHeightEvent& getHeight_;
    float* out_;
    int columns_;
    int rows_;
};

} // namespace

GridSize HeightFieldGridSize(const HeightField& field) {
    if (!field.xSamplingScale.IsValid() || !field.ySamplingScale.IsValid()) {
        return {};
    }
    const GridPositions grid = SamplePositions(field.xSamplingScale, field.ySamplingScale);
    return {static_cast<int>(grid.X.size()), static_cast<int>(grid.Y.size())};
}

int CoarseMeshStride(GridSize full, long long triangleBudget) {
    auto triangles = [&full](int stride) {
        return GridStrips(StridedCount(full.Columns, stride), StridedCount(full.Rows, stride))
            .Triangles;
    };
    int stride = 1;
    while (triangles(stride) > triangleBudget) {
        ++stride;
    }
    return stride;
}

MeshLayout::MeshLayout(const HeightField& field, int stride) : field_(field) {
    if (!field.xSamplingScale.IsValid() || !field.ySamplingScale.IsValid()) {
        return;
    }
    hasMesh_ = true;
    twoSided_ = (field.Options() & kTwoSidedOption) != 0;
    stride = std::max(stride, 1);
    const GridPositions grid = SamplePositions(field.xSamplingScale, field.ySamplingScale);
    xs_ = EveryNth(grid.X, stride);
    ys_ = EveryNth(grid.Y, stride);
    // One pass divides by the step itself; a coarser grid's spacing is stride steps.
    const float xStep = field.xSamplingScale.Step();
    const float yStep = field.ySamplingScale.Step();
    invX_ = 1.0f / (stride == 1 ? xStep : xStep * static_cast<float>(stride));
    invY_ = 1.0f / (stride == 1 ? yStep : yStep * static_cast<float>(stride));
    if (!xs_.empty() && ys_.size() >= 2) {
        columns_ = static_cast<int>(xs_.size());
        rows_ = static_cast<int>(ys_.size());
    }
}

MissingColumns MeshLayout::Build(float* out, int threadCount) const {
    MissingColumns missing(static_cast<std::size_t>(rows_));
    if (rows_ == 0) {
        return missing;
    }
    if (threadCount <= 0) {
        threadCount = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }
    const int bands = std::max(1, std::min(threadCount, rows_ / MinRowsPerBand));
    const BandBuilder builder(xs_, ys_, invX_, invY_, field_.OnGetHeight(), out);
    auto bandStart = [this, bands](int b) {
        return static_cast<int>(static_cast<long long>(rows_) * b / bands);
    };

    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(bands));
    auto buildBand = [&](int b) {
        try {
            builder.Build(bandStart(b), bandStart(b + 1), missing);
        } catch (...) {
            errors[static_cast<std::size_t>(b)] = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(bands - 1));
    // Bands from the first one no thread could be started for are built on this thread.
    int firstUnstarted = bands;
    for (int b = 1; b < bands; ++b) {
        try {
            workers.emplace_back(buildBand, b);
        } catch (const std::system_error&) {
            firstUnstarted = b;
            break;
        }
    }
    buildBand(0);
    for (int b = firstUnstarted; b < bands; ++b) {
        buildBand(b);
    }
    for (std::thread& t : workers) {
        t.join();
    }
    for (const std::exception_ptr& e : errors) {
        if (e) {
            std::rethrow_exception(e);
        }
    }
    return missing;
}

GridMesh BuildGridMesh(const HeightField& field, int stride, int threadCount) {
    return BuildGridMesh(MeshLayout(field, stride), threadCount);
}

GridMesh BuildGridMesh(const MeshLayout& layout, int threadCount) {
    GridMesh mesh;
    mesh.HasMesh = layout.HasMesh();
    mesh.TwoSided = layout.TwoSided();
    mesh.Columns = layout.Columns();
    mesh.Rows = layout.Rows();
    mesh.Vertices.resize(layout.FloatCount());
    mesh.Missing = layout.Build(mesh.Vertices.data(), threadCount);
    return mesh;
}

} // namespace orvane::view3d
