#pragma once

#include "view3d/Material.h"
#include "view3d/SamplingScale.h"
#include "view3d/SceneObject.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orvane::view3d {

enum HeightFieldOption : unsigned {
    kTextureCoordinatesOption = 1u << 0,
    kTwoSidedOption = 1u << 1,
};
using HeightFieldOptions = unsigned;

enum class HeightFieldColorMode { None, Emission, Ambient, Diffuse, AmbientAndDiffuse };

struct TexPoint {
    float S = 0;
    float T = 0;
};

// x, y: local grid point; z arrives as 0 and texPoint as (x, y); only z is used here. A NaN z
// marks the point missing: the relief has a hole there. The parallel builder calls it from
// several threads at once: it must only read shared state.
using HeightFieldGetHeightEvent =
    std::function<void(float x, float y, float& z, Vector4f& color, TexPoint& texPoint)>;

// The height a callback gives at (x, y); 0 without one.
float SampleHeight(const HeightFieldGetHeightEvent& getHeight, float x, float y);

// Where a height field samples: x accumulated in single precision from StepBase up to Max or
// a full row, y likewise up to Max or until the step is lost in the rounding of y. The caller
// checks that both scales are valid.
struct GridPositions {
    std::vector<float> X;
    std::vector<float> Y;
};
GridPositions SamplePositions(const SamplingScale& xScale, const SamplingScale& yScale);

// Receiver of the mesh: one BeginMesh, then strips of (normal, vertex) pairs.
class HeightFieldSink {
public:
    virtual ~HeightFieldSink() = default;
    // Called once before the first strip, only when there is something to sample.
    virtual void BeginMesh(bool twoSided) = 0;
    virtual void BeginStrip() = 0;
    virtual void Vertex(const float normal[3], float x, float y, float z) = 0;
    virtual void EndStrip() = 0;
};

// The relief: a grid over the local x-y plane with heights along local z.
class HeightField : public SceneObject {
public:
    explicit HeightField(ChangeNotifier* notifier = nullptr);

    SamplingScale xSamplingScale{[this] { StructureChanged(); }};
    SamplingScale ySamplingScale{[this] { StructureChanged(); }};
    Material material{[this] { NotifyChange(); }};

    HeightFieldOptions Options() const { return options_; }
    void SetOptions(HeightFieldOptions v);
    HeightFieldColorMode ColorMode() const { return colorMode_; }
    void SetColorMode(HeightFieldColorMode v);
    const HeightFieldGetHeightEvent& OnGetHeight() const { return onGetHeight_; }
    void SetOnGetHeight(HeightFieldGetHeightEvent handler);

    // Marks the mesh for one rebuild before the next frame and requests a redraw.
    void StructureChanged();
    // Grows by one with every structure change; a renderer rebuilds its display list when
    // the revision differs from the one it compiled.
    std::uint64_t StructureRevision() const { return structureRevision_; }

    // One pass over the grid with three rows in memory: heights, normals, strips (cut into
    // runs around missing points, as AppendStripRuns does).
    void BuildList(HeightFieldSink& sink) const;

private:
    HeightFieldOptions options_ = kTwoSidedOption;
    HeightFieldColorMode colorMode_ = HeightFieldColorMode::None;
    HeightFieldGetHeightEvent onGetHeight_;
    std::uint64_t structureRevision_ = 1;
};

} // namespace orvane::view3d
