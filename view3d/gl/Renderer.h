#pragma once

#include "view3d/Scene.h"
#include "view3d/gl/GLCompiledMesh.h"
#include "view3d/gl/TextureUpload.h"

#include <cstdint>

namespace orvane::view3d {

// How the relief becomes GL meshes.
enum class TGLReliefPath {
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
class TGLSceneRenderer {
public:
    explicit TGLSceneRenderer(TGLReliefPath path = TGLReliefPath::BandedVertexBuffers);

    // width/height: logical pixels for the projection law; deviceWidth/deviceHeight: the
    // framebuffer pixels the viewport covers (differs on HiDPI screens). Sizes below 1 are
    // taken as 1.
    void Render(TGLScene& scene, int width, int height, int deviceWidth, int deviceHeight);

    // While the camera moves, frames draw the coarse mesh when the relief has one.
    void SetInMotion(bool inMotion) { FInMotion = inMotion; }
    bool InMotion() const { return FInMotion; }

    // Builds and compiles the relief's meshes now if its structure moved since they were
    // built, so that the next frame only draws. The context must be current.
    void PrepareMeshes(const TGLHeightField& heightField);

    // Frees the meshes and the texture object; the context that made them must be current.
    void ReleaseGL();

    int MeshBuildCount() const { return FMeshBuilds; }
    long long FrameCount() const { return FFrames; }
    // Frames that drew one of the relief's meshes (a hidden relief costs nothing).
    long long ReliefDrawCount() const { return FFullDraws + FCoarseDraws; }
    long long FullMeshDrawCount() const { return FFullDraws; }
    long long CoarseMeshDrawCount() const { return FCoarseDraws; }
    // The last frame that drew the relief drew its coarse mesh.
    bool LastDrawCoarse() const { return FLastDrawCoarse; }
    bool HasMesh() const { return !FFullMesh.Empty(); }
    long long FullMeshTriangles() const { return FFullMesh.TriangleCount(); }
    // 0 when the full mesh is light enough to be drawn while moving.
    long long CoarseMeshTriangles() const { return FCoarseMesh.TriangleCount(); }
    const TGLTextureObject& TextureObject() const { return FTexture; }
    // The texture of the colours by height (0 when none is uploaded) and its uploads.
    unsigned HeightColoursTexture() const { return FHeightColours; }
    int HeightColoursUploadCount() const { return FHeightColoursUploads; }

private:
    void SetupContextState(const TGLScene& scene);
    void SetupLights(TGLScene& scene, const float* view);
    void DrawObject(TGLBaseSceneObject& object, const float* view);
    void DrawHeightField(TGLHeightField& heightField);
    bool BeginTexture(const TGLTexture& texture);
    void EndTexture();
    bool BeginHeightColours(const TGLMaterial& material);
    void EndHeightColours();
    void ReleaseHeightColours();

    TGLReliefPath FPath;
    TGLCompiledMesh FFullMesh;
    TGLCompiledMesh FCoarseMesh;
    std::uint64_t FMeshRevision = 0;
    int FMeshBuilds = 0;
    bool FInMotion = false;
    bool FLastDrawCoarse = false;
    TGLTextureObject FTexture;
    bool FCubeMapGen = false;
    unsigned FHeightColours = 0;
    std::uint64_t FHeightColoursRevision = 0;
    int FHeightColoursUploads = 0;
    long long FFrames = 0;
    long long FFullDraws = 0;
    long long FCoarseDraws = 0;
};

} // namespace orvane::view3d
