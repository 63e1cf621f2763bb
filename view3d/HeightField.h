#pragma once

#include "view3d/Material.h"
#include "view3d/SamplingScale.h"
#include "view3d/SceneObject.h"

#include <cstdint>
#include <functional>

namespace orvane::view3d {

enum THeightFieldOption : unsigned {
    hfoTextureCoordinates = 1u << 0,
    hfoTwoSided = 1u << 1,
};
using THeightFieldOptions = unsigned;

enum class THeightFieldColorMode {
    hfcmNone,
    hfcmEmission,
    hfcmAmbient,
    hfcmDiffuse,
    hfcmAmbientAndDiffuse
};

struct TTexPoint {
    float S = 0;
    float T = 0;
};

// x, y: local grid point; z arrives as 0 and texPoint as (x, y); only z is used here. The
// parallel builder calls it from several threads at once: it must only read shared state.
using THeightFieldGetHeightEvent =
    std::function<void(float x, float y, float& z, TVector4f& color, TTexPoint& texPoint)>;

// Receiver of the mesh: one BeginMesh, then strips of (normal, vertex) pairs.
class THeightFieldSink {
public:
    virtual ~THeightFieldSink() = default;
    // Called once before the first strip, only when there is something to sample.
    virtual void BeginMesh(bool twoSided) = 0;
    virtual void BeginStrip() = 0;
    virtual void Vertex(const float normal[3], float x, float y, float z) = 0;
    virtual void EndStrip() = 0;
};

// The relief: a grid over the local x-y plane with heights along local z.
class TGLHeightField : public TGLBaseSceneObject {
public:
    explicit TGLHeightField(TGLChangeNotifier* notifier = nullptr);

    TGLSamplingScale XSamplingScale{[this] { StructureChanged(); }};
    TGLSamplingScale YSamplingScale{[this] { StructureChanged(); }};
    TGLMaterial Material{[this] { NotifyChange(); }};

    THeightFieldOptions Options() const { return FOptions; }
    void SetOptions(THeightFieldOptions v);
    THeightFieldColorMode ColorMode() const { return FColorMode; }
    void SetColorMode(THeightFieldColorMode v);
    const THeightFieldGetHeightEvent& OnGetHeight() const { return FOnGetHeight; }
    void SetOnGetHeight(THeightFieldGetHeightEvent handler);

    // Marks the mesh for one rebuild before the next frame and requests a redraw.
    void StructureChanged();
    // Grows by one with every structure change; a renderer rebuilds its display list when
    // the revision differs from the one it compiled.
    std::uint64_t StructureRevision() const { return FStructureRevision; }

    // One pass over the grid with three rows in memory: heights, normals, strips.
    void BuildList(THeightFieldSink& sink) const;

private:
    THeightFieldOptions FOptions = hfoTwoSided;
    THeightFieldColorMode FColorMode = THeightFieldColorMode::hfcmNone;
    THeightFieldGetHeightEvent FOnGetHeight;
    std::uint64_t FStructureRevision = 1;
};

} // namespace orvane::view3d
