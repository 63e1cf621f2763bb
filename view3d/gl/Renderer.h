#pragma once

#include "view3d/Scene.h"
#include "view3d/gl/TextureUpload.h"

#include <cstdint>

namespace orvane::view3d {

// Draws one frame of a scene with the fixed-function pipeline into the current OpenGL
// context (compatibility profile). Keeps the height field's display list, rebuilt only when
// the height field's structure revision moved.
class TGLSceneRenderer {
public:
    // width/height: logical pixels for the projection law; deviceWidth/deviceHeight: the
    // framebuffer pixels the viewport covers (differs on HiDPI screens). Sizes below 1 are
    // taken as 1.
    void Render(TGLScene& scene, int width, int height, int deviceWidth, int deviceHeight);

    // Frees the display list and the texture object; the context that made them must be
    // current.
    void ReleaseGL();

    int MeshBuildCount() const { return FMeshBuilds; }
    long long FrameCount() const { return FFrames; }
    // Frames that drew the relief's mesh (a hidden relief costs nothing).
    long long ReliefDrawCount() const { return FReliefDraws; }
    bool HasDisplayList() const { return FList != 0; }
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

    unsigned FList = 0;
    std::uint64_t FListRevision = 0;
    int FMeshBuilds = 0;
    TGLTextureObject FTexture;
    bool FCubeMapGen = false;
    unsigned FHeightColours = 0;
    std::uint64_t FHeightColoursRevision = 0;
    int FHeightColoursUploads = 0;
    long long FFrames = 0;
    long long FReliefDraws = 0;
};

} // namespace orvane::view3d
