#pragma once

#include "view3d/Scene.h"
#include "view3d/gl/CompiledMesh.h"
#include "view3d/gl/TextureUpload.h"

#include <cstdint>

namespace orvane::view3d {

// How the relief becomes GL meshes.
enum class ReliefPath {
    // Built in bands on every core straight into vertex buffers, with a coarser mesh for
    // the frames drawn while the camera moves.
    BandedVertexBuffers,
    // One mesh, built in one pass on one thread into a display list: how the relief was
    // drawn before, kept as the benchmarks' reference.
    OnePassDisplayList,
};

// Draws one frame of a scene with the fixed-function pipeline into the current OpenGL
// context (compatibility profile). Keeps the height field's meshes, rebuilt only when the
// height field's structure revision moved: the full mesh, and a coarse one of at most
// CoarseTriangleBudget triangles when the full mesh has more.
class SceneRenderer {
public:
    explicit SceneRenderer(ReliefPath path = ReliefPath::BandedVertexBuffers);

    // width/height: logical pixels for the projection law; deviceWidth/deviceHeight: the
    // framebuffer pixels the viewport covers (differs on HiDPI screens). Sizes below 1 are
    // taken as 1.
    void Render(Scene& scene, int width, int height, int deviceWidth, int deviceHeight);

    // While the camera moves, frames draw the coarse mesh when the relief has one.
    void SetInMotion(bool inMotion) { inMotion_ = inMotion; }
    bool InMotion() const { return inMotion_; }

    // Builds and compiles the relief's meshes now if its structure moved since they were
    // built, so that the next frame only draws. The context must be current.
    void PrepareMeshes(const HeightField& heightField);

    // Frees the meshes and the texture object; the context that made them must be current.
    void ReleaseGL();

    int MeshBuildCount() const { return meshBuilds_; }
    long long FrameCount() const { return frames_; }
    // Frames that drew one of the relief's meshes (a hidden relief costs nothing).
    long long ReliefDrawCount() const { return fullDraws_ + coarseDraws_; }
    long long FullMeshDrawCount() const { return fullDraws_; }
    long long CoarseMeshDrawCount() const { return coarseDraws_; }
    // The last frame that drew the relief drew its coarse mesh.
    bool LastDrawCoarse() const { return lastDrawCoarse_; }
    bool HasMesh() const { return !fullMesh_.Empty(); }
    long long FullMeshTriangles() const { return fullMesh_.TriangleCount(); }
    // 0 when the full mesh is light enough to be drawn while moving.
    long long CoarseMeshTriangles() const { return coarseMesh_.TriangleCount(); }
    const TextureObject& UploadedTexture() const { return texture_; }
    // The texture of the colours by height (0 when none is uploaded) and its uploads.
    unsigned HeightColoursTexture() const { return heightColours_; }
    int HeightColoursUploadCount() const { return heightColoursUploads_; }

private:
    void SetupContextState(const Scene& scene);
    void SetupLights(Scene& scene, const float* view);
    void DrawObject(SceneObject& object, const float* view);
    void DrawHeightField(HeightField& heightField);
    bool BeginTexture(const Texture& texture);
    void EndTexture();
    bool BeginHeightColours(const Material& material);
    void EndHeightColours();
    void ReleaseHeightColours();

    ReliefPath path_;
    CompiledMesh fullMesh_;
    CompiledMesh coarseMesh_;
    std::uint64_t meshRevision_ = 0;
    int meshBuilds_ = 0;
    bool inMotion_ = false;
    bool lastDrawCoarse_ = false;
    TextureObject texture_;
    bool cubeMapGen_ = false;
    unsigned heightColours_ = 0;
    std::uint64_t heightColoursRevision_ = 0;
    int heightColoursUploads_ = 0;
    long long frames_ = 0;
    long long fullDraws_ = 0;
    long long coarseDraws_ = 0;
};

} // namespace orvane::view3d
